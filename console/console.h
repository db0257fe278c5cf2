// Console dialogue: the help text and the prompts for the ray's start and direction.
#pragma once

#include <cstdio>
#include <string>

// Prints the help text on standard output.
void printHelp();

// Asks for the x and y of the ray's start on standard output and reads them from
// standard input.
void promptRayStart();

// Asks for the x and y of the ray's direction, normalises them when a component
// leaves [-1, 1] and reports the result. The caller requests the redraw.
void promptRayDirection();

// Reads a whole word as a finite float that fits a float: "1.5abc", "nan", "inf" and
// "1e99" are not numbers. On success the value is written; otherwise it is left alone.
bool parseNumber(const std::string& word, float& value);

// Scales the x and y of v to unit length; z is left alone.
void normalize2(float v[3]);

// Normalises the x and y of v when either lies outside [-1, 1] (or is NaN), as the
// direction prompt does; true if it did.
bool normalizeOutsideUnitSquare(float v[3]);

// The same dialogue on other streams, so it can be driven by scripted input.
void printHelp(std::FILE* out);
void promptRayStart(std::FILE* in, std::FILE* out);
void promptRayDirection(std::FILE* in, std::FILE* out);
