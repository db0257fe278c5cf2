// Figures for the web edition in headless Chromium: the page's size, the time from loading
// it to its first frame, and the main thread's work, frames and painted frames a second at
// rest on a hit and while the ray misses. Prints figures; asserts nothing.
import { statSync } from 'node:fs';
import { pathToFileURL } from 'node:url';

const { chromium } = await import(new URL('../tests/web/node_modules/playwright-core/index.mjs', import.meta.url));
const page = process.argv[2];
const FLAGS = ['--no-sandbox', '--disable-gpu', '--use-gl=swiftshader', '--enable-unsafe-swiftshader',
  '--disable-background-networking', '--disable-component-update', '--disable-sync', '--no-first-run'];
const browser = await chromium.launch({ executablePath: '/usr/bin/chromium', args: FLAGS });
const median = (values) => values.sort((a, b) => a - b)[values.length >> 1];

console.log(`page: ${(statSync(page).size / 1000).toFixed(0)} kB`);
const loads = [];
for (let i = 0; i < 7; ++i) {
  const tab = await browser.newPage();
  await tab.goto(pathToFileURL(page).href);
  await tab.waitForFunction(() => window.Module?.firstFrameAt > 0);
  loads.push(await tab.evaluate(() => Module.firstFrameAt));
  await tab.close();
}
console.log(`load to first frame: ${median(loads).toFixed(0)} ms (median of 7)`);

// The main thread's busy time and the frames drawn over three seconds, a second's worth.
for (const [name, query] of [['at rest on a hit', ''], ['while the ray misses', '?dir=-0.5,1']]) {
  const tab = await browser.newPage();
  const cdp = await tab.context().newCDPSession(tab);
  await cdp.send('Performance.enable');
  await tab.goto(pathToFileURL(page).href + query);
  await tab.waitForFunction(() => window.Module?.frames > 0);
  await tab.waitForTimeout(500);
  const busy = async () => (await cdp.send('Performance.getMetrics')).metrics
    .find((metric) => metric.name === 'TaskDuration').value;
  const counts = () => tab.evaluate(() => [Module.frames, Module.painted]);
  const [before, [frames, painted]] = [await busy(), await counts()];
  await tab.waitForTimeout(3000);
  const seconds = ((await busy()) - before) / 3;
  const [rate, paints] = (await counts()).map((n, i) => (n - [frames, painted][i]) / 3);
  console.log(`${name}: ${(seconds * 1000).toFixed(1)} ms of main-thread work a second (${(seconds * 100).toFixed(1)} % of a core), `
    + `${rate.toFixed(1)} frames a second, ${paints.toFixed(1)} of them painted`);
  await tab.close();
}
await browser.close();
