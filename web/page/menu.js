// The picture's menu, as on the desktop: copy the picture, save it as a PNG, full screen,
// and play the last run's bars as a tone (P on the picture; Escape stops it).
// It opens by a right-click or a long press on the picture, or Shift+F10 and the menu key;
// the commands keep their shortcuts. What the browser refuses gets the error report.
const items = [
  { id: 'copy', text: 'Kopírovat obrázek', keys: 'Ctrl+C' },
  { id: 'save', text: 'Uložit obrázek…', keys: 'Ctrl+S' },
  { id: 'fullScreen', text: 'Celá obrazovka', keys: 'F11' },
  { id: 'play', text: 'Přehrát průběh', keys: 'P' },
];

export function proposedFileName(now = new Date()) {
  const two = (n) => String(n).padStart(2, '0');
  return `lumetra-${now.getFullYear()}-${two(now.getMonth() + 1)}-${two(now.getDate())}-`
    + `${two(now.getHours())}${two(now.getMinutes())}${two(now.getSeconds())}.png`;
}

export function createMenu({ state, picture, report, tone }) {
  const menu = document.createElement('div');
  menu.id = 'menu';
  menu.setAttribute('role', 'menu');
  menu.setAttribute('aria-label', 'Obrázek');
  menu.hidden = true;
  const buttons = items.map(({ id, text, keys }) => {
    const b = document.createElement('button');
    b.type = 'button';
    b.id = `menu-${id}`;
    b.setAttribute('role', 'menuitem');
    b.tabIndex = -1;
    b.innerHTML = '<span class="text"></span><span class="keys"></span>';
    b.querySelector('.text').textContent = text;
    b.querySelector('.keys').textContent = keys;
    b.setAttribute('aria-keyshortcuts', keys.replace('Ctrl', 'Control'));
    b.addEventListener('click', () => { close(); run(id); });
    menu.append(b);
    return b;
  });
  picture.parentElement.append(menu); // within the window's landmark
  let returnTo = null;

  const png = () => new Promise((resolve, reject) => picture.toBlob(
    (blob) => (blob ? resolve(blob) : reject(new Error('no picture'))), 'image/png'));
  const commands = {
    async copy() {
      if (!navigator.clipboard || typeof ClipboardItem === 'undefined')
        throw new DOMException('no clipboard', 'NotAllowedError');
      await navigator.clipboard.write([new ClipboardItem({ 'image/png': png() })]);
    },
    async save() {
      const url = URL.createObjectURL(await png());
      const a = document.createElement('a');
      a.href = url;
      a.download = proposedFileName();
      document.body.append(a);
      a.click();
      a.remove();
      setTimeout(() => URL.revokeObjectURL(url), 60000);
    },
    async play() {
      tone.play();
    },
    async fullScreen() {
      if (document.fullscreenElement)
        await document.exitFullscreen();
      else
        await document.documentElement.requestFullscreen();
    },
  };
  const failures = {
    copy: 'Obrázek nelze zkopírovat do schránky',
    save: 'Obrázek nelze uložit',
    fullScreen: 'Celou obrazovku nelze zapnout',
    play: 'Průběh nelze přehrát',
  };
  async function run(id) {
    if (state.busy)
      return;
    try {
      await commands[id]();
      state.lastCommand = id;
    } catch (e) {
      // the browser's own words are not Czech
      const why = e && e.name === 'NotAllowedError' ? 'prohlížeč to této stránce nedovolil' : 'prohlížeč příkaz odmítl';
      report(`${failures[id]}: ${why}.`);
    }
  }

  function open(x, y) {
    if (state.busy || !state.ready)
      return;
    returnTo = document.activeElement;
    menu.hidden = false;
    const r = menu.getBoundingClientRect();
    menu.style.left = `${Math.max(0, Math.min(x, innerWidth - r.width))}px`;
    menu.style.top = `${Math.max(0, Math.min(y, innerHeight - r.height))}px`;
    buttons[0].focus();
  }
  function close() {
    if (menu.hidden)
      return;
    menu.hidden = true;
    returnTo?.focus();
  }

  picture.addEventListener('contextmenu', (e) => {
    e.preventDefault();
    open(e.clientX, e.clientY);
  });
  menu.addEventListener('keydown', (e) => {
    const i = buttons.indexOf(document.activeElement);
    const moves = { ArrowDown: 1, ArrowUp: -1 };
    if (e.key in moves)
      buttons[(i + moves[e.key] + buttons.length) % buttons.length].focus();
    else if (e.key === 'Home' || e.key === 'End')
      buttons[e.key === 'Home' ? 0 : buttons.length - 1].focus();
    else if (e.key === 'Escape' || e.key === 'Tab')
      close();
    else
      return;
    e.preventDefault();
  });
  menu.addEventListener('focusout', (e) => { if (!menu.contains(e.relatedTarget)) menu.hidden = true; });
  addEventListener('pointerdown', (e) => { if (!menu.contains(e.target)) menu.hidden = true; }, true);

  // before the picture's own keys: Escape stops a tone before it does anything else
  addEventListener('keydown', (e) => {
    if (state.busy || !state.ready)
      return;
    if (e.key === 'Escape' && tone.stop()) {
      e.preventDefault();
      e.stopPropagation();
    } else if (document.activeElement === picture && (e.key === 'p' || e.key === 'P') && !e.ctrlKey && !e.altKey) {
      e.preventDefault();
      run('play');
    }
  }, { capture: true });

  addEventListener('keydown', (e) => {
    if (state.busy || !state.ready || e.defaultPrevented)
      return;
    const inText = document.activeElement?.matches('input[type=text]');
    const key = e.key.length === 1 ? e.key.toLowerCase() : e.key;
    let id = null;
    if ((e.key === 'F10' && e.shiftKey) || e.key === 'ContextMenu') {
      const r = (document.activeElement === picture ? picture : document.activeElement || picture).getBoundingClientRect();
      e.preventDefault();
      open(r.left + Math.min(r.width / 2, 40), r.top + Math.min(r.height / 2, 40));
      return;
    }
    const textSelected = inText && document.activeElement.selectionStart !== document.activeElement.selectionEnd;
    if (e.ctrlKey && !e.altKey && !e.shiftKey && key === 'c' && !textSelected) // a text box copies its own text
      id = 'copy';
    else if (e.ctrlKey && !e.altKey && !e.shiftKey && key === 's')
      id = 'save';
    else if (e.key === 'F11' && !e.ctrlKey && !e.altKey)
      id = 'fullScreen';
    if (!id)
      return;
    e.preventDefault();
    run(id);
  });
}
