// While a handler runs, clicks land on a cover and keys are caught before anything sees
// them; both are kept and handed on, in order, once it has ended.
export function createHold(state, window, dialogs) {
  const cover = document.getElementById('hold');
  let held = [];
  const count = () => { state.held = held.length; };

  cover.addEventListener('click', (e) => {
    if (dialogs.asking)
      return; // beside the question, as beside any modal dialog, a click does nothing
    held.push({ click: [e.clientX, e.clientY] });
    count();
  });
  for (const type of ['pointerdown', 'mousedown', 'contextmenu', 'wheel', 'dblclick'])
    cover.addEventListener(type, (e) => e.preventDefault(), { passive: false });
  for (const type of ['keydown', 'keyup', 'keypress']) {
    addEventListener(type, (e) => {
      if (!state.busy || dialogs.asking)
        return;
      e.preventDefault();
      e.stopImmediatePropagation();
      if (type === 'keydown') {
        held.push({ key: e.key, shift: e.shiftKey, plain: !e.ctrlKey && !e.altKey && !e.metaKey });
        count();
      }
    }, { capture: true });
  }

  function clickAt(x, y) {
    const target = document.elementFromPoint(x, y);
    if (!target)
      return;
    const bar = target.closest('.scrollbar');
    if (bar) {
      bar.focus();
      bar.clickAt(x);
    } else if (target.matches('input[type=text]')) {
      target.focus();
    } else {
      const control = target.closest('label.option')?.querySelector('input') || target.closest('button');
      control?.focus();
      target.click();
    }
  }

  // the page's own order: what can take the focus, as it stands in the document
  function tabStops() {
    return [...window.querySelectorAll('input, button, [tabindex]')]
      .filter((n) => n.tabIndex >= 0 && n.offsetParent !== null
        && !(n.type === 'radio' && !n.checked && [...document.getElementsByName(n.name)].some((r) => r.checked)));
  }

  function keyAt({ key, shift, plain }) {
    const focused = document.activeElement;
    if (key === 'Tab') {
      const stops = tabStops();
      const i = stops.indexOf(focused);
      const next = stops[(i + (shift ? -1 : 1) + stops.length) % stops.length];
      next?.focus();
      return;
    }
    if (!focused || focused === document.body)
      return;
    if (focused.classList.contains('scrollbar')) {
      focused.dispatchEvent(new KeyboardEvent('keydown', { key, bubbles: true, cancelable: true }));
    } else if (focused.type === 'radio') {
      const group = [...document.getElementsByName(focused.name)];
      const steps = { ArrowUp: -1, ArrowLeft: -1, ArrowDown: 1, ArrowRight: 1 };
      if (key === ' ') {
        focused.click();
      } else if (key in steps) {
        const next = group[(group.indexOf(focused) + steps[key] + group.length) % group.length];
        next.focus();
        next.click();
      }
    } else if (focused.tagName === 'BUTTON') {
      if (key === ' ' || key === 'Enter')
        focused.click();
    } else if (focused.type === 'text') {
      if (key === 'Backspace') document.execCommand('delete');
      else if (key === 'Delete') document.execCommand('forwardDelete');
      else if (key.length === 1 && plain) document.execCommand('insertText', false, key);
      else if (key === 'ArrowLeft' || key === 'ArrowRight' || key === 'Home' || key === 'End') {
        const at = key === 'Home' ? 0 : key === 'End' ? focused.value.length
          : Math.max(0, Math.min(focused.value.length, focused.selectionStart + (key === 'ArrowLeft' ? -1 : 1)));
        focused.setSelectionRange(at, at);
      }
    }
  }

  return {
    // let through when idle rather than hidden: a handler's start and end then lay
    // nothing out again
    set shown(on) { cover.classList.toggle('idle', !on); },
    // Hands on what waited, while nothing runs; `canGoOn()` stops it when a handler starts.
    replay(canGoOn) {
      while (held.length && canGoOn()) {
        const input = held.shift();
        count();
        if (input.click)
          clickAt(...input.click);
        else
          keyAt(input);
      }
    },
    drop() {
      held = [];
      count();
    },
  };
}
