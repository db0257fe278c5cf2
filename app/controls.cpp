// What keys, the pointer and menu picks do, for every front end: planes selected and
// dragged, the ray's handles found in the frame's own layout, the teaching view's walk and
// view. No GL.
#include "app/controls.h"

#include "app/console.h"
#include "app/layout.h"
#include "app/scene.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// A press this close to the start dot drags the start; this close to the arrow head, aims.
constexpr double GRAB_PIXELS = 8.5;
constexpr double AIM_PIXELS = 10.5;

// What a press in the teaching view took hold of.
enum Handle { HANDLE_NONE, HANDLE_START, HANDLE_ARROW };
Handle held = HANDLE_NONE;

// Selects the plane named by a key; false if the key names none.
bool selectPlaneForKey(int key) {
    switch (key) {
    case 'w':
        selectedPlane = PLANE_TOP;
        return true;
    case 'd':
        selectedPlane = PLANE_BOTTOM;
        return true;
    case 'a':
        selectedPlane = PLANE_LEFT;
        return true;
    case 's':
        selectedPlane = PLANE_RIGHT;
        return true;
    default:
        return false;
    }
}

// The teaching view's own keys; true if the key was one of them.
bool teachingKey(unsigned char key) {
    switch (key) {
    case 'n':
        nextStep();
        return true;
    case 'p':
        previousStep();
        return true;
    case ESCAPE_KEY:
        showAllSteps();
        return true;
    case 'f':
        frameScene();
        return true;
    case 'r':
        resetView();
        return true;
    default:
        return false;
    }
}

} // namespace

bool pressKey(unsigned char key, std::FILE* console) {
    if (selectPlaneForKey(key) || (teachingView && teachingKey(key))) {
        return teachingView;
    }
    if (key == 'h') {
        printHelp(console);
    }
    return false;
}

int pickMenuEntry(int value, std::FILE* console) {
    if (selectPlaneForKey(value)) {
        return 0;
    }
    switch (value) {
    case 'h':
        printHelp(console);
        return 0;
    case 'm':
        aboutShown = aboutShown == 0 ? 1 : 0;
        return 0;
    case 'p':
    case 'r':
        return value;
    default:
        return 0;
    }
}

bool pressPointer(int button, bool down, int x, int y) {
    lastMouseX = x;
    lastMouseY = y;
    // The wheel, as GLUT reports it: a press of button 3 (up) or 4 (down); each step zooms
    // the teaching view by a quarter about the pointer.
    if (teachingView && down && (button == 3 || button == 4)) {
        zoomView(button == 3 ? 0.8 : 1.25, x, y);
        return true;
    }
    if (down) {
        grabRay(x, y);
    } else {
        releaseRay();
    }
    return false;
}

void movePointer(int x, int y) {
    if (!moveRay(x, y)) {
        dragSelectedPlane(lastMouseX - x, lastMouseY - y);
    }
    lastMouseX = x;
    lastMouseY = y;
}

bool grabRay(int x, int y) {
    held = HANDLE_NONE;
    if (!teachingView) {
        return false;
    }
    const FrameLayout frame = layoutFrame(testScene());
    const double px = x;
    const double py = windowHeight - y;
    const auto& head = frame.arrowHead;
    // The arrow head's middle, halfway from its tip to the middle of its back.
    const double middleX = (2 * head[0][0] + head[1][0] + head[2][0]) / 4;
    const double middleY = (2 * head[0][1] + head[1][1] + head[2][1]) / 4;
    if (frame.startDot && std::hypot(px - frame.start.x, py - frame.start.y) <= GRAB_PIXELS) {
        held = HANDLE_START;
    } else if (frame.arrow && std::hypot(px - middleX, py - middleY) <= AIM_PIXELS) {
        held = HANDLE_ARROW;
    }
    return held != HANDLE_NONE;
}

void releaseRay() {
    held = HANDLE_NONE;
}

bool moveRay(int x, int y) {
    const View view = currentView();
    // Kept to what a float holds, so that every start can be written down and read back.
    constexpr double LARGEST = std::numeric_limits<float>::max();
    const double sceneX = std::clamp(view.originX + x * view.units, -LARGEST, LARGEST);
    const double sceneY =
        std::clamp(view.originY + (windowHeight - y) * view.units, -LARGEST, LARGEST);
    if (held == HANDLE_START) {
        rayStart[0] = static_cast<float>(sceneX);
        rayStart[1] = static_cast<float>(sceneY);
    } else if (held == HANDLE_ARROW) {
        const double dx = sceneX - rayStart[0];
        const double dy = sceneY - rayStart[1];
        const double length = std::hypot(dx, dy);
        // A pointer exactly on the start gives no direction; the old one stays.
        if (length > 0.0) {
            rayDir[0] = static_cast<float>(dx / length);
            rayDir[1] = static_cast<float>(dy / length);
            rayDirNormalised = 0;
        }
    }
    return held != HANDLE_NONE;
}
