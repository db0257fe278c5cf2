// The exact answer in words: each axis's interval of t as exact values, the overlap, and
// where rounding the entry point to float first would have decided otherwise.
#include "core/exact.h"

#include "core/rational.h"

#include <optional>
#include <string>
#include <vector>

namespace {

constexpr const char* AXIS_NAMES = "xyz";

std::string axisName(int axis) {
    return {AXIS_NAMES + axis, 1};
}

std::string bounds(const float boxMin[3], const float boxMax[3], int axis) {
    return "[" + shortest(boxMin[axis]) + ", " + shortest(boxMax[axis]) + "]";
}

Rational ofFloat(float value) {
    return {scaledFloat(value), Integer(1) << FLOAT_SCALE};
}

// An exact value as the float nearest it, "about" that float where it is not exactly it.
std::string shown(const Rational& value) {
    const float nearest = nearestFloat(value);
    return (compare(value, ofFloat(nearest)) == 0 ? "" : "about ") + shortest(nearest);
}

// The exact interval of t on a moving axis.
std::pair<Rational, Rational> interval(const float boxMin[3], const float boxMax[3],
                                       const float origin[3], const float dir[3], int axis) {
    const Integer start = scaledFloat(origin[axis]);
    const Integer step = scaledFloat(dir[axis]);
    const Rational toMin = ratio(scaledFloat(boxMin[axis]) - start, step);
    const Rational toMax = ratio(scaledFloat(boxMax[axis]) - start, step);
    return dir[axis] > 0 ? std::pair{toMin, toMax} : std::pair{toMax, toMin};
}

// The least t the ray spends in every moving axis's slab (0 at least), and the axis whose
// slab it enters last there, the lowest on a tie; -1 where no axis moves.
std::pair<Rational, int> lastEntry(const float boxMin[3], const float boxMax[3],
                                   const float origin[3], const float dir[3]) {
    Rational near{0, 1};
    int entry = -1;
    for (int i = 0; i < 3; ++i) {
        if (dir[i] != 0.0f) {
            const Rational from = interval(boxMin, boxMax, origin, dir, i).first;
            if (compare(from, near) > 0) {
                near = from;
                entry = i;
            }
        }
    }
    return {near, entry};
}

// An axis's coordinate at the entry, exactly and rounded to float, whose check against the
// bounds comes out otherwise rounded: the axis, the exact value, the rounded one, and
// whether the exact one lies within the bounds.
struct Flipped {
    int axis;
    Rational exact;
    float rounded;
    bool within;
};

std::optional<Flipped> flippedByRounding(const float boxMin[3], const float boxMax[3],
                                         const float origin[3], const float dir[3], int entry,
                                         const Rational& t) {
    for (int i = 0; i < 3; ++i) {
        if (i == entry || dir[i] == 0.0f) {
            continue;
        }
        const Rational x = ratio(scaledFloat(origin[i]) * t.den + t.num * scaledFloat(dir[i]),
                                 t.den * (Integer(1) << FLOAT_SCALE));
        const float rounded = nearestFloat(x);
        const bool within =
            compare(x, ofFloat(boxMin[i])) >= 0 && compare(x, ofFloat(boxMax[i])) <= 0;
        if (within != (boxMin[i] <= rounded && rounded <= boxMax[i])) {
            return Flipped{i, x, rounded, within};
        }
    }
    return std::nullopt;
}

// "exactly y = 2.0000000596 > 2": as many digits as tell the value from the bound.
std::string exactlyText(const Flipped& f, const float boxMin[3], const float boxMax[3]) {
    const bool high =
        f.within ? f.rounded > boxMax[f.axis] : compare(f.exact, ofFloat(boxMax[f.axis])) > 0;
    const float bound = high ? boxMax[f.axis] : boxMin[f.axis];
    std::string value = decimal(f.exact, 11);
    for (int digits = 12; value == shortest(bound) && digits <= 40; ++digits) {
        value = decimal(f.exact, digits);
    }
    const char* sense = f.within ? (high ? " <= " : " >= ") : (high ? " > " : " < ");
    return "exactly " + axisName(f.axis) + " = " + value + sense + shortest(bound);
}

std::string axisLine(const ExactRecord& record, const float boxMin[3], const float boxMax[3],
                     const float origin[3], const float dir[3], int axis) {
    const std::string name = axisName(axis);
    if (boxMin[axis] > boxMax[axis]) {
        const std::string upper(1, static_cast<char>(AXIS_NAMES[axis] - 32));
        return name + ": min" + upper + " " + shortest(boxMin[axis]) + " lies above max" + upper +
               " " + shortest(boxMax[axis]) + ": the box is empty";
    }
    if (!record.axes[axis].moves) {
        return name + ": direction 0, start " + shortest(origin[axis]) +
               (record.axes[axis].within ? " within " : " outside ") +
               bounds(boxMin, boxMax, axis) + (record.axes[axis].within ? ": every t" : ": no t");
    }
    const auto [from, to] = interval(boxMin, boxMax, origin, dir, axis);
    return name + ": slab " + bounds(boxMin, boxMax, axis) + ": t from " + shown(from) + " to " +
           shown(to);
}

} // namespace

std::string roundingDecided(const float boxMin[3], const float boxMax[3], const float origin[3],
                            const float dir[3], int entryAxis) {
    if (entryAxis < 0 || dir[entryAxis] == 0.0f) {
        return {};
    }
    const Rational t = interval(boxMin, boxMax, origin, dir, entryAxis).first;
    const auto flipped = flippedByRounding(boxMin, boxMax, origin, dir, entryAxis, t);
    return flipped ? exactlyText(*flipped, boxMin, boxMax) : std::string();
}

std::vector<Step> exactStepsOf(const ExactRecord& record, const float boxMin[3],
                               const float boxMax[3], const float origin[3], const float dir[3]) {
    std::vector<Step> steps;
    const auto outcome = [&] {
        RayTestRecord shownRecord;
        shownRecord.result = record.result;
        std::copy(record.hit, record.hit + 3, shownRecord.hit);
        steps.push_back({STEP_OUTCOME, -1, outcomeText(shownRecord)});
        return steps;
    };
    if (record.result == RAY_UNDEFINED) {
        steps.push_back({STEP_ENTRY, -1,
                         "a NaN or an infinite number among the start, the direction and the "
                         "box: there is no exact answer"});
        return outcome();
    }
    for (int axis = 0; axis < 3; ++axis) {
        steps.push_back({STEP_AXIS, axis, axisLine(record, boxMin, boxMax, origin, dir, axis)});
    }
    if (record.result == RAY_INSIDE) {
        steps.push_back({STEP_INSIDE, -1, "inside: the start is within the bounds on every axis"});
        return outcome();
    }
    const auto [near, entry] = lastEntry(boxMin, boxMax, origin, dir);
    std::string overlap;
    if (record.empty) {
        overlap = "overlap: none, the box is empty: the ray misses the box";
    } else if (entry < 0 && record.result == RAY_MISS) {
        overlap = "overlap: none, an axis the ray does not move along leaves no t: the ray "
                  "misses the box";
    } else {
        Rational far;
        bool farSet = false;
        for (int i = 0; i < 3; ++i) {
            if (dir[i] != 0.0f) {
                const Rational to = interval(boxMin, boxMax, origin, dir, i).second;
                if (!farSet || compare(to, far) < 0) {
                    far = to;
                    farSet = true;
                }
            }
        }
        overlap = "overlap from t = 0 on: t from " + shown(near) + " to " + shown(far);
        overlap +=
            record.result == RAY_HIT
                ? ", entered by " + axisName(entry) + ": hit at t = " + shortest(record.t)
            : !record.axes[0].within || !record.axes[1].within || !record.axes[2].within
                ? (compare(far, Rational{0, 1}) < 0 ? ": behind the start, the ray misses the box"
                                                    : ": empty, the ray misses the box")
                : "";
    }
    steps.push_back({STEP_ENTRY, entry, overlap});
    if (entry >= 0 && !record.empty) {
        if (const auto flipped = flippedByRounding(boxMin, boxMax, origin, dir, entry, near)) {
            steps.push_back({STEP_CHECK, flipped->axis,
                             exactlyText(*flipped, boxMin, boxMax) + " at t = " + shown(near) +
                                 ": rounded to float first, it would be " +
                                 shortest(flipped->rounded) +
                                 (flipped->within ? ", outside " : ", within ") +
                                 bounds(boxMin, boxMax, flipped->axis)});
        }
    }
    return outcome();
}
