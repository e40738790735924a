// Lumetra's window in the page: the shell of the module's window model. Controls are
// built from the model's layout table, events go to the model by the controls' names,
// and one handler runs at a time: input that arrives while one runs waits for its end.
import { compiledFrom, createModule } from './boot.js';
import { building, fontOf } from './controls.js';
import { createDialogs } from './dialogs.js';
import { createHold } from './held.js';
import { createInspector } from './inspector.js';
import { createMenu } from './menu.js';
import { createTone } from './tone.js';
import { createServices, nextTask as task, viewport } from './services.js';
import { watchUpdates } from './updates.js';

// What the tests and the benchmarks read. Until the module is ready the page is busy,
// as during a run: the controls in the HTML show, and input waits for it.
const state = {
  ready: false, busy: true, ended: false,
  framesShown: 0, waitingMs: 0, askingMs: 0, runs: [], reports: [], held: 0,
};
window.lumetra = state;

const el = {
  window: document.getElementById('Lumetrafrm'),
  picture: document.getElementById('picture'),
  ended: document.getElementById('ended'),
};
const placement = { factor: 1, left: 0, top: 0, ratio: 1 };
const dialogs = createDialogs(state);
const hold = createHold(state, el.window, dialogs);
let module = null;
let unloaded = false;

async function dispatch(control) {
  if (state.busy || unloaded)
    return;
  state.busy = true;
  hold.shown = true;
  const started = performance.now();
  const askedBefore = state.askingMs;
  try {
    await module.ccall('lumetra_event', null, ['string'], [control], { async: true });
  } finally {
    state.busy = false;
    hold.shown = false;
  }
  if (control === 'cmdStart') {
    const asked = state.askingMs - askedBefore;
    state.runs.push({ ms: performance.now() - started - asked, askingMs: asked });
  }
  if (unloaded) {
    end();
    return;
  }
  const closed = dialogs.takeReportClosed();
  if (closed) {
    // the window takes no input while its report is up: what waited is dropped
    hold.drop();
    await closed;
  }
  fit();
  hold.replay(() => !state.busy && !unloaded);
  tidySoon();
}

// Resolves once the idle pieces are first all done, not merely cut short by a handler.
let tidiedOnce;
const tidied = new Promise((then) => { tidiedOnce = then; });

// after the input that waited, a piece in each task of its own; a handler's end starts
// them again
function tidySoon() {
  setTimeout(() => {
    if (state.busy || unloaded)
      return;
    if (module._lumetra_tidy())
      tidySoon();
    else
      tidiedOnce();
  });
}

function fit() {
  if (!state.busy && !unloaded) {
    const v = viewport();
    module._lumetra_fit(v.width, v.height, v.devicePixelRatio);
  }
}

function end() {
  state.ended = true;
  hold.drop();
  el.window.hidden = true;
  el.ended.hidden = false;
  document.getElementById('restart').focus();
}

document.getElementById('restart').addEventListener('click', () => location.reload());

// a phone held upright shows the window very small: suggest turning it, once
const upright = matchMedia('(orientation: portrait) and (max-width: 600px)');
const rotate = document.getElementById('rotate');
let rotateDismissed = false;
const suggestTurning = () => { rotate.hidden = rotateDismissed || !upright.matches; };
upright.addEventListener('change', suggestTurning);
document.getElementById('rotateClose').addEventListener('click', () => { rotateDismissed = true; suggestTurning(); });
suggestTurning();
addEventListener('resize', fit);

async function start() {
  const services = { onUnload: () => { unloaded = true; } };
  // the window's first paint comes before the module is fetched and compiled
  await firstPaintShown();
  // The worker fetches and compiles the module, off the page's thread, and then opens a
  // window of its own first; the page opens its own once that is done (or has taken too
  // long), and so does not compile the module's code on its thread either.
  const warmedUp = location.hash === '#no-warm-up' ? null : warmUp();
  await task();
  // the faces come while the module does; setting their loads up takes a task of its own
  const layout = JSON.parse(document.getElementById('layout').textContent); // the module's, as the build wrote it
  const faces = new Set(layout.controls.map((row) => fontOf(row, 1)));
  faces.add('700 24pt "Liberation Serif"');
  const facesLoaded = Promise.all([...faces].map((f) => document.fonts.load(f)));
  facesLoaded.catch(() => {}); // a failure is reported where it is awaited
  await task();
  module = await createModule((imports) => compiled(warmedUp, imports), { page: services });
  await task(); // the module's set-up was one already
  state.module = module;
  state.version = { page: document.documentElement.dataset.version, module: module.UTF8ToString(module._lumetra_version()) };
  if (state.version.page !== state.version.module)
    updates.offer(null); // a page caught between two versions: the whole new one is a reload away
  // the memory that the window will take, written a piece a task while the page waits
  const memoryWritten = (async () => {
    do
      await task();
    while (module._lumetra_warm());
  })();
  await facesLoaded;
  // A face's first text on a canvas sets it up, which takes a while: done now, a task
  // for each, rather than in the window's opening, which paints the label.
  const scratch = document.createElement('canvas').getContext('2d', { willReadFrequently: true });
  for (const face of faces) {
    await task();
    scratch.font = face;
    scratch.fillText('Klepněte Ág', 0, 20);
    scratch.getImageData(0, 0, 1, 1);
  }
  if (warmedUp)
    await Promise.race([warmedUp.opened, new Promise((later) => setTimeout(later, 1000))]);
  await memoryWritten;
  // The window opens in steps, a task each, and shows when it is whole: until then the
  // HTML's window stays as it was, and the live controls are built off the page, in a
  // wrapper that makes no box of its own and that hides them until then.
  await task();
  const v = viewport();
  const staged = document.createElement('div');
  staged.style.cssText = 'display: contents; visibility: hidden';
  const controls = await inSlices(building(layout, staged, dispatch, placement));
  Object.assign(services, createServices({ state, controls, placement, picture: el.picture, dialogs, onUnload: services.onUnload }),
    createInspector({ state, picture: el.picture, module: () => module, placement }));
  createMenu({ state, picture: el.picture, report: dialogs.report, tone: createTone({ state, module: () => module }) });
  el.picture.tabIndex = 0;
  el.picture.setAttribute('role', layout.picture.role);
  el.picture.setAttribute('aria-label', layout.picture.accessibleName);
  el.picture.setAttribute('aria-describedby', 'pictureDescription');
  await task();
  module._lumetra_open(v.width, v.height, v.devicePixelRatio);
  await task();
  // A face's first layout sets it up as well: the controls' text is laid out once, hidden,
  // in each of its faces at the window's factor, a task a face, rather than in the task
  // that shows the live controls.
  const texts = new Map();
  for (const row of layout.controls) {
    const font = fontOf(row, placement.factor);
    texts.set(font, `${texts.get(font) || ''} ${row.text || ''}`);
  }
  const probe = document.createElement('div');
  probe.style.cssText = 'position: absolute; left: 0; top: 0; visibility: hidden; white-space: pre';
  probe.setAttribute('aria-hidden', 'true');
  el.window.append(probe);
  for (const [font, text] of texts) {
    probe.textContent = text;
    probe.style.font = font;
    probe.getBoundingClientRect();
    await task();
  }
  probe.remove();
  module._lumetra_labels();
  await task();
  await module.ccall('lumetra_load', null, [], [], { async: true });
  // each band in a task of its own, the first too: not after the handler in its task
  for (let band = 0, more = 1; more; ++band) {
    await task();
    more = module._lumetra_reveal(band);
  }
  await task();
  // The live controls are laid out, hidden, where they will show, in a task before the
  // one that shows them; the picture is read and tabbed to after every control, and
  // stays under them all.
  el.window.append(staged, el.picture, document.getElementById('mark'), document.getElementById('inspector'));
  staged.firstElementChild.getBoundingClientRect();
  await task();
  // the HTML's controls give way to live ones in one go, with the picture
  el.window.querySelectorAll(':scope > .control').forEach((n) => n.remove());
  staged.style.visibility = '';
  el.window.classList.remove('early');
  await task(); // the new controls' style is worked out for the frame, not for the focus
  document.getElementById('cmdStart').focus();
  state.busy = false;
  hold.shown = false;
  state.ready = true;
  performance.mark('lumetra-ready');
  fit(); // the viewport may have changed while the window opened
  hold.replay(() => !state.busy && !unloaded);
  // The worker's runs take a core, and the service worker's install fetches and keeps
  // every file: not while the window opens, nor while the idle pieces make the first
  // run ready, nor during a first run clicked at once.
  tidySoon();
  await tidied;
  warmedUp?.run();
}

// Resolves once the browser has shown the page's first paint, not merely drawn it: a
// browser slow to show its first frame calls the next frame's callbacks long before.
// A page hidden before it painted is told of no paint, and waits a moment at most.
function firstPaintShown() {
  return new Promise((shown) => {
    const drawn = (wait) => requestAnimationFrame(() => setTimeout(shown, wait));
    if (!PerformanceObserver.supportedEntryTypes?.includes('paint'))
      return drawn(0);
    const observer = new PerformanceObserver((entries) => {
      if (entries.getEntriesByName('first-contentful-paint').length) {
        observer.disconnect();
        shown();
      }
    });
    observer.observe({ type: 'paint', buffered: true });
    drawn(500);
  });
}

// Takes the steps of a generator, a few milliseconds of them a task; resolves to what it
// returns. A slow laptop then still paints and takes input while the window opens.
async function inSlices(steps) {
  for (let since = performance.now(); ;) {
    const { done, value } = steps.next();
    if (done)
      return value;
    if (performance.now() - since > 4) {
      await task();
      since = performance.now();
    }
  }
}

// `compiled` resolves to the module the worker compiled, or to null if it could not;
// `opened` once the worker has opened its window, or failed; `run()` starts its runs
// (#no-warm-up leaves it all out, to measure a page without it).
function warmUp() {
  let worker;
  try {
    worker = new Worker('warmup.js', { type: 'module' });
  } catch {
    return null; // a page opened as a file, say: it fetches and compiles on its own
  }
  let compiledIt, openedIt;
  const compiled = new Promise((resolve) => { compiledIt = resolve; });
  const opened = new Promise((resolve) => { openedIt = resolve; });
  const failed = () => { compiledIt(null); openedIt(); };
  worker.onmessage = ({ data }) => {
    if (data.module)
      compiledIt(data.module);
    if (data.failed !== undefined)
      failed();
    if (data.opened !== undefined)
      openedIt();
    if (data.ran !== undefined) {
      state.warmUpMs = data.ran;
      worker.terminate();
    }
  };
  worker.onerror = failed;
  worker.postMessage({ compile: 'lumetra.wasm' });
  return { compiled, opened, run: () => worker.postMessage({ run: true }) };
}

// The module instantiated for the page: the worker's, or fetched and compiled here.
async function compiled(warmedUp, imports) {
  const module = (warmedUp && await warmedUp.compiled)
    || await compiledFrom(fetch('lumetra.wasm', { credentials: 'same-origin' }));
  await task(); // not in the task that took the worker's message
  const instance = await WebAssembly.instantiate(module, imports);
  await task(); // nor is the module's set-up in the one that made the instance
  return { instance, module };
}

// The manifest, which makes the page an app to install, once the window is open and
// idle: the browser fetches and decodes its icon on the page's thread.
function linkManifest() {
  document.head.append(Object.assign(document.createElement('link'), { rel: 'manifest', href: 'manifest.webmanifest' }));
}

const updates = watchUpdates(state);
start().then(() => { linkManifest(); updates.register(); }, (e) => {
  updates.register(); // a newer version may mend what failed
  // opened as a file, say, where the browser fetches nothing
  el.window.hidden = true;
  hold.shown = false;
  const failed = document.getElementById('failed');
  failed.querySelector('.message').textContent = String(e && e.message ? e.message : e);
  failed.hidden = false;
  throw e;
});
