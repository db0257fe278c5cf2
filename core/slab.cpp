// The slab test, exactly as its formula is written in float, with the record of its steps,
// their words, and where it parts from the candidate-plane test.
#include "core/slab.h"

#include "core/explain.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iterator>
#include <limits>
#include <utility>

namespace {

constexpr float INF = std::numeric_limits<float>::infinity();
constexpr const char* AXIS_NAMES = "xyz";

// "t from 12 to 32", or what such an interval means when it has no width or no end.
std::string interval(float from, float to) {
    if (from == -INF && to == INF) {
        return "every t";
    }
    return "t from " + shortest(from) + " to " + shortest(to);
}

std::string axisLine(const SlabTestRecord& record, const float boxMin[3], const float boxMax[3],
                     const float origin[3], const float dir[3], int axis) {
    const SlabAxisStep& step = record.axes[axis];
    const std::string name(1, AXIS_NAMES[axis]);
    const float lo = boxMin[axis];
    const float hi = boxMax[axis];
    const float o = origin[axis];
    const std::string box = "[" + shortest(lo) + ", " + shortest(hi) + "]";
    const bool nanMin = std::isnan(step.toMin);
    const bool nanMax = std::isnan(step.toMax);
    const float from = std::fmin(step.toMin, step.toMax);
    const float to = std::fmax(step.toMin, step.toMax);
    if (std::isnan(o) || std::isnan(dir[axis]) || std::isnan(lo) || std::isnan(hi)) {
        return name + ": a NaN among the start, the direction and " + box +
               " makes t1 and t2 NaN: fmin and fmax drop them, every t";
    }
    if (dir[axis] != 0.0f) {
        return name + ": slab " + box + ": " + interval(from, to);
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

std::string overlapLine(const SlabTestRecord& record) {
    std::string line = "overlap: " + interval(record.tnear, record.tfar);
    switch (record.result) {
    case RAY_HIT:
        return line + ", entered ahead: hit at t = " + shortest(record.tnear);
    case RAY_INSIDE:
        return line + ", entered behind the start and left ahead: inside";
    default:
        break;
    }
    if (!(record.tnear <= record.tfar)) {
        return line + ": empty, the ray misses the box";
    }
    if (!(record.tfar >= 0.0f)) {
        return line + ": behind the start, the ray misses the box";
    }
    return line + ": an entry at inf is no entry, the ray misses the box";
}

bool anyOf(const float a[3], bool (*test)(float)) {
    return test(a[0]) || test(a[1]) || test(a[2]);
}

// What an answer of one method says: its outcome, with its t on a hit.
std::string answer(RayTestResult result, float t) {
    return std::string(resultName(result)) + (result == RAY_HIT ? " at t = " + shortest(t) : "");
}

} // namespace

RayTestResult slabIntersect(const float boxMin[3], const float boxMax[3], const float origin[3],
                            const float dir[3], SlabTestRecord& record) {
    record = SlabTestRecord{};
    float tnear = -INF;
    float tfar = INF;
    for (int i = 0; i < 3; ++i) {
        const float inverse = 1.0f / dir[i];
        const float t1 = (boxMin[i] - origin[i]) * inverse;
        const float t2 = (boxMax[i] - origin[i]) * inverse;
        tnear = std::fmax(tnear, std::fmin(t1, t2));
        tfar = std::fmin(tfar, std::fmax(t1, t2));
        record.axes[i] = {inverse, t1, t2, tnear, tfar};
    }
    record.tnear = tnear;
    record.tfar = tfar;
    if (!(tnear <= tfar && tfar >= 0.0f && tnear < INF)) {
        return record.result = RAY_MISS;
    }
    if (tnear < 0.0f) {
        return record.result = RAY_INSIDE;
    }
    for (int i = 0; i < 3; ++i) {
        record.hit[i] =
            static_cast<float>(static_cast<double>(origin[i]) +
                               static_cast<double>(tnear) * static_cast<double>(dir[i]));
    }
    return record.result = RAY_HIT;
}

std::vector<Step> slabStepsOf(const SlabTestRecord& record, const float boxMin[3],
                              const float boxMax[3], const float origin[3], const float dir[3],
                              const float* given) {
    std::vector<Step> steps;
    steps.reserve(6);
    if (given != nullptr) {
        steps.push_back({STEP_DIRECTION, -1, directionLine(given, dir)});
    }
    for (int axis = 0; axis < 3; ++axis) {
        steps.push_back({STEP_AXIS, axis, axisLine(record, boxMin, boxMax, origin, dir, axis)});
    }
    steps.push_back({STEP_ENTRY, -1, overlapLine(record)});
    steps.push_back({STEP_OUTCOME, -1, outcomeOf(record.result, record.hit)});
    return steps;
}

std::vector<std::string> explainSlab(const SlabTestRecord& record, const float boxMin[3],
                                     const float boxMax[3], const float origin[3],
                                     const float dir[3], const float* given) {
    std::vector<Step> steps = slabStepsOf(record, boxMin, boxMax, origin, dir, given);
    std::vector<std::string> lines;
    std::transform(steps.begin(), steps.end(), std::back_inserter(lines),
                   [](Step& step) { return std::move(step.text); });
    return lines;
}

std::string outcomeOf(RayTestResult result, const float hit[3]) {
    RayTestRecord record;
    record.result = result;
    std::copy(hit, hit + 3, record.hit);
    return outcomeText(record);
}

const char* resultName(RayTestResult result) {
    return result == RAY_HIT ? "hit" : result == RAY_INSIDE ? "inside" : "miss";
}

std::string disagreement(const RayTestRecord& candidate, const SlabTestRecord& slab,
                         const float boxMin[3], const float boxMax[3], const float origin[3],
                         const float dir[3]) {
    if (candidate.result == slab.result) {
        return "";
    }
    const auto isNan = [](float v) { return std::isnan(v); };
    const auto isInf = [](float v) { return std::isinf(v); };
    bool crossed = false;
    bool onPlaneStill = false;
    for (int i = 0; i < 3; ++i) {
        crossed = crossed || boxMin[i] > boxMax[i];
        // On one plane of the axis and not the other: on both, both are NaN and dropped.
        onPlaneStill = onPlaneStill ||
                       (dir[i] == 0.0f && (origin[i] == boxMin[i]) != (origin[i] == boxMax[i]));
    }
    std::string cause;
    if (anyOf(origin, isNan) || anyOf(dir, isNan) || anyOf(boxMin, isNan) || anyOf(boxMax, isNan)) {
        cause = "a NaN input: the candidate planes count it below min, the slab test drops it";
    } else if (crossed) {
        cause = "a crossed box: the slab test puts its planes in order, the candidate planes "
                "do not";
    } else if (onPlaneStill) {
        cause = "a start on a face plane with a zero direction component: 0 * inf is NaN";
    } else if (candidate.result == RAY_INSIDE && slab.result == RAY_HIT && slab.tnear == 0.0f) {
        cause = "a start on the boundary: inside for the candidate planes, entered at t = 0 "
                "for the slab test";
    } else if (anyOf(origin, isInf) || anyOf(dir, isInf) || anyOf(boxMin, isInf) ||
               anyOf(boxMax, isInf)) {
        cause = "an infinite input";
    } else {
        cause = "rounding: the two methods round t differently";
    }
    return "the methods disagree: candidate planes " + answer(candidate.result, candidate.entryT) +
           ", slab test " + answer(slab.result, slab.tnear) + " (" + cause + ")";
}
