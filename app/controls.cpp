// What keys, the pointer and menu picks do, for every front end: planes selected and
// dragged, the ray's handles found in the frame's own layout, the teaching view's walk and
// view. No GL.
#include "app/controls.h"

#include "app/console.h"
#include "app/layout.h"
#include "app/scene.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <limits>
#include <utility>

namespace {

// A press this close to the start dot drags the start; this close to the arrow head, aims.
constexpr double GRAB_PIXELS = 8.5;
constexpr double AIM_PIXELS = 10.5;
// A finger this close to an edge of the box takes hold of its plane.
constexpr double TOUCH_PIXELS = 20.0;

// How far (x, y) lies from the segment along one axis from a to b at c on the other.
double distanceToEdge(double along, double across, double a, double b, double c) {
    const double nearest = std::clamp(along, std::min(a, b), std::max(a, b));
    return std::hypot(along - nearest, across - c);
}

// Selects the plane named by a key; false if the key names none.
bool selectPlaneForKey(AppState& state, int key) {
    switch (key) {
    case 'w':
        state.selectedPlane = PLANE_TOP;
        return true;
    case 'd':
        state.selectedPlane = PLANE_BOTTOM;
        return true;
    case 'a':
        state.selectedPlane = PLANE_LEFT;
        return true;
    case 's':
        state.selectedPlane = PLANE_RIGHT;
        return true;
    default:
        return false;
    }
}

// The teaching view's own keys; true if the key was one of them.
bool teachingKey(AppState& state, unsigned char key) {
    switch (key) {
    case 'n':
        nextStep(state);
        return true;
    case 'p':
        previousStep(state);
        return true;
    case ESCAPE_KEY:
        showAllSteps(state);
        return true;
    case 'f':
        frameScene(state);
        return true;
    case 'r':
        resetView(state);
        return true;
    default:
        return false;
    }
}

// Turns from the candidate planes to the slab test or back; the walk starts again.
void switchMethod(AppState& state) {
    state.method = state.method == METHOD_SLAB ? METHOD_CANDIDATE : METHOD_SLAB;
    state.walkStep = -1;
}

} // namespace

bool pressKey(AppState& state, unsigned char key, std::FILE* console) {
    if (key == METHOD_KEY) {
        switchMethod(state);
        return true;
    }
    if (selectPlaneForKey(state, key) || (state.teachingView && teachingKey(state, key))) {
        return state.teachingView;
    }
    if (key == 'h') {
        printHelp(console);
    }
    return false;
}

int pickMenuEntry(AppState& state, int value, std::FILE* console) {
    if (selectPlaneForKey(state, value)) {
        return 0;
    }
    switch (value) {
    case 'h':
        printHelp(console);
        return 0;
    case METHOD_KEY:
        switchMethod(state);
        return 0;
    case 'm':
        state.aboutShown = state.aboutShown == 0 ? 1 : 0;
        return 0;
    case 'p':
    case 'r':
        return value;
    default:
        return 0;
    }
}

bool pressPointer(AppState& state, int button, bool down, int x, int y) {
    state.lastMouseX = x;
    state.lastMouseY = y;
    // The wheel, as GLUT reports it: a press of button 3 (up) or 4 (down); each step zooms
    // the teaching view by a quarter about the pointer.
    if (state.teachingView && down && (button == 3 || button == 4)) {
        zoomView(state, button == 3 ? 0.8 : 1.25, x, y);
        return true;
    }
    if (down) {
        grabRay(state, x, y);
    } else {
        releaseRay(state);
    }
    return false;
}

void movePointer(AppState& state, int x, int y) {
    if (!moveRay(state, x, y)) {
        dragSelectedPlane(state.scene, state.selectedPlane, state.lastMouseX - x,
                          state.lastMouseY - y);
    }
    state.lastMouseX = x;
    state.lastMouseY = y;
}

bool touchPlane(AppState& state, int x, int y) {
    const View view = currentView(state);
    const float* planes = state.scene.boxPlanes;
    const double left = (planes[0] - view.originX) / view.units;
    const double right = (planes[3] - view.originX) / view.units;
    const double bottom = (planes[1] - view.originY) / view.units;
    const double top = (planes[4] - view.originY) / view.units;
    const double px = x;
    const double py = state.windowHeight - y;
    const std::pair<int, double> edges[] = {
        {PLANE_TOP, distanceToEdge(px, py, left, right, top)},
        {PLANE_BOTTOM, distanceToEdge(px, py, left, right, bottom)},
        {PLANE_LEFT, distanceToEdge(py, px, bottom, top, left)},
        {PLANE_RIGHT, distanceToEdge(py, px, bottom, top, right)},
    };
    const auto* const nearest =
        std::min_element(std::begin(edges), std::end(edges),
                         [](const auto& a, const auto& b) { return !(a.second >= b.second); });
    if (!(nearest->second <= TOUCH_PIXELS)) {
        return false;
    }
    state.selectedPlane = nearest->first;
    return true;
}

bool grabRay(AppState& state, int x, int y) {
    state.held = HANDLE_NONE;
    if (!state.teachingView) {
        return false;
    }
    const FrameLayout frame = layoutFrame(state, testScene(state.scene));
    const double px = x;
    const double py = state.windowHeight - y;
    const auto& head = frame.arrowHead;
    // The arrow head's middle, halfway from its tip to the middle of its back.
    const double middleX = (2 * head[0][0] + head[1][0] + head[2][0]) / 4;
    const double middleY = (2 * head[0][1] + head[1][1] + head[2][1]) / 4;
    if (frame.startDot && std::hypot(px - frame.start.x, py - frame.start.y) <= GRAB_PIXELS) {
        state.held = HANDLE_START;
    } else if (frame.arrow && std::hypot(px - middleX, py - middleY) <= AIM_PIXELS) {
        state.held = HANDLE_ARROW;
    }
    return state.held != HANDLE_NONE;
}

void releaseRay(AppState& state) {
    state.held = HANDLE_NONE;
}

bool moveRay(AppState& state, int x, int y) {
    const View view = currentView(state);
    // Kept to what a float holds, so that every start can be written down and read back.
    constexpr double LARGEST = std::numeric_limits<float>::max();
    const double sceneX = std::clamp(view.originX + x * view.units, -LARGEST, LARGEST);
    const double sceneY =
        std::clamp(view.originY + (state.windowHeight - y) * view.units, -LARGEST, LARGEST);
    if (state.held == HANDLE_START) {
        state.scene.rayStart[0] = static_cast<float>(sceneX);
        state.scene.rayStart[1] = static_cast<float>(sceneY);
    } else if (state.held == HANDLE_ARROW) {
        const double dx = sceneX - state.scene.rayStart[0];
        const double dy = sceneY - state.scene.rayStart[1];
        const double length = std::hypot(dx, dy);
        // A pointer exactly on the start gives no direction; the old one stays.
        if (length > 0.0) {
            state.scene.rayDir[0] = static_cast<float>(dx / length);
            state.scene.rayDir[1] = static_cast<float>(dy / length);
            state.scene.rayDirNormalised = 0;
        }
    }
    return state.held != HANDLE_NONE;
}
