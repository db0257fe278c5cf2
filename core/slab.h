// The slab test, the method most libraries ship, beside the candidate-plane test: per axis
// the interval of t between the box's two planes, then the overlap of the intervals. Float
// throughout, each operation rounded to float as written, or one of its common variants;
// and the record of how it ran.
#pragma once

#include "core/explain.h"
#include "core/ray_box.h"

#include <string>
#include <vector>

// The modifiers of a slab variant, each a common way of writing the slab test, joined to
// "slab" by '+' in this order: slab+double+div+ternary+strict+robust (or +sign in place of
// +ternary).
enum SlabMinMax {
    SLAB_FMINMAX, // fmin and fmax, which drop a NaN argument and order -0 below +0
    SLAB_TERNARY, // min(a, b) = (b < a) ? b : a and max(a, b) = (a < b) ? b : a, as std::min
    SLAB_SIGN,    // per axis the near plane by the sign bit of 1 / d, then (tn > tnear) ? ...
};
struct SlabVariant {
    bool inDouble = false; // double: the floats converted exactly, the arithmetic in double
    bool divide = false;   // div: (plane - o) / d in place of (plane - o) * (1 / d)
    SlabMinMax form = SLAB_FMINMAX;
    bool strict = false; // strict: tnear < tfar where the rule says tnear <= tfar
    bool robust = false; // robust: each axis's far value times 1 + 2 gamma(3) before tfar
};

bool operator==(const SlabVariant& a, const SlabVariant& b);

// "slab", "slab+double+div" and the like.
std::string variantName(const SlabVariant& variant);

// Reads a variant's name; false if it is none.
bool parseVariant(const std::string& name, SlabVariant& variant);

// All 48 variants, in the order of their modifiers.
std::vector<SlabVariant> allVariants();

// One axis as the slab test ran it: 1 / d, the distances to the min and max planes, and
// the overlap of the intervals so far after this axis; in float or double as the variant
// computes them.
struct SlabAxisStep {
    double inverse = 0.0;
    double toMin = 0.0; // t1
    double toMax = 0.0; // t2
    double tnear = 0.0;
    double tfar = 0.0;
};

// Every step by which one slab test decided, its outcome and, on a hit, t and the entry
// point rounded to float.
struct SlabTestRecord {
    SlabAxisStep axes[3];
    double tnear = 0.0;
    double tfar = 0.0;
    RayTestResult result = RAY_MISS;
    float t = 0.0f;
    float hit[3] = {};
    SlabVariant variant;
};

// The slab test of the ray origin + t * dir against the box [boxMin, boxMax]:
//   tnear = -inf, tfar = +inf; for each axis, inverse = 1 / d, t1 = (min - o) * inverse,
//   t2 = (max - o) * inverse, tnear = fmax(tnear, fmin(t1, t2)), tfar = fmin(tfar,
//   fmax(t1, t2)), where fmin and fmax drop a NaN argument. A hit when tnear <= tfar,
//   tfar >= 0 and 0 <= tnear < inf, entering at o + tnear * d (each coordinate in double,
//   rounded to float); inside when tnear <= tfar, tfar >= 0 and tnear < 0; else a miss.
//   A variant changes the arithmetic, the division, the min and max, the comparison or the
//   far bound as its modifiers say; the outcome rule is the same.
RayTestResult slabIntersect(const float boxMin[3], const float boxMax[3], const float origin[3],
                            const float dir[3], SlabTestRecord& record,
                            const SlabVariant& variant = {});

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

// The name of a result as the oracle writes it: "hit", "miss", "inside" or "undefined".
const char* resultName(RayTestResult result);
