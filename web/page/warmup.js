// Opens Lumetra's window off the page's thread, with nothing to show and the page's own
// compiled module; runs it twice when the page asks, once its own window is open. The
// browser compiles and optimises the module's code as it runs, and the page's opening
// and first run find that work done; the runs wait so as not to take the cores that the
// page's opening needs.
import { createModule } from './boot.js';

let opened;
onmessage = ({ data }) => {
  if (data.module) {
    opened = createModule(async (imports) => ({ instance: await WebAssembly.instantiate(data.module, imports), module: data.module }))
      .then((ready) => {
        postMessage({ opened: ready._lumetra_rehearse(0) });
        return ready;
      });
  } else if (data.run && opened) {
    opened.then((ready) => postMessage({ ran: ready._lumetra_rehearse(1) }));
  }
};
