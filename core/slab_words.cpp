// The slab test's steps in words: the base test's as its formula reads, a variant's as the
// values it computed.
#include "core/slab.h"

#include "core/explain.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <utility>

namespace {

constexpr double INF = std::numeric_limits<double>::infinity();
constexpr const char* AXIS_NAMES = "xyz";

// A value the test computed, as the float it is or is reported as; a t of -0 is 0.
std::string shown(double value) {
    return shortest(value == 0.0 ? 0.0f : static_cast<float>(value));
}

// "t from 12 to 32", or what such an interval means when it has no width or no end.
std::string interval(double from, double to) {
    if (from == -INF && to == INF) {
        return "every t";
    }
    return "t from " + shown(from) + " to " + shown(to);
}

// An axis of the base test, in the words its formula reads in: fmin and fmax, 0 * inf.
std::string baseAxisLine(const SlabTestRecord& record, const float boxMin[3], const float boxMax[3],
                         const float origin[3], const float dir[3], int axis) {
    const SlabAxisStep& step = record.axes[axis];
    const std::string name(1, AXIS_NAMES[axis]);
    const float lo = boxMin[axis];
    const float hi = boxMax[axis];
    const float o = origin[axis];
    const std::string box = "[" + shortest(lo) + ", " + shortest(hi) + "]";
    const bool nanMin = std::isnan(step.toMin);
    const bool nanMax = std::isnan(step.toMax);
    const double from = std::fmin(step.toMin, step.toMax);
    const double to = std::fmax(step.toMin, step.toMax);
    if (std::isnan(o) || std::isnan(dir[axis]) || std::isnan(lo) || std::isnan(hi)) {
        return name + ": a NaN among the start, the direction and " + box +
               " makes t1 and t2 NaN: fmin and fmax drop them, every t";
    }
    if (dir[axis] != 0.0f) {
        return name + ": slab " + box + ": " + interval(from, to);
    }
    // A flat box with the ray in its plane, as z is in a flat scene: nothing to learn there.
    if (nanMin && nanMax && lo == hi) {
        return name + ": flat, the ray in its plane: every t";
    }
    std::string line = name + ": direction 0, start " + shortest(o);
    if (nanMin && nanMax) {
        return line + " within " + box + ": 0 * inf is NaN at both planes, fmin and fmax drop " +
               "them: every t";
    }
    if (nanMin || nanMax) {
        return line + " on the plane " + name + " = " + shortest(o) +
               ": 0 * inf is NaN: fmin drops it, and the other plane leaves " + interval(from, to);
    }
    // Within, t1 and t2 are infinities of opposite signs; outside, of the same sign.
    const bool within = from == -INF && to == INF;
    return line + (within ? " within " : " outside ") + box + ": " +
           (within ? "every t" : "no t, " + interval(from, to));
}

// An axis of a variant, as the values it computed.
std::string variantAxisLine(const SlabTestRecord& record, const float boxMin[3],
                            const float boxMax[3], int axis) {
    const SlabAxisStep& step = record.axes[axis];
    return std::string(1, AXIS_NAMES[axis]) + ": slab [" + shortest(boxMin[axis]) + ", " +
           shortest(boxMax[axis]) + "]: t1 = " + shown(step.toMin) + ", t2 = " + shown(step.toMax) +
           ": tnear now " + shown(step.tnear) + ", tfar now " + shown(step.tfar);
}

std::string overlapLine(const SlabTestRecord& record) {
    std::string line = "overlap: " + interval(record.tnear, record.tfar);
    switch (record.result) {
    case RAY_HIT:
        return line + ", entered ahead: hit at t = " + shown(record.tnear);
    case RAY_INSIDE:
        return line + ", entered behind the start and left ahead: inside";
    default:
        break;
    }
    if (record.variant.strict && record.tnear == record.tfar) {
        return line + ": a single point, and < asks for more: the ray misses the box";
    }
    if (!(record.tnear <= record.tfar)) {
        return line + ": empty, the ray misses the box";
    }
    if (!(record.tfar >= 0.0)) {
        return line + ": behind the start, the ray misses the box";
    }
    return line + ": an entry at inf is no entry, the ray misses the box";
}

} // namespace

std::vector<Step> slabStepsOf(const SlabTestRecord& record, const float boxMin[3],
                              const float boxMax[3], const float origin[3], const float dir[3],
                              const float* given) {
    std::vector<Step> steps;
    steps.reserve(6);
    if (given != nullptr) {
        steps.push_back({STEP_DIRECTION, -1, directionLine(given, dir)});
    }
    const bool base = record.variant == SlabVariant{};
    for (int axis = 0; axis < 3; ++axis) {
        steps.push_back({STEP_AXIS, axis,
                         base ? baseAxisLine(record, boxMin, boxMax, origin, dir, axis)
                              : variantAxisLine(record, boxMin, boxMax, axis)});
    }
    steps.push_back({STEP_ENTRY, -1, overlapLine(record)});
    steps.push_back({STEP_OUTCOME, -1, outcomeOf(record.result, record.hit)});
    return steps;
}

std::vector<std::string> explainSlab(const SlabTestRecord& record, const float boxMin[3],
                                     const float boxMax[3], const float origin[3],
                                     const float dir[3], const float* given) {
    return stepTexts(slabStepsOf(record, boxMin, boxMax, origin, dir, given));
}

std::string outcomeOf(RayTestResult result, const float hit[3]) {
    RayTestRecord record;
    record.result = result;
    std::copy(hit, hit + 3, record.hit);
    return outcomeText(record);
}

const char* resultName(RayTestResult result) {
    const char* const names[] = {"miss", "hit", "inside", "undefined"};
    return names[result];
}
