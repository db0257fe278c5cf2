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

// Where the ray's start lies against the box's two bounds on one axis.
enum AxisSide { SIDE_ABOVE_MAX = 0, SIDE_BELOW_MIN = 1, SIDE_BETWEEN = 2 };

// How the entry point's coordinate on one axis compared with that axis's bounds.
enum BoundsCheck {
    CHECK_NOT_MADE = 0, // the entry axis itself, or an axis after a failed check
    CHECK_WITHIN,
    CHECK_BELOW_MIN, // a NaN coordinate fails here too
    CHECK_ABOVE_MAX,
    CHECK_INFINITE
};

// One axis of a recorded test: the start's side, the candidate plane and its distance
// (when there is one), and the entry point's coordinate with its check.
struct AxisStep {
    AxisSide side = SIDE_BETWEEN;
    float candidate = 0.0f;
    bool hasDistance = false; // false when between, or the direction is zero or NaN here
    float t = -1.0f;
    float hit = 0.0f;
    BoundsCheck check = CHECK_NOT_MADE;
};

// Every step by which one ray-box test decided, as rayBoxIntersect takes them.
struct RayTestRecord {
    AxisStep axes[3];
    int entryAxis = -1; // -1 until the entry plane is chosen (never for a start inside)
    float entryT = -1.0f;
    RayTestResult result = RAY_MISS;
    float hit[3] = {};
};

// Tests the ray origin + t * dir (t >= 0) against the box [boxMin, boxMax].
// On RAY_HIT, hit holds the entry point; on RAY_INSIDE it is untouched; on RAY_MISS
// it may be partly written.
RayTestResult rayBoxIntersect(const float boxMin[3], const float boxMax[3], const float origin[3],
                              const float dir[3], float hit[3]);

// The same test, the same code, recording each step in record; its result is returned too.
RayTestResult rayBoxIntersect(const float boxMin[3], const float boxMax[3], const float origin[3],
                              const float dir[3], RayTestRecord& record);

// The recorded test of the current scene: boxPlanes against rayStart and rayDir.
RayTestRecord testScene();

// Moves the selected plane for a pointer travel of (dx, dy) pixels, where dx and dy are
// the last position minus the new one (so an upward drag has dy > 0).
void dragSelectedPlane(int dx, int dy);
