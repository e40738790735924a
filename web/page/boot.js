// Makes the module, for the page and for the warm-up worker alike: the module's sine and
// cosine are the browser's own, handed over as the very Math functions.
import createLumetra from './lumetra.js';

function withMathOf(module, imports) {
  for (const names of Object.values(imports))
    for (const [name, f] of Object.entries(names))
      if (module.mathImports && module.mathImports.has(f))
        names[name] = module.mathImports.get(f);
  return imports;
}

// `compile(imports)` resolves to { instance, module }; `extra` joins the module's object.
export function createModule(compile, extra = {}) {
  let failed;
  const failure = new Promise((resolve, reject) => { failed = reject; });
  const module0 = {
    ...extra,
    instantiateWasm(imports, done) {
      compile(withMathOf(module0, imports)).then(({ instance, module }) => {
        module0.compiled = module;
        done(instance);
      }).catch(failed);
      return {};
    },
  };
  return Promise.race([createLumetra(module0), failure]);
}

// Compiles lumetra.wasm as `fetched` (its fetch) brings it, streaming where the server
// says what it is.
export async function compiledFrom(fetched) {
  const response = await fetched;
  if (!response.ok)
    throw new Error(`lumetra.wasm: ${response.status} ${response.statusText}`);
  if (response.headers.get('content-type') === 'application/wasm')
    return WebAssembly.compileStreaming(response);
  return WebAssembly.compile(await response.arrayBuffer());
}
