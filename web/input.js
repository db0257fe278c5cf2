// The page's input: the menu, the pointer, fingers and keys on the picture, and the answers
// to the console's questions, each handed to the program as the desktop's callbacks would
// hand it. Put into the page's script after page.js, whose helpers it uses.

// Whether the press that clicks a menu entry began in the menu: the press that opened the
// menu never picks what lies under it when it is let go.
let pressedInMenu = false;

function buildMenu() {
  for (const line of call('webMenuEntries', [], 'string').split('\n').filter(Boolean)) {
    const [label, value] = line.split('\t');
    const entry = document.createElement('li');
    entry.textContent = label;
    if (label.startsWith('-')) {
      entry.setAttribute('role', 'separator');
    } else {
      entry.setAttribute('role', 'menuitem');
      entry.tabIndex = -1;
      entry.dataset.value = value;
      entry.addEventListener('click', () => {
        if (pressedInMenu) {
          pick(Number(value));
        }
      });
    }
    $('menu').append(entry);
  }
  $('menu').addEventListener('pointerdown', () => { pressedInMenu = true; });
  $('menu').addEventListener('contextmenu', (event) => event.preventDefault());
}

const entries = () => [...$('menu').querySelectorAll('[role=menuitem]')];

// Opens the menu at (x, y) CSS pixels of the window, moved as far as it must to fit on the
// screen; from the keyboard, with its first entry focused.
function openMenu(x, y, byKeyboard) {
  if (waiting) {
    // The picture waits with the dialogue; so does the menu.
    toConsole('the menu waits until the question above is answered\n');
    return;
  }
  const menu = $('menu');
  pressedInMenu = false;
  menu.hidden = false;
  const room = (at, size, screen) => Math.max(4, Math.min(at, screen - size - 4));
  menu.style.left = room(x, menu.offsetWidth, window.innerWidth) + 'px';
  menu.style.top = room(y, menu.offsetHeight, window.innerHeight) + 'px';
  $('menubutton').setAttribute('aria-expanded', 'true');
  if (byKeyboard) {
    entries()[0].focus();
  }
}

// Closes the menu; focus goes back to the picture if it was in the menu.
function closeMenu(refocus) {
  const menu = $('menu');
  if (menu.hidden) {
    return;
  }
  const inside = menu.contains(document.activeElement);
  menu.hidden = true;
  $('menubutton').setAttribute('aria-expanded', 'false');
  if (inside || refocus === true) {
    $('scene').focus({ preventScroll: true });
  }
  redraw();
}

// The menu's own keys: arrows, Home and End move, Enter and Space pick, Escape and Tab close.
function menuKey(event) {
  const all = entries();
  const at = all.indexOf(document.activeElement);
  const moves = { ArrowDown: at + 1, ArrowUp: at - 1, Home: 0, End: all.length - 1 };
  if (event.key in moves) {
    all[(moves[event.key] + all.length) % all.length].focus();
  } else if ((event.key === 'Enter' || event.key === ' ') && at >= 0) {
    pick(Number(all[at].dataset.value));
  } else if (event.key === 'Escape' || event.key === 'Tab') {
    closeMenu(true);
  } else {
    return;
  }
  event.preventDefault();
}

// Where an event lies on the picture: CSS pixels of the window, and the program's window
// pixels.
function placeOf(event) {
  const box = $('scene').getBoundingClientRect();
  const x = event.clientX - box.left;
  const y = event.clientY - box.top;
  return { x: event.clientX, y: event.clientY,
    at: [Math.round(x * view.wide / box.width), Math.round(y * view.high / box.height)] };
}

// What the last input came from, and how to use the picture with it.
const HOW_TO = {
  mouse: 'Mouse: choose a plane with its button, then drag on the picture to move it; right-click for the menu. In the teaching view drag the cyan dot or arrow head ("frame" brings them into view), and the wheel zooms.',
  touch: 'Touch: put a finger on an edge of the box and drag to move its plane; hold a finger still for the menu. In the teaching view drag the cyan dot or arrow head ("frame" brings them into view), and pinch to zoom. In the 3D view a finger off the dot and the arrow head turns the view.',
  keyboard: 'Keyboard: Tab to the picture, then w d a s choose the top, bottom, left or right plane and the arrow keys move it (Shift: ten times as far), h prints help, c turns to the slab test and back, o turns predicting on and off and 1, 2 and 3 predict a hit, a miss or a start inside, v turns to the 3D view and back (there the arrow keys turn it, f frames and r turns it back), Shift+F10 opens the menu; in the teaching view n and p walk the steps, Esc shows them all, f frames and r unframes.',
};
function usedInput(kind) {
  setText($('howto'), HOW_TO[kind]);
  if ((kind === 'touch') !== touching) {
    touching = kind === 'touch';
    fit();
  }
}

function wireStage() {
  const scene = $('scene');
  // The pointers down on the picture, for a pinch; the long press's timer.
  const down = new Map();
  let pinched = 0;
  let holding = null;
  const cancelHold = () => clearTimeout(holding);
  scene.addEventListener('contextmenu', (event) => event.preventDefault());
  scene.addEventListener('pointerdown', (event) => {
    usedInput(event.pointerType === 'mouse' ? 'mouse' : 'touch');
    closeMenu();
    const place = placeOf(event);
    if (event.button === 2) {
      openMenu(place.x, place.y, false);
      return;
    }
    try {
      scene.setPointerCapture(event.pointerId);
    } catch {
      // A pointer the browser no longer tracks drags no further than the canvas.
    }
    down.set(event.pointerId, place);
    cancelHold();
    if (down.size === 2) {
      // A second finger: whatever the first held goes, and the two pinch.
      const [a, b] = [...down.values()];
      pinched = Math.hypot(a.x - b.x, a.y - b.y);
      after(call('webPointer', [0, 0, ...a.at, 0, 0]), false);
      return;
    }
    const touch = event.pointerType === 'mouse' ? 0 : 1;
    if (touch) {
      holding = setTimeout(() => {
        after(call('webPointer', [0, 0, ...place.at, 0, 0]));
        down.clear();
        openMenu(place.x, place.y, false);
      }, LONG_PRESS);
    }
    after(call('webPointer', [event.button, 1, ...place.at, touch, REACH * view.scale]), false);
  });
  scene.addEventListener('pointermove', (event) => {
    if (!down.has(event.pointerId)) {
      return;
    }
    const place = placeOf(event);
    const from = down.get(event.pointerId);
    if (Math.hypot(place.x - from.x, place.y - from.y) > 8) {
      cancelHold();
    }
    if (down.size === 2) {
      down.set(event.pointerId, place);
      const [a, b] = [...down.values()];
      const apart = Math.hypot(a.x - b.x, a.y - b.y);
      const middle = [Math.round((a.at[0] + b.at[0]) / 2), Math.round((a.at[1] + b.at[1]) / 2)];
      // Each quarter the fingers spread or close is a step of the wheel about their middle.
      if (apart > pinched * 1.25 || apart < pinched * 0.8) {
        after(call('webPointer', [apart > pinched ? 3 : 4, 1, ...middle, 0, 0]), false);
        pinched = apart;
      }
      return;
    }
    // The left button (or a touch or pen) and the middle one drag.
    if ((event.buttons & 5) !== 0) {
      after(call('webMotion', place.at), false);
    }
  });
  const up = (event) => {
    cancelHold();
    const was = down.delete(event.pointerId);
    if (was && down.size === 0 && event.button !== 2) {
      after(call('webPointer', [event.button, 0, ...placeOf(event).at, 0, 0]));
    }
  };
  scene.addEventListener('pointerup', up);
  scene.addEventListener('pointercancel', up);
  scene.addEventListener('wheel', (event) => {
    event.preventDefault();
    after(call('webPointer', [event.deltaY < 0 ? 3 : 4, 1, ...placeOf(event).at, 0, 0]));
  }, { passive: false });
  // A press anywhere but the picture (whose own press sees to it), the menu and its button
  // closes the menu.
  document.addEventListener('pointerdown', (event) => {
    if (![$('stage'), $('menu'), $('menubutton')].some((keep) => keep.contains(event.target))) {
      closeMenu();
    }
  });
  $('menu').addEventListener('keydown', menuKey);
}

// The arrow keys, as right and up.
const ARROWS = { ArrowRight: [1, 0], ArrowLeft: [-1, 0], ArrowUp: [0, 1], ArrowDown: [0, -1] };

function wireKeys() {
  document.addEventListener('keydown', (event) => {
    // Keys belong to the scene only when no other control has the focus.
    const own = event.target === document.body || event.target === $('scene');
    if (!own || event.ctrlKey || event.altKey || event.metaKey) {
      return;
    }
    usedInput('keyboard');
    if (event.key === 'ContextMenu' || (event.key === 'F10' && event.shiftKey)) {
      event.preventDefault();
      const box = $('scene').getBoundingClientRect();
      openMenu(box.left + 8, box.top + 8, true);
      return;
    }
    if (event.key === 'Escape' && !$('menu').hidden) {
      closeMenu(true);
      return;
    }
    if (event.key in ARROWS) {
      event.preventDefault();
      after(call('webArrow', [...ARROWS[event.key], event.shiftKey ? 1 : 0]));
    } else if (event.key === 'Escape' || event.key.length === 1) {
      press(event.key);
    }
  });
  $('answer').addEventListener('keydown', (event) => {
    if (event.key === 'Escape') {
      $('answer').value = '';
      if (call('webCancel')) {
        setWaiting(false);
      }
      after(true);
      return;
    }
    if (event.key !== 'Enter') {
      return;
    }
    const line = $('answer').value;
    $('answer').value = '';
    if (tooLong('an answer', line)) {
      return;
    }
    const done = call('webAnswer', [line]);
    after(true);
    if (done) {
      setWaiting(false);
    } else {
      const lines = $('console').textContent.split('\n');
      $('question').textContent = 'The console asks: ' + lines[lines.length - 1];
    }
  });
}
