// Takes the README's picture of the page in headless Chromium: a file damaged by a KOI8-R
// mix-up and its repair.
//   node web/screenshot.mjs [OUT.png]      (after scripts/web)
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import { launchChromium } from './test/browser.mjs';
import { serve } from './test/serve.mjs';

const root = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '..');
const webDir = path.resolve(process.env.CYRVERT_WEB_DIR || path.join(root, 'build/web'));
const out = path.resolve(process.argv[2] || path.join(root, 'docs/cyrvert-web.png'));

const server = await serve(webDir);
const browser = await launchChromium();
try {
  const page = await browser.newPage({ locale: 'en-US', viewport: { width: 960, height: 1040 } });
  await page.goto(server.url);
  await page.waitForSelector('html[data-ready]');
  await page.setInputFiles('#file', path.join(root, 'tests/data/win-w2k-K2W.txt'));
  await page.waitForSelector('#variants li');
  await page.screenshot({ path: out });
  console.log(out);
} finally {
  await browser.close();
  await server.close();
}
