// What the module asks of the page: the controls' texts and selections, the picture's
// canvas, the label's text, the dialogs, and a moment for the browser between frames.
import { place } from './controls.js';

// Resolves in a task of its own, after whatever the browser has waiting; unlike a timer,
// which waits at least 4 ms once timers are nested.
const channel = new MessageChannel();
const waiting = [];
channel.port1.onmessage = () => waiting.shift()();
export const nextTask = () => new Promise((next) => { waiting.push(next); channel.port2.postMessage(0); });

export function createServices({ state, controls, placement, picture, dialogs, onUnload }) {
  const ctx = picture.getContext('2d', { alpha: false, willReadFrequently: true });
  let shown = null;

  return {
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
    unload: onUnload,
    report: dialogs.report,
    ask: dialogs.ask,
    viewport,
    place(factor, left, top, ratio, rects) {
      Object.assign(placement, { factor, left, top, ratio });
      place(controls, factor, rects);
      picture.style.left = `${left}px`;
      picture.style.top = `${top}px`;
      if (picture.width)
        picture.style.width = `${picture.width / ratio}px`;
    },
    // The page's copy of the picture, `width` × `height` RGBA pixels at `offset` in the
    // module's memory; the rectangle x, y, w, h of it is put into the canvas.
    show(memory, offset, width, height, x, y, w, h) {
      if (picture.width !== width || picture.height !== height) {
        picture.width = width;
        picture.height = height;
        picture.style.width = `${width / placement.ratio}px`;
        picture.style.height = `${height / placement.ratio}px`;
      }
      // kept while the copy stays where it is: the browser takes some 30 µs to put from
      // an image over the module's memory that it has not seen before
      if (!shown || shown.data.buffer !== memory || shown.data.byteOffset !== offset || shown.width !== width
          || shown.height !== height)
        shown = new ImageData(new Uint8ClampedArray(memory, offset, width * height * 4), width, height);
      ctx.putImageData(shown, 0, 0, x, y, w, h);
    },
    paintLabel(rgba, w, h, background, text, family, bold, size) {
      const canvas = document.createElement('canvas');
      canvas.width = w;
      canvas.height = h;
      const c = canvas.getContext('2d', { alpha: false, willReadFrequently: true });
      c.fillStyle = `#${(background & 0xffffff).toString(16).padStart(6, '0')}`;
      c.fillRect(0, 0, w, h);
      c.font = `${bold ? 700 : 400} ${size}px "${family}"`;
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
      rgba.set(c.getImageData(0, 0, w, h).data);
    },
    // What the picture shows now, for assistive technology: its description, said aloud.
    announce(words) {
      document.getElementById('pictureDescription').textContent = words;
      document.getElementById('announcer').textContent = words;
      state.described = words;
    },
    // Back to the browser for a moment: it paints whatever frame has fallen due, and
    // takes the input that the run holds back.
    nextFrame() {
      state.framesShown += 1;
      const asked = performance.now();
      return nextTask().then(() => { state.waitingMs += performance.now() - asked; });
    },
  };
}

// Read once after each resize: reading the root's size lays out the page when anything in
// it changed, and a run asks at every frame. (The window's inner size would lay out
// nothing, but shrinks with a pinch zoom.)
let known = null;
addEventListener('resize', () => { known = null; });
export function viewport() {
  if (!known) {
    const root = document.documentElement;
    known = { width: root.clientWidth, height: root.clientHeight };
  }
  return { ...known, devicePixelRatio: window.devicePixelRatio || 1 };
}
