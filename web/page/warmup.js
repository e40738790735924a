// Compiles lumetra.wasm off the page's thread and hands the page the module. Then opens
// Lumetra's window of its own, with nothing to show, and runs it twice when the page
// asks, once the page's window is open. The browser compiles and optimises the module's
// code as it runs, and the page's opening and first run find that work done; the runs
// wait so as not to take the cores that the page's opening needs.
import { compiledFrom, createModule } from './boot.js';

let opened;
onmessage = async ({ data }) => {
  if (data.compile) {
    let module;
    try {
      module = await compiledFrom(fetch(data.compile, { credentials: 'same-origin' }));
    } catch (e) {
      postMessage({ failed: String(e) }); // the page fetches it itself, and reports what fails
      return;
    }
    postMessage({ module });
    opened = createModule(async (imports) => ({ instance: await WebAssembly.instantiate(module, imports), module }))
      .then((ready) => {
        postMessage({ opened: ready._lumetra_rehearse(0) });
        return ready;
      });
  } else if (data.run && opened) {
    opened.then((ready) => postMessage({ ran: ready._lumetra_rehearse(1) }));
  }
};
