// Measures the page against its goals in headless Chromium from a local static server: what it
// downloads (gzip), how soon it is ready, how long a 20 KB repair takes in the page, and how the
// page keeps running while a 10 MB file is repaired in the Worker.
//   node web/bench.mjs [RUNS]        (after scripts/web; CYRVERT_WEB_DIR as for the tests)
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import zlib from 'node:zlib';
import { fileURLToPath } from 'node:url';
import { launchChromium } from './test/browser.mjs';
import { spawn } from 'node:child_process';
import readline from 'node:readline';

const root = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '..');
const webDir = path.resolve(process.env.CYRVERT_WEB_DIR || path.join(root, 'build/web'));
const runs = Number(process.argv[2]) || 15;
const scratch = fs.mkdtempSync(path.join(os.tmpdir(), 'cyrvert-bench-'));

const median = (values) => [...values].sort((a, b) => a - b)[Math.floor(values.length / 2)];
const summary = (values, unit = 'ms') =>
    `median ${median(values).toFixed(1)} ${unit}, min ${Math.min(...values).toFixed(1)}, ` +
    `max ${Math.max(...values).toFixed(1)} (${values.length} runs)`;

// What a visit downloads, each file gzipped (-9) as a static host would send it.
let total = 0;
for (const file of ['index.html', 'style.css', 'page.js', 'cyrvert.wasm']) {
  const size = zlib.gzipSync(fs.readFileSync(path.join(webDir, file)), { level: 9 }).length;
  total += size;
  console.log(`gzip ${file.padEnd(14)} ${(size / 1024).toFixed(1).padStart(7)} KB`);
}
console.log(`gzip page total     ${(total / 1024).toFixed(1).padStart(7)} KB (goal <= 250 KB)`);
const moduleSize = zlib.gzipSync(fs.readFileSync(path.join(webDir, 'cyrvert.js')), { level: 9 }).length;
console.log(`gzip module cyrvert.js ${(moduleSize / 1024).toFixed(1)} KB (+ cyrvert.wasm)`);

// 20 KB of damaged text (UTF-8 read as cp-1251 after a KOI8-R mix-up) and 10 MB of the same.
const piece = fs.readFileSync(path.join(root, 'tests/data/smart/w2k-utf8-U2W_K2W.txt'));
const repeat = (size) => Buffer.concat(Array(Math.ceil(size / piece.length)).fill(piece)).subarray(0, size);
const files = [20 * 1024, 20 * 1024 + 1].map((size, i) => {
  const file = path.join(scratch, `twenty-${i}.txt`);
  fs.writeFileSync(file, repeat(size));
  return file;
});
const bigFile = path.join(scratch, 'ten-mb.txt');
fs.writeFileSync(bigFile, repeat(10 << 20));

// The server runs in a process of its own, as a real one would.
const serverProcess = spawn(process.execPath, [path.join(root, 'web/test/serve.mjs'), webDir],
                            { stdio: ['ignore', 'pipe', 'inherit'] });
const server = {
  url: await new Promise((resolve) => readline.createInterface({ input: serverProcess.stdout })
      .once('line', resolve)),
  close: () => serverProcess.kill(),
};
const browser = await launchChromium();
try {
  // Ready: from the start of navigation to the engine compiled and the first repair possible.
  const ready = [];
  const afterHtml = [];
  for (let i = 0; i < runs; ++i) {
    const context = await browser.newContext();
    const page = await context.newPage();
    await page.goto(server.url);
    await page.waitForSelector('html[data-ready]');
    const [readyMs, htmlMs] = await page.evaluate(() => [
      Number(document.documentElement.dataset.readyMs),
      performance.getEntriesByType('navigation')[0].responseEnd]);
    ready.push(readyMs);
    afterHtml.push(readyMs - htmlMs);
    await context.close();
  }
  console.log(`page ready (engine compiled): ${summary(ready)} (goal <= 300 ms)`);
  console.log(`  of which after the HTML arrived: ${summary(afterHtml)}`);
  console.log(`  load average while measuring: ${os.loadavg().map((l) => l.toFixed(1)).join(' ')}`);

  const page = await (await browser.newContext()).newPage();
  await page.goto(server.url);
  await page.waitForSelector('html[data-ready]');
  const repairOf = async (action) => {
    const before = await page.evaluate(() => document.documentElement.dataset.repaired);
    await action();
    await page.waitForFunction((old) => document.documentElement.dataset.repaired !== old, before);
    return Number(await page.evaluate(() => document.documentElement.dataset.repairMs));
  };
  // The page's own measure: from the start of the repair to the result in hand.
  const bytes = [];
  for (let i = 0; i < runs; ++i) bytes.push(await repairOf(() => page.setInputFiles('#file', files[i % 2])));
  console.log(`20 KB file repair in the page: ${summary(bytes)} (goal <= 30 ms)`);
  await page.click('#clear-input');  // a file's bytes leave the box read-only until cleared
  const text = repeat(20 * 1024).toString('latin1');
  const typed = [];
  for (let i = 0; i < runs; ++i) typed.push(await repairOf(() => page.fill('#input', text + i)));
  console.log(`20 KB pasted text repair in the page: ${summary(typed)}`);

  // 10 MB: the longest the page's thread went without running a 1 ms timer meanwhile.
  await page.evaluate(() => {
    window.longestGap = 0;
    let last = performance.now();
    setInterval(() => {
      const now = performance.now();
      window.longestGap = Math.max(window.longestGap, now - last);
      last = now;
    }, 1);
  });
  // The same measure over an idle second, for what the machine's load alone does.
  await page.waitForTimeout(1000);
  const idleGap = await page.evaluate(() => window.longestGap);
  await page.evaluate(() => { window.longestGap = 0; });
  const started = Date.now();
  const bigMs = await repairOf(() => page.setInputFiles('#file', bigFile));
  const wall = Date.now() - started;
  const gap = await page.evaluate(() => window.longestGap);
  console.log(`10 MB file: repaired in ${bigMs.toFixed(0)} ms (${wall} ms with reading the file); ` +
              `longest stall of the page's thread ${gap.toFixed(0)} ms (idle: ${idleGap.toFixed(0)} ms); ` +
              `ran in the ` +
              `${await page.evaluate(() => document.documentElement.dataset.lastRun)}`);
} finally {
  await browser.close();
  await server.close();
  fs.rmSync(scratch, { recursive: true, force: true });
}
