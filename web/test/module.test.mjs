// The ES module against cyrvert-cli on the shared samples: every answer must be the CLI's,
// byte for byte. CYRVERT_WEB_DIR names the built module's folder (build/web), CYRVERT_CLI the
// native cyrvert-cli built from the same tree.
import { describe, test } from 'node:test';
import assert from 'node:assert/strict';
import { spawnSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { fileURLToPath, pathToFileURL } from 'node:url';

const root = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '../..');
const webDir = path.resolve(process.env.CYRVERT_WEB_DIR || path.join(root, 'build/web'));
const cli = path.resolve(process.env.CYRVERT_CLI || path.join(root, 'build/release/cli/cyrvert-cli'));
const cyrvert = await import(pathToFileURL(path.join(webDir, 'cyrvert.js')));

const dataDirs = ['tests/data', 'tests/data/smart'].map((dir) => path.join(root, dir));
const samples = dataDirs.flatMap((dir) => fs.readdirSync(dir)
    .filter((name) => name.endsWith('.txt')).map((name) => path.join(dir, name)));
// Inputs the samples lack: nothing, too few letters, one byte of each value, and what the
// codecs must refuse.
const extra = {
  'empty': new Uint8Array(0),
  'short': new TextEncoder().encode('Ok, \xe0\xe1.'),
  'all-bytes': Uint8Array.from({ length: 256 }, (_, i) => i),
  'broken-base64': new TextEncoder().encode('Zm9v!!!=\n'),
  'broken-utf7': new TextEncoder().encode('+BD8EQAQ4-x +\xff-'),
  'broken-uu': new TextEncoder().encode('begin 644 x\nM86)C\n'),
};

// Every input as [name, bytes].
const inputs = [
  ...samples.map((file) => [path.relative(root, file), new Uint8Array(fs.readFileSync(file))]),
  ...Object.entries(extra),
];

// Runs cyrvert-cli on `bytes` (as a file: a refused option leaves standard input unread);
// { status, stdout (bytes), stderr (text) }.
const scratch = fs.mkdtempSync(path.join(os.tmpdir(), 'cyrvert-web-'));
process.on('exit', () => fs.rmSync(scratch, { recursive: true, force: true }));
function runCli(args, bytes) {
  const file = path.join(scratch, 'input');
  fs.writeFileSync(file, bytes);
  const run = spawnSync(cli, [...args, file], { maxBuffer: 1 << 28 });
  if (run.error) throw run.error;
  return { status: run.status, stdout: new Uint8Array(run.stdout), stderr: run.stderr.toString() };
}

function sameBytes(actual, expected, message) {
  assert.ok(actual instanceof Uint8Array, `${message}: not a Uint8Array`);
  assert.equal(Buffer.from(actual).toString('hex'), Buffer.from(expected).toString('hex'), message);
}

test('cyrvert-cli is there', () => {
  assert.ok(fs.existsSync(cli), `build cyrvert-cli first (CYRVERT_CLI=${cli})`);
});

describe('repair of bytes gives what cyrvert-cli repair gives', () => {
  const targets = [['win', ['--target', 'win']], ['koi', ['--target', 'koi']],
                   ['dos', ['--target', 'dos']], ['iso', ['--target', 'iso']], ['utf8', ['--utf8']]];
  for (const [name, bytes] of inputs) {
    test(name, () => {
      for (const [target, flags] of targets) {
        // The verdict depends on the form written: a text already right in it is not damaged.
        const json = JSON.parse(Buffer.from(runCli(['repair', '--json', ...flags], bytes).stdout).toString());
        const report = cyrvert.repair(bytes, { target });
        const want = runCli(['repair', ...flags], bytes);
        sameBytes(report.output, want.stdout, `${target} output`);
        assert.equal(report.exitStatus, want.status, `${target} exit status`);
        assert.equal(report.verdict, json.verdict);
        assert.equal(report.steps, json.steps ?? '');
        assert.equal(report.explain, json.explain ?? '');
        assert.equal(Math.round(report.confidence * 100) / 100, json.confidence);
      }
      assert.equal(cyrvert.repair(bytes).page, 'win', 'bytes are written as cp-1251 by default');
    });
  }
});

describe('repair of a string repairs text that arrived as characters', () => {
  // The original Russian of each repairable sample, damaged as a browser would show it.
  const original = cyrvert.pageToText(fs.readFileSync(path.join(root, 'tests/data/win-original.txt')));
  const utf8 = new TextEncoder().encode(original);
  const cases = [
    { name: 'UTF-8 read as cp-1251', text: cyrvert.pageToText(utf8, 'win') },
    { name: 'KOI8-R read as cp-1251', text: cyrvert.pageToText(cyrvert.textToPage(original, 'koi'), 'win') },
    { name: 'clean text', text: original, verdict: 'not damaged' },
    { name: 'cp-1251 read as KOI8-R', text: cyrvert.pageToText(cyrvert.textToPage(original, 'win'), 'koi') },
  ];
  for (const { name, text, verdict = 'repaired', todo } of cases) {
    test(name, { todo }, () => {
      const report = cyrvert.repair(text);
      assert.equal(report.verdict, verdict);
      assert.equal(report.page, 'utf8');
      assert.equal(report.text, original);
      sameBytes(report.output, utf8, 'output is UTF-8');
    });
  }
  test('a string written in a code page', () => {
    const report = cyrvert.repair(cases[0].text, { target: 'koi' });
    sameBytes(report.output, cyrvert.textToPage(original, 'koi'), 'KOI8-R bytes');
    assert.equal(report.text, original);
  });
});

describe('decode gives what cyrvert-cli decode --list gives', () => {
  const optionSets = [
    { depth: 3, sense: 2, nBest: 5, target: 'win' },
    { depth: 1, sense: 0, nBest: 0, target: 'koi' },
    { depth: 5, sense: 6, nBest: 3, target: 'dos', bigLetters: true },
    { depth: 9, sense: 2, nBest: 5, target: 'iso' },  // out of range: status 2
  ];
  for (const [name, bytes] of inputs) {
    test(name, () => {
      for (const options of optionSets) {
        const args = ['decode', '--list', '--depth', String(options.depth), '--sense',
                      String(options.sense), '--best', String(options.nBest), '--target', options.target];
        if (options.bigLetters) args.push('--big-letters');
        const want = runCli(args, bytes);
        const report = cyrvert.decode(bytes, options);
        assert.equal(report.status, want.status, `${args.join(' ')}: status`);
        const lines = report.candidates.map((candidate) => Buffer.concat([
          Buffer.from(`${candidate.score}\t${candidate.history}\t`),
          Buffer.from(candidate.preview), Buffer.from('\n')]));
        sameBytes(new Uint8Array(Buffer.concat(lines)), want.stdout, `${args.join(' ')}: list`);
        if (report.status !== 0) {
          assert.ok(want.stderr.includes(report.message.trim().split('\n')[0]), 'message');
        }
        if (report.candidates.length > 0) {
          // The best candidate's whole text is what decode (without --list) writes.
          // Without --list decode writes one text, so it takes no --best.
          const single = args.filter((arg) => arg !== '--list');
          single.splice(single.indexOf('--best'), 2);
          const best = runCli(single, bytes);
          sameBytes(report.candidates[0].output, best.stdout, `${args.join(' ')}: best text`);
        }
      }
    });
  }
});

describe('translate and set8bit give what cyrvert-cli gives', () => {
  const codes = ['D2K', 'K2D', 'D2W', 'W2D', 'W2K', 'K2W', 'D2I', 'I2D', 'K2I', 'I2K', 'W2I', 'I2W'];
  for (const [name, bytes] of inputs) {
    test(name, () => {
      for (const code of codes) {
        sameBytes(cyrvert.translate(bytes, code), runCli(['translate', code], bytes).stdout, code);
      }
      sameBytes(cyrvert.setEighthBit(bytes), runCli(['set8bit'], bytes).stdout, 'set8bit');
    });
  }
});

describe('import and export give what cyrvert-cli gives', () => {
  const codecs = cyrvert.codecNames();
  test('codec names', () => {
    assert.deepEqual(codecs, ['utf7', 'utf8', 'qp', 'base64', 'uu', 'unix']);
  });
  for (const [name, bytes] of inputs) {
    test(name, () => {
      for (const codec of codecs) {
        // Only uuencode writes a name; cyrvert-cli refuses --name for the others.
        const named = codec === 'uu';
        const exported = cyrvert.exportCodec(codec, bytes, named ? { name: 'x y.txt' } : {});
        const wantExport = runCli(['export', codec, ...(named ? ['--name', 'x y.txt'] : [])], bytes);
        sameBytes(exported.output, wantExport.stdout, `export ${codec}`);
        assert.equal(exported.ok, wantExport.status === 0, `export ${codec} status`);
        // Import both the encoded text (a round trip) and the raw sample (often an error).
        for (const [what, source] of [['exported', exported.output], ['raw', bytes]]) {
          const imported = cyrvert.importCodec(codec, source);
          const want = runCli(['import', codec], source);
          sameBytes(imported.output, want.stdout, `import ${codec} of ${what}`);
          assert.equal(imported.ok, want.status === 0, `import ${codec} of ${what}: status`);
          if (!imported.ok) assert.ok(want.stderr.includes(imported.error.split(' (')[0]), 'error');
        }
      }
    });
  }
});

describe('bad arguments', () => {
  const cases = [
    ['an unknown conversion', () => cyrvert.translate(new Uint8Array(1), 'W2W'), RangeError],
    ['an unknown page', () => cyrvert.repair(new Uint8Array(1), { target: 'cp1252' }), RangeError],
    ['a string where bytes are due', () => cyrvert.translate('text', 'W2K'), TypeError],
    ['decode into UTF-8', () => cyrvert.decode(new Uint8Array(1), { target: 'utf8' }), RangeError],
  ];
  for (const [name, call, type] of cases) test(name, () => assert.throws(call, type));
  test('an unknown codec is an error value', () => {
    const result = cyrvert.importCodec('rot13', new Uint8Array(1));
    assert.equal(result.ok, false);
    assert.notEqual(result.error, '');
  });
  test('page names', () => {
    for (const [name, number] of [['koi8-r', 2], ['cp866', 1], ['latin1', null], [4, 4]]) {
      if (number === null) assert.throws(() => cyrvert.pageByName(name), RangeError);
      else assert.equal(cyrvert.pageByName(name), number);
    }
  });
});

test('a long input survives the memory growing (and stays byte for byte)', () => {
  const sample = fs.readFileSync(path.join(root, 'tests/data/smart/w2k-utf8-U2W_K2W.txt'));
  const big = new Uint8Array(Buffer.concat(Array(Math.ceil((8 << 20) / sample.length)).fill(sample)));
  const report = cyrvert.repair(big, { target: 'utf8' });
  assert.equal(report.steps, 'U2W,K2W');
  sameBytes(report.output, runCli(['repair', '--utf8'], big).stdout, 'output');
});

test('an engine of its own from the bytes of cyrvert.wasm', () => {
  const engine = cyrvert.createEngine(fs.readFileSync(path.join(webDir, 'cyrvert.wasm')));
  assert.equal(engine.repair(fs.readFileSync(samples[0])).verdict,
               cyrvert.repair(fs.readFileSync(samples[0])).verdict);
});
