// The page: takes pasted text or a dropped file, repairs it at once, and offers the variant
// search, the manual conversions and the transport codecs on the same input. Short inputs run
// on this thread; long ones in a Worker made from this script's engine, so typing stays smooth.
// Nothing is stored and nothing is sent: the text lives in this page's memory only.

// Inputs longer than this (bytes or UTF-16 units) go to the Worker.
const kWorkerThreshold = 128 * 1024;
// The result view shows at most this many characters (laying out more would stall the page);
// Copy and Download take everything.
const kShownChars = 64 * 1024;
// Pause after a keystroke before repairing.
const kTypingPauseMs = 120;
// The twelve manual conversions, in the order the editor's dialog lists them.
const kConversions = ['W2K', 'K2W', 'W2D', 'D2W', 'W2I', 'I2W', 'K2D', 'D2K', 'K2I', 'I2K',
                      'D2I', 'I2D'];

const $ = (id) => document.getElementById(id);
const language = (navigator.languages || [navigator.language || 'en'])
                     .map((tag) => String(tag).slice(0, 2).toLowerCase())
                     .find((tag) => tag in kStrings) || 'en';
const T = kStrings[language];

// What the engine works on: text typed or pasted, or the bytes of a file.
let input = { kind: 'text', text: '' };
// What #result shows: its text and how to get it as bytes of a page.
let result = null;
let engine = null;
let ops = null;
let wasmModule = null;
// Each new input or action takes a new number; answers for older ones are dropped.
let generation = 0;

// ---- the engine, here or in the Worker ----

async function compileWasm() {
  // Opened from disk, fetch cannot read files: the same bytes come as a script.
  if (location.protocol === 'file:') {
    await new Promise((resolve, reject) => {
      const script = document.createElement('script');
      script.src = 'cyrvert-wasm.js';
      script.onload = resolve;
      script.onerror = () => reject(new Error('cyrvert-wasm.js'));
      document.head.append(script);
    });
    const binary = atob(globalThis.cyrvertWasmBase64);
    delete globalThis.cyrvertWasmBase64;
    const bytes = new Uint8Array(binary.length);
    for (let i = 0; i < binary.length; ++i) bytes[i] = binary.charCodeAt(i);
    return WebAssembly.compile(bytes);
  }
  const response = await fetch('cyrvert.wasm');
  if (!response.ok) throw new Error(`cyrvert.wasm: ${response.status}`);
  // Streaming compiles while the bytes arrive; it needs the server to say application/wasm.
  if (WebAssembly.compileStreaming &&
      (response.headers.get('Content-Type') || '').startsWith('application/wasm')) {
    return WebAssembly.compileStreaming(response);
  }
  return WebAssembly.compile(await response.arrayBuffer());
}

// What the page asks of an engine: its functions, and the variant list without the variants'
// whole texts (a long input would otherwise send every one of them back at once).
function pageOps(engine) {
  return {
    ...engine,
    decodeList(bytes, options) {
      const report = engine.decode(bytes, options);
      return { ...report, candidates: report.candidates.map(({ output, ...rest }) => rest) };
    },
    decodeOne(bytes, options, index) {
      return engine.decode(bytes, options).candidates[index].output;
    },
  };
}

// The Worker's side: one engine over the module the page sends, one call per message.
function workerMain() {
  let workerEngine = null;
  self.onmessage = ({ data }) => {
    if (data.module) {
      workerEngine = pageOps(cyrvertEngine(data.module));
      return;
    }
    try {
      const value = workerEngine[data.op](...data.args);
      // The byte arrays are the Worker's own copies: hand them over rather than copy them again.
      const buffers = [];
      const collect = (item) => {
        if (item instanceof Uint8Array) buffers.push(item.buffer);
        else if (item && typeof item === 'object') Object.values(item).forEach(collect);
      };
      collect(value);
      self.postMessage({ id: data.id, value }, [...new Set(buffers)]);
    } catch (error) {
      self.postMessage({ id: data.id, error: String(error && error.message || error) });
    }
  };
}

let worker = null;
let workerJobs = new Map();
let workerNextId = 1;

function startWorker() {
  const source = `${cyrvertEngine}\n${pageOps}\n(${workerMain})();\n`;
  const url = URL.createObjectURL(new Blob([source], { type: 'text/javascript' }));
  worker = new Worker(url);
  URL.revokeObjectURL(url);
  worker.postMessage({ module: wasmModule });
  worker.onmessage = ({ data }) => {
    const job = workerJobs.get(data.id);
    if (!job) return;
    workerJobs.delete(data.id);
    if ('error' in data) job.reject(new Error(data.error));
    else job.resolve(data.value);
  };
  worker.onerror = (event) => {
    event.preventDefault();
    stopWorker(new Error(T.engineStopped));
  };
}

// Ends the Worker and whatever it was doing (a newer input makes that work useless).
function stopWorker(reason) {
  if (!worker) return;
  worker.terminate();
  worker = null;
  for (const job of workerJobs.values()) job.reject(reason);
  workerJobs.clear();
}

// Runs engine function `op`: here for a short input, in the Worker for a long one.
function run(op, args, size) {
  const here = size < kWorkerThreshold;
  document.documentElement.dataset.lastRun = here ? 'page' : 'worker';
  if (here) {
    try {
      return Promise.resolve(ops[op](...args));
    } catch (error) {
      return Promise.reject(error);
    }
  }
  if (!worker) startWorker();
  return new Promise((resolve, reject) => {
    const id = workerNextId++;
    workerJobs.set(id, { resolve, reject });
    worker.postMessage({ id, op, args });
  });
}

function inputSize() {
  return input.kind === 'file' ? input.bytes.length : input.text.length;
}

// The input as bytes: a file's own bytes, typed text as cp-1251 (as the editor holds text).
function inputBytes() {
  return input.kind === 'file' ? input.bytes : engine.textToPage(input.text, 'win');
}

// ---- showing results ----

function setText(id, text) {
  $(id).textContent = text;
}

// Shows `next` ({ text, bytesFor(page) }) in #result.
function showResult(next) {
  result = next;
  const text = next ? next.text : '';
  setText('result', text.length > kShownChars ? text.slice(0, kShownChars) : text);
  setText('result-note', text.length > kShownChars ? T.truncated(kShownChars, text.length) : '');
}

// A result held as bytes of `page` (shown as that page's characters).
function bytesResult(bytes, page) {
  const text = engine.pageToText(bytes, page);
  return {
    text,
    bytesFor: async (wanted) => (wanted === page ? bytes : engine.textToPage(text, wanted)),
  };
}

// The steps in words: the engine's own words in English; in Russian the same sentence made
// from the step codes (repair order, told from the first damage on).
function explainSteps(report) {
  if (language === 'en' || !report.steps) return report.explain;
  const name = (letter) => T.pageNames[letter] || letter;
  const parts = [];
  let page = 'W';
  for (const code of report.steps.split(',')) {
    if (code === 'U8') {
      parts.push(T.readAs('UTF-8', name(page)));
    } else if (code.startsWith('U2')) {
      page = code[2];
      parts.push(T.encodedUtf8(name(page)));
    } else {
      page = code[2];
      parts.push(T.readAs(name(code[0]), name(page)));
    }
  }
  return parts.reverse().join(T.then);
}

function showReport(report, ms) {
  const verdict = $('verdict');
  verdict.dataset.verdict = report.verdict;
  verdict.textContent = T[report.verdict] || report.verdict;
  setText('explain', explainSteps(report));
  setText('confidence', report.verdict === 'empty'
      ? '' : T.confidence(Math.round(report.confidence * 100)));
  setText('steps', report.steps ? T.steps(report.steps) : '');
  setText('timing', T.timing(ms.toFixed(1)));
  document.documentElement.dataset.repairMs = ms.toFixed(2);
}

// Repairs the current input; shows the verdict, the steps and the text.
async function repairInput() {
  const mine = ++generation;
  const started = performance.now();
  const source = input;
  if (inputSize() >= kWorkerThreshold) setText('verdict', T.working);
  let report;
  try {
    const args = source.kind === 'file' ? [source.bytes, { target: 'utf8' }]
                                        : [source.text, { target: 'utf8' }];
    report = await run('repair', args, inputSize());
  } catch (error) {
    if (mine === generation) setText('verdict', error.message);
    return;
  }
  if (mine !== generation) return;
  const ms = performance.now() - started;
  showReport(report, ms);
  showResult({
    text: report.text,
    bytesFor: async (page) => {
      if (page === 'utf8') return report.output;
      const again = source.kind === 'file' ? [source.bytes, { target: page }]
                                           : [source.text, { target: page }];
      return (await run('repair', again, inputSize())).output;
    },
  });
  document.documentElement.dataset.repaired = String(mine);
  const eightBit = report.steps !== '' && !report.steps.includes('U');
  setText('variants-status', '');
  $('variants').replaceChildren();
  if (eightBit || report.verdict === 'cannot repair') {
    if (eightBit) $('variants-panel').open = true;
    if ($('variants-panel').open) searchVariants();
  } else if (report.steps) {
    setText('variants-status', T.notEightBit);
  }
}

// The first engine's ranked variants of the input, with their previews.
async function searchVariants() {
  const mine = generation;
  const options = {
    depth: Number($('depth').value) || 0,
    sense: Number($('sense').value) || 0,
    nBest: Math.max(1, Number($('n-best').value) || 5),
    target: 'win',
  };
  setText('variants-status', T.searching);
  const bytes = inputBytes();
  let report;
  try {
    report = await run('decodeList', [bytes, options], inputSize());
  } catch (error) {
    setText('variants-status', error.message);
    return;
  }
  if (mine !== generation) return;
  const list = $('variants');
  list.replaceChildren();
  if (report.status === 4) return setText('variants-status', T.tooFewBytes);
  if (report.candidates.length === 0) return setText('variants-status', T.noVariants);
  setText('variants-status', T.variantCount(report.candidates.length));
  for (const [index, candidate] of report.candidates.entries()) {
    const item = document.createElement('li');
    const head = document.createElement('div');
    const label = document.createElement('span');
    label.className = 'history';
    label.textContent = `${candidate.history} ${candidate.score}`;
    const button = document.createElement('button');
    button.type = 'button';
    button.textContent = T.show;
    button.setAttribute('aria-label', `${T.show} ${candidate.history}`);
    button.addEventListener('click', async () => {
      const output = await run('decodeOne', [bytes, options, index], bytes.length);
      showResult(bytesResult(output, 'win'));
      setText('action-status', T.variantResult(candidate.history));
    });
    head.append(label, ' ', button);
    const preview = document.createElement('pre');
    preview.className = 'preview';
    preview.textContent = candidate.preview;
    item.append(head, preview);
    list.append(item);
  }
}

// Runs a manual tool on the input bytes (`args` makes its arguments from them) and shows its
// output (bytes as cp-1251).
async function runTool(op, args, message) {
  const mine = ++generation;
  setText('tools-status', T.working);
  let value;
  try {
    value = await run(op, args(inputBytes()), inputSize());
  } catch (error) {
    setText('tools-status', error.message);
    return;
  }
  if (mine !== generation) return;
  if (value instanceof Uint8Array) {
    showResult(bytesResult(value, 'win'));
    setText('tools-status', message);
  } else {
    showResult(bytesResult(value.output, 'win'));
    setText('tools-status', value.ok ? message : T.codecError(value.error));
  }
}

// ---- input ----

function setTextInput(text) {
  input = { kind: 'text', text };
  $('input').readOnly = false;
  setText('file-info', '');
  scheduleRepair(0);
}

// A file's bytes are the input; the box shows their start as cp-1251 and cannot be edited
// (Clear gives it back).
function setFileInput(name, bytes) {
  input = { kind: 'file', name, bytes };
  $('input').value = engine.pageToText(bytes.subarray(0, kShownChars), 'win');
  $('input').readOnly = true;
  setText('file-info', T.fileInfo(name, bytes.length));
  scheduleRepair(0);
}

let typingTimer = 0;
function scheduleRepair(delay) {
  clearTimeout(typingTimer);
  stopWorker(new Error('superseded'));
  if (!engine) return;
  typingTimer = setTimeout(repairInput, delay);
}

async function readFile(file) {
  setFileInput(file.name, new Uint8Array(await file.arrayBuffer()));
}

// `#text=` followed by URL-encoded UTF-8: the text to repair.
function readFragment() {
  const hash = location.hash;
  if (!hash.startsWith('#text=')) return false;
  let text;
  try {
    text = decodeURIComponent(hash.slice(6));
  } catch {
    setText('action-status', T.badFragment);
    return false;
  }
  $('input').value = text;
  setTextInput(text);
  return true;
}

// ---- output ----

function outputPage() {
  return $('out-page').value;
}

async function copyResult() {
  if (!result) return;
  const page = outputPage();
  // The clipboard takes characters: those the chosen page lacks become "?".
  const text = page === 'utf8' ? result.text
                               : engine.pageToText(await result.bytesFor(page), page);
  try {
    await navigator.clipboard.writeText(text);
    setText('action-status', T.copied);
  } catch {
    setText('action-status', T.copyFailed);
  }
}

async function downloadResult() {
  if (!result) return;
  const page = outputPage();
  const bytes = await result.bytesFor(page);
  const base = input.kind === 'file' ? input.name.replace(/\.[^.]*$/, '') : 'cyrvert';
  const name = `${base}-${page}.txt`;
  const link = document.createElement('a');
  link.href = URL.createObjectURL(new Blob([bytes], { type: 'application/octet-stream' }));
  link.download = name;
  document.body.append(link);
  link.click();
  link.remove();
  setTimeout(() => URL.revokeObjectURL(link.href), 10000);
  setText('action-status', T.downloaded(name));
}

async function shareLink() {
  if (input.kind !== 'text') return setText('action-status', T.linkFileInput);
  const base = location.href.replace(/#.*$/, '');
  const link = `${base}#text=${encodeURIComponent(input.text)}`;
  try {
    await navigator.clipboard.writeText(link);
    setText('action-status', T.linkCopied);
  } catch {
    setText('action-status', T.copyFailed);
  }
}

function useResult() {
  if (!result) return;
  $('input').value = result.text;
  setTextInput(result.text);
  $('input').focus();
}

// ---- set-up ----

function translatePage() {
  document.documentElement.lang = language;
  document.title = T.title;
  for (const element of document.querySelectorAll('[data-i18n]')) {
    element.textContent = T[element.dataset.i18n];
  }
}

function fillSelects() {
  for (const code of kConversions) $('conversion').append(new Option(code, code));
  for (const name of engine.codecNames()) {
    $('codec').append(new Option(T.codecNames[name] || name, name));
  }
}

function wireEvents() {
  $('input').addEventListener('input', () => {
    input = { kind: 'text', text: $('input').value };
    setText('file-info', '');
    scheduleRepair(kTypingPauseMs);
  });
  $('open-file').addEventListener('click', () => $('file').click());
  $('file').addEventListener('change', () => {
    if ($('file').files.length) readFile($('file').files[0]);
    $('file').value = '';
  });
  $('clear-input').addEventListener('click', () => {
    $('input').value = '';
    setTextInput('');
    $('input').focus();
  });
  const overlay = $('drop-overlay');
  let depth = 0;
  document.addEventListener('dragenter', (event) => {
    if (!event.dataTransfer.types.includes('Files')) return;
    ++depth;
    overlay.hidden = false;
  });
  document.addEventListener('dragleave', () => {
    if (--depth <= 0) { depth = 0; overlay.hidden = true; }
  });
  document.addEventListener('dragover', (event) => event.preventDefault());
  document.addEventListener('drop', (event) => {
    depth = 0;
    overlay.hidden = true;
    if (!event.dataTransfer.files.length) return;
    event.preventDefault();
    readFile(event.dataTransfer.files[0]);
  });
  $('copy').addEventListener('click', copyResult);
  $('download').addEventListener('click', downloadResult);
  $('share').addEventListener('click', shareLink);
  $('use-result').addEventListener('click', useResult);
  $('search').addEventListener('click', searchVariants);
  $('variants-panel').addEventListener('toggle', () => {
    if ($('variants-panel').open && !$('variants').children.length) searchVariants();
  });
  $('translate').addEventListener('click', () => {
    const code = $('conversion').value;
    runTool('translate', (bytes) => [bytes, code], T.translated(code));
  });
  $('set8bit').addEventListener('click', () => runTool('setEighthBit', (bytes) => [bytes], T.eighthBitSet));
  $('import').addEventListener('click', () => {
    const codec = $('codec').value;
    runTool('importCodec', (bytes) => [codec, bytes], T.imported(T.codecNames[codec] || codec));
  });
  $('export').addEventListener('click', () => {
    const codec = $('codec').value;
    runTool('exportCodec', (bytes) => [codec, bytes, { name: $('uu-name').value }],
            T.exported(T.codecNames[codec] || codec));
  });
  window.addEventListener('hashchange', readFragment);
}

async function main() {
  translatePage();
  wireEvents();
  try {
    wasmModule = await compileWasm();
    engine = cyrvertEngine(wasmModule);
    ops = pageOps(engine);
  } catch (error) {
    setText('verdict', T.loadFailed + error.message);
    return;
  }
  fillSelects();
  document.documentElement.dataset.readyMs = performance.now().toFixed(1);
  if (!readFragment()) {
    const typed = $('input').value;  // kept by the browser across a reload
    input = { kind: 'text', text: typed };
  }
  await repairInput();
  document.documentElement.dataset.ready = 'true';
}

main();
