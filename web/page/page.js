// Lumetra's window in the page: the controls built from the layout table that the module
// exports, the services its handlers use (texts, dialogs, the picture's canvas), and the
// rule of one handler at a time: input that arrives while one runs waits for its end.
'use strict';

(() => {
  // What the tests and the benchmarks read.
  const state = {
    ready: false, busy: false, ended: false,
    framesShown: 0, waitingMs: 0, runs: [], reports: [], held: 0,
  };
  window.lumetra = state;

  const el = {
    window: document.getElementById('Lumetrafrm'),
    picture: document.getElementById('picture'),
    hold: document.getElementById('hold'),
    question: document.getElementById('question'),
    report: document.getElementById('errorReport'),
    ended: document.getElementById('ended'),
  };
  const ctx = el.picture.getContext('2d', { alpha: false, willReadFrequently: true });
  const controls = new Map(); // name → { row, node, input }
  let layout = null;
  let module = null;
  let module0 = null; // the module's object while it is made
  let wasm = null; // the compiled module
  let placement = { factor: 1, left: 0, top: 0, ratio: 1 };
  let asking = null; // the open question, while a run waits for it
  let reportClosed = null;
  let unloaded = false;
  let held = [];
  let askingMs = 0; // waiting for answers, since the start

  const px = (twips) => Math.round(twips * placement.factor / layout.twipsPerPixel);

  // ---- the controls -------------------------------------------------------------

  function fontOf(row) {
    return `${row.font.bold ? 700 : 400} ${row.font.pointSize * placement.factor}pt "${row.font.family}"`;
  }

  function build() {
    const stacking = new Map(layout.stackingTopDown.map((name, i) => [name, layout.stackingTopDown.length - i]));
    for (const row of layout.controls) {
      const parent = row.container ? controls.get(row.container).node : el.window;
      let node;
      let input = null;
      switch (row.kind) {
        case 'textBox':
          node = input = document.createElement('input');
          node.type = 'text';
          node.value = row.text;
          node.spellcheck = false;
          node.autocomplete = 'off';
          node.className = 'control textBox' + (row.border ? '' : ' borderless');
          node.style.textAlign = row.centred ? 'center' : row.rightAligned ? 'right' : 'left';
          break;
        case 'frame': {
          node = document.createElement('div');
          node.className = 'control frame';
          node.setAttribute('role', 'group');
          const caption = document.createElement('span');
          caption.className = 'caption';
          caption.textContent = row.text;
          caption.id = `${row.name}-caption`;
          node.setAttribute('aria-labelledby', caption.id);
          node.append(caption);
          break;
        }
        case 'optionButton': {
          node = document.createElement('label');
          node.className = 'control option';
          input = document.createElement('input');
          input.type = 'radio';
          input.name = row.container;
          const caption = document.createElement('span');
          caption.textContent = row.text;
          node.append(input, caption);
          input.addEventListener('change', () => { if (input.checked) dispatch(row.name); });
          break;
        }
        case 'commandButton':
          node = input = document.createElement('button');
          node.type = 'button';
          node.className = 'control commandButton';
          node.textContent = row.text;
          node.addEventListener('click', () => dispatch(row.name));
          break;
        case 'hScrollBar':
          node = input = scrollBar(row);
          break;
        default: // the label and the line: painted on the picture, under everything
          node = document.createElement('div');
          node.className = 'control surface';
          node.textContent = row.text;
          node.setAttribute('aria-hidden', 'true');
      }
      const named = input || node;
      named.id = row.name;
      if (input && row.tab >= 0)
        input.tabIndex = row.tab + 1;
      if (row.background && node.className !== 'control surface')
        node.style.background = row.background;
      node.style.zIndex = stacking.get(row.name) || 1;
      node.hidden = !row.shown;
      parent.append(node);
      controls.set(row.name, { row, node, input });
    }
  }

  function place() {
    const { left, top } = placement;
    for (const { row, node } of controls.values()) {
      const origin = row.container ? [0, 0] : [left, top];
      const s = node.style;
      if (row.kind === 'line') {
        s.left = `${origin[0] + px(row.left)}px`;
        s.top = `${origin[1] + px(row.top)}px`;
        s.width = '1px';
        s.height = `${px(row.height) - px(row.top) + 1}px`;
        continue;
      }
      s.left = `${origin[0] + px(row.left)}px`;
      s.top = `${origin[1] + px(row.top)}px`;
      s.width = `${px(row.width)}px`;
      s.height = `${px(row.height)}px`;
      s.font = fontOf(row);
    }
    const scroll = controls.get('HScroll1');
    if (scroll)
      scroll.input.layout();
    const p = el.picture;
    p.style.left = `${left}px`;
    p.style.top = `${top}px`;
    if (p.width)
      p.style.width = `${p.width / placement.ratio}px`;
  }

  // A horizontal scroll bar as the desktop's: 1 to 20000, one step per click on an
  // arrow or in the trough, and a drag of the thumb counts as one change, on release.
  function scrollBar(row) {
    const bar = document.createElement('div');
    bar.className = 'control scrollbar';
    bar.setAttribute('role', 'scrollbar');
    bar.setAttribute('aria-orientation', 'horizontal');
    bar.setAttribute('aria-label', 'Zpomalení');
    const less = document.createElement('div');
    const trough = document.createElement('div');
    const thumb = document.createElement('div');
    const more = document.createElement('div');
    less.className = 'arrow less';
    more.className = 'arrow more';
    trough.className = 'trough';
    thumb.className = 'thumb';
    trough.append(thumb);
    bar.append(less, trough, more);
    const min = 1;
    const max = 20000;
    bar.setAttribute('aria-valuemin', min);
    bar.setAttribute('aria-valuemax', max);
    bar.value = min;
    let dragging = null;
    let repeat = null;

    const thumbWidth = () => Math.min(trough.clientWidth, Math.max(8, Math.round(26 * placement.factor)));
    const showValue = (value) => {
      const room = trough.clientWidth - thumbWidth();
      thumb.style.width = `${thumbWidth()}px`;
      thumb.style.left = `${Math.round(room * (value - min) / (max - min))}px`;
    };
    const setValue = (value) => {
      value = Math.min(max, Math.max(min, Math.round(value)));
      showValue(value);
      if (value === bar.value)
        return;
      bar.value = value;
      bar.setAttribute('aria-valuenow', value);
      dispatch(row.name);
    };
    bar.layout = () => {
      less.style.width = more.style.width = `${bar.clientHeight}px`;
      showValue(bar.value);
    };
    bar.setAttribute('aria-valuenow', min);
    const stopRepeat = () => { clearTimeout(repeat); clearInterval(repeat); repeat = null; };
    const stepping = (step) => {
      stopRepeat();
      setValue(bar.value + step);
      repeat = setTimeout(() => { repeat = setInterval(() => setValue(bar.value + step), 50); }, 300);
    };
    // a click anywhere on the bar, as after a run it is handed on
    bar.clickAt = (x) => {
      const at = (node) => { const r = node.getBoundingClientRect(); return x >= r.left && x < r.right; };
      if (at(less)) setValue(bar.value - 1);
      else if (at(more)) setValue(bar.value + 1);
      else if (!at(thumb)) setValue(bar.value + (x < thumb.getBoundingClientRect().left ? -1 : 1));
    };
    bar.addEventListener('pointerdown', (e) => {
      if (e.button !== 0)
        return;
      e.preventDefault();
      bar.focus();
      if (e.target === thumb) {
        dragging = { start: e.clientX, from: thumb.offsetLeft };
        thumb.setPointerCapture(e.pointerId);
      } else if (e.target === less || less.contains(e.target)) {
        stepping(-1);
      } else if (e.target === more || more.contains(e.target)) {
        stepping(1);
      } else {
        stepping(e.clientX < thumb.getBoundingClientRect().left ? -1 : 1);
      }
    });
    const valueAtThumb = (left) => {
      const room = trough.clientWidth - thumbWidth();
      return room > 0 ? min + (max - min) * Math.min(room, Math.max(0, left)) / room : bar.value;
    };
    thumb.addEventListener('pointermove', (e) => {
      if (dragging)
        thumb.style.left = `${Math.min(trough.clientWidth - thumbWidth(), Math.max(0, dragging.from + e.clientX - dragging.start))}px`;
    });
    thumb.addEventListener('pointerup', (e) => {
      if (!dragging)
        return;
      const left = dragging.from + e.clientX - dragging.start;
      dragging = null;
      setValue(valueAtThumb(left));
    });
    thumb.addEventListener('pointercancel', () => { dragging = null; showValue(bar.value); });
    for (const type of ['pointerup', 'pointercancel', 'pointerleave'])
      bar.addEventListener(type, stopRepeat);
    bar.addEventListener('keydown', (e) => {
      const steps = { ArrowLeft: -1, ArrowUp: -1, PageUp: -1, ArrowRight: 1, ArrowDown: 1, PageDown: 1 };
      if (e.key in steps) setValue(bar.value + steps[e.key]);
      else if (e.key === 'Home') setValue(min);
      else if (e.key === 'End') setValue(max);
      else return;
      e.preventDefault();
    });
    return bar;
  }

  // ---- what the module asks of the page -----------------------------------------

  const page = {
    text(name) {
      const c = controls.get(name);
      return c && c.row.kind === 'textBox' ? c.input.value : null;
    },
    setText(name, text) {
      const c = controls.get(name);
      if (!c || c.row.kind !== 'textBox')
        return false;
      c.input.value = text;
      return true;
    },
    setVisible(name, shown) {
      const c = controls.get(name);
      if (!c)
        return false;
      c.node.hidden = !shown;
      return true;
    },
    // -1: no such option; else 1 when it was selected already
    select(name) {
      const c = controls.get(name);
      if (!c || c.row.kind !== 'optionButton')
        return -1;
      const was = c.input.checked;
      c.input.checked = true;
      return was ? 1 : 0;
    },
    scrollValue() {
      return controls.get('HScroll1').input.value;
    },
    unload() {
      unloaded = true;
    },
    report(message) {
      state.reports.push(message);
      const dialog = el.report;
      dialog.querySelector('.message').textContent = message;
      reportClosed = new Promise((resolve) => dialog.addEventListener('close', resolve, { once: true }));
      dialog.showModal();
    },
    viewport() {
      const root = document.documentElement;
      return { width: root.clientWidth, height: root.clientHeight, devicePixelRatio: window.devicePixelRatio || 1 };
    },
    place(factor, left, top, ratio) {
      placement = { factor, left, top, ratio };
      place();
    },
    show(rgba, width, height, x, y, w, h) {
      const p = el.picture;
      if (p.width !== width || p.height !== height) {
        p.width = width;
        p.height = height;
        p.style.width = `${width / placement.ratio}px`;
        p.style.height = `${height / placement.ratio}px`;
      }
      ctx.putImageData(new ImageData(rgba, w, h), x, y);
    },
    paintLabel(pixels, pictureWidth, x, y, w, h, background, text, family, size) {
      const canvas = document.createElement('canvas');
      canvas.width = w;
      canvas.height = h;
      const c = canvas.getContext('2d', { alpha: false, willReadFrequently: true });
      c.fillStyle = `#${(background & 0xffffff).toString(16).padStart(6, '0')}`;
      c.fillRect(0, 0, w, h);
      c.font = `700 ${size}px "${family}"`;
      c.fillStyle = '#000';
      const m = c.measureText('Ág');
      const ascent = m.fontBoundingBoxAscent;
      const spacing = Math.round(m.fontBoundingBoxAscent + m.fontBoundingBoxDescent);
      // centred lines, top down, broken between words where a line would be too wide
      const lines = [];
      for (const word of text.split(' ')) {
        const last = lines.length ? `${lines[lines.length - 1]} ${word}` : null;
        if (last !== null && c.measureText(last).width <= w)
          lines[lines.length - 1] = last;
        else
          lines.push(word);
      }
      lines.forEach((line, i) => {
        c.fillText(line, Math.round((w - c.measureText(line).width) / 2), Math.round(ascent) + i * spacing);
      });
      const rgba = c.getImageData(0, 0, w, h).data;
      for (let row = 0; row < h; ++row) {
        const out = (y + row) * pictureWidth + x;
        for (let col = 0, i = row * w * 4; col < w; ++col, i += 4)
          pixels[out + col] = 0xff000000 | (rgba[i] << 16) | (rgba[i + 1] << 8) | rgba[i + 2];
      }
    },
    ask(prompt) {
      const dialog = el.question;
      document.getElementById('questionText').textContent = prompt;
      const started = performance.now();
      return new Promise((resolve) => {
        const answer = (code) => {
          asking = null;
          askingMs += performance.now() - started;
          dialog.close();
          resolve(code);
        };
        asking = answer;
        dialog.showModal();
        document.getElementById('Ano').focus();
      });
    },
    // Back to the browser for a moment: it paints whatever frame has fallen due, and
    // takes the input that the run holds back.
    nextFrame() {
      state.framesShown += 1;
      const asked = performance.now();
      return new Promise((resolve) => soon(() => { state.waitingMs += performance.now() - asked; resolve(); }));
    },
  };

  // a task of its own, after whatever the browser has waiting (a timer would wait at least 4 ms)
  const channel = new MessageChannel();
  const soonQueue = [];
  channel.port1.onmessage = () => soonQueue.shift()();
  function soon(fn) {
    soonQueue.push(fn);
    channel.port2.postMessage(0);
  }

  document.getElementById('Ano').addEventListener('click', () => asking && asking(6));
  document.getElementById('Ne').addEventListener('click', () => asking && asking(7));
  el.question.addEventListener('cancel', (e) => { e.preventDefault(); if (asking) asking(7); });
  document.getElementById('errorOk').addEventListener('click', () => el.report.close());
  document.getElementById('restart').addEventListener('click', () => location.reload());

  // ---- one handler at a time ----------------------------------------------------

  async function dispatch(control) {
    if (state.busy || unloaded)
      return;
    state.busy = true;
    el.hold.hidden = false;
    const started = performance.now();
    const askedBefore = askingMs;
    try {
      await module.ccall('lumetra_event', null, ['string'], [control], { async: true });
    } finally {
      state.busy = false;
      el.hold.hidden = true;
    }
    if (control === 'cmdStart') {
      const asked = askingMs - askedBefore;
      state.runs.push({ ms: performance.now() - started - asked, askingMs: asked });
    }
    if (unloaded) {
      end();
      return;
    }
    if (reportClosed) {
      // the window takes no input while its report is up: what waited is dropped
      held = [];
      state.held = 0;
      await reportClosed;
      reportClosed = null;
    }
    fit();
    replay();
  }

  function fit() {
    if (!state.busy && !unloaded)
      module._lumetra_fit();
  }

  function end() {
    state.ended = true;
    held = [];
    state.held = 0;
    el.window.hidden = true;
    el.ended.hidden = false;
    document.getElementById('restart').focus();
  }

  // While a handler runs, clicks land on the cover and keys are caught before anything
  // sees them; both are kept and handed on, in order, when it has ended.
  el.hold.addEventListener('click', (e) => { held.push({ click: [e.clientX, e.clientY] }); state.held = held.length; });
  for (const type of ['pointerdown', 'mousedown', 'contextmenu', 'wheel', 'dblclick'])
    el.hold.addEventListener(type, (e) => e.preventDefault(), { passive: false });
  for (const type of ['keydown', 'keyup', 'keypress']) {
    window.addEventListener(type, (e) => {
      if (!state.busy || asking)
        return;
      e.preventDefault();
      e.stopImmediatePropagation();
      if (type === 'keydown') {
        held.push({ key: e.key, shift: e.shiftKey, plain: !e.ctrlKey && !e.altKey && !e.metaKey });
        state.held = held.length;
      }
    }, { capture: true });
  }

  function replay() {
    while (held.length && !state.busy && !unloaded) {
      const input = held.shift();
      state.held = held.length;
      if (input.click)
        clickAt(...input.click);
      else
        keyAt(input);
    }
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

  function tabStops() {
    return [...el.window.querySelectorAll('[tabindex]')]
      .filter((n) => n.tabIndex > 0 && n.offsetParent !== null
        && !(n.type === 'radio' && !n.checked && [...document.getElementsByName(n.name)].some((r) => r.checked)))
      .sort((a, b) => a.tabIndex - b.tabIndex);
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

  window.addEventListener('resize', fit);

  // ---- start ---------------------------------------------------------------------

  async function instantiate(imports, done) {
    // the module's sine and cosine are the browser's own
    for (const names of Object.values(imports))
      for (const [name, f] of Object.entries(names))
        if (module0.mathImports && module0.mathImports.has(f))
          names[name] = module0.mathImports.get(f);
    const response = fetch('lumetra.wasm', { credentials: 'same-origin' });
    const ready = (await response).headers.get('content-type') === 'application/wasm'
      ? WebAssembly.instantiateStreaming(response, imports)
      : (await response).arrayBuffer().then((bytes) => WebAssembly.instantiate(bytes, imports));
    const { instance, module: compiled } = await ready;
    wasm = compiled;
    done(instance);
  }

  async function start() {
    let failed;
    const failure = new Promise((resolve, reject) => { failed = reject; });
    module0 = {
      page,
      instantiateWasm(imports, done) { instantiate(imports, done).catch(failed); return {}; },
    };
    module = await Promise.race([createLumetra(module0), failure]);
    state.module = module;
    layout = JSON.parse(module.UTF8ToString(module._lumetra_layout()));
    build();
    const faces = new Set(layout.controls.map((row) => fontOf(row)));
    faces.add('700 24pt "Liberation Serif"');
    await Promise.all([...faces].map((f) => document.fonts.load(f)));
    el.window.hidden = false;
    await module.ccall('lumetra_open', null, [], [], { async: true });
    document.getElementById('cmdStart').focus();
    state.ready = true;
    performance.mark('lumetra-ready');
    // (#no-warm-up leaves it out, to measure a first run without it)
    if (location.hash !== '#no-warm-up') {
      const worker = new Worker('warmup.js');
      worker.onmessage = ({ data }) => { state.warmUpMs = data; worker.terminate(); };
      worker.postMessage({ module: wasm });
    }
  }

  if ('serviceWorker' in navigator)
    navigator.serviceWorker.register('sw.js').catch(() => {});
  start().catch((e) => {
    // opened as a file, say, where the browser fetches nothing
    el.window.hidden = true;
    const failed = document.getElementById('failed');
    failed.querySelector('.message').textContent = String(e && e.message ? e.message : e);
    failed.hidden = false;
    throw e;
  });
})();
