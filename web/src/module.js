// The ES module `cyrvert` (the build appends this to engine.js). It loads cyrvert.wasm from
// beside itself: from the file system under Node (whose fetch refuses file URLs), with fetch
// in a browser. Every function is synchronous once the import has finished.

async function compileCyrvertWasm() {
  const url = new URL('./cyrvert.wasm', import.meta.url);
  if (url.protocol === 'file:') {
    const { readFile } = await import('node:fs/promises');
    return WebAssembly.compile(await readFile(url));
  }
  const response = await fetch(url);
  if (!response.ok) throw new Error(`cyrvert: cannot load ${url} (${response.status})`);
  return WebAssembly.compile(await response.arrayBuffer());
}

const engine = cyrvertEngine(await compileCyrvertWasm());

// An engine of its own over a WebAssembly.Module or the bytes of cyrvert.wasm (for hosts that
// load the file their own way).
export function createEngine(wasm) {
  return cyrvertEngine(wasm instanceof WebAssembly.Module ? wasm : new WebAssembly.Module(wasm));
}

export const {
  repair, decode, translate, setEighthBit, codecNames, importCodec, exportCodec,
  pageByName, pageToText, textToPage,
} = engine;
export default engine;
