// The page's wiring, put into the page's markup as its script when CMake runs: every
// decision is the program's; this only passes events on and keeps the controls up to date.
const $ = (id) => document.getElementById(id);
const call = (name, args = [], type = 'number') =>
  Module.ccall(name, type, args.map((a) => (typeof a === 'string' ? 'string' : 'number')), args);
// The program's window, in its own pixels; the canvases show it at any size.
const WIDE = 640;
const HIGH = 480;
let waiting = false;
let scheduled = false;
// Whether the next frame paints: something changed since the last one painted.
let stale = true;
// The longest answer line or link query handed to the program; longer ones are refused
// here, before they reach it.
const LONGEST = 10000;
// The console panel keeps this many of its last lines.
const KEPT_LINES = 500;
// A touch held this long without moving opens the menu.
const LONG_PRESS = 550;

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

// Shows what the program's console wrote.
function showConsole() {
  const text = call('webConsole', [], 'string');
  if (text) {
    toConsole(text);
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

// A frame: the test runs, and the picture is painted if anything changed since the last
// one; while the ray misses, the next frame follows, no sooner than the miss's pace. The
// frame that paints also gives the picture in words and announces a new outcome.
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
  if (call('webFrame', [painting ? 1 : 0]) === 0) {
    setTimeout(schedule, Math.max(0, started + MISS_INTERVAL - performance.now()));
  }
  if (!painting) {
    return;
  }
  const words = call('webFrameWords', [], 'string');
  const outcome = words.slice(0, words.indexOf('\n'));
  if ($('outcome').textContent !== outcome) {
    $('outcome').textContent = outcome;
  }
  $('words').textContent = words.slice(outcome.length + 1);
  showControls();
}

// The controls as the program's state has them: the selected plane, the walk, the
// teaching view, and the fields for the ray when nobody is typing in them.
let fieldsFor = '';
function showControls() {
  const [line, current] = call('webControls', [], 'string').split('\n');
  const [plane, step, count, teaching, slab] = line.split(' ').map(Number);
  $('method').setAttribute('aria-pressed', String(slab === 1));
  document.querySelectorAll('[data-key]').forEach((button, i) => {
    button.setAttribute('aria-pressed', String(i === plane));
  });
  $('explain').checked = teaching === 1;
  const walk = teaching !== 1 ? '' : step < 0 ? `all ${count} steps` : `step ${step + 1} of ${count}`;
  if ($('walk').textContent !== walk) {
    $('walk').textContent = walk;
    $('current').textContent = step < 0 ? '' : `${walk}: ${current}`;
  }
  const query = call('webQuery', [], 'string');
  const typing = ['start-x', 'start-y', 'dir-x', 'dir-y'].includes(document.activeElement.id);
  if (query !== fieldsFor && !typing) {
    fieldsFor = query;
    const values = new URLSearchParams(query);
    [$('start-x').value, $('start-y').value] = values.get('start').split(',');
    [$('dir-x').value, $('dir-y').value] = values.get('dir').split(',');
  }
}

// After input: the picture again if it changed, and what the console and controls say.
function after(changed) {
  if (changed) {
    redraw();
  }
  showConsole();
  showControls();
}

// A key as the program takes it: a character, or Escape.
const press = (key) => after(call('webKey', [key === 'Escape' ? 27 : key.charCodeAt(0)]));

// A pick from the menu, or a dialogue's start; the console panel then asks.
function pick(value) {
  closeMenu(true);
  if (waiting) {
    return;
  }
  const result = call('webMenu', [value]);
  waiting = result === 2;
  if (waiting) {
    $('answer').focus();
  }
  after(true);
}

function wireControls() {
  document.querySelectorAll('[data-key]').forEach((button) => {
    button.addEventListener('click', () => press(button.dataset.key));
  });
  // The walk's and the view's buttons turn the teaching view on first.
  const teach = () => {
    if (!$('explain').checked) {
      call('webTeaching', [1]);
    }
  };
  document.querySelectorAll('[data-teach]').forEach((button) => {
    button.addEventListener('click', () => {
      teach();
      press(button.dataset.teach);
    });
  });
  document.querySelectorAll('[data-zoom]').forEach((button) => {
    button.addEventListener('click', () => {
      teach();
      after(call('webPointer', [Number(button.dataset.zoom), 1, WIDE / 2, HIGH / 2, 0]));
    });
  });
  document.querySelectorAll('[data-menu]').forEach((button) => {
    button.addEventListener('click', () => pick(button.dataset.menu.charCodeAt(0)));
  });
  $('method').addEventListener('click', () => press('c'));
  $('menubutton').addEventListener('click', () => {
    if ($('menu').hidden) {
      openMenu(8, 8, true);
    } else {
      closeMenu(true);
    }
  });
  for (const form of [$('start-form'), $('dir-form')]) {
    form.addEventListener('submit', (event) => {
      event.preventDefault();
      const [x, y] = [...form.querySelectorAll('input')].map((field) => field.value.trim());
      if (tooLong('a value', x + y)) {
        return;
      }
      $('said').textContent = call('webSetRay', [form.dataset.which.charCodeAt(0), x, y], 'string');
      fieldsFor = '';
      after(true);
    });
  }
  $('explain').addEventListener('change', () => {
    call('webTeaching', [$('explain').checked ? 1 : 0]);
    after(true);
  });
  $('copy').addEventListener('click', () => {
    // The page's own address, without its query or fragment.
    $('link').value = location.href.split(/[?#]/)[0] + '?' + call('webQuery', [], 'string');
    $('link').select();
    if (navigator.clipboard) {
      navigator.clipboard.writeText($('link').value).catch(() => {});
    }
  });
}

// The canvases' own pixels follow their size on the page and the device's pixel ratio,
// so that lines and texts are sharp at any zoom.
function fit() {
  const box = $('stage').getBoundingClientRect();
  const ratio = window.devicePixelRatio || 1;
  const wide = Math.max(1, Math.round(box.width * ratio));
  const high = Math.max(1, Math.round(box.height * ratio));
  if ($('scene').width === wide && $('scene').height === high) {
    return;
  }
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
  // Each word goes over exactly as the URL gives it, percent-escaped: a value splits only
  // at its commas, and an empty word or a control character is the program's to refuse.
  const words = [];
  const search = location.search;
  for (const [key, value] of new URLSearchParams(search.length <= LONGEST ? search : '')) {
    words.push('--' + key, ...(value === '' ? [] : value.split(',')));
  }
  const refused = search.length > LONGEST
    ? `the link's query of ${search.length} characters is too long (at most ${LONGEST})`
    : call('webStart', [words.map(encodeURIComponent).join('\n')], 'string');
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
  after(true);
}

var Module = { onRuntimeInitialized: start };
