// The page in a learner's hands on a phone and a tablet: all of it in view and sharp, no
// text under 12 CSS px, every handle and edge held by a finger that lands near it, gestures
// as a finger makes them, a menu that picks nothing by itself, and a question asked where
// the learner is.
import assert from 'node:assert/strict';
import { test } from 'node:test';
import { DESK, PHONE, TABLET, finger, onPage, open, picture, query, settle, text } from './support.mjs';

// Every text drawn on a canvas, with its size in CSS pixels.
const MEASURE = `window.drawn = [];
  const fill = CanvasRenderingContext2D.prototype.fillText;
  CanvasRenderingContext2D.prototype.fillText = function (...args) {
    drawn.push([args[0], parseFloat(this.font) * this.getTransform().d / devicePixelRatio]);
    return fill.apply(this, args);
  };`;

test('on a phone and a tablet: all in view, sharp, and no text under 12 CSS px', async () => {
  for (const device of [PHONE, TABLET]) {
    for (const scene of ['?explain&start=3,6&dir=1,0', '?explain&method=slab&frame', '?start=-3.4e38,12&explain']) {
      const page = await open(scene, device, MEASURE);
      const size = device.viewport.width;
      const [wide, box, pixels, drawn, pageTexts] = await page.evaluate(() => [document.documentElement.scrollWidth,
        document.getElementById('scene').getBoundingClientRect().toJSON(), document.getElementById('scene').width,
        window.drawn, [...document.querySelectorAll('#outcome, #status, #steps li, #said, #walk')]
          .filter((e) => e.offsetParent).map((e) => [e.textContent, parseFloat(getComputedStyle(e).fontSize)])]);
      assert.ok(wide <= size && box.x >= 0 && box.right <= size && box.height <= device.viewport.height, size);
      assert.equal(pixels, Math.round(box.width * 2), `${size}: the canvas's own pixels follow the pixel ratio`);
      assert.ok(drawn.length + pageTexts.length > 2, `${size} ${scene}: texts measured`);
      for (const [words, px] of [...drawn, ...pageTexts]) {
        assert.ok(px >= 12, `${size} ${scene}: '${words}' at ${px} px`);
      }
      // The picture's texts are within it.
      for (const control of await page.locator('button:visible, input:visible').all()) {
        const { x, width } = await control.boundingBox();
        assert.ok(x >= 0 && x + width <= size, `${size}: ${await control.textContent()} out of reach`);
      }
      await page.close();
    }
  }
});

// What a gesture changed in the scene: the start, the direction, a plane, or nothing.
function changed(before, after) {
  const [a, b] = [before, after].map((q) => Object.fromEntries(new URLSearchParams(q)));
  const planes = ['left', 'bottom', 'right', 'top'];
  const plane = a.box.split(',').findIndex((v, i) => v !== b.box.split(',')[i]);
  return a.start !== b.start ? 'start' : a.dir !== b.dir ? 'direction' : plane >= 0 ? planes[plane] : 'nothing';
}

test('a finger takes the nearest handle or edge within 22 px of where it lands; on nothing, nothing moves', async () => {
  for (const device of [PHONE, TABLET]) {
    const targets = [
      // What the finger is for, where it lies in the scene (the arrow head's middle 70 of the
      // program's pixels above the start), and which way the finger lands off it.
      ['start', [20, 5], 0, [0, 1]], ['direction', [20, 5], 70, [1, 0]], ['left', [5, 17.5], 0, [-1, 0]],
      ['right', [15, 17.5], 0, [-1, 0]], ['top', [10, 25], 0, [0, -1]], ['bottom', [10, 10], 0, [0, 1]],
    ];
    for (const [what, point, above, away] of targets) {
      for (const off of [0, 10, 20]) {
        const page = await open('?explain&start=20,5&dir=0,1', device);
        const scale = await page.evaluate(() => view.scale);
        const [x, y] = await onPage(page, point);
        const at = [x + away[0] * off, y - above / scale + away[1] * off];
        const before = await query(page);
        await finger(page, [['down', ...at], ['move', at[0] + 8, at[1] - 8], ['move', at[0] + 16, at[1] - 16], ['up']]);
        assert.equal(changed(before, await query(page)), what, `${device.viewport.width}: ${what}, ${off} px off`);
        await page.close();
      }
    }
    // A finger on nothing, the top plane selected before: nothing moves.
    const page = await open('?explain&start=20,5&dir=0,1', device);
    await page.getByRole('button', { name: 'top' }).tap();
    const before = await query(page);
    const [x, y] = await onPage(page, [27, 27]);
    await finger(page, [['down', x, y], ['move', x + 10, y - 20], ['move', x + 20, y - 40], ['up']]);
    assert.equal(changed(before, await query(page)), 'nothing');
    await page.close();
  }
});

test('gestures as sequences: press, hold, move and release', async () => {
  // The steps in scene units, whether the menu is open after them, and the start after.
  const gestures = [
    // A finger that drags the start dot and then rests is still dragging: no menu.
    [[['down', 3, 6], ['move', 5, 6], ['move', 7, 6], ['hold', 800], ['up']], false, '7,6'],
    // Held still, it opens the menu, and letting go picks nothing.
    [[['down', 25, 18], ['hold', 800], ['up']], true, '3,6'],
    // Lifted before the hold, it is no long press.
    [[['down', 25, 18], ['hold', 300], ['up'], ['hold', 500]], false, '3,6'],
  ];
  for (const [steps, menu, start] of gestures) {
    const page = await open('?explain&start=3,6&dir=1,0', PHONE);
    const onScreen = [];
    for (const [kind, ...point] of steps) {
      onScreen.push(kind === 'down' || kind === 'move' ? [kind, ...await onPage(page, point)] : [kind, ...point]);
    }
    await finger(page, onScreen);
    assert.equal(await page.isVisible('#menu'), menu, JSON.stringify(steps));
    const [x, y] = (await query(page)).match(/start=([^&]*)/)[1].split(',').map(Number);
    assert.equal([x, y].map(Math.round).join(','), start, JSON.stringify(steps));
    await page.close();
  }
});

// Twenty places over the picture, in CSS pixels from its top-left corner.
const places = (box) => Array.from({ length: 20 }, (_, i) =>
  [box.x + box.width * (0.1 + 0.2 * (i % 5)), box.y + box.height * (0.12 + 0.25 * Math.floor(i / 5))]);

test('a right click and a long press open the menu where it fits, and pick nothing until an entry is chosen', async () => {
  for (const device of [DESK, PHONE]) {
    const page = await open('?explain', device);
    const box = await page.locator('#scene').boundingBox();
    const before = [await query(page), await text(page, 'console')];
    for (const [x, y] of places(box)) {
      if (device === DESK) {
        await page.mouse.click(x, y, { button: 'right' });
      } else {
        await finger(page, [['down', x, y], ['hold', 700], ['up']]);
      }
      assert.ok(await page.isVisible('#menu'), `${x}, ${y}`);
      const menu = await page.locator('#menu').boundingBox();
      assert.ok(menu.x >= 0 && menu.y >= 0 && menu.x + menu.width <= device.viewport.width
        && menu.y + menu.height <= device.viewport.height, `${x}, ${y}: the menu fits`);
      assert.deepEqual([await query(page), await text(page, 'console')], before, `${x}, ${y}: nothing picked`);
      await page.keyboard.press('Escape');
      assert.ok(!await page.isVisible('#menu'));
    }
    // Chosen, an entry is picked.
    await page.mouse.click(box.x + 100, box.y + 100, { button: 'right' });
    await page.getByRole('menuitem', { name: 'about' }).click();
    assert.match(await query(page), /&about/);
    await page.close();
  }
});

test('on a phone: a question asked where the learner is, the picture waiting, the help in view', async () => {
  const page = await open('?start=3,6', PHONE);
  await page.getByRole('button', { name: 'menu' }).tap();
  await page.getByRole('menuitem', { name: 'change direction of ray' }).tap();
  const asking = await page.locator('#asking').boundingBox();
  assert.ok(asking.y + asking.height <= PHONE.viewport.height, 'the question is in view');
  assert.match(await text(page, 'question'), /x = $/);
  assert.ok(await page.isVisible('#waiting-note'));
  // A step button says the question waits; the picture is as it was.
  await page.getByRole('button', { name: 'next step' }).tap({ force: true });
  assert.equal(await page.isChecked('#explain'), false);
  await page.fill('#answer', '0 1');
  await page.press('#answer', 'Enter');
  assert.equal(await page.isVisible('#asking'), false);
  assert.equal(await query(page), 'start=3,6&dir=0,1&box=5,10,15,25');
  await page.evaluate(() => window.scrollTo(0, 0));
  await page.getByRole('button', { name: 'help' }).tap();
  const panel = await page.locator('#console').boundingBox();
  assert.ok(panel.y >= 0 && panel.y < PHONE.viewport.height, 'the help is in view');
  await page.close();
});

test('on a phone and a tablet: the walk by buttons, and a pinch zooms', async () => {
  for (const device of [PHONE, TABLET]) {
    const page = await open('?explain&start=3,6&dir=1,0', device);
    for (const [button, walk] of [['next step', 'step 1 of 6'], ['next step', 'step 2 of 6'],
      ['previous step', 'step 1 of 6'], ['all steps', 'all 6 steps']]) {
      await page.getByRole('button', { name: button }).tap();
      assert.equal(await text(page, 'walk'), walk);
    }
    // Two fingers spreading a quarter zoom in a step of the wheel about their middle: the
    // same picture as that step of the wheel.
    const [pinched, wheeled] = [await open('?explain', device), await open('?explain', device)];
    await pinched.evaluate(() => {
      window.steps = [];
      const ccall = Module.ccall;
      Module.ccall = (name, type, types, args) => {
        if (name === 'webPointer' && args[0] === 3) {
          steps.push(args);
        }
        return ccall(name, type, types, args);
      };
    });
    const cdp = await pinched.context().newCDPSession(pinched);
    const box = await pinched.locator('#scene').boundingBox();
    // Beside the box, where no finger takes hold of an edge.
    const [cx, cy] = await onPage(pinched, [25, 20]);
    for (const [type, apart] of [['touchStart', 30], ['touchMove', 34], ['touchMove', 40], ['touchEnd', 0]]) {
      await cdp.send('Input.dispatchTouchEvent', { type,
        touchPoints: apart ? [{ x: cx - apart, y: cy, id: 1 }, { x: cx + apart, y: cy, id: 2 }] : [] });
    }
    const [step, scale] = await pinched.evaluate(() => [steps, view.scale]);
    assert.equal(step.length, 1, 'one step of the wheel');
    assert.ok(Math.abs(step[0][2] - (cx - box.x) * scale) <= 1 && Math.abs(step[0][3] - (cy - box.y) * scale) <= 1);
    await wheeled.evaluate((args) => {
      Module.ccall('webPointer', 'number', Array(6).fill('number'), args);
      redraw();
    }, step[0]);
    await Promise.all([settle(pinched), settle(wheeled)]);
    assert.deepEqual(await picture(pinched), await picture(wheeled), `${device.viewport.width}: the pinch zoomed a step`);
    assert.notDeepEqual(await picture(pinched), await picture(page));
    await page.close();
  }
});
