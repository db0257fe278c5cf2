// The web edition in Debian's Chromium, beside the desktop program: the same pictures, the
// same answers and the same controls, from a page opened from disk with no network.
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { existsSync } from 'node:fs';
import { after, before, test } from 'node:test';
import { pathToFileURL } from 'node:url';

const { RAYBOX_PAGE: PAGE, RAYBOX_PROGRAM: PROGRAM } = process.env;
const CHROMIUM = '/usr/bin/chromium';
const missing = [[CHROMIUM, 'Chromium'], [PAGE, 'the page (scripts/web.sh)'],
  [new URL('node_modules/playwright-core', import.meta.url), 'playwright-core (npm ci)']]
  .find(([path]) => !path || !existsSync(path));
if (missing) {
  console.log(`skipped: no ${missing[1]}`);
  process.exit(77);
}
const { chromium } = await import('playwright-core');
// Headless, offline, and never reaching for a network this machine does not have.
const FLAGS = ['--no-sandbox', '--disable-gpu', '--use-gl=swiftshader', '--enable-unsafe-swiftshader',
  '--disable-background-networking', '--disable-component-update', '--disable-sync', '--no-first-run'];
let browser;
const requests = [];
before(async () => { browser = await chromium.launch({ executablePath: CHROMIUM, args: FLAGS }); });
after(async () => browser.close());

// A command line's words as the page's URL query: --start 0 12 --about is ?start=0,12&about.
const toQuery = (words) => '?' + words.join(' ').split(/ ?--/).filter(Boolean)
  .map((option) => option.replace(' ', '=').replaceAll(' ', ',')).join('&');

// The page with a URL query, once its first frame is drawn: by default as wide as puts the
// picture at its own 640 x 480 pixels, one to one; or on a device of these settings.
async function open(query = '', device = { viewport: { width: 672, height: 1400 } }) {
  const page = await browser.newPage(device);
  page.on('request', (request) => requests.push(request.url()));
  await page.goto(pathToFileURL(PAGE).href + query);
  await page.waitForFunction(() => window.Module?.frames > 0);
  return page;
}
const call = (page, name, ...args) => page.evaluate(([n, a]) => Module.ccall(n, 'string',
  a.map((x) => typeof x), a), [name, args]);
const query = (page) => call(page, 'webQuery');
const frames = (page) => page.evaluate(() => Module.frames);
const consoleText = (page) => page.textContent('#console');
const settle = (page) => page.evaluate(() => new Promise((r) => requestAnimationFrame(() => r())));

// A canvas's RGBA pixels, handed out of the browser as base64.
const PIXELS = `(canvas) => {
  const bytes = canvas.getContext('2d').getImageData(0, 0, 640, 480).data;
  let text = '';
  for (let i = 0; i < bytes.length; i += 0x8000) {
    text += String.fromCharCode(...bytes.subarray(i, i + 0x8000));
  }
  return btoa(text);
}`;
const decoded = (base64) => Buffer.from(base64, 'base64');

// The console's texts: the help, and the two dialogues up to their first question.
const HELP = 'see menu ala\' right click;)\nif your to lazy {w,s,a,d} will modify the planes\n'
  + 'for the input routines, are *not* robust. They will break if you try to be clever\n'
  + 'only numbers like 1.234, etc..\n';
const START = 'ray data- config\nin the parenthess i give you \'safe\' values\n'
  + 'if you can\'t seem to hit a collision, it might because of your\ndirection. mess with the box values\n'
  + '*** Start position \nx(0 - 35) = ';
const DIRECTION = 'this data should be entered in unit circle cordinates [-1,1]\n'
  + 'if i not, i normalize them ;-)\nplease enter direction coords\nx = y = ';

// What the page shows, scene and texts as one picture.
const picture = async (page) => decoded(await page.evaluate(`(${PIXELS})((() => {
  const c = Object.assign(document.createElement('canvas'), { width: 640, height: 480 });
  c.getContext('2d').drawImage(document.getElementById('scene'), 0, 0);
  c.getContext('2d').drawImage(document.getElementById('texts'), 0, 0);
  return c;
})())`));

// The desktop program's snapshot of the same scene, decoded by the browser.
async function desktop(words) {
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
const at = (rgba, x, y) => [...rgba.subarray(4 * ((479 - y) * 640 + x), 4 * ((479 - y) * 640 + x) + 3)];
// Pixels of a text's colour in the rows a text at (x, y) takes up, and in the rows beyond.
function textRows(rgba, x, y, length, colour) {
  let inside = 0;
  let beyond = 0;
  for (let py = y - 8; py < y + 16; ++py) {
    for (let px = x; px < x + 9 * length; ++px) {
      const p = at(rgba, px, py);
      if (p.every((c, i) => Math.abs(c - colour[i]) < 96)) {
        (py >= y - 4 && py < y + 12 ? ++inside : ++beyond);
      }
    }
  }
  return { inside: inside > 20, beyond };
}

const RED = [255, 0, 0];
const YELLOW = [255, 255, 0];
// The README's gallery: command line, box corners (x0, y0, x1, y1 px), texts, a segment pixel.
const GALLERY = [
  ['', [80, 160, 240, 400], [[34, 34, 58, RED]], [32, 104]],
  ['--dir -0.5 1', [80, 160, 240, 400], [[34, 34, 15, YELLOW]], null],
  ['--start 10 20', [80, 160, 240, 400], [[400, 34, 26, YELLOW], [34, 34, 15, YELLOW]], null],
  ['--box 15 10 5 25 --start 0 12 --dir 1 0', [80, 160, 240, 400], [[34, 34, 58, RED]], [40, 192]],
  // On the box's face, moving in: the slab test's hit at t = 0 (the candidate planes: inside).
  ['--start 5 12 --dir 1 0 --method slab', [80, 160, 240, 400], [[34, 34, 58, RED]], null],
];

test('the gallery\'s scenes look as on the desktop', async () => {
  for (const [line, [x0, y0, x1, y1], texts, segment] of GALLERY) {
    const words = line.split(' ').filter(Boolean);
    const page = await open(toQuery(words));
    const [web, own] = [await picture(page), await desktop(words)];
    for (const [x, y] of [[x0 + 3, y0 + 3], [x1 - 3, y0 + 3], [x1 - 3, y1 - 3], [x0 + 3, y1 - 3],
      [(x0 + x1) >> 1, (y0 + y1) >> 1]]) {
      at(web, x, y).forEach((c, i) => assert.ok(Math.abs(c - at(own, x, y)[i]) <= 8, `${line} ${x},${y}`));
    }
    for (const [x, y, length, colour] of [[213, 457, 39, RED], [213, 427, 36, RED], ...texts]) {
      for (const rgba of [web, own]) {
        const rows = textRows(rgba, x, y, length, colour);
        assert.ok(rows.inside && rows.beyond < 10, `${line}: text at ${x},${y}: ${JSON.stringify(rows)}`);
      }
    }
    if (segment) {
      assert.deepEqual([at(web, ...segment), at(own, ...segment)].map((p) => p[2] < 64 && p[0] > 200),
        [true, true], `${line}: the yellow segment`);
    }
    await page.close();
  }
});

test('the page answers as --print --explain does, for three hundred scenes', async () => {
  const page = await open();
  const special = ['0', '-0', '5', '15', '1e-45', '-1e-45', '3.4e38', '-3.4e38', '1e30', '0.1'];
  const scenes = [['--start', '0', '5', '--dir', '1', '1'], ['--dir', '0', '0'], ['--dir', '2', '1'],
    ['--box', '15', '10', '5', '25', '--start', '0', '12', '--dir', '1', '0'],
    ['--start', '20', '28', '--dir', '1', '1'], ['--start', '0', '0', '--dir', '1e-30', '1', '--box', '1e30', '-1', '3e38', '1']];
  let seed = 19;
  const random = () => (seed = (seed * 1103515245 + 12345) % 2147483648) / 2147483648;
  const number = () => (random() < 0.4 ? special[Math.floor(random() * special.length)]
    : String(Math.round(random() * 60 - 20) / 2));
  while (scenes.length < 300) {
    scenes.push(['--start', number(), number(), '--dir', number(), number(),
      '--box', number(), number(), number(), number()]);
  }
  // Every other scene by the slab test.
  for (const [n, scene] of scenes.entries()) {
    const words = ['--print', '--explain', ...scene, ...(n % 2 ? ['--method', 'slab'] : [])];
    const own = execFileSync(PROGRAM, words).toString();
    assert.equal(await call(page, 'webPrint', words.join('\n')), own, words.join(' '));
  }
});

// A drag with a button from one place to another over two motions, in window pixels.
async function drag(page, button, [x0, y0], [x1, y1]) {
  const box = await page.locator('#scene').boundingBox();
  await page.mouse.move(box.x + x0, box.y + y0);
  await page.mouse.down({ button });
  await page.mouse.move(box.x + (x0 + x1) / 2, box.y + (y0 + y1) / 2);
  await page.mouse.move(box.x + x1, box.y + y1);
  await page.mouse.up({ button });
}
// Fingers on the picture, as the browser reports them: [type, finger, x, y] in window pixels.
const touches = (page, events) => page.evaluate((list) => {
  const scene = document.getElementById('scene');
  const box = scene.getBoundingClientRect();
  for (const [type, id, x, y] of list) {
    scene.dispatchEvent(new PointerEvent(type, { pointerType: 'touch', pointerId: id, isPrimary: id === 1,
      bubbles: true, button: 0, buttons: type === 'pointerup' ? 0 : 1,
      clientX: box.left + x * box.width / 640, clientY: box.top + y * box.height / 480 }));
  }
}, events);
// Opens the menu over the scene and picks an entry by its label.
async function pick(page, label) {
  const box = await page.locator('#scene').boundingBox();
  await page.mouse.click(box.x + 100, box.y + 100, { button: 'right' });
  await page.locator('#menu li', { hasText: label }).first().dispatchEvent('pointerup');
}

test('keys, drags, the menu and both dialogues work as on the desktop', async () => {
  const page = await open();
  const labels = await page.locator('#menu li').allTextContents();
  assert.deepEqual(labels, ['modify top plane', 'modify bottom plane', 'modify left plane',
    'modify right plane', '-------------------', 'change ray starting point',
    'change direction of ray', '-------------------', 'about', 'Help', 'candidate planes or slab test']);
  await page.keyboard.press('h');
  assert.match(await consoleText(page), /^see menu ala' right click;\)\n/);
  await page.keyboard.press('w');
  await drag(page, 'left', [300, 300], [300, 275]);
  await page.keyboard.press('a');
  await drag(page, 'middle', [100, 200], [150, 200]);
  await pick(page, 'modify bottom plane');
  await drag(page, 'left', [100, 150], [100, 175]);
  await pick(page, 'modify right plane');
  await drag(page, 'left', [200, 100], [175, 100]);
  await pick(page, 'about');
  assert.equal(await query(page), 'start=-1,0.5&dir=0.5,1&box=7,9,14,26&about');
  // The picture waits while the console panel asks; a bad word keeps the value.
  await pick(page, 'change ray starting point');
  const waiting = await frames(page);
  assert.match(await consoleText(page), /\*\*\* Start position \nx\(0 - 35\) = $/);
  await page.fill('#answer', 'abc');
  await page.press('#answer', 'Enter');
  assert.match(await consoleText(page), /not a number, keeping -1\.000000\ny\(0 -25\) = $/);
  assert.equal(await frames(page), waiting);
  // Meanwhile the menu waits too, and so does the picture.
  const box = await page.locator('#scene').boundingBox();
  await page.mouse.click(box.x + 100, box.y + 100, { button: 'right' });
  assert.equal(await page.isVisible('#menu'), false);
  await page.locator('#menu li', { hasText: 'about' }).first().dispatchEvent('pointerup');
  await settle(page);
  assert.equal(await frames(page), waiting);
  await page.fill('#answer', '20');
  await page.press('#answer', 'Enter');
  await pick(page, 'change direction of ray');
  await page.fill('#answer', '3 4');
  await page.press('#answer', 'Enter');
  assert.equal(await query(page), 'start=-1,20&dir=3,4&box=7,9,14,26&about');
  await pick(page, 'Help');
  // The whole transcript, each part once, each answer after its question, each new value
  // confirmed.
  assert.equal(await consoleText(page), HELP + START + 'abc\nnot a number, keeping -1.000000\ny(0 -25) = '
    + 'the menu waits until the question above is answered\n20\nthe ray now starts at (-1, 20)\n'
    + DIRECTION.replace('x = y = ', 'x = 3 4\ny = ')
    + 'after normalize = 0.600000 0.800000\ncoords are 0.600000 0.800000\n'
    + 'the ray\'s direction is now (0.6, 0.8)\n' + HELP);
  // The link hands out this scene.
  await page.click('#copy');
  const copy = await open('?' + (await page.inputValue('#link')).split('?')[1]);
  assert.equal(await query(copy), 'start=-1,20&dir=3,4&box=7,9,14,26&about');
});

test('the teaching view: its handles, by mouse and by touch, and its keys', async () => {
  const page = await open('?explain&start=3,6&dir=1,0');
  await drag(page, 'left', [48, 384], [160, 384]);
  assert.equal(await query(page), 'start=10,6&dir=1,0&box=5,10,15,25&explain');
  // A touch on the arrow head aims the ray straight up.
  await touches(page, [['pointerdown', 1, 202, 384], ['pointermove', 1, 160, 300], ['pointerup', 1, 160, 284]]);
  assert.equal(await query(page), 'start=10,6&dir=0,1&box=5,10,15,25&explain');
  const before = await frames(page);
  await page.keyboard.press('n');
  await settle(page);
  assert.ok(await frames(page) > before, 'a key redraws the teaching view');
});

test('the page says what it is, and what the picture shows in words', async () => {
  const page = await open('?explain');
  assert.equal(await page.textContent('h1'), 'Ray–box collision');
  assert.ok((await page.getAttribute('#scene', 'aria-label')).length > 0);
  assert.equal(await page.textContent('#outcome'), 'Collision at { X = 5.000000; Y = 12.500000; Z = 0.000000 }');
  assert.match(await page.textContent('#words'),
    /^ray start = -1\.000000 .*\nx: start -1 is below minX 5: candidate plane x = 5 at t = 12\n/s);
  // Focused, the canvas takes the keys; the outcome follows the scene.
  await page.focus('#scene');
  await pick(page, 'change direction of ray');
  await page.fill('#answer', '-0.5 1');
  await page.press('#answer', 'Enter');
  await page.waitForFunction(() => document.getElementById('outcome').textContent === 'No Intersection');
  // The slab test's button: its steps in words, its parameter in the link.
  await page.click('#method');
  await page.waitForFunction(() => document.getElementById('words').textContent.includes('overlap: t from'));
  assert.equal(await page.getAttribute('#method', 'aria-pressed'), 'true');
  assert.match(await query(page), /&explain&method=slab$/);
  assert.equal(await query(await open('?' + await query(page))), await query(page));
});

const PHONE = { viewport: { width: 375, height: 667 }, deviceScaleFactor: 2, isMobile: true, hasTouch: true };
const TABLET = { viewport: { width: 768, height: 1024 }, deviceScaleFactor: 2, isMobile: true, hasTouch: true };
const text = (page, id) => page.textContent('#' + id);

test('on a phone and a tablet: all in view, sharp, and everything by touch', async () => {
  for (const device of [PHONE, TABLET]) {
    const page = await open('?explain&start=3,6&dir=1,0', device);
    const size = device.viewport.width;
    const [wide, box, pixels] = await page.evaluate(() => [document.documentElement.scrollWidth,
      document.getElementById('scene').getBoundingClientRect().toJSON(), document.getElementById('scene').width]);
    assert.ok(wide <= size && box.x >= 0 && box.right <= size && box.height <= device.viewport.height, size);
    assert.equal(pixels, Math.round(box.width * 2), `${size}: the canvas's own pixels follow the pixel ratio`);
    for (const control of await page.locator('button:visible, input:visible').all()) {
      const { x, width } = await control.boundingBox();
      assert.ok(x >= 0 && x + width <= size, `${size}: ${await control.textContent()} out of reach`);
    }
    // The start dot dragged; the top edge tapped and dragged up a unit; the walk by buttons.
    await touches(page, [['pointerdown', 1, 48, 384], ['pointermove', 1, 160, 384], ['pointerup', 1, 160, 384]]);
    await touches(page, [['pointerdown', 1, 160, 82], ['pointermove', 1, 160, 70], ['pointermove', 1, 160, 57],
      ['pointerup', 1, 160, 57]]);
    assert.equal(await query(page), 'start=10,6&dir=1,0&box=5,10,15,26&explain');
    for (const [button, walk] of [['next step', 'step 1 of 5'], ['next step', 'step 2 of 5'],
      ['previous step', 'step 1 of 5'], ['all steps', 'all 5 steps']]) {
      await page.getByRole('button', { name: button }).tap();
      assert.equal(await text(page, 'walk'), walk);
    }
    // The menu by a long press and by its button; a pinch zooms.
    await touches(page, [['pointerdown', 1, 400, 300]]);
    await page.waitForSelector('#menu', { state: 'visible' });
    await touches(page, [['pointerup', 1, 400, 300]]);
    await page.getByRole('menuitem', { name: 'about' }).tap();
    await page.getByRole('button', { name: 'menu' }).tap();
    await page.getByRole('menuitem', { name: 'about' }).tap();
    assert.equal(await query(page), 'start=10,6&dir=1,0&box=5,10,15,26&explain');
    // A pinch zooms in a step of the wheel about the fingers' middle.
    const [pinched, wheeled] = [await open('?explain', device), await open('?explain', device)];
    await touches(pinched, [['pointerdown', 1, 290, 300], ['pointerdown', 2, 350, 300],
      ['pointermove', 2, 370, 300], ['pointermove', 1, 270, 300], ['pointerup', 1, 270, 300], ['pointerup', 2, 370, 300]]);
    await wheeled.evaluate(() => {
      Module.ccall('webPointer', 'number', Array(5).fill('number'), [3, 1, 330, 300, 0]);
      document.getElementById('explain').dispatchEvent(new Event('change'));
    });
    await Promise.all([settle(pinched), settle(wheeled)]);
    assert.deepEqual(await picture(pinched), await picture(wheeled), `${size}: the pinch zoomed in a step`);
    assert.notDeepEqual(await picture(pinched), await picture(page));
    await page.close();
  }
});

// A finger as the phone's screen reports it, through the browser's own input: steps of
// ['down' | 'move', x, y] in the program's window pixels, ['hold', ms] and ['up'].
async function finger(page, steps) {
  const cdp = await page.context().newCDPSession(page);
  const box = await page.locator('#scene').boundingBox();
  let at = [0, 0];
  for (const [kind, x, y] of steps) {
    if (kind === 'hold') {
      await page.waitForTimeout(x);
      continue;
    }
    at = kind === 'up' ? at : [box.x + x * box.width / 640, box.y + y * box.height / 480];
    await cdp.send('Input.dispatchTouchEvent', { type: { down: 'touchStart', move: 'touchMove', up: 'touchEnd' }[kind],
      touchPoints: kind === 'up' ? [] : [{ x: at[0], y: at[1] }] });
  }
  await cdp.detach();
}

test('gestures as sequences: press, hold, move and release', async () => {
  // The steps, whether the menu is open after them, and the scene.
  const gestures = [
    // A finger that drags the start dot and then rests is still dragging: no menu.
    [[['down', 48, 384], ['move', 80, 384], ['move', 112, 384], ['hold', 800], ['up']], false,
      'start=7,6&dir=1,0&box=5,10,15,25&explain'],
    // Held still, it opens the menu.
    [[['down', 400, 300], ['hold', 800]], true, 'start=3,6&dir=1,0&box=5,10,15,25&explain'],
  ];
  for (const [steps, menu, scene] of gestures) {
    const page = await open('?explain&start=3,6&dir=1,0', PHONE);
    await finger(page, steps);
    assert.equal(await page.isVisible('#menu'), menu, JSON.stringify(steps));
    assert.equal(await query(page), scene, JSON.stringify(steps));
    await page.close();
  }
});

test('by keyboard alone: the picture, its walk, the menu and a dialogue', async () => {
  const page = await open('?explain');
  const focused = () => page.evaluate(() => document.activeElement.id || document.activeElement.textContent);
  await page.keyboard.press('Tab');
  assert.equal(await focused(), 'scene');
  await page.keyboard.press('n');
  await page.keyboard.press('n');
  assert.equal(await text(page, 'current'), 'step 2 of 7: y: start 0.5 is below minY 10: candidate plane y = 10 at t = 9.5');
  // The menu opens on its first entry, moves round, closes back to the picture.
  for (const [key, now] of [['Shift+F10', 'modify top plane'], ['ArrowUp', 'candidate planes or slab test'], ['Home', 'modify top plane'],
    ['Escape', 'scene'], ['ContextMenu', 'modify top plane'], ['ArrowDown', 'modify bottom plane'],
    ['ArrowDown', 'modify left plane'], ['ArrowDown', 'modify right plane'],
    ['ArrowDown', 'change ray starting point'], ['Enter', 'answer']]) {
    await page.keyboard.press(key);
    assert.equal(await focused(), now, key);
  }
  for (const answer of ['3', '4']) {
    await page.keyboard.type(answer);
    await page.keyboard.press('Enter');
  }
  assert.match(await consoleText(page), /x\(0 - 35\) = 3\ny\(0 -25\) = 4\nthe ray now starts at \(3, 4\)\n$/);
  // Escape gives a dialogue up, the ray as it was and the picture going again.
  await page.focus('#scene');
  await page.keyboard.press('Shift+F10');
  await page.keyboard.press('End');
  for (let up = 0; up < 3; ++up) {
    await page.keyboard.press('ArrowUp');
  }
  await page.keyboard.press('Enter');
  await page.keyboard.type('9');
  await page.keyboard.press('Enter');
  await page.keyboard.press('Escape');
  assert.match(await consoleText(page), /\nx = 9\ny = \ncancelled: the ray is as it was\n$/);
  const drawn = await frames(page);
  await page.focus('#scene');
  await page.keyboard.press('w');
  await settle(page);
  assert.ok(await frames(page) > drawn);
  assert.equal(await query(page), 'start=3,4&dir=0.5,1&box=5,10,15,25&explain');
  // Keys typed into a field are the field's.
  await page.focus('#dir-x');
  await page.keyboard.type('sd');
  assert.equal(await page.getAttribute('[data-key=w]', 'aria-pressed'), 'true');
});

test('what a screen reader reads, the fields\' words, and no serious axe finding', async () => {
  for (const colorScheme of ['light', 'dark']) {
    const page = await open('', { viewport: { width: 1366, height: 768 }, colorScheme });
    await page.addScriptTag({ path: new URL('node_modules/axe-core/axe.min.js', import.meta.url).pathname });
    const { violations } = await page.evaluate(() => axe.run());
    assert.deepEqual(violations.filter((v) => v.impact === 'serious' || v.impact === 'critical')
      .map((v) => `${v.id}: ${v.nodes.map((n) => n.target).join(' ')}`), [], colorScheme);
    assert.ok(await page.getByRole('img', { name: /the box and the ray/ }).isVisible());
    for (const name of ['top', 'bottom', 'left', 'right', 'previous step', 'next step', 'all steps', 'frame',
      'unframe', 'zoom in', 'zoom out', 'menu', 'about', 'help', 'copy link', 'set start', 'set direction']) {
      assert.equal(await page.getByRole('button', { name, exact: true }).count(), 1, name);
    }
    await page.close();
  }
  // The fields take numbers by the dialogue's rule and say what it would say.
  const page = await open();
  for (const [form, x, y, said, scene] of [
    ['start', 'abc', ' 7 ', 'x: not a number, keeping -1.000000\nthe ray now starts at (-1, 7)\n', 'start=-1,7&dir=0.5,1'],
    ['start', '1e39', '1e-50', 'x: out of range, keeping -1.000000\ny: out of range, keeping 7.000000\n'
      + 'the ray now starts at (-1, 7)\n', 'start=-1,7&dir=0.5,1'],
    ['dir', '3', '4', 'after normalize = 0.6 0.8\nthe ray\'s direction is now (0.6, 0.8)\n', 'start=-1,7&dir=3,4'],
    ['start', '10', '20', 'the ray now starts at (10, 20)\n', 'start=10,20&dir=3,4']]) {
    await page.fill(`#${form}-x`, x);
    await page.fill(`#${form}-y`, y);
    await page.press(`#${form}-y`, 'Enter');
    assert.equal(await text(page, 'said'), said);
    assert.equal(await query(page), scene + '&box=5,10,15,25');
  }
  await page.waitForFunction(() => document.getElementById('outcome').textContent === 'start point is inside box.');
});

test('?frame frames the teaching view', async () => {
  const [plain, framed] = [await open('?explain'), await open('?explain&frame')];
  assert.notDeepEqual(await picture(plain), await picture(framed));
});

test('a miss runs the test at 30 frames a second at most, painting nothing unchanged; a hit asks for no frames', async () => {
  for (const [line, misses] of [['?dir=-0.5,1', true], ['?dir=-0.5,1&explain', true], ['', false], ['?start=10,20', false]]) {
    const page = await open(line);
    const counts = () => page.evaluate(() => [Module.frames, Module.painted]);
    const [first, painted] = await counts();
    await page.waitForTimeout(1000);
    const [drawn, repainted] = (await counts()).map((n, i) => n - [first, painted][i]);
    assert.ok(misses ? drawn > 10 && drawn <= 31 : drawn === 0, `${line}: ${drawn} frames`);
    assert.equal(repainted, 0, `${line}: nothing changed, nothing painted`);
    // A change is painted at once, the miss going on.
    await page.click('[data-menu=m]');
    await page.waitForFunction((n) => Module.painted > n, painted);
  }
});

test('a refused value in the URL is named, and the defaults stand', async () => {
  // A value is its words split at commas only, each as given; parameters are options.
  for (const [line, why] of [['?start=1,x', '\'--start\': \'x\' is not a decimal number'],
    ['?start=1%0A2', '\'--start\': \'1\\n2\' is not a decimal number'],
    ['?start=,1,,2,', '\'--start\': \'\' is not a decimal number'],
    ['?start=1%0A--about', '\'--start\': \'1\\n--about\' is not a decimal number'],
    ['?about%0A-geometry=10x10', ' \'--about\\n-geometry\'']]) {
    const page = await open(line);
    const refusal = why[0] === ' ' ? 'unknown option' + why : 'option ' + why;
    assert.equal(await page.textContent('#refused'), `ray-box-collision: ${refusal} (the defaults stand)`);
    assert.equal(await query(page), 'start=-1,0.5&dir=0.5,1&box=5,10,15,25');
    await page.close();
  }
  // Too long to hand over: refused before the program sees it, which goes on working.
  const long = await open('?start=1,' + '1'.repeat(2000000));
  assert.match(await long.textContent('#refused'), /query of 2000009 characters is too long/);
  await pick(long, 'change ray starting point');
  await long.fill('#answer', '1'.repeat(2000000));
  await long.press('#answer', 'Enter');
  await long.fill('#answer', '7 8');
  await long.press('#answer', 'Enter');
  assert.match(await consoleText(long), /an answer of 2000000 characters is too long/);
  assert.equal(await query(long), 'start=7,8&dir=0.5,1&box=5,10,15,25');
});

test('the page keeps its console short, its keys to the scene and its link whole', async () => {
  const page = await open('#notes');
  await page.evaluate(() => {
    for (let i = 0; i < 3000; ++i) {
      document.body.dispatchEvent(new KeyboardEvent('keydown', { key: 'h', bubbles: true }));
    }
  });
  const lines = (await consoleText(page)).split('\n');
  assert.ok(lines.length <= 501 && lines.at(-2) === 'only numbers like 1.234, etc..', lines.length);
  // A key typed into another control is that control's.
  await page.evaluate(() => { document.getElementById('console').textContent = ''; });
  await page.focus('#link');
  await page.keyboard.press('h');
  assert.equal(await consoleText(page), '');
  await pick(page, 'about');
  await page.click('#copy');
  const link = await page.inputValue('#link');
  assert.ok(!link.includes('#'), link);
  assert.equal(await query(await open('?' + link.split('?')[1])), 'start=-1,0.5&dir=0.5,1&box=5,10,15,25&about');
  // Zoomed far out, a drag to the corner still gives a start that a link can hold.
  const far = await open('?explain&start=20,5');
  await far.evaluate(() => {
    const scene = document.getElementById('scene');
    const { left, top } = scene.getBoundingClientRect();
    for (let i = 0; i < 400; ++i) {
      scene.dispatchEvent(new WheelEvent('wheel', { deltaY: 100, clientX: left + 320, clientY: top + 400, cancelable: true }));
    }
  });
  await drag(far, 'left', [320, 400], [639, 0]);
  const reached = await query(far);
  assert.ok(!/inf|nan/i.test(reached), reached);
  const again = await open('?' + reached);
  assert.equal(await again.isVisible('#refused'), false);
  assert.equal(await query(again), reached);
});

test('without WebGL the page says so instead of a blank canvas', async () => {
  const plain = await chromium.launch({ executablePath: CHROMIUM, args: [...FLAGS, '--disable-webgl', '--disable-3d-apis'] });
  const page = await plain.newPage();
  await page.goto(pathToFileURL(PAGE).href);
  await page.waitForSelector('#nowebgl', { state: 'visible' });
  assert.equal(await page.isVisible('#stage'), false);
  await plain.close();
});

test('nothing is asked of the network', () => {
  assert.ok(requests.length > 0);
  assert.deepEqual(requests.filter((url) => !url.startsWith(pathToFileURL(PAGE).href)), []);
});
