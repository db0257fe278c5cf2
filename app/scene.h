// Process-wide scene state, its start-up values and what changes it.
#pragma once

#include "core/ray_box.h"

// Which plane of the box pointer drags move; any value outside 0..3 means none.
enum PlaneSelection {
    PLANE_NONE = -1,
    PLANE_TOP = 0,
    PLANE_BOTTOM = 1,
    PLANE_LEFT = 2,
    PLANE_RIGHT = 3
};

// Scene units moved per pixel of pointer travel: 25 pixels move a plane one unit.
constexpr float DRAG_STEP = 0.04f;

// The box as minX, minY, minZ, maxX, maxY, maxZ.
extern float boxPlanes[6];
extern float rayStart[3];
extern float rayDir[3];
// The direction's x and y as the user gave them, and 1 if rayDir is that direction scaled to
// unit length (0 if it is as given, or was set otherwise).
extern float rayDirGiven[2];
extern int rayDirNormalised;
extern int selectedPlane;
extern int lineWidth;
extern int windowWidth;
extern int windowHeight;
extern float sweepParam;
extern int lastResult;
extern int lastMouseX;
extern int lastMouseY;
extern int aboutShown;

// Writes the default box (5, 10, 0)-(15, 25, 0).
void createBox();

// Writes the default ray: start (-1, 0.5, 0), direction (0.5, 1, 0).
void resetRay();

// The recorded test of the current scene: boxPlanes against rayStart and rayDir.
RayTestRecord testScene();

// Moves the selected plane for a pointer travel of (dx, dy) pixels, where dx and dy are
// the last position minus the new one (so an upward drag has dy > 0).
void dragSelectedPlane(int dx, int dy);

// The direction's x and y as the user gave them, when rayDir is their normalised form.
const float* givenDirection();
