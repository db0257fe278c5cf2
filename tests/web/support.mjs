// What the browser tests share: Debian's Chromium, headless and offline, driven by
// playwright-core; the page opened from disk; the program's calls; pictures, fingers and
// the desktop program's snapshots. Any request that leaves the page fails the file.
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { existsSync } from 'node:fs';
import { after, before } from 'node:test';
import { pathToFileURL } from 'node:url';

export const { RAYBOX_PAGE: PAGE, RAYBOX_PROGRAM: PROGRAM } = process.env;
export const CHROMIUM = '/usr/bin/chromium';
const missing = [[CHROMIUM, 'Chromium'], [PAGE, 'the page (scripts/web.sh)'],
  [new URL('node_modules/playwright-core', import.meta.url), 'playwright-core (npm ci)']]
  .find(([path]) => !path || !existsSync(path));
if (missing) {
  console.log(`skipped: no ${missing[1]}`);
  process.exit(77);
}
export const { chromium } = await import('playwright-core');
// Never reaching for a network this machine does not have.
export const FLAGS = ['--no-sandbox', '--disable-gpu', '--use-gl=swiftshader', '--enable-unsafe-swiftshader',
  '--disable-background-networking', '--disable-component-update', '--disable-sync', '--no-first-run'];
let browser;
const requests = [];
before(async () => { browser = await chromium.launch({ executablePath: CHROMIUM, args: FLAGS }); });
after(async () => {
  await browser.close();
  assert.ok(requests.length > 0);
  assert.deepEqual(requests.filter((url) => !url.startsWith(pathToFileURL(PAGE).href)), [], 'the network');
});
export const newPage = (device) => browser.newPage(device);

export const PHONE = { viewport: { width: 375, height: 667 }, deviceScaleFactor: 2, isMobile: true, hasTouch: true };
export const TABLET = { viewport: { width: 768, height: 1024 }, deviceScaleFactor: 2, isMobile: true, hasTouch: true };
// As wide as puts the picture at 640 x 480 CSS pixels, the program's own size.
export const DESK = { viewport: { width: 672, height: 1400 } };

// A command line's words as the page's URL query: --start 0 12 --about is ?start=0,12&about.
export const toQuery = (words) => '?' + words.join(' ').split(/ ?--/).filter(Boolean)
  .map((option) => option.replace(' ', '=').replaceAll(' ', ',')).join('&');

// The page with a URL query, once its first frame is drawn; a script to run before the
// page's own.
export async function open(query = '', device = DESK, init = '') {
  const page = await browser.newPage(device);
  page.on('request', (request) => requests.push(request.url()));
  await page.addInitScript(init);
  await page.goto(pathToFileURL(PAGE).href + query);
  await page.waitForFunction(() => window.Module?.frames > 0);
  return page;
}
export const call = (page, name, ...args) => page.evaluate(([n, a]) => Module.ccall(n, 'string',
  a.map((x) => typeof x), a), [name, args]);
export const query = (page) => call(page, 'webQuery');
export const frames = (page) => page.evaluate(() => Module.frames);
export const consoleText = (page) => page.textContent('#console');
export const text = (page, id) => page.textContent('#' + id);
export const settle = (page) => page.evaluate(() => new Promise((r) => requestAnimationFrame(() => r())));

// The console's texts: the help, and the two dialogues up to their first question.
export const HELP = 'see menu ala\' right click;)\nif your to lazy {w,s,a,d} will modify the planes\n'
  + 'for the input routines, are *not* robust. They will break if you try to be clever\n'
  + 'only numbers like 1.234, etc..\n';
export const START = 'ray data- config\nin the parenthess i give you \'safe\' values\n'
  + 'if you can\'t seem to hit a collision, it might because of your\ndirection. mess with the box values\n'
  + '*** Start position \nx(0 - 35) = ';
export const DIRECTION = 'this data should be entered in unit circle cordinates [-1,1]\n'
  + 'if i not, i normalize them ;-)\nplease enter direction coords\nx = y = ';

// A canvas's RGBA pixels at 640 x 480, handed out of the browser as base64.
const PIXELS = `(canvas) => {
  const bytes = canvas.getContext('2d').getImageData(0, 0, 640, 480).data;
  let text = '';
  for (let i = 0; i < bytes.length; i += 0x8000) {
    text += String.fromCharCode(...bytes.subarray(i, i + 0x8000));
  }
  return btoa(text);
}`;
const decoded = (base64) => Buffer.from(base64, 'base64');

// What the page shows, scene and texts as one picture.
export const picture = async (page) => decoded(await page.evaluate(`(${PIXELS})((() => {
  const c = Object.assign(document.createElement('canvas'), { width: 640, height: 480 });
  c.getContext('2d').drawImage(document.getElementById('scene'), 0, 0);
  c.getContext('2d').drawImage(document.getElementById('texts'), 0, 0);
  return c;
})())`));

// The desktop program's snapshot of the same scene, decoded by the browser.
export async function desktop(words) {
  const png = execFileSync(PROGRAM, [...words, '--snapshot', '-']).toString('base64');
  const page = await browser.newPage();
  const rgba = await page.evaluate(`(async () => {
    const image = new Image();
    image.src = 'data:image/png;base64,${png}';
    await image.decode();
    const c = Object.assign(document.createElement('canvas'), { width: 640, height: 480 });
    c.getContext('2d').drawImage(image, 0, 0);
    return (${PIXELS})(c);
  })()`);
  await page.close();
  return decoded(rgba);
}

// The pixel at (x, y) from the bottom-left corner, as GL counts.
export const at = (rgba, x, y) => [...rgba.subarray(4 * ((479 - y) * 640 + x), 4 * ((479 - y) * 640 + x) + 3)];

// Where a scene point lies on the page, in CSS pixels of the window, by the part of the
// scene the picture shows.
export async function onPage(page, [x, y]) {
  const box = await page.locator('#scene').boundingBox();
  const [originX, originY, units] = JSON.parse(await call(page, 'webShown')).view;
  const perUnit = box.width / await page.evaluate(() => view.wide) / units;
  return [box.x + (x - originX) * perUnit, box.y + box.height - (y - originY) * perUnit];
}

// A drag with a button from one place to another over two motions, in CSS pixels of the
// picture.
export async function drag(page, button, [x0, y0], [x1, y1]) {
  const box = await page.locator('#scene').boundingBox();
  await page.mouse.move(box.x + x0, box.y + y0);
  await page.mouse.down({ button });
  await page.mouse.move(box.x + (x0 + x1) / 2, box.y + (y0 + y1) / 2);
  await page.mouse.move(box.x + x1, box.y + y1);
  await page.mouse.up({ button });
}

// A finger as the screen reports it, through the browser's own input: steps of
// ['down' | 'move', x, y] in CSS pixels of the window, ['hold', ms] and ['up'].
export async function finger(page, steps) {
  const cdp = await page.context().newCDPSession(page);
  let point = [0, 0];
  for (const [kind, x, y] of steps) {
    if (kind === 'hold') {
      await page.waitForTimeout(x);
      continue;
    }
    point = kind === 'up' ? point : [x, y];
    await cdp.send('Input.dispatchTouchEvent', { type: { down: 'touchStart', move: 'touchMove', up: 'touchEnd' }[kind],
      touchPoints: kind === 'up' ? [] : [{ x: point[0], y: point[1] }] });
  }
  await cdp.detach();
}

// Opens the menu over the picture and clicks an entry by its label.
export async function pick(page, label) {
  const box = await page.locator('#scene').boundingBox();
  await page.mouse.click(box.x + 100, box.y + 100, { button: 'right' });
  await page.locator('#menu li', { hasText: label }).first().click();
}
