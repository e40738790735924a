// The inspector over the page: the panel the module draws, its title and readout, the
// mark on the screen line, and the pointer, touch and keys on the picture that move it.
const reducedMotion = matchMedia('(prefers-reduced-motion: reduce)');
const keys = { ArrowUp: 0, ArrowDown: 1, PageUp: 2, PageDown: 3, Home: 4, End: 5, Enter: 6, Escape: 7 };

export function createInspector({ state, picture, module: getModule, placement }) {
  const panel = document.getElementById('inspector');
  const canvas = panel.querySelector('canvas');
  const ctx = canvas.getContext('2d', { alpha: false });
  const title = panel.querySelector('.title');
  const readout = panel.querySelector('.readout');
  const mark = document.getElementById('mark');
  const announcer = document.getElementById('announcer');
  let announced = 0;
  let pending = null;
  let growing = 0;

  const place = (node, r, offset = [0, 0]) => {
    node.style.left = `${r[0] - offset[0]}px`;
    node.style.top = `${r[1] - offset[1]}px`;
    node.style.width = `${r[2]}px`;
    node.style.height = `${r[3]}px`;
  };
  const draw = (rgba, width, height) => {
    if (canvas.width !== width || canvas.height !== height) {
      canvas.width = width;
      canvas.height = height;
      canvas.style.width = `${width / placement.ratio}px`;
      canvas.style.height = `${height / placement.ratio}px`;
    }
    ctx.putImageData(new ImageData(rgba, width, height), 0, 0);
  };
  // a key held down says every point: only the latest is read out, a few times a second
  const announce = (text) => {
    clearTimeout(pending);
    const wait = Math.max(0, announced + 400 - performance.now());
    pending = setTimeout(() => { announced = performance.now(); announcer.textContent = text; }, wait);
  };
  const grow = (started) => {
    const id = ++growing;
    const step = (now) => {
      if (id !== growing || state.busy)
        return;
      if (!getModule()._lumetra_inspector_grow(reducedMotion.matches ? 1e9 : now - started))
        requestAnimationFrame(step);
    };
    requestAnimationFrame(step);
  };

  const services = {
    showInspector(v) {
      const r = v.rects;
      place(panel, r.slice(0, 4));
      place(title, r.slice(4, 8));
      place(readout, r.slice(8, 12));
      place(mark, r.slice(12, 16));
      title.style.fontSize = readout.style.fontSize = `${v.fontPixels}px`;
      title.textContent = v.title;
      readout.textContent = v.readout;
      draw(v.rgba, v.width, v.height);
      panel.hidden = mark.hidden = false;
      state.inspected = v.readout;
      if (v.announce)
        announce(v.readout);
      if (v.pinned)
        grow(performance.now());
    },
    hideInspector() {
      ++growing;
      panel.hidden = mark.hidden = true;
      state.inspected = null;
    },
    showPanel: draw,
  };

  const call = (f) => { if (!state.busy && state.ready) f(getModule()); };
  const at = (e) => [e.clientX, e.clientY];
  let touching = false;
  picture.addEventListener('pointermove', (e) => {
    if (e.pointerType === 'touch') {
      if (touching) call((m) => m._lumetra_pointer(4, ...at(e)));
    } else {
      call((m) => m._lumetra_pointer(0, ...at(e)));
    }
  });
  picture.addEventListener('pointerleave', (e) => { if (e.pointerType !== 'touch') call((m) => m._lumetra_pointer(1, 0, 0)); });
  picture.addEventListener('pointerdown', (e) => {
    if (e.pointerType === 'touch') {
      touching = true;
      picture.setPointerCapture(e.pointerId);
      call((m) => m._lumetra_pointer(3, ...at(e)));
    } else if (e.button === 0) {
      call((m) => m._lumetra_pointer(2, ...at(e)));
    }
  });
  for (const type of ['pointerup', 'pointercancel']) {
    picture.addEventListener(type, (e) => {
      if (e.pointerType === 'touch' && touching) {
        touching = false;
        call((m) => m._lumetra_pointer(5, 0, 0));
      }
    });
  }
  picture.addEventListener('focus', () => call((m) => m._lumetra_inspector_key(8)));
  picture.addEventListener('keydown', (e) => {
    if (!(e.key in keys) || state.busy)
      return;
    const handled = getModule()._lumetra_inspector_key(keys[e.key]);
    if (e.key === 'Escape') {
      document.getElementById('HScroll1').focus(); // and leaves the picture
    } else if (!handled && e.key !== 'Enter') {
      return;
    }
    e.preventDefault();
  });
  return services;
}
