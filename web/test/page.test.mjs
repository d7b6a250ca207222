// The page in headless Chromium, served from a local server: paste, drop a file, download,
// the #text= link, a 10 MB file in the Worker, the tools, the language, and that nothing is
// requested from any other origin or stored. Expected bytes come from cyrvert-cli.
import { after, before, describe, test } from 'node:test';
import assert from 'node:assert/strict';
import { spawnSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { fileURLToPath, pathToFileURL } from 'node:url';
import { launchChromium } from './browser.mjs';
import { serve } from './serve.mjs';

const root = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '../..');
const webDir = path.resolve(process.env.CYRVERT_WEB_DIR || path.join(root, 'build/web'));
const cli = path.resolve(process.env.CYRVERT_CLI || path.join(root, 'build/release/cli/cyrvert-cli'));
const sample = (name) => path.join(root, 'tests/data', name);
const scratch = fs.mkdtempSync(path.join(os.tmpdir(), 'cyrvert-page-'));
const cyrvert = await import(pathToFileURL(path.join(webDir, 'cyrvert.js')));
// Russian UTF-8 as a Windows program shows it ("РџСЂРёРІРµС‚"): what people paste.
const mojibake = cyrvert.pageToText(fs.readFileSync(sample('smart/utf8-U8.txt')), 'win');

function cliOutput(args, file) {
  const run = spawnSync(cli, [...args, file], { maxBuffer: 1 << 28 });
  assert.ok(run.status === 0 || run.status === 3, `${cli} ${args.join(' ')}: ${run.stderr}`);
  return run.stdout;
}

let server;
let browser;
// Every request any page made that was not refused by the page's policy: [page, url].
const requests = [];

before(async () => {
  server = await serve(webDir);
  browser = await launchChromium();
});
after(async () => {
  await browser?.close();
  await server?.close();
  fs.rmSync(scratch, { recursive: true, force: true });
});

// A new page in its own context (locale as given), loaded and ready.
async function openPage({ locale = 'en-US', fragment = '' } = {}) {
  const context = await browser.newContext({ locale, acceptDownloads: true });
  const page = await context.newPage();
  const errors = [];
  page.on('pageerror', (error) => errors.push(error.message));
  context.on('requestfinished', (request) => requests.push([page.url(), request.url()]));
  context.on('requestfailed', (request) => {
    if (!/csp/i.test(request.failure().errorText)) {
      requests.push([page.url(), request.url()]);
    }
  });
  await page.goto(server.url + fragment);
  await page.waitForSelector('html[data-ready]');
  page.errors = errors;
  return page;
}

// Waits for the repair of the newest input and gives the verdict and the text shown.
async function repaired(page, before) {
  await page.waitForFunction((old) => document.documentElement.dataset.repaired !== old, before);
  return {
    verdict: await page.getAttribute('#verdict', 'data-verdict'),
    text: await page.textContent('#result'),
  };
}

async function lastRepair(page) {
  return page.evaluate(() => document.documentElement.dataset.repaired);
}

// Drops the bytes of `file` on the page as a browser does with a dragged file.
async function dropFile(page, name, bytes) {
  const data = await page.evaluateHandle(({ name, base64 }) => {
    const binary = atob(base64);
    const array = Uint8Array.from(binary, (c) => c.charCodeAt(0));
    const transfer = new DataTransfer();
    transfer.items.add(new File([array], name));
    return transfer;
  }, { name, base64: Buffer.from(bytes).toString('base64') });
  for (const type of ['dragenter', 'dragover', 'drop']) {
    await page.dispatchEvent('body', type, { dataTransfer: data });
  }
}

function toolsSay(page, words) {
  return page.waitForFunction((w) => document.getElementById('tools-status').textContent.includes(w),
                              words);
}

async function download(page, outPage) {
  await page.selectOption('#out-page', outPage);
  const [file] = await Promise.all([page.waitForEvent('download'), page.click('#download')]);
  return fs.readFileSync(await file.path());
}

describe('the page', () => {
  test('pasted mojibake is repaired as the module repairs the string', async () => {
    const page = await openPage();
    const mark = await lastRepair(page);
    await page.fill('#input', mojibake);
    const { verdict, text } = await repaired(page, mark);
    const want = cyrvert.repair(mojibake);
    assert.equal(verdict, 'repaired');
    assert.equal(text, want.text);
    assert.deepEqual(page.errors, []);
    await page.context().close();
  });

  test('a dropped file is repaired from its bytes, and downloads in every page', async () => {
    const page = await openPage();
    const file = sample('smart/w2k-utf8-U2W_K2W.txt');
    const mark = await lastRepair(page);
    await dropFile(page, 'letter.txt', fs.readFileSync(file));
    const { verdict, text } = await repaired(page, mark);
    assert.equal(verdict, 'repaired');
    assert.equal(text, cliOutput(['repair', '--utf8'], file).toString());
    assert.match(await page.textContent('#explain'), /KOI8-R read as cp-1251/);
    for (const [outPage, flags] of [['win', ['--target', 'win']], ['koi', ['--target', 'koi']],
                                    ['dos', ['--target', 'dos']], ['iso', ['--target', 'iso']],
                                    ['utf8', ['--utf8']]]) {
      assert.deepEqual(await download(page, outPage), cliOutput(['repair', ...flags], file), outPage);
    }
    await page.context().close();
  });

  test('a file chosen with the button is read as bytes too', async () => {
    const page = await openPage();
    const file = sample('koi-win-W2K.txt');
    const mark = await lastRepair(page);
    await page.setInputFiles('#file', file);
    const { text } = await repaired(page, mark);
    assert.equal(text, cliOutput(['repair', '--utf8'], file).toString());
    await page.context().close();
  });

  test('a #text= link repairs its text at once, also when the fragment changes', async () => {
    const page = await openPage({ fragment: `#text=${encodeURIComponent(mojibake)}` });
    assert.equal(await page.inputValue('#input'), mojibake);
    assert.equal(await page.getAttribute('#verdict', 'data-verdict'), 'repaired');
    assert.equal(await page.textContent('#result'), cyrvert.repair(mojibake).text);
    const mark = await lastRepair(page);
    await page.evaluate(() => { location.hash = '#text=%D0%9F%D1%80%D0%B8%D0%B2%D0%B5%D1%82'; });
    await repaired(page, mark);
    assert.equal(await page.inputValue('#input'), 'Привет');
    await page.context().close();
  });

  test('a 10 MB file is repaired in the Worker while the page keeps running', async () => {
    const page = await openPage();
    const piece = fs.readFileSync(sample('smart/w2k-utf8-U2W_K2W.txt'));
    const big = Buffer.concat(Array(Math.ceil((10 << 20) / piece.length)).fill(piece));
    const bigFile = path.join(scratch, 'big.txt');
    fs.writeFileSync(bigFile, big);
    // Timer ticks on the page's thread while the engine works: none if it blocked the thread.
    await page.evaluate(() => {
      window.ticks = 0;
      setInterval(() => { if (document.documentElement.dataset.lastRun === 'worker') ++window.ticks; }, 5);
    });
    const mark = await lastRepair(page);
    await page.setInputFiles('#file', bigFile);
    const { verdict } = await repaired(page, mark);
    assert.equal(verdict, 'repaired');
    assert.equal(await page.evaluate(() => document.documentElement.dataset.lastRun), 'worker');
    assert.ok(await page.evaluate(() => window.ticks) > 0, 'the page ran while the Worker worked');
    assert.match(await page.textContent('#result-note'), /first/);
    assert.ok((await download(page, 'utf8')).equals(cliOutput(['repair', '--utf8'], bigFile)));
    await page.context().close();
  });

  test('the variant search, the conversions and the codecs', async () => {
    const page = await openPage();
    const file = sample('win-w2k-K2W.txt');
    const mark = await lastRepair(page);
    await page.setInputFiles('#file', file);
    await repaired(page, mark);
    // 8-bit damage opens the ranked list of the variant search.
    await page.waitForSelector('#variants li');
    const first = cliOutput(['decode', '--list'], file).toString().split('\n')[0].split('\t');
    assert.equal(await page.textContent('#variants li .history'), `${first[1]} ${first[0]}`);
    await page.click('#variants li button');
    assert.equal(await page.textContent('#result'),
                 cliOutput(['decode', '--utf8'], file).toString());
    await page.click('#tools-panel summary');
    await page.selectOption('#conversion', 'W2K');
    await page.click('#translate');
    await toolsSay(page, 'Converted W2K');
    assert.deepEqual(await download(page, 'win'), cliOutput(['translate', 'W2K'], file));
    await page.selectOption('#codec', 'base64');
    await page.click('#export');
    await toolsSay(page, 'Exported to base64');
    assert.deepEqual(await download(page, 'win'), cliOutput(['export', 'base64'], file));
    await page.context().close();
  });

  test('Russian for a Russian browser', async () => {
    const page = await openPage({ locale: 'ru-RU',
                                  fragment: '#text=' + encodeURIComponent(mojibake) });
    assert.equal(await page.getAttribute('html', 'lang'), 'ru');
    assert.equal(await page.textContent('#verdict'), 'Исправлено');
    assert.match(await page.textContent('#explain'), /UTF-8 прочитан как cp-1251/);
    assert.equal(await page.textContent('#download'), 'Скачать');
    await page.context().close();
  });

  test('every control has a name and is reached with the keyboard', async () => {
    const page = await openPage();
    await page.evaluate(() => { for (const d of document.querySelectorAll('details')) d.open = true; });
    const unnamed = await page.evaluate(() => [...document.querySelectorAll(
        'input:not([type=file]), select, textarea, button')]
        .filter((e) => !(e.labels && e.labels.length) && !e.getAttribute('aria-label') &&
                       !e.textContent.trim())
        .map((e) => e.id));
    assert.deepEqual(unnamed, []);
    const reached = new Set();
    for (let i = 0; i < 40; ++i) {
      await page.keyboard.press('Tab');
      reached.add(await page.evaluate(() => document.activeElement.id));
    }
    for (const id of ['input', 'open-file', 'result', 'out-page', 'copy', 'download', 'share',
                      'depth', 'search', 'conversion', 'translate', 'codec', 'import', 'export']) {
      assert.ok(reached.has(id), `${id} is reached with Tab`);
    }
    await page.context().close();
  });

  test('nothing is asked of another origin, allowed to leave, or stored', async () => {
    const page = await openPage();
    await page.fill('#input', mojibake);
    const blocked = await page.evaluate(async () => {
      const violations = [];
      document.addEventListener('securitypolicyviolation', (e) => violations.push(e.blockedURI));
      const outcome = await fetch('https://example.org/x').then(() => 'sent', () => 'refused');
      const image = new Image();
      image.src = 'https://example.org/pixel.png';
      await new Promise((resolve) => { image.onerror = resolve; image.onload = resolve; });
      await new Promise((resolve) => setTimeout(resolve, 100));
      return { outcome, violations };
    });
    assert.equal(blocked.outcome, 'refused');
    assert.equal(blocked.violations.length, 2, 'the policy refused both requests');
    const stored = await page.evaluate(async () => ({
      local: localStorage.length,
      session: sessionStorage.length,
      cookie: document.cookie,
      databases: (await indexedDB.databases()).length,
    }));
    assert.deepEqual(stored, { local: 0, session: 0, cookie: '', databases: 0 });
    const origin = new URL(server.url).origin;
    const outside = requests.filter(([, url]) => !url.startsWith(origin) &&
                                                 !url.startsWith('blob:') && !url.startsWith('data:'));
    assert.deepEqual(outside, []);
    await page.context().close();
  });

  test('Copy and Copy link put the result and a repairing link on the clipboard', async () => {
    const page = await openPage({ fragment: `#text=${encodeURIComponent(mojibake)}` });
    await page.context().grantPermissions(['clipboard-read', 'clipboard-write'],
                                          { origin: new URL(server.url).origin });
    const clipboard = () => page.evaluate(() => navigator.clipboard.readText());
    await page.click('#copy');
    assert.equal(await clipboard(), cyrvert.repair(mojibake).text);
    // As ISO-8859-5, the letters it lacks would be "?"; Russian has none missing there.
    await page.selectOption('#out-page', 'iso');
    await page.click('#copy');
    assert.equal(await clipboard(), cyrvert.repair(mojibake).text);
    await page.click('#share');
    assert.equal(await clipboard(), `${server.url}#text=${encodeURIComponent(mojibake)}`);
    await page.context().close();
  });

  test('the module works in a browser page too', async () => {
    const page = await openPage();
    const verdict = await page.evaluate(async (text) => {
      const module = await import('./cyrvert.js');
      return module.repair(text).verdict;
    }, mojibake);
    assert.equal(verdict, 'repaired');
    await page.context().close();
  });

  test('the page opens from disk', async () => {
    const context = await browser.newContext();
    const page = await context.newPage();
    await page.goto(pathToFileURL(path.join(webDir, 'index.html')).href + '#text=' +
                    encodeURIComponent(mojibake));
    await page.waitForSelector('html[data-ready]');
    assert.equal(await page.getAttribute('#verdict', 'data-verdict'), 'repaired');
    await context.close();
  });
});
