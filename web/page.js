// The page's wiring, put into the page's markup as its script when CMake runs: every
// decision is the program's; this only passes events on and shows what the program says.
const $ = (id) => document.getElementById(id);
const call = (name, args = [], type = 'number') =>
  Module.ccall(name, type, args.map((a) => (typeof a === 'string' ? 'string' : 'number')), args);
// The picture in the program's window pixels, as the program lays it out: the canvas's CSS
// size, scaled up as far as keeps its 15 px texts at 12 CSS px at least on a small screen.
const view = { wide: 0, high: 0, scale: 1, touching: false };
// Below this width the frame's own texts, the steps and the keys are written beside the
// picture instead of in it.
const TEXTS_IN_PICTURE = 560;
// A finger takes hold of what lies this many CSS pixels from it.
const REACH = 22;
let waiting = false;
let scheduled = false;
// Whether the next frame paints: something changed since the last one painted.
let stale = true;
// Whether the handles are drawn for a finger: the last input came from one.
let touching = false;
// The longest answer line or link query handed to the program; longer ones are refused
// here, before they reach it.
const LONGEST = 10000;
// The console panel keeps this many of its last lines.
const KEPT_LINES = 500;
// A touch held this long without moving opens the menu.
const LONG_PRESS = 550;
// What the page showed last, as the program said it.
let shown = null;

// Adds text to the console panel, which keeps only its last lines.
function toConsole(text) {
  const panel = $('console');
  let all = panel.textContent + text;
  if (all.length > 20 * KEPT_LINES) {
    all = all.split('\n').slice(-KEPT_LINES).join('\n');
  }
  panel.textContent = all;
  panel.scrollTop = panel.scrollHeight;
}

// Shows what the program's console wrote; after the user's own input outside a dialogue,
// the console is brought into view where it is out of sight (the help, on a phone).
function showConsole(intoView = true) {
  const text = call('webConsole', [], 'string');
  if (text) {
    toConsole(text);
    if (intoView && !waiting) {
      $('console').scrollIntoView({ block: 'nearest' });
    }
  }
}

// The words too long to hand over, said in the console panel; true if so.
function tooLong(what, text) {
  if (text.length <= LONGEST) {
    return false;
  }
  toConsole(`ray-box-collision: ${what} of ${text.length} characters is too long (at most ${LONGEST}); it was not read\n`);
  return true;
}

// Asks for a frame that paints, after input or a new size.
function redraw() {
  stale = true;
  schedule();
}

// Asks for a frame, unless one is asked for already or a dialogue waits for answers.
function schedule() {
  if (!scheduled && !waiting) {
    scheduled = true;
    requestAnimationFrame(frame);
  }
}

// The shortest time from one frame's start to the next that a miss asks for: 30 frames a
// second, as the desktop's resting pace. Input asks for its frame at once.
const MISS_INTERVAL = 1000 / 30;
let missTimer = 0;

// A frame: the test runs, and the picture is painted if anything changed since the last
// one; while the ray misses, the next frame follows, no sooner than the miss's pace. The
// frame that paints also writes what the picture shows beside it.
function frame() {
  scheduled = false;
  if (waiting) {
    return;
  }
  const started = performance.now();
  const painting = stale;
  stale = false;
  Module.frames = (Module.frames || 0) + 1;
  Module.painted = (Module.painted || 0) + (painting ? 1 : 0);
  Module.firstFrameAt = Module.firstFrameAt || started;
  // One miss's next frame is asked for at a time, however many frames ran meanwhile.
  clearTimeout(missTimer);
  if (call('webFrame', [painting ? 1 : 0]) === 0) {
    missTimer = setTimeout(schedule, Math.max(0, started + MISS_INTERVAL - performance.now()));
  }
  if (painting) {
    showWords();
  }
}

// Sets an element's text only when it changes, so that nothing is read out again for no
// reason.
function setText(element, text) {
  if (element.textContent !== text) {
    element.textContent = text;
  }
}

// What the picture shows, in words beside it and for those who cannot see it; and the
// controls as the program's state has them.
function showWords() {
  shown = JSON.parse(call('webShown', [], 'string'));
  setText($('outcome'), shown.outcome);
  const inPage = view.wide < TEXTS_IN_PICTURE;
  $('status').hidden = !inPage;
  setText($('status'), shown.status.join('\n'));
  const steps = $('steps');
  // The picture writes the steps itself where it has room for them.
  steps.hidden = !shown.teaching || !inPage;
  const items = [...shown.steps, ...(shown.disagreement ? [shown.disagreement] : [])];
  while (steps.children.length > items.length) {
    steps.lastChild.remove();
  }
  items.forEach((text, i) => {
    const item = steps.children[i] || steps.appendChild(document.createElement('li'));
    setText(item, text);
    item.className = i === shown.steps.length ? 'disagree' : '';
    if (i === shown.current) {
      item.setAttribute('aria-current', 'step');
    } else {
      item.removeAttribute('aria-current');
    }
  });
  setText($('words'), [shown.outcome, ...shown.status, shown.box, ...items].join('\n'));
  $('picks').hidden = !shown.hidden;
  setText($('verdict'), shown.verdict);
  showControls();
}

// The controls as the program's state has them: the selected plane, the walk, the teaching
// view, and the fields when nobody is typing in them.
let fieldsFor = '';
function showControls() {
  $('method').setAttribute('aria-pressed', String(shown.slab));
  document.querySelectorAll('[data-key]').forEach((button, i) => {
    button.setAttribute('aria-pressed', String(i === shown.plane));
  });
  $('explain').checked = shown.teaching;
  $('predict').checked = shown.predict;
  $('view3d').setAttribute('aria-pressed', String(shown.view3d));
  setText($('walk'), !shown.teaching ? '' : shown.current < 0 ? `all ${shown.count} steps`
    : `step ${shown.current + 1} of ${shown.count}`);
  const fields = ['start-x', 'start-y', 'dir-x', 'dir-y', 'min-x', 'min-y', 'max-x', 'max-y'];
  const typing = fields.includes(document.activeElement.id);
  if (shown.query !== fieldsFor && !typing) {
    fieldsFor = shown.query;
    fields.forEach((id, i) => { $(id).value = shown.fields[i]; });
  }
}

// What a screen reader hears once a change has ended, once: what a field said of it, the
// method and the outcome and, in a walk, its current step.
function announce(said = '') {
  const step = shown.teaching && shown.current >= 0
    ? ` Step ${shown.current + 1} of ${shown.count}: ${shown.steps[shown.current]}` : '';
  const outcome = shown.hidden ? 'Predict the outcome: it hits, it misses, or it starts inside?'
    : (shown.verdict ? shown.verdict + ' ' : '') + (shown.slab ? 'Slab test: ' : 'Candidate planes: ')
      + shown.outcome + (shown.outcome.endsWith('.') ? '' : '.');
  setText($('announce'), said.replaceAll('\n', '. ') + outcome + step);
}

// After input: the picture again if it changed, and what the console and controls say.
// A change that has ended is announced.
function after(changed, ended = true, said = '') {
  if (changed) {
    redraw();
  }
  showConsole(ended);
  showWords();
  if (ended) {
    announce(said);
  }
}

// A key as the program takes it: a character, or Escape.
const press = (key) => after(call('webKey', [key === 'Escape' ? 27 : key.charCodeAt(0)]));

// While a console question waits, the picture and the controls say so; the question is
// asked under the picture, where the learner is.
function setWaiting(now) {
  waiting = now;
  showConsole(false);
  document.body.classList.toggle('waiting', now);
  $('asking').hidden = !now;
  document.querySelectorAll('#controls button, #controls input').forEach((control) => {
    control.setAttribute('aria-disabled', String(now));
  });
  const answer = $('answer');
  (now ? $('asking') : $('answer-home')).append(answer);
  if (now) {
    const lines = $('console').textContent.split('\n');
    $('question').textContent = 'The console asks: ' + lines[lines.length - 1];
    answer.focus({ preventScroll: true });
  } else {
    redraw();
  }
}

// A pick from the menu, or a dialogue's start; the question is then asked under the
// picture.
function pick(value) {
  closeMenu(true);
  if (waiting) {
    return;
  }
  if (call('webMenu', [value]) === 2) {
    setWaiting(true);
  } else {
    after(true);
  }
}

// A control that would change the picture while a question waits says so instead.
function unlessWaiting(act) {
  return (event) => {
    if (waiting) {
      event.preventDefault();
      $('question').classList.remove('nudge');
      void $('question').offsetWidth;
      $('question').classList.add('nudge');
      return;
    }
    act(event);
  };
}

function wireControls() {
  document.querySelectorAll('[data-key]').forEach((button) => {
    button.addEventListener('click', unlessWaiting(() => press(button.dataset.key)));
  });
  // The walk's and the view's buttons turn the teaching view on first.
  const teach = () => {
    if (!$('explain').checked) {
      call('webTeaching', [1]);
    }
  };
  document.querySelectorAll('[data-teach]').forEach((button) => {
    button.addEventListener('click', unlessWaiting(() => {
      teach();
      press(button.dataset.teach);
    }));
  });
  document.querySelectorAll('[data-zoom]').forEach((button) => {
    button.addEventListener('click', unlessWaiting(() => {
      teach();
      after(call('webPointer', [Number(button.dataset.zoom), 1, view.wide >> 1, view.high >> 1, 0, 0]));
    }));
  });
  document.querySelectorAll('[data-menu]').forEach((button) => {
    button.addEventListener('click', unlessWaiting(() => pick(button.dataset.menu.charCodeAt(0))));
  });
  $('method').addEventListener('click', unlessWaiting(() => press('c')));
  // The named scenes, one button each; predicting, and the picks.
  for (const line of call('webScenes', [], 'string').split('\n').filter(Boolean)) {
    const [name, title] = line.split('\t');
    const button = Object.assign(document.createElement('button'), { type: 'button', textContent: title });
    button.addEventListener('click', unlessWaiting(() => after(call('webScene', [name]) === 1)));
    $('scenes').append(button);
  }
  document.querySelectorAll('[data-pick]').forEach((button) => {
    button.addEventListener('click', unlessWaiting(() => press(button.dataset.pick)));
  });
  $('predict').addEventListener('click', unlessWaiting(() => press('o')));
  $('view3d').addEventListener('click', unlessWaiting(() => press('v')));
  $('menubutton').addEventListener('click', unlessWaiting(() => {
    if ($('menu').hidden) {
      const box = $('menubutton').getBoundingClientRect();
      openMenu(box.left, box.bottom, true);
    } else {
      closeMenu(true);
    }
  }));
  for (const form of [$('start-form'), $('dir-form'), $('box-form')]) {
    form.addEventListener('submit', unlessWaiting((event) => {
      event.preventDefault();
      const values = [...form.querySelectorAll('input')].map((field) => field.value.trim());
      if (tooLong('a value', values.join(''))) {
        return;
      }
      $('said').textContent = form.id === 'box-form' ? call('webSetBox', values, 'string')
        : call('webSetRay', [form.dataset.which.charCodeAt(0), ...values], 'string');
      fieldsFor = '';
      after(true, true, $('said').textContent);
    }));
  }
  $('explain').addEventListener('click', unlessWaiting(() => {
    call('webTeaching', [$('explain').checked ? 1 : 0]);
    after(true);
  }));
  $('copy').addEventListener('click', () => {
    // The page's own address, without its query or fragment.
    $('link').value = location.href.split(/[?#]/)[0] + '?' + call('webQuery', [], 'string');
    $('link').select();
    if (navigator.clipboard) {
      navigator.clipboard.writeText($('link').value).catch(() => {});
    }
  });
}

// The picture's size in the program's pixels follows its size on the page, and the
// canvases' own pixels the device's pixel ratio, so that lines and texts are sharp at any
// zoom.
function fit() {
  const box = $('stage').getBoundingClientRect();
  const ratio = window.devicePixelRatio || 1;
  const cssWide = Math.max(1, box.width);
  const scale = Math.min(1.25, Math.max(1, 640 / cssWide));
  // Rounded down, so that a text is never drawn smaller than the scale says.
  const size = [Math.max(1, Math.floor(cssWide * scale)), Math.max(1, Math.floor(box.height * scale))];
  const wide = Math.max(1, Math.round(box.width * ratio));
  const high = Math.max(1, Math.round(box.height * ratio));
  if (size[0] === view.wide && size[1] === view.high && touching === view.touching
      && $('scene').width === wide && $('scene').height === high) {
    return;
  }
  Object.assign(view, { wide: size[0], high: size[1], scale, touching });
  call('webResize', [view.wide, view.high, view.wide < TEXTS_IN_PICTURE ? 1 : 0, touching ? 1 : 0]);
  for (const canvas of [$('scene'), $('texts')]) {
    canvas.width = wide;
    canvas.height = high;
  }
  Module.texts.font = '15px monospace';
  redraw();
}

// The URL's query as the command line's words: ?start=-1,0.5&about is --start -1 0.5 --about.
function start() {
  const texts = $('texts').getContext('2d');
  Module.texts = texts;
  if (!call('webOpen', ['#scene'])) {
    $('nowebgl').hidden = false;
    $('stage').hidden = true;
    return;
  }
  // Each parameter goes over exactly as the URL gives it, percent-escaped: the program
  // splits a value at its commas, and refuses what it does not take.
  const search = location.search;
  const parameters = [...new URLSearchParams(search.length <= LONGEST ? search : '')]
    .map(([key, value]) => encodeURIComponent(key) + '=' + encodeURIComponent(value)).join('\n');
  const refused = search.length > LONGEST
    ? `the link's query of ${search.length} characters is too long (at most ${LONGEST})`
    : call('webStart', [parameters], 'string');
  if (refused) {
    $('refused').textContent = 'ray-box-collision: ' + refused + ' (the defaults stand)';
    $('refused').hidden = false;
  }
  buildMenu();
  wireStage();
  wireKeys();
  wireControls();
  usedInput(matchMedia('(pointer: coarse)').matches ? 'touch' : 'mouse');
  texts.font = '15px monospace';
  fit();
  new ResizeObserver(fit).observe($('stage'));
  window.addEventListener('resize', fit);
  after(true, false);
  showWords();
}

var Module = { onRuntimeInitialized: start };
