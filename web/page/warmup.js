// Opens Lumetra's window and runs it twice, off the page's thread, with nothing to show
// and the page's own compiled module: the browser compiles and optimises the module's
// code as it runs, and the page's opening and first run find that work done.
import { createModule } from './boot.js';

onmessage = async ({ data: { module } }) => {
  const ready = await createModule(async (imports) => ({ instance: await WebAssembly.instantiate(module, imports), module }));
  postMessage({ opened: ready._lumetra_rehearse(0) });
  postMessage({ ran: ready._lumetra_rehearse(1) });
};
