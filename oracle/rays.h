// The oracle: rays and boxes from a file, each answered exactly by the candidate-plane test,
// the slab test or both, as CSV in input order; and a corpus of the rays that break
// implementations. No window, no display.
#pragma once

#include <cstdio>

// Which test answers: the candidate planes, the slab test, or both side by side.
enum OracleMethod { ORACLE_CANDIDATE, ORACLE_SLAB, ORACLE_BOTH };

// How a run of the oracle goes: the method, how many threads answer (0: one a core), and
// whether only the rays on which the two methods disagree are written.
struct OracleRun {
    OracleMethod method = ORACLE_CANDIDATE;
    int jobs = 0;
    bool differ = false;
};

// Reads lines of 12 numbers (origin, direction, box min, box max, each x y z) from in,
// separated by spaces, tabs or commas, and writes a header and a line of answers for each
// to out, in input order; blank lines and lines starting with # are passed over. A line
// that is not 12 numbers gets an error line, and its reason on err. Streams in constant
// memory. The status: 0, or 1 after a bad line or a failed read or write (a reader that has
// gone is no failure).
int answerRays(std::FILE* in, std::FILE* out, std::FILE* err, const OracleRun& run);

// Reads one number as the oracle takes it: a decimal number (an optional sign, digits with
// an optional point, an optional exponent), inf, -inf or nan in any case, or a C99
// hexadecimal float (0x1.8p+3); rounded to float as strtof rounds. False if it is none.
bool readOracleNumber(const char* begin, const char* end, float& value);

// Writes the corpus: a comment line naming the columns, then one ray and box a line, the 12
// numbers and the class of edge case it belongs to, every number as it reads back exactly.
void printCorpus(std::FILE* out);
