// The engine of cyrvert.wasm as JavaScript functions. A plain script with one function and no
// imports: the build puts it into the ES module (cyrvert.js), the page script and the page's
// Worker (from this function's own source), so all three run the same code.

// Wraps a compiled WebAssembly.Module of cyrvert.wasm; returns the engine's functions.
function cyrvertEngine(wasmModule) {
  'use strict';
  const encoder = new TextEncoder();
  const decoder = new TextDecoder();
  const kPageNames = ['win', 'dos', 'koi', 'iso', 'utf8'];

  // The module asks the host for nothing it needs: any import it has is a stop (an abort or an
  // exit after running out of memory), which leaves this instance unusable.
  const imports = {};
  for (const { module, name, kind } of WebAssembly.Module.imports(wasmModule)) {
    if (kind !== 'function') continue;
    imports[module] = imports[module] || {};
    imports[module][name] =
        name === 'emscripten_notify_memory_growth' ? () => {} : (code) => {
          throw new Error(`cyrvert: the engine stopped (${name} ${code ?? ''}), out of memory?`);
        };
  }
  let wasm = null;
  function start() {
    wasm = new WebAssembly.Instance(wasmModule, imports).exports;
    if (wasm._initialize) wasm._initialize();
  }
  start();

  // Runs `work`; after a trap the instance is replaced, so the next call finds a sound engine.
  function guarded(work) {
    try {
      return work();
    } catch (error) {
      start();
      throw error;
    }
  }

  function asBytes(input, what) {
    if (input instanceof Uint8Array) return input;
    if (input instanceof ArrayBuffer) return new Uint8Array(input);
    if (ArrayBuffer.isView(input)) {
      return new Uint8Array(input.buffer, input.byteOffset, input.byteLength);
    }
    throw new TypeError(`cyrvert: ${what} must be a Uint8Array or an ArrayBuffer`);
  }

  // Copies `bytes` (or a string as UTF-8) into the module's memory; returns [pointer, length].
  function put(value) {
    if (typeof value === 'string') {
      const pointer = wasm.cv_alloc(value.length * 3);
      const { written } =
          encoder.encodeInto(value, new Uint8Array(wasm.memory.buffer, pointer, value.length * 3));
      return [pointer, written];
    }
    const pointer = wasm.cv_alloc(value.length);
    new Uint8Array(wasm.memory.buffer, pointer, value.length).set(value);
    return [pointer, value.length];
  }

  // Calls `entry` with each argument: strings and byte arrays as (pointer, length), numbers as
  // they are; reads the result it returns and frees everything.
  function call(entry, ...args) {
    return guarded(() => {
      const flat = [];
      const owned = [];
      for (const arg of args) {
        if (typeof arg === 'number') {
          flat.push(arg);
        } else {
          const [pointer, length] = put(arg);
          owned.push(pointer);
          flat.push(pointer, length);
        }
      }
      try {
        const result = wasm[entry](...flat);
        if (result === 0) return null;
        try {
          const strings = [];
          for (let i = 0, n = wasm.cv_string_count(result); i < n; ++i) {
            const pointer = wasm.cv_string_data(result, i);
            const length = wasm.cv_string_size(result, i);
            strings.push(new Uint8Array(wasm.memory.buffer, pointer, length).slice());
          }
          const numbers = [];
          for (let i = 0, n = wasm.cv_number_count(result); i < n; ++i) {
            numbers.push(wasm.cv_number(result, i));
          }
          return { strings, numbers };
        } finally {
          wasm.cv_release(result);
        }
      } finally {
        for (const pointer of owned) wasm.cv_free(pointer);
      }
    });
  }

  // Page number 0..4 (win, dos, koi, iso, utf8) from a number or a name such as "koi8-r".
  function pageByName(page) {
    if (typeof page === 'number' && Number.isInteger(page) && page >= 0 && page <= 4) return page;
    if (typeof page === 'string') {
      const number = guarded(() => {
        const [pointer, length] = put(page);
        try {
          return wasm.cv_page_by_name(pointer, length);
        } finally {
          wasm.cv_free(pointer);
        }
      });
      if (number >= 0) return number;
    }
    throw new RangeError(`cyrvert: unknown code page ${JSON.stringify(page)}`);
  }

  // Bytes of page 0..3 as a string.
  function pageToText(bytes, page = 'win') {
    const number = pageByName(page);
    if (number === 4) return decoder.decode(asBytes(bytes, 'bytes'));
    return decoder.decode(call('cv_page_to_utf8', asBytes(bytes, 'bytes'), number).strings[0]);
  }

  // A string as bytes of page 0..3 ("?" for characters the page lacks), or as UTF-8.
  function textToPage(text, page = 'win') {
    const number = pageByName(page);
    if (number === 4) return encoder.encode(text);
    return call('cv_utf8_to_page', String(text), number).strings[0];
  }

  // Smart repair: bytes as `cyrvert-cli repair [--target P|--utf8]`, a string as text that
  // arrived as characters. `target` defaults to "win" for bytes, "utf8" for a string.
  function repair(input, { target } = {}) {
    const isText = typeof input === 'string';
    const page = pageByName(target ?? (isText ? 'utf8' : 'win'));
    const { strings, numbers } =
        call('cv_repair', isText ? input : asBytes(input, 'input'), page, isText ? 1 : 0);
    const [verdict, steps, explain, output] = strings;
    return {
      verdict: decoder.decode(verdict),
      steps: decoder.decode(steps),
      explain: decoder.decode(explain),
      confidence: numbers[0],
      exitStatus: numbers[1],
      page: kPageNames[page],
      output,
      text: pageToText(output, page),
    };
  }

  // The variant search, as `cyrvert-cli decode --list`: status 0 found, 2 an option out of
  // range, 3 nothing found, 4 too few upper-half bytes (with decode's message); candidates best
  // first: history "(K2W,W2D)", score, output (the whole text as bytes of page `target`) and
  // preview (its start as decode --list shows it, a string).
  function decode(bytes, { depth = 3, sense = 2, nBest = 5, target = 'win', bigLetters = false } = {}) {
    const page = pageByName(target);
    if (page > 3) throw new RangeError('cyrvert: decode targets win, dos, koi or iso');
    const { strings, numbers } = call('cv_decode', asBytes(bytes, 'bytes'), depth | 0, sense | 0,
                                      nBest | 0, page, bigLetters ? 1 : 0);
    const candidates = [];
    for (let i = 0; i + 1 < numbers.length; ++i) {
      candidates.push({
        history: decoder.decode(strings[1 + 3 * i]),
        score: numbers[i + 1],
        output: strings[2 + 3 * i],
        preview: decoder.decode(strings[3 + 3 * i]),
      });
    }
    return { status: numbers[0], message: decoder.decode(strings[0]), candidates };
  }

  // One of the twelve manual conversions ("W2K", "K2D", ...).
  function translate(bytes, code) {
    const result = call('cv_translate', asBytes(bytes, 'bytes'), String(code));
    if (result === null) throw new RangeError(`cyrvert: unknown conversion ${JSON.stringify(code)}`);
    return result.strings[0];
  }

  // Sets the eighth bit of every byte.
  function setEighthBit(bytes) {
    return call('cv_set_eighth_bit', asBytes(bytes, 'bytes')).strings[0];
  }

  // "utf7", "utf8", "qp", "base64", "uu", "unix".
  function codecNames() {
    return call('cv_codec_names').strings.map((name) => decoder.decode(name));
  }

  function codecResult({ strings, numbers }) {
    return {
      ok: numbers[0] === 1,
      output: strings[0],
      error: decoder.decode(strings[1]),
      fileName: decoder.decode(strings[2]),
    };
  }

  // `cyrvert-cli import CODEC`: { ok, output, error, fileName (uu: the begin line's name) }.
  function importCodec(codec, bytes) {
    return codecResult(call('cv_import', String(codec), asBytes(bytes, 'bytes')));
  }

  // `cyrvert-cli export CODEC [--name NAME]`: { ok, output, error }.
  function exportCodec(codec, bytes, { name = '' } = {}) {
    return codecResult(call('cv_export', String(codec), asBytes(bytes, 'bytes'), String(name)));
  }

  return {
    repair, decode, translate, setEighthBit, codecNames, importCodec, exportCodec,
    pageByName, pageToText, textToPage,
  };
}
