// The candidate-plane ray-box test and the record of how it decided.
#pragma once

// Outcome of one ray-box test. The candidate planes and the slab tests give the first three;
// only the exact answer is ever undefined, for a NaN or infinite input.
enum RayTestResult { RAY_MISS = 0, RAY_HIT = 1, RAY_INSIDE = 2, RAY_UNDEFINED = 3 };

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
