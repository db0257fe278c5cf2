// The exact answer: decided in double where an error bound lets double decide, and in exact
// rational arithmetic where it does not; t and the entry point rounded to float once.
#include "core/exact.h"

#include "core/rational.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr double INF = std::numeric_limits<double>::infinity();
// Double's unit roundoff; each operation below rounds within it.
constexpr double ROUNDOFF = 0x1p-53;
// Where rounding to float goes to infinity: 2^128 - 2^103.
constexpr double OVERFLOW = 0x1.ffffffp127;

// The float nearest every value within err of v, when they all round to the same one: the
// values that round to a float lie strictly between the midpoints to its neighbours.
bool nearestWithin(double v, double err, float& out) {
    if (!std::isfinite(v) || !(err >= 0.0) || (v - err <= 0.0 && v + err >= 0.0)) {
        return false; // which side of 0, and so which zero, is not known
    }
    const auto f = static_cast<float>(v);
    // The midpoint to f's neighbour that way; past the largest float, where rounding
    // overflows. An infinite f stands for everything beyond that on its side.
    const auto midpoint = [f](float towards, double beyond) {
        const float next = std::nextafter(f, towards);
        return std::isinf(next) ? beyond : (static_cast<double>(f) + next) / 2;
    };
    constexpr float FLOAT_INF = std::numeric_limits<float>::infinity();
    const double low = std::isinf(f) ? (f > 0 ? OVERFLOW : -INF) : midpoint(-FLOAT_INF, -OVERFLOW);
    const double high = std::isinf(f) ? (f > 0 ? INF : -OVERFLOW) : midpoint(FLOAT_INF, OVERFLOW);
    if (v - err > low && v + err < high) {
        out = f;
        return true;
    }
    return false;
}

// The plane a ray moving along an axis enters the axis's slab by.
float entryPlane(const float boxMin[3], const float boxMax[3], const float dir[3], int axis) {
    return dir[axis] > 0 ? boxMin[axis] : boxMax[axis];
}

// A hit decided in double, if the error bounds decide it: the entry t and point each round
// to one float whatever the exact values within their bounds, and the entry axis is clear.
bool boundedHit(const float boxMin[3], const float boxMax[3], const float origin[3],
                const float dir[3], const double lower[3], ExactRecord& record) {
    const double near = record.tnear;
    const double nearError = 4 * ROUNDOFF * near;
    int entry = -1;
    for (int i = 0; i < 3; ++i) {
        if (record.axes[i].moves && (entry < 0 || lower[i] > lower[entry])) {
            entry = i;
        }
    }
    for (int i = 0; i < 3; ++i) {
        // Another axis entered at nearly the same t could be the one entered last.
        if (i != entry && record.axes[i].moves &&
            lower[i] + 4 * ROUNDOFF * std::fabs(lower[i]) >= near - nearError) {
            return false;
        }
    }
    float hit[3];
    for (int i = 0; i < 3; ++i) {
        const double along = near * dir[i];
        const double x = origin[i] + along;
        const double error = std::fabs(dir[i]) * nearError +
                             4 * ROUNDOFF * (std::fabs(origin[i]) + std::fabs(along));
        if (i == entry) {
            hit[i] = entryPlane(boxMin, boxMax, dir, i);
        } else if (dir[i] == 0.0f) {
            hit[i] = origin[i];
        } else if (!nearestWithin(x, error, hit[i])) {
            return false;
        }
    }
    if (!nearestWithin(near, nearError, record.t)) {
        return false;
    }
    std::copy(hit, hit + 3, record.hit);
    record.entryAxis = entry;
    return true;
}

// The same, exactly.
void exactly(const float boxMin[3], const float boxMax[3], const float origin[3],
             const float dir[3], ExactRecord& record) {
    Integer scaledOrigin[3];
    Integer scaledDir[3];
    Rational near{0, 1};
    Rational far;
    bool farSet = false;
    int entry = -1;
    for (int i = 0; i < 3; ++i) {
        scaledOrigin[i] = scaledFloat(origin[i]);
        scaledDir[i] = scaledFloat(dir[i]);
        if (!record.axes[i].moves) {
            continue;
        }
        const Integer toMin = scaledFloat(boxMin[i]) - scaledOrigin[i];
        const Integer toMax = scaledFloat(boxMax[i]) - scaledOrigin[i];
        const bool ahead = dir[i] > 0;
        const Rational lower = ratio(ahead ? toMin : toMax, scaledDir[i]);
        const Rational upper = ratio(ahead ? toMax : toMin, scaledDir[i]);
        if (compare(lower, near) > 0) {
            near = lower;
            entry = i;
        }
        if (!farSet || compare(upper, far) < 0) {
            far = upper;
            farSet = true;
        }
    }
    record.tnear = approximately(near);
    record.tfar = approximately(far);
    if (compare(near, far) > 0) {
        record.result = RAY_MISS;
        return;
    }
    // Not inside, so the overlap starts ahead of the start, on the entry axis.
    record.result = RAY_HIT;
    record.entryAxis = entry;
    record.t = nearestFloat(near);
    const Integer scale = Integer(1) << FLOAT_SCALE;
    // An axis the ray does not move along keeps the start's coordinate as given.
    for (int i = 0; i < 3; ++i) {
        record.hit[i] =
            i == entry ? entryPlane(boxMin, boxMax, dir, i)
            : dir[i] == 0.0f
                ? origin[i]
                : nearestFloat(ratio(scaledOrigin[i] * near.den + near.num * scaledDir[i],
                                     near.den * scale));
    }
}

} // namespace

RayTestResult exactIntersect(const float boxMin[3], const float boxMax[3], const float origin[3],
                             const float dir[3], ExactRecord& record, bool boundFirst) {
    record = ExactRecord{};
    for (const float* values : {boxMin, boxMax, origin, dir}) {
        if (!std::all_of(values, values + 3, [](float v) { return std::isfinite(v); })) {
            return record.result = RAY_UNDEFINED;
        }
    }
    bool inside = true;
    bool stillOutside = false;
    double lower[3] = {};
    double near = 0.0;
    double far = INF;
    for (int i = 0; i < 3; ++i) {
        ExactAxis& axis = record.axes[i];
        record.empty = record.empty || boxMin[i] > boxMax[i];
        axis.within = boxMin[i] <= origin[i] && origin[i] <= boxMax[i];
        axis.moves = dir[i] != 0.0f;
        inside = inside && axis.within;
        stillOutside = stillOutside || (!axis.moves && !axis.within);
        if (axis.moves) {
            // Each rounded within a relative 2u + u^2 of its exact value.
            const double toMin = (static_cast<double>(boxMin[i]) - origin[i]) / dir[i];
            const double toMax = (static_cast<double>(boxMax[i]) - origin[i]) / dir[i];
            axis.from = std::min(toMin, toMax);
            axis.to = std::max(toMin, toMax);
            lower[i] = axis.from;
            near = std::max(near, axis.from);
            far = std::min(far, axis.to);
        }
    }
    record.tnear = near;
    record.tfar = far;
    record.bounded = true;
    if (record.empty || stillOutside) {
        return record.result = RAY_MISS;
    }
    if (inside) {
        return record.result = RAY_INSIDE;
    }
    const double nearError = 4 * ROUNDOFF * near;
    const double farError = 4 * ROUNDOFF * std::fabs(far);
    if (boundFirst && near - nearError > far + farError) {
        return record.result = RAY_MISS;
    }
    if (boundFirst && near + nearError < far - farError &&
        boundedHit(boxMin, boxMax, origin, dir, lower, record)) {
        return record.result = RAY_HIT;
    }
    record.bounded = false;
    exactly(boxMin, boxMax, origin, dir, record);
    return record.result;
}
