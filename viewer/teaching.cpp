// The teaching view's input: the pointer on the ray's handles, found in the frame's own
// layout, and the keys that walk the method's steps and move the view. No GL.
#include "layout.h"
#include "scene.h"
#include "viewer.h"

#include <cmath>

namespace {

// A press this close to the start dot drags the start; this close to the arrow head, aims.
constexpr double GRAB_PIXELS = 8.5;
constexpr double AIM_PIXELS = 10.5;

// What a press in the teaching view took hold of.
enum Handle { HANDLE_NONE, HANDLE_START, HANDLE_ARROW };
Handle held = HANDLE_NONE;

} // namespace

bool grabRay(int x, int y) {
    held = HANDLE_NONE;
    if (!teachingView) {
        return false;
    }
    RayTestRecord record;
    rayBoxIntersect(&boxPlanes[0], &boxPlanes[3], rayStart, rayDir, record);
    const FrameLayout frame = layoutFrame(record);
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
    const double sceneX = view.originX + x * view.units;
    const double sceneY = view.originY + (windowHeight - y) * view.units;
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
