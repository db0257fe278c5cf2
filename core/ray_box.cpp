// The candidate-plane ray-box test: the box, the ray and nothing else in; the outcome, and
// on request every step by which it decided, out.
#include "core/ray_box.h"

#include <cmath>

namespace {

// Marks an axis that offers no candidate plane.
constexpr float NO_CANDIDATE = -1.0f;

} // namespace

namespace {

// How a coordinate of the entry point compares with its axis's bounds; NaN is below min.
BoundsCheck checkBounds(float value, float min, float max) {
    if (!(value >= min)) {
        return CHECK_BELOW_MIN;
    }
    if (value > max) {
        return CHECK_ABOVE_MAX;
    }
    return std::isinf(value) ? CHECK_INFINITE : CHECK_WITHIN;
}

// The one implementation of the test. With a record it notes each step there; without one
// (nullptr, known when it is compiled) the notes compile to nothing.
// Every comparison below is written so that a NaN operand takes the intended branch:
// "not (a >= b)" is true for NaN, "a > b" is false for NaN.
template <bool RECORD>
RayTestResult intersect(const float boxMin[3], const float boxMax[3], const float origin[3],
                        const float dir[3], float hit[3], RayTestRecord* record) {
    float candidate[3] = {};
    float distance[3];
    bool inside = true;
    for (int i = 0; i < 3; ++i) {
        // 1. Classify the axis: below min, min is its candidate plane; else above max, max.
        AxisSide side = SIDE_BETWEEN;
        if (!(origin[i] >= boxMin[i])) {
            side = SIDE_BELOW_MIN;
            candidate[i] = boxMin[i];
        } else if (origin[i] > boxMax[i]) {
            side = SIDE_ABOVE_MAX;
            candidate[i] = boxMax[i];
        }
        distance[i] = NO_CANDIDATE;
        if constexpr (RECORD) {
            record->axes[i] = {side, candidate[i], false, NO_CANDIDATE, 0.0f, CHECK_NOT_MADE};
        }
        if (side == SIDE_BETWEEN) {
            continue;
        }
        inside = false;
        // 3. Distance along the ray to the candidate plane, in double, rounded once. A
        //    zero or NaN direction component never reaches it.
        if (dir[i] < 0.0f || dir[i] > 0.0f) {
            distance[i] = static_cast<float>(
                (static_cast<double>(candidate[i]) - static_cast<double>(origin[i])) /
                static_cast<double>(dir[i]));
            if constexpr (RECORD) {
                record->axes[i].hasDistance = true;
                record->axes[i].t = distance[i];
            }
        }
    }

    // 2. A start on or within every pair of bounds is inside. (Checked after the loop:
    //    the distances computed meanwhile have no effect on anything.)
    if (inside) {
        return RAY_INSIDE;
    }

    // 4. The candidate reached last is the entry plane; ties keep the lower axis.
    int chosen = 0;
    float entry = distance[0];
    for (int i = 1; i < 3; ++i) {
        if (!(entry >= distance[i])) {
            chosen = i;
            entry = distance[i];
        }
    }
    if constexpr (RECORD) {
        record->entryAxis = chosen;
        record->entryT = entry;
    }

    // 5. The entry plane must lie ahead of the start, at a finite distance: a plane at
    //    infinity is never reached.
    if (!(entry >= 0.0f) || entry == INFINITY) {
        return RAY_MISS;
    }

    // 6. The entry point must lie within the box's other bounds, and be finite even where
    //    a bound is infinite. On the entry axis it is the candidate plane itself.
    for (int i = 0; i < 3; ++i) {
        if (i == chosen) {
            hit[i] = candidate[i];
            continue;
        }
        hit[i] = static_cast<float>(static_cast<double>(origin[i]) +
                                    static_cast<double>(entry) * static_cast<double>(dir[i]));
        const BoundsCheck check = checkBounds(hit[i], boxMin[i], boxMax[i]);
        if constexpr (RECORD) {
            record->axes[i].hit = hit[i];
            record->axes[i].check = check;
        }
        if (check != CHECK_WITHIN) {
            return RAY_MISS;
        }
    }
    return RAY_HIT;
}

} // namespace

RayTestResult rayBoxIntersect(const float boxMin[3], const float boxMax[3], const float origin[3],
                              const float dir[3], float hit[3]) {
    return intersect<false>(boxMin, boxMax, origin, dir, hit, nullptr);
}

RayTestResult rayBoxIntersect(const float boxMin[3], const float boxMax[3], const float origin[3],
                              const float dir[3], RayTestRecord& record) {
    record = RayTestRecord{};
    record.result = intersect<true>(boxMin, boxMax, origin, dir, record.hit, &record);
    return record.result;
}
