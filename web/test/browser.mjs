// Headless Chromium for the page test and the benchmark (the system's chromium, driven by
// playwright-core; a fresh profile each launch).
import { chromium } from 'playwright-core';

export const kChromium = process.env.CYRVERT_CHROMIUM || '/usr/bin/chromium';

// Starts the browser with the flags that work without a display or a sandbox.
export function launchChromium() {
  return chromium.launch({
    executablePath: kChromium,
    args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
           '--disable-background-networking', '--disable-component-update', '--disable-sync'],
  });
}
