// Runs Lumetra once on a scratch picture, off the page's thread, with the page's own
// compiled module: the browser compiles and optimises the module's code as it runs, and
// the page's first real run finds that work done.
'use strict';
importScripts('lumetra.js');

onmessage = async ({ data: { module } }) => {
  const lumetra = {
    instantiateWasm(imports, done) {
      for (const names of Object.values(imports))
        for (const [name, f] of Object.entries(names))
          if (lumetra.mathImports && lumetra.mathImports.has(f))
            names[name] = lumetra.mathImports.get(f);
      WebAssembly.instantiate(module, imports).then((instance) => done(instance));
      return {};
    },
  };
  const ready = await createLumetra(lumetra);
  postMessage(ready._lumetra_rehearse());
};
