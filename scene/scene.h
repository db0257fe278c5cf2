// Process-wide scene state and the ray-box intersection test.
#pragma once

// Outcome of one ray-box test.
enum RayTestResult { RAY_MISS = 0, RAY_HIT = 1, RAY_INSIDE = 2 };

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

// Tests the ray origin + t * dir (t >= 0) against the box [boxMin, boxMax].
// On RAY_HIT, hit holds the entry point; on RAY_INSIDE it is untouched; on RAY_MISS
// it may be partly written.
RayTestResult rayBoxIntersect(const float boxMin[3], const float boxMax[3], const float origin[3],
                              const float dir[3], float hit[3]);

// Moves the selected plane for a pointer travel of (dx, dy) pixels, where dx and dy are
// the last position minus the new one (so an upward drag has dy > 0).
void dragSelectedPlane(int dx, int dy);
