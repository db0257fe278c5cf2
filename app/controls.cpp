// What keys, the pointer and menu picks do, for every front end: planes selected and
// dragged, the ray's handles found in the frame's own layout, the teaching view's walk and
// view. No GL.
#include "app/controls.h"

#include "app/console.h"
#include "app/layout.h"
#include "app/scene.h"
#include "app/scenes.h"
#include "app/view3d.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <limits>
#include <utility>
#include <vector>

namespace {

// In the 3D view, a drag turns the view this many degrees a pixel; an arrow key, a step.
constexpr double TURN_PER_PIXEL = 0.5;
constexpr double TURN_STEP = 5.0;

// In the 3D view, the start or the aim follows the pointer at (x, y) window pixels from the
// bottom left, in the plane through the start that faces the viewer.
void moveRayInSpace(AppState& state, double x, double y) {
    Scene& scene = state.scene;
    const Camera camera = cameraOf(state);
    const double start[3] = {scene.rayStart[0], scene.rayStart[1], scene.rayStart[2]};
    double at[3];
    unproject(camera, x, y, start, at);
    constexpr double LARGEST = std::numeric_limits<float>::max();
    if (state.held == HANDLE_START) {
        for (int i = 0; i < 3; ++i) {
            scene.rayStart[i] = static_cast<float>(std::clamp(at[i], -LARGEST, LARGEST));
        }
        return;
    }
    const double d[3] = {at[0] - start[0], at[1] - start[1], at[2] - start[2]};
    const double length = std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
    if (length > 0.0 && std::isfinite(length)) {
        for (int i = 0; i < 3; ++i) {
            scene.rayDir[i] = static_cast<float>(d[i] / length);
        }
        scene.rayDirNormalised = 0;
    }
}

// A press this close to the start dot drags the start; this close to the arrow head, aims.
constexpr double GRAB_PIXELS = 8.5;
constexpr double AIM_PIXELS = 10.5;
// How far (x, y) lies from the segment along one axis from a to b at c on the other.
double distanceToEdge(double along, double across, double a, double b, double c) {
    const double nearest = std::clamp(along, std::min(a, b), std::max(a, b));
    return std::hypot(along - nearest, across - c);
}

// What a press at (px, py) window pixels from the bottom left could take hold of, with how
// far it lies: in the teaching view the ray's start dot and arrow head (from the frame's own
// layout, so that the press finds them where they are drawn), and the box's four edges.
std::vector<std::pair<double, std::pair<Handle, int>>> reachable(const AppState& state, double px,
                                                                 double py) {
    std::vector<std::pair<double, std::pair<Handle, int>>> found;
    if (state.teachingView || state.view3d) {
        const FrameLayout frame = layoutFrame(state, testScene(state.scene));
        const auto& head = frame.arrowHead;
        // The arrow head's middle, halfway from its tip to the middle of its back.
        const double middleX = (2 * head[0][0] + head[1][0] + head[2][0]) / 4;
        const double middleY = (2 * head[0][1] + head[1][1] + head[2][1]) / 4;
        if (frame.startDot) {
            found.push_back(
                {std::hypot(px - frame.start.x, py - frame.start.y), {HANDLE_START, PLANE_NONE}});
        }
        if (frame.arrow) {
            found.push_back({std::hypot(px - middleX, py - middleY), {HANDLE_ARROW, PLANE_NONE}});
        }
    }
    if (state.view3d) {
        // In space the drag turns the view: no edge takes hold.
        return found;
    }
    const View view = currentView(state);
    const float* planes = state.scene.boxPlanes;
    const double left = (planes[0] - view.originX) / view.units;
    const double right = (planes[3] - view.originX) / view.units;
    const double bottom = (planes[1] - view.originY) / view.units;
    const double top = (planes[4] - view.originY) / view.units;
    found.push_back({distanceToEdge(px, py, left, right, top), {HANDLE_PLANE, PLANE_TOP}});
    found.push_back({distanceToEdge(px, py, left, right, bottom), {HANDLE_PLANE, PLANE_BOTTOM}});
    found.push_back({distanceToEdge(py, px, bottom, top, left), {HANDLE_PLANE, PLANE_LEFT}});
    found.push_back({distanceToEdge(py, px, bottom, top, right), {HANDLE_PLANE, PLANE_RIGHT}});
    return found;
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

// Turns from the candidate planes to the other method (the slab test, unless the command line
// named another) or back; the walk starts again.
void switchMethod(AppState& state) {
    state.method =
        state.method.kind == METHOD_CANDIDATE ? state.otherMethod : Method{METHOD_CANDIDATE, {}};
    state.walkStep = -1;
}

} // namespace

bool pressKey(AppState& state, unsigned char key, std::FILE* console) {
    if (key == METHOD_KEY) {
        switchMethod(state);
        return true;
    }
    if (key == VIEW_KEY) {
        state.view3d = !state.view3d;
        return true;
    }
    if (state.view3d && (key == 'f' || key == 'r')) {
        if (key == 'f') {
            state.zoom3d = 1.0;
        } else {
            resetTurn(state);
        }
        return true;
    }
    if (key == PREDICT_KEY) {
        state.predict = !state.predict;
        state.predicted = -1;
        return true;
    }
    if (key == HIT_KEY || key == MISS_KEY || key == INSIDE_KEY) {
        return predictOutcome(state, key == HIT_KEY    ? RAY_HIT
                                     : key == MISS_KEY ? RAY_MISS
                                                       : RAY_INSIDE);
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
    case VIEW_KEY:
    case PREDICT_KEY:
    case HIT_KEY:
    case MISS_KEY:
    case INSIDE_KEY:
        pressKey(state, static_cast<unsigned char>(value), console);
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
    if (state.view3d && down && (button == 3 || button == 4)) {
        state.zoom3d = std::clamp(state.zoom3d * (button == 3 ? 0.8 : 1.25), 1e-3, 1e3);
        return true;
    }
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
    if (state.held == HANDLE_TURN) {
        turnView(state, (state.lastMouseX - x) * TURN_PER_PIXEL,
                 (y - state.lastMouseY) * TURN_PER_PIXEL);
    } else if (!moveRay(state, x, y) && state.held != HANDLE_NOTHING) {
        dragSelectedPlane(state.scene, state.selectedPlane, state.lastMouseX - x,
                          state.lastMouseY - y);
    }
    state.lastMouseX = x;
    state.lastMouseY = y;
}

bool touchPointer(AppState& state, int x, int y, double reach) {
    state.lastMouseX = x;
    state.lastMouseY = y;
    const auto found = reachable(state, x, state.windowHeight - y);
    // The nearest; a NaN distance (a box at infinity) is never near.
    const auto nearest =
        std::min_element(found.begin(), found.end(),
                         [](const auto& a, const auto& b) { return !(a.first >= b.first); });
    // On nothing a finger moves nothing, or in space turns the view.
    state.held = state.view3d ? HANDLE_TURN : HANDLE_NOTHING;
    if (nearest == found.end() || !(nearest->first <= reach)) {
        return false;
    }
    state.held = nearest->second.first;
    if (state.held != HANDLE_PLANE || state.selectedPlane == nearest->second.second) {
        return false;
    }
    state.selectedPlane = nearest->second.second;
    return true;
}

bool grabRay(AppState& state, int x, int y) {
    state.held = HANDLE_NONE;
    for (const auto& [distance, what] : reachable(state, x, state.windowHeight - y)) {
        const double within = what.first == HANDLE_START ? GRAB_PIXELS : AIM_PIXELS;
        if ((what.first == HANDLE_START || what.first == HANDLE_ARROW) && distance <= within &&
            state.held == HANDLE_NONE) {
            state.held = what.first;
        }
    }
    const bool grabbed = state.held != HANDLE_NONE;
    // Elsewhere in space, the drag turns the view.
    state.held = !grabbed && state.view3d ? HANDLE_TURN : state.held;
    return grabbed;
}

bool pressArrow(AppState& state, int right, int up, bool shift) {
    if (state.view3d) {
        turnView(state, right * TURN_STEP, up * TURN_STEP);
        return right != 0 || up != 0;
    }
    const int pixels = shift ? 10 : 1;
    const Scene before = state.scene;
    dragSelectedPlane(state.scene, state.selectedPlane, -right * pixels, up * pixels);
    return !std::equal(std::begin(before.boxPlanes), std::end(before.boxPlanes),
                       std::begin(state.scene.boxPlanes));
}

void releaseRay(AppState& state) {
    state.held = HANDLE_NONE;
}

bool moveRay(AppState& state, int x, int y) {
    if (state.view3d && (state.held == HANDLE_START || state.held == HANDLE_ARROW)) {
        moveRayInSpace(state, x, state.windowHeight - y);
        return true;
    }
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
    return state.held == HANDLE_START || state.held == HANDLE_ARROW;
}
