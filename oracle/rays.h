// The oracle: rays and boxes from a file, each answered exactly as a method answers it, as
// CSV in input order; a corpus of the rays that break implementations; and a verdict on
// anyone's answers to the same rays. No window, no display.
#pragma once

#include "core/methods.h"

#include <cstdio>

// How a run of the oracle goes: the method that answers, or the candidate planes and the
// slab test side by side; how many threads answer (0: one a core); whether only the rays on
// which the two disagree are written; whether each line's class, after its twelve numbers,
// is written as a last column.
struct OracleRun {
    Method method{};
    bool both = false;
    int jobs = 0;
    bool differ = false;
    bool classes = false;
};

// Reads lines of 12 numbers (origin, direction, box min, box max, each x y z) from in,
// separated by spaces, tabs or commas, and writes a header and a line of answers for each
// to out, in input order; blank lines and lines starting with # are passed over. A line
// that is not 12 numbers gets an error line, and its reason on err. Streams in bounded
// memory. The status: 0, or 1 after a bad line or a failed read or write (a reader that has
// gone is no failure).
int answerRays(std::FILE* in, std::FILE* out, std::FILE* err, const OracleRun& run);

// Writes the corpus: a comment line naming the columns, then one ray and box a line, the 12
// numbers and the class of edge case it belongs to, every number as it reads back exactly.
void printCorpus(std::FILE* out);
