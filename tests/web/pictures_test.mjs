// The page's pictures and answers beside the desktop program's: the same scenes look the
// same, --print says the same, a miss paces its frames; and without WebGL, a word instead.
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { test } from 'node:test';
import { pathToFileURL } from 'node:url';
import { FLAGS, CHROMIUM, PAGE, PROGRAM, at, call, chromium, desktop, open, picture, toQuery } from './support.mjs';

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

// The number line of t: on each of its rows, x's, y's and the entry's or the overlap's, the
// run of the row's colour from its first pixel to its last, past the rows' names.
test('the number line of t on the page is the window\'s', async () => {
  const ROWS = [[136, [255, 140, 140]], [120, [128, 191, 255]], [104, [255, 255, 255]]];
  const runs = (rgba) => ROWS.map(([y, colour]) => {
    const xs = [...Array(555).keys()].map((x) => x + 85)
      .filter((x) => at(rgba, x, y).every((c, i) => Math.abs(c - colour[i]) < 40));
    return xs.length ? [xs[0], xs.at(-1)] : [];
  });
  for (const line of ['--explain --method slab', '--explain --method slab --start 0 15 --dir 1 -1',
    '--explain --method slab --dir -0.5 1', '--explain', '--explain --method exact --start 5 12 --dir 0 1']) {
    const words = line.split(' ');
    const page = await open(toQuery(words));
    const [web, own] = [runs(await picture(page)), runs(await desktop(words))];
    assert.ok(own.flat().length >= 4, `${line}: ${JSON.stringify(own)}`);
    own.forEach((run, i) => assert.ok(run.length === web[i].length && run.every((x, j) => Math.abs(x - web[i][j]) <= 2),
      `${line}: ${JSON.stringify(web)} against ${JSON.stringify(own)}`));
    await page.close();
  }
});

// The 3D view: its faces and slabs the same colours on the page as in the window, on a grid
// over the picture, at every lit point where the window's picture is flat round it (no edge
// or letter, which the two draw each their own way).
test('the 3D view on the page is the window\'s', async () => {
  const near = (a, b, most) => a.every((c, i) => Math.abs(c - b[i]) <= most);
  for (const line of ['--view 3d', '--view 3d --explain --method slab',
    '--view 3d --explain --ray 0,12,-5,1,0.25,1,5,10,-2,15,25,3 --turn 60 30']) {
    const words = line.split(' ');
    const page = await open(toQuery(words));
    const [web, own] = [await picture(page), await desktop(words)];
    const unlike = [];
    let flat = 0;
    for (let y = 160; y < 420; y += 5) {
      for (let x = 5; x < 635; x += 5) {
        const b = at(own, x, y);
        if (b.some((c) => c > 40) && [[-3, 0], [3, 0], [0, -3], [0, 3]].every(([dx, dy]) => near(at(own, x + dx, y + dy), b, 8))) {
          ++flat;
          if (!near(at(web, x, y), b, 24)) {
            unlike.push(`${x},${y}: ${at(web, x, y)} against ${b}`);
          }
        }
      }
    }
    assert.ok(flat > 150 && unlike.length <= flat * 0.02, `${line}: ${flat} points; ${unlike.join('; ')}`);
    await page.close();
  }
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

test('without WebGL the page says so instead of a blank canvas', async () => {
  const plain = await chromium.launch({ executablePath: CHROMIUM, args: [...FLAGS, '--disable-webgl', '--disable-3d-apis'] });
  const page = await plain.newPage();
  await page.goto(pathToFileURL(PAGE).href);
  await page.waitForSelector('#nowebgl', { state: 'visible' });
  assert.equal(await page.isVisible('#stage'), false);
  await plain.close();
});

