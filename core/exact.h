// The exact answer: the twelve floats of a ray and its box taken as exact rational numbers,
// the box as the closed set min <= p <= max on each axis. Decided in double with an error
// bound where that bound decides, and in exact integer arithmetic where it does not.
#pragma once

#include "core/explain.h"
#include "core/ray_box.h"

#include <string>
#include <vector>

// One axis as the exact answer sees it: whether the ray moves along it, whether its start
// lies within the axis's bounds, and the interval of t the ray spends between them (for a
// moving axis), rounded to double for showing.
struct ExactAxis {
    bool moves = false;
    bool within = false;
    double from = 0.0;
    double to = 0.0;
};

struct ExactRecord {
    // RAY_UNDEFINED when one of the twelve numbers is a NaN or infinite: no exact answer.
    RayTestResult result = RAY_MISS;
    // An axis with its min above its max makes the box empty.
    bool empty = false;
    ExactAxis axes[3];
    // The overlap of the intervals, from t = 0 on, rounded to double for showing.
    double tnear = 0.0;
    double tfar = 0.0;
    // On a hit: the axis entered by (the lowest of those entered at the same t), and t and
    // the entry point correctly rounded to float; the entry plane's coordinate is the plane.
    int entryAxis = -1;
    float t = 0.0f;
    float hit[3] = {};
    // Whether double arithmetic with its error bound decided it all, with no exact step.
    bool bounded = false;
};

// The exact answer for the ray origin + t * dir, t >= 0, and the box [boxMin, boxMax]:
// inside when the start lies in the closed box; else a hit at the least t >= 0 at which the
// ray is in it, if there is one; else a miss (an empty box, or a zero direction with the
// start outside). Undefined when an input is a NaN or infinite. Without boundFirst, exact
// arithmetic decides all of it, as it does where the bounds leave it open.
RayTestResult exactIntersect(const float boxMin[3], const float boxMax[3], const float origin[3],
                             const float dir[3], ExactRecord& record, bool boundFirst = true);

// The exact answer's steps for a learner: each axis's interval of t, as exact values
// written as the floats nearest them ("about" where they are not those floats), the
// overlap, where rounding the entry point to float would have decided otherwise ("exactly y
// = 2.0000000596 at t = 5 is above maxY 2"), and the outcome.
std::vector<Step> exactStepsOf(const ExactRecord& record, const float boxMin[3],
                               const float boxMax[3], const float origin[3], const float dir[3]);

// Where a check of the entry point's coordinates against the box, rounded to float as the
// candidate planes round them, comes out otherwise than exactly: the words that say so for
// the first such axis ("exactly y = 2.0000000596 > 2"), or empty. The entry is at the
// exact t of the last plane reached, on this axis.
std::string roundingDecided(const float boxMin[3], const float boxMax[3], const float origin[3],
                            const float dir[3], int entryAxis);
