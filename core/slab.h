// The slab test, the method most libraries ship, beside the candidate-plane test: per axis
// the interval of t between the box's two planes, then the overlap of the intervals. Float
// throughout, each operation rounded to float as written; and the record of how it ran.
#pragma once

#include "core/explain.h"
#include "core/ray_box.h"

#include <string>
#include <vector>

// One axis as the slab test ran it: 1 / d, the distances to the min and max planes, and
// the overlap of the intervals so far after this axis.
struct SlabAxisStep {
    float inverse = 0.0f;
    float toMin = 0.0f; // (boxMin - origin) * inverse: t1
    float toMax = 0.0f; // (boxMax - origin) * inverse: t2
    float tnear = 0.0f;
    float tfar = 0.0f;
};

// Every step by which one slab test decided, its outcome and, on a hit, the entry point.
struct SlabTestRecord {
    SlabAxisStep axes[3];
    float tnear = 0.0f;
    float tfar = 0.0f;
    RayTestResult result = RAY_MISS;
    float hit[3] = {};
};

// The slab test of the ray origin + t * dir against the box [boxMin, boxMax]:
//   tnear = -inf, tfar = +inf; for each axis, inverse = 1 / d, t1 = (min - o) * inverse,
//   t2 = (max - o) * inverse, tnear = fmax(tnear, fmin(t1, t2)), tfar = fmin(tfar,
//   fmax(t1, t2)), where fmin and fmax drop a NaN argument. A hit when tnear <= tfar,
//   tfar >= 0 and 0 <= tnear < inf, entering at o + tnear * d (each coordinate in double,
//   rounded to float); inside when tnear <= tfar, tfar >= 0 and tnear < 0; else a miss.
RayTestResult slabIntersect(const float boxMin[3], const float boxMax[3], const float origin[3],
                            const float dir[3], SlabTestRecord& record);

// The slab test's steps for a learner: with a given direction that was normalised, first
// the direction the test used; a line for each axis (STEP_AXIS), one for the overlap
// (STEP_ENTRY), and the outcome as the window shows it (STEP_OUTCOME).
std::vector<Step> slabStepsOf(const SlabTestRecord& record, const float boxMin[3],
                              const float boxMax[3], const float origin[3], const float dir[3],
                              const float* given = nullptr);

// The same steps' words alone.
std::vector<std::string> explainSlab(const SlabTestRecord& record, const float boxMin[3],
                                     const float boxMax[3], const float origin[3],
                                     const float dir[3], const float* given = nullptr);

// The outcome line for a result and its entry point, as the window shows it.
std::string outcomeOf(RayTestResult result, const float hit[3]);

// Where the two methods disagree on the outcome, one line that says so with both answers
// and, when it is one of the known causes, why; empty when they agree.
std::string disagreement(const RayTestRecord& candidate, const SlabTestRecord& slab,
                         const float boxMin[3], const float boxMax[3], const float origin[3],
                         const float dir[3]);

// The name of a result as the oracle writes it: "hit", "miss" or "inside".
const char* resultName(RayTestResult result);
