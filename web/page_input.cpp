// The page's input, handed to the program as the desktop's callbacks hand it: keys, arrow
// keys, the pointer and fingers, the menu, and the page's own fields for the ray and the
// box. While a console question waits for its answer, the picture waits too and input goes
// nowhere. Each answers 1 when the picture must be drawn again.
#include "app/console.h"
#include "app/controls.h"
#include "app/options.h"
#include "core/explain.h"
#include "web/page.h"

#include <emscripten/emscripten.h>

#include <string>
#include <utility>

namespace {

bool waiting() {
    return page.dialogue.which != 0;
}

// Takes each word by the dialogue's number rule into the values named; what the dialogue
// would have said of those it did not take, a line each, in the page's shortest numbers.
std::string takeWords(const char* const names[], const char* const words[], float* const values[],
                      int count) {
    std::string said;
    for (int i = 0; i < count; ++i) {
        const NumberCheck check = parseNumber(words[i], *values[i]);
        if (check != NUMBER_OK) {
            said += std::string(names[i]) + ": " + refusalWords(check, *values[i], true) + "\n";
        }
    }
    return said;
}

} // namespace

extern "C" {

EMSCRIPTEN_KEEPALIVE int webKey(int key) {
    bool changed = false;
    if (!waiting()) {
        page.console += written([&](std::FILE* out) {
            changed = pressKey(page.state, static_cast<unsigned char>(key), out);
        });
    }
    return changed ? 1 : 0;
}

// An arrow key: right and up each -1, 0 or 1, with Shift ten times as far.
EMSCRIPTEN_KEEPALIVE int webArrow(int right, int up, int shift) {
    return !waiting() && pressArrow(page.state, right, up, shift != 0) ? 1 : 0;
}

// A button or a finger pressed (down 1) or let go at (x, y) window pixels. A finger takes
// hold of what lies nearest within reach window pixels of it, or of nothing.
EMSCRIPTEN_KEEPALIVE int webPointer(int button, int down, int x, int y, int touch, double reach) {
    if (waiting()) {
        return 0;
    }
    if (touch != 0 && down != 0 && button == 0) {
        return touchPointer(page.state, x, y, reach) ? 1 : 0;
    }
    return pressPointer(page.state, button, down != 0, x, y) ? 1 : 0;
}

EMSCRIPTEN_KEEPALIVE int webMotion(int x, int y) {
    if (waiting()) {
        return 0;
    }
    movePointer(page.state, x, y);
    return 1;
}

// A menu pick: 1 when the picture is to be drawn again, 2 when a dialogue waits for its
// answers in the console panel.
EMSCRIPTEN_KEEPALIVE int webMenu(int value) {
    if (waiting()) {
        return 0;
    }
    int which = 0;
    page.console += written([&](std::FILE* out) { which = pickMenuEntry(page.state, value, out); });
    if (which != 0) {
        beginDialogue(which);
        return 2;
    }
    return 1;
}

// The page's fields for the ray's start ('p') or direction ('r'): each word taken by the
// dialogue's number rule, the direction normalised as the dialogue does. What the dialogue
// would have said of them, a line each, then the confirmation.
EMSCRIPTEN_KEEPALIVE const char* webSetRay(int which, const char* x, const char* y) {
    if (waiting()) {
        return give("the console's question waits for its answer first\n");
    }
    Scene& scene = page.state.scene;
    float* v = which == 'p' ? scene.rayStart : scene.rayDir;
    const char* const names[] = {"x", "y"};
    const char* const words[] = {x, y};
    float* const values[] = {&v[0], &v[1]};
    std::string said = takeWords(names, words, values, 2);
    if (which != 'p' && takeGivenDirection(scene)) {
        said += "after normalize = " + shortest(v[0]) + " " + shortest(v[1]) + "\n";
    }
    return give(said + (which == 'p' ? "the ray now starts at (" : "the ray's direction is now (") +
                shortest(v[0]) + ", " + shortest(v[1]) + ")\n");
}

// The page's fields for the box's left, bottom, right and top planes, by the same rule.
EMSCRIPTEN_KEEPALIVE const char* webSetBox(const char* minX, const char* minY, const char* maxX,
                                           const char* maxY) {
    if (waiting()) {
        return give("the console's question waits for its answer first\n");
    }
    float* b = page.state.scene.boxPlanes;
    const char* const names[] = {"minX", "minY", "maxX", "maxY"};
    const char* const words[] = {minX, minY, maxX, maxY};
    float* const values[] = {&b[0], &b[1], &b[3], &b[4]};
    return give(takeWords(names, words, values, 4) + "the box is now x from " + shortest(b[0]) +
                " to " + shortest(b[3]) + ", y from " + shortest(b[1]) + " to " + shortest(b[4]) +
                "\n");
}

// The teaching view on (1) or off (0), as the page's toggle sets it; not while a question
// waits.
EMSCRIPTEN_KEEPALIVE int webTeaching(int on) {
    if (waiting()) {
        return 0;
    }
    page.state.teachingView = on != 0;
    return 1;
}

} // extern "C"
