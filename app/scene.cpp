// Scene state with its start-up values, and what changes it.
#include "app/scene.h"

#include <cmath>

float boxPlanes[6] = {};
float rayStart[3] = {};
float rayDir[3] = {};
float rayDirGiven[2] = {};
int rayDirNormalised = 0;
int selectedPlane = PLANE_NONE;
int lineWidth = 7;
int windowWidth = 640;
int windowHeight = 480;
float sweepParam = 1.0f;
int lastResult = RAY_MISS;
int lastMouseX = 0;
int lastMouseY = 0;
int aboutShown = 0;

void createBox() {
    const float defaults[6] = {5.0f, 10.0f, 0.0f, 15.0f, 25.0f, 0.0f};
    for (int i = 0; i < 6; ++i) {
        boxPlanes[i] = defaults[i];
    }
}

void resetRay() {
    rayStart[0] = -1.0f;
    rayStart[1] = 0.5f;
    rayStart[2] = 0.0f;
    rayDir[0] = 0.5f;
    rayDir[1] = 1.0f;
    rayDir[2] = 0.0f;
    rayDirNormalised = 0;
}

void dragSelectedPlane(int dx, int dy) {
    float* plane = nullptr;
    double delta = 0.0;
    // Unsigned test: every value outside 0..3, PLANE_NONE included, selects nothing.
    switch (static_cast<unsigned>(selectedPlane)) {
    case PLANE_TOP:
        plane = &boxPlanes[4];
        delta = static_cast<double>(dy);
        break;
    case PLANE_BOTTOM:
        plane = &boxPlanes[1];
        delta = static_cast<double>(dy);
        break;
    case PLANE_LEFT:
        plane = &boxPlanes[0];
        delta = -static_cast<double>(dx);
        break;
    case PLANE_RIGHT:
        plane = &boxPlanes[3];
        delta = -static_cast<double>(dx);
        break;
    default:
        return;
    }
    *plane =
        static_cast<float>(static_cast<double>(*plane) + delta * static_cast<double>(DRAG_STEP));
}

RayTestRecord testScene() {
    RayTestRecord record;
    rayBoxIntersect(&boxPlanes[0], &boxPlanes[3], rayStart, rayDir, record);
    return record;
}

const float* givenDirection() {
    return rayDirNormalised == 1 ? rayDirGiven : nullptr;
}
