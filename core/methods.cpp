// The methods by name, their answers and steps, and where they part: the candidate planes,
// the slab test with its variants, and the exact answer.
#include "core/methods.h"

#include "core/exact.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <limits>

namespace {

bool anyOf(const float* const values[4], bool (*test)(float)) {
    return std::any_of(values, values + 4,
                       [&](const float* v) { return test(v[0]) || test(v[1]) || test(v[2]); });
}

// What an answer of one method says: its outcome, with its t on a hit.
std::string answer(RayTestResult result, float t) {
    return std::string(resultName(result)) + (result == RAY_HIT ? " at t = " + shownT(t) : "");
}

// A point as "(0, 12, 0)".
std::string point(const float p[3]) {
    return "(" + shortest(p[0]) + ", " + shortest(p[1]) + ", " + shortest(p[2]) + ")";
}

// Where the slab test's hit has its point well outside the box, or not a number: how far
// outside it lies beyond what rounding its last bits could explain.
bool pointOff(const SlabTestRecord& slab, const float boxMin[3], const float boxMax[3]) {
    for (int i = 0; i < 3 && slab.result == RAY_HIT; ++i) {
        const float x = slab.hit[i];
        const double scale = std::max({std::fabs(boxMin[i]), std::fabs(boxMax[i]), 1.0f});
        const double beyond = std::max(boxMin[i] - x, x - boxMax[i]);
        if (std::isnan(x) || beyond > scale * 0x1p-16) {
            return true;
        }
    }
    return false;
}

// Whether a float's last bit at t moves the ray further than the box's smallest extent: t
// is too large for a float to place the point.
bool tTooLarge(float t, const float boxMin[3], const float boxMax[3], const float dir[3]) {
    if (t == std::numeric_limits<float>::infinity()) {
        return true;
    }
    if (!std::isfinite(t) || t <= 0.0f) {
        return false;
    }
    const double step = std::nextafter(t, std::numeric_limits<float>::infinity()) - t;
    double extent = std::numeric_limits<double>::infinity();
    double fastest = 0.0;
    for (int i = 0; i < 3; ++i) {
        const double size = static_cast<double>(boxMax[i]) - boxMin[i];
        extent = size > 0 ? std::min(extent, size) : extent;
        fastest = std::max(fastest, std::fabs(static_cast<double>(dir[i])));
    }
    return std::isfinite(extent) && step * fastest > extent;
}

} // namespace

bool operator==(const Method& a, const Method& b) {
    return a.kind == b.kind && (a.kind != METHOD_SLAB || a.slab == b.slab);
}

bool operator!=(const Method& a, const Method& b) {
    return !(a == b);
}

std::string methodName(const Method& method) {
    return method.kind == METHOD_CANDIDATE ? "candidate"
           : method.kind == METHOD_EXACT   ? "exact"
                                           : variantName(method.slab);
}

std::string methodTitle(const Method& method) {
    return method.kind == METHOD_CANDIDATE ? "candidate planes"
           : method.kind == METHOD_EXACT   ? "exact answer"
           : method.slab == SlabVariant{}  ? "slab test"
                                           : variantName(method.slab);
}

bool parseMethod(const std::string& name, Method& method) {
    if (name == "candidate" || name == "exact") {
        method = {name == "exact" ? METHOD_EXACT : METHOD_CANDIDATE, {}};
        return true;
    }
    SlabVariant variant;
    if (parseVariant(name, variant)) {
        method = {METHOD_SLAB, variant};
        return true;
    }
    return false;
}

std::vector<Method> allMethods() {
    std::vector<Method> all{{METHOD_CANDIDATE, {}}, {METHOD_EXACT, {}}};
    const std::vector<SlabVariant> variants = allVariants();
    std::transform(variants.begin(), variants.end(), std::back_inserter(all),
                   [](const SlabVariant& variant) {
                       return Method{METHOD_SLAB, variant};
                   });
    return all;
}

Answer answerOf(const Method& method, const float boxMin[3], const float boxMax[3],
                const float origin[3], const float dir[3]) {
    Answer answer;
    if (method.kind == METHOD_CANDIDATE) {
        RayTestRecord record;
        answer.result = rayBoxIntersect(boxMin, boxMax, origin, dir, record);
        answer.t = record.entryT;
        std::copy(record.hit, record.hit + 3, answer.hit);
    } else if (method.kind == METHOD_EXACT) {
        ExactRecord record;
        answer.result = exactIntersect(boxMin, boxMax, origin, dir, record);
        answer.t = record.t;
        std::copy(record.hit, record.hit + 3, answer.hit);
    } else {
        SlabTestRecord record;
        answer.result = slabIntersect(boxMin, boxMax, origin, dir, record, method.slab);
        answer.t = record.t;
        std::copy(record.hit, record.hit + 3, answer.hit);
    }
    return answer;
}

std::vector<Step> methodSteps(const Method& method, const float boxMin[3], const float boxMax[3],
                              const float origin[3], const float dir[3], const float* given) {
    if (method.kind == METHOD_CANDIDATE) {
        RayTestRecord record;
        rayBoxIntersect(boxMin, boxMax, origin, dir, record);
        return stepsOf(record, boxMin, boxMax, origin, dir, given);
    }
    if (method.kind == METHOD_SLAB) {
        SlabTestRecord record;
        slabIntersect(boxMin, boxMax, origin, dir, record, method.slab);
        std::vector<Step> steps = slabStepsOf(record, boxMin, boxMax, origin, dir, given);
        if (pointOff(record, boxMin, boxMax)) {
            const bool nan =
                std::any_of(record.hit, record.hit + 3, [](float v) { return std::isnan(v); });
            steps.insert(steps.end() - 1, Step{STEP_CHECK, -1,
                                               "its entry point " + point(record.hit) +
                                                   (nan ? " has a coordinate that is not a number"
                                                        : " lies outside the box")});
        }
        return steps;
    }
    ExactRecord record;
    exactIntersect(boxMin, boxMax, origin, dir, record);
    std::vector<Step> steps = exactStepsOf(record, boxMin, boxMax, origin, dir);
    if (given != nullptr) {
        steps.insert(steps.begin(), Step{STEP_DIRECTION, -1, directionLine(given, dir)});
    }
    return steps;
}

std::string shownT(float t) {
    return shortest(t == 0.0f ? 0.0f : t);
}

namespace {

// The three methods' records of one ray, the slab test's by the variant shown.
struct Records {
    RayTestRecord candidate;
    SlabTestRecord slab;
    ExactRecord exact;
};

Records recordsOf(const Method& shown, const float boxMin[3], const float boxMax[3],
                  const float origin[3], const float dir[3]) {
    Records records;
    rayBoxIntersect(boxMin, boxMax, origin, dir, records.candidate);
    slabIntersect(boxMin, boxMax, origin, dir, records.slab,
                  shown.kind == METHOD_SLAB ? shown.slab : SlabVariant{});
    exactIntersect(boxMin, boxMax, origin, dir, records.exact);
    return records;
}

// The cause of a disagreement between these records of the ray.
Cause causeOf(const Records& records, const float boxMin[3], const float boxMax[3],
              const float origin[3], const float dir[3]) {
    const auto& [candidate, slab, exact] = records;
    const float* const inputs[4] = {origin, dir, boxMin, boxMax};
    bool crossed = false;
    bool onPlaneStill = false;
    for (int i = 0; i < 3; ++i) {
        crossed = crossed || boxMin[i] > boxMax[i];
        // On one plane of the axis and not the other: on both, both are NaN and dropped.
        onPlaneStill = onPlaneStill ||
                       (dir[i] == 0.0f && (origin[i] == boxMin[i]) != (origin[i] == boxMax[i]));
    }
    const float t = exact.result == RAY_HIT       ? exact.t
                    : candidate.result == RAY_HIT ? candidate.entryT
                                                  : slab.t;
    const std::string decided = roundingDecided(boxMin, boxMax, origin, dir, candidate.entryAxis);
    if (anyOf(inputs, [](float v) { return std::isnan(v); })) {
        return {"a NaN input", "the candidate planes count it below min, the slab test drops it"};
    }
    if (crossed) {
        return {"a crossed box", "the slab test puts its planes in order, the candidate planes "
                                 "do not, and exactly it is empty"};
    }
    if (onPlaneStill) {
        return {"a start on a face plane with a zero direction component", "0 * inf is NaN"};
    }
    if (candidate.result == RAY_INSIDE && slab.result == RAY_HIT && slab.tnear == 0.0) {
        return {"a start on the boundary",
                "inside for the candidate planes, entered at t = 0 for the slab test"};
    }
    if (anyOf(inputs, [](float v) { return std::isinf(v); })) {
        return {"an infinite input", ""};
    }
    if (tTooLarge(t, boxMin, boxMax, dir)) {
        return {"t too large for a float",
                std::isinf(t) ? "exactly, the ray reaches the box at a t beyond a float's range"
                              : "at t = " + shownT(t) +
                                    " its last bit moves the ray further than the box is wide"};
    }
    if (pointOff(slab, boxMin, boxMax)) {
        return {"a slab entry point outside the box",
                "the slab test's entry point " + point(slab.hit) + " lies outside the box"};
    }
    if (!decided.empty()) {
        return {"rounding", decided + ", but the candidate planes check it rounded to float"};
    }
    return {"rounding", "the methods round t differently"};
}

} // namespace

Cause causeOf(const Method& shown, const float boxMin[3], const float boxMax[3],
              const float origin[3], const float dir[3]) {
    return causeOf(recordsOf(shown, boxMin, boxMax, origin, dir), boxMin, boxMax, origin, dir);
}

std::string disagreement(const Method& shown, const float boxMin[3], const float boxMax[3],
                         const float origin[3], const float dir[3]) {
    const Records records = recordsOf(shown, boxMin, boxMax, origin, dir);
    const auto& [candidate, slab, exact] = records;
    const bool defined = exact.result != RAY_UNDEFINED;
    const bool off = pointOff(slab, boxMin, boxMax);
    const RayTestResult onScreen = shown.kind == METHOD_CANDIDATE ? candidate.result
                                   : shown.kind == METHOD_SLAB    ? slab.result
                                                                  : exact.result;
    const bool parted =
        candidate.result != slab.result ||
        (defined && (onScreen != exact.result ||
                     (shown.kind == METHOD_EXACT && (candidate.result != exact.result))));
    if (!parted && !off) {
        return "";
    }
    const Cause cause = causeOf(records, boxMin, boxMax, origin, dir);
    std::string line =
        (parted ? "the methods disagree: " : "the methods agree, but not on the point: ") +
        methodTitle({METHOD_CANDIDATE, {}}) + " " + answer(candidate.result, candidate.entryT) +
        ", " + methodTitle({METHOD_SLAB, slab.variant}) + " " + answer(slab.result, slab.t) +
        (slab.result == RAY_HIT && off ? " at " + point(slab.hit) : "");
    if (defined) {
        line += ", the exact answer " + answer(exact.result, exact.t);
    }
    return line + " (" + cause.name + (cause.detail.empty() ? "" : ": " + cause.detail) + ")";
}
