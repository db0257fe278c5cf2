// A verdict on anyone's ray-box test: its answers to a file of rays, compared with the
// exact answer, the candidate planes and every slab variant.
#pragma once

#include "core/methods.h"

#include <cstdio>
#include <string>

// How the answers are read and judged: the columns' names where the answers have no header
// of their own; how the function answers for a start inside the box (RAY_HIT, RAY_MISS or
// RAY_INSIDE; -1 for inside where it writes outcomes in words, hit where it writes whether
// the ray intersects); how many units in the last place its t may be off where both say
// hit; and the method it must agree with, if any.
struct CompareRun {
    int jobs = 0;
    std::string columns;
    int insideAs = -1;
    int ulps = 0;
    bool expect = false;
    Method expected{};
};

// Reads the rays as --rays does and the answers to them, CSV: line (optional: else the n-th
// answer goes with the n-th ray), outcome (hit, miss or inside; or true, false, 1, 0, yes
// or no for whether the ray intersects) and t (optional). Writes to out the methods ranked
// by agreement, and the disagreements by class with the closest method and with the exact
// answer, each with an example. A malformed ray or answer is said on err. The status: 0, or
// 1 after a bad line or a failed read, or where expected, unless every answer agrees with it.
int compareAnswers(std::FILE* rays, std::FILE* answers, std::FILE* out, std::FILE* err,
                   const CompareRun& run);
