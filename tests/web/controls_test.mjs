// The page's controls as on the desktop: keys, drags, the menu and both dialogues, the
// teaching view's handles and walk, by mouse and by keyboard alone; its fields, its words for
// a screen reader, its refusals and its link.
import assert from 'node:assert/strict';
import { test } from 'node:test';
import { DIRECTION, HELP, PHONE, START, call, consoleText, drag, finger, frames, open, pick, query, settle, text } from './support.mjs';

test('keys, drags, the menu and both dialogues work as on the desktop', async () => {
  const page = await open();
  const labels = await page.locator('#menu li').allTextContents();
  assert.deepEqual(labels, ['modify top plane', 'modify bottom plane', 'modify left plane',
    'modify right plane', '-------------------', 'change ray starting point',
    'change direction of ray', '-------------------', 'about', 'Help', 'candidate planes or slab test',
    '-------------------', 'predict the outcome, or not', 'predict: it hits', 'predict: it misses',
    'predict: it starts inside', '2D or 3D view']);
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
  await page.locator('#menu li', { hasText: 'about' }).first().dispatchEvent('click');
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
  // Over the line of t, the picture shows 11 px a unit from y = 150 up: the start at (33, 264)
  // from the top left, 7 units to go 77 px.
  const page = await open('?explain&start=3,6&dir=1,0');
  await drag(page, 'left', [33, 264], [110, 264]);
  assert.equal(await query(page), 'start=10,6&dir=1,0&box=5,10,15,25&explain');
  // A finger on the arrow head, drawn larger for it, aims the ray straight up.
  const box = await page.locator('#scene').boundingBox();
  await finger(page, [['down', box.x + 180, box.y + 264], ['move', box.x + 130, box.y + 200],
    ['move', box.x + 110, box.y + 184], ['up']]);
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
  assert.match(await page.textContent('#words'), new RegExp('^Collision at .*\nray start = -1\\.000000 .*\nray dir = .*\n'
    + 'box: x from 5 to 15, y from 10 to 25\nx: start -1 is below minX 5: candidate plane x = 5 at t = 12\n'));
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

test('by keyboard alone: the picture, its walk, the menu and a dialogue', async () => {
  const page = await open('?explain');
  const focused = () => page.evaluate(() => document.activeElement.id || document.activeElement.textContent);
  await page.keyboard.press('Tab');
  assert.equal(await focused(), 'scene');
  await page.keyboard.press('n');
  await page.keyboard.press('n');
  assert.equal(await text(page, 'announce'), 'Candidate planes: Collision at { X = 5.000000; Y = 12.500000; Z = 0.000000 }. '
    + 'Step 2 of 7: y: start 0.5 is below minY 10: candidate plane y = 10 at t = 9.5');
  // The menu opens on its first entry, moves round, closes back to the picture.
  for (const [key, now] of [['Shift+F10', 'modify top plane'], ['ArrowUp', '2D or 3D view'], ['Home', 'modify top plane'],
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
  for (let up = 0; up < 8; ++up) {
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
    await page.close();
  }
  // The fields take numbers by the dialogue's rule and say what it would say.
  const page = await open();
  for (const [form, x, y, said, scene] of [
    ['start', 'abc', ' 7 ', 'x: not a number, keeping -1\nthe ray now starts at (-1, 7)\n', 'start=-1,7&dir=0.5,1'],
    ['start', '1e39', '1e-50', 'x: out of range, keeping -1\ny: out of range, keeping 7\n'
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

test('a refused value in the URL is named, and the defaults stand', async () => {
  // A value is its words split at commas only, each as given; parameters are options.
  for (const [line, why] of [['?start=1,x', '\'--start\': \'x\' is not a decimal number'],
    ['?start=1%0A2', '\'--start\': \'1\\n2\' is not a decimal number'],
    ['?start=,1,,2,', '\'--start\': \'\' is not a decimal number'],
    ['?start=1%0A--about', '\'--start\': \'1\\n--about\' is not a decimal number'],
    ['?about%0A-geometry=10x10', ' \'about\\n-geometry\''],
    // Every parameter the page does not take, the desktop's and the oracle's among them.
    ['?rays=x&explain&corpus&snapshot=a.png', ' \'rays\', \'corpus\', \'snapshot\'']]) {
    const page = await open(line);
    const refusal = why[0] === ' ' ? 'parameters the page does not take:' + why + ' (it takes start, dir, box, '
      + 'ray, scene, predict, view, turn, about, explain, frame, step, method, print, help and version)' : 'option ' + why;
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

test('what a screen reader hears: the steps as they now read, one announcement when a change ends', async () => {
  const page = await open('?explain');
  await page.focus('#scene');
  await page.evaluate(() => {
    window.announced = [];
    new MutationObserver(() => announced.push(document.getElementById('announce').textContent))
      .observe(document.getElementById('announce'), { childList: true, characterData: true, subtree: true });
  });
  const box = await page.locator('#scene').boundingBox();
  // A change, and what its one announcement says.
  const changes = [
    [() => page.keyboard.press('n'), 'Step 1 of 7: x: start -1 is below minX 5'],
    [() => page.keyboard.press('n'), 'Step 2 of 7: y: start 0.5 is below minY 10'],
    // A drag of sixty moves: the steps follow it, and it is announced once it ends.
    [async () => {
      await page.keyboard.press('d');
      await page.mouse.move(box.x + 300, box.y + 300);
      await page.mouse.down();
      await page.mouse.move(box.x + 300, box.y + 250, { steps: 60 });
      // (Sixty moves of a pixel or less, each rounded to float: 11.999998, not 12.)
      assert.match(await page.textContent('#words'), /y: start 0\.5 is below minY 11\.999998:/);
      await page.mouse.up();
    }, 'Step 2 of 7: y: start 0.5 is below minY 11.999998'],
    [() => page.keyboard.press('ArrowUp'), 'minY 12.03'],
    [async () => {
      await page.fill('#min-y', '11');
      await page.click('text=set box');
    }, 'the box is now x from 5 to 15, y from 11 to 25. Candidate planes: Collision at'],
    [() => page.click('#method'), 'Slab test: Collision at { X = 5.000000; Y = 12.500000; Z = 0.000000 }.'],
  ];
  for (const [change, says] of changes) {
    const before = await page.evaluate(() => announced.length);
    await change();
    const heard = await page.evaluate(() => announced);
    assert.equal(heard.length, before + 1, `${says}: ${heard.slice(before).join(' | ')}`);
    assert.ok(heard.at(-1).includes(says), heard.at(-1));
  }
});

test('the box by keyboard and its fields; a step past the last shows all steps', async () => {
  const page = await open('?explain');
  await page.focus('#scene');
  for (const key of ['w', 'ArrowUp', 'Shift+ArrowUp', 'ArrowLeft', 'a', 'ArrowRight']) {
    await page.keyboard.press(key);
  }
  assert.equal(await query(page), 'start=-1,0.5&dir=0.5,1&box=5.04,10,15,25.44&explain');
  await page.fill('#min-y', 'abc');
  await page.fill('#max-x', '1e39');
  await page.fill('#min-x', '-2');
  await page.press('#min-x', 'Enter');
  assert.equal(await text(page, 'said'), 'minY: not a number, keeping 10\nmaxX: out of range, keeping 15\n'
    + 'the box is now x from -2 to 15, y from 10 to 25.44\n');
  assert.equal(await query(page), 'start=-1,0.5&dir=0.5,1&box=-2,10,15,25.44&explain');
  const past = await open('?step=99&explain');
  assert.equal(await text(past, 'walk'), 'all 7 steps');
  assert.ok(!(await text(past, 'announce')).includes('99'));
});

// A named scene by a tap, predicted by a click, a finger or a key: nothing of the outcome is
// shown or said before the pick; then the pick is confirmed or corrected, and the link
// carries the scene.
test('scenes to predict: one tap each, nothing told before the pick', async () => {
  const page = await open('?scene=face-in&predict', PHONE);
  const told = async () => [await text(page, 'outcome'), await text(page, 'verdict'), await text(page, 'announce'),
    await page.isVisible('#picks'), (await text(page, 'steps')).length];
  const picks = [
    [(p) => p.getByRole('button', { name: 'it hits' }).click(), 'You said hit, but it starts inside.'],
    [(p) => p.getByRole('button', { name: 'it starts inside' }).tap(), 'You said inside, and it starts inside.'],
    [async (p) => { await p.focus('#scene'); await p.keyboard.press('3'); }, 'You said inside, and it starts inside.'],
  ];
  for (const [act, said] of picks) {
    await page.getByRole('button', { name: 'on a face, moving in' }).tap();
    assert.deepEqual(await told(), ['predict: 1 hit, 2 miss or 3 inside?', '',
      'Predict the outcome: it hits, it misses, or it starts inside?', true, 0]);
    await act(page);
    await page.waitForFunction(() => document.getElementById('verdict').textContent !== '');
    const [outcome, verdict, announced, picking] = await told();
    assert.deepEqual([outcome, verdict, picking], ['start point is inside box.', said, false]);
    assert.ok(announced.startsWith(said) && announced.includes('Step 1 of'), announced);
    // Another scene is held back again.
    await page.getByRole('button', { name: 'a miss' }).tap();
    assert.equal(await text(page, 'verdict'), '');
  }
  assert.equal(await query(page), 'scene=miss&predict&explain');
  assert.equal(await query(await open('?' + await query(page))), 'scene=miss&predict&explain');
});

// The 3D view by its button, the keyboard, a mouse and a finger: each turns it as the window's
// controls do, and the link carries the turn.
test('the 3D view, turned by key, mouse and finger', async () => {
  const page = await open('?explain', PHONE);
  await page.getByRole('button', { name: '3D' }).tap();
  assert.equal(await page.getAttribute('#view3d', 'aria-pressed'), 'true');
  assert.match(await query(page), /&view=3d&turn=30,20&/);
  await page.focus('#scene');
  await page.keyboard.press('ArrowLeft');
  assert.match(await query(page), /&turn=25,20&/);
  // Off the ray's handles, in the picture's top left corner.
  const box = await page.locator('#scene').boundingBox();
  const [x, y] = [box.x + 20, box.y + 40];
  await finger(page, [['down', x, y], ['move', x + 10, y + 10], ['move', x + 20, y + 20], ['up']]);
  const turned = await query(page);
  assert.ok(!turned.includes('turn=25,20&'), turned);
  await drag(page, 'left', [20, 40], [40, 40]);
  assert.notEqual(await query(page), turned);
  assert.equal(await query(await open('?' + await query(page))), await query(page));
});
