// Runs Lumetra once on a scratch picture, off the page's thread, with the page's own
// compiled module: the browser compiles and optimises the module's code as it runs, and
// the page's first real run finds that work done.
import { createModule } from './boot.js';

onmessage = async ({ data: { module } }) => {
  const ready = await createModule(async (imports) => ({ instance: await WebAssembly.instantiate(module, imports), module }));
  postMessage(ready._lumetra_rehearse());
};
