// Console dialogue: the help text and the prompts for the ray's start and direction.
#pragma once

#include "app/scene.h"

#include <cstdio>
#include <string>

// Prints the help text on standard output.
void printHelp();

// Asks for the x and y of the ray's start on standard output and reads them from
// standard input.
void promptRayStart(Scene& scene);

// Asks for the x and y of the ray's direction, normalises them when a component
// leaves [-1, 1] and reports the result. The caller requests the redraw.
void promptRayDirection(Scene& scene);

// What a word read as a number came to.
enum NumberCheck {
    NUMBER_OK,           // the value is written
    NUMBER_NOT_DECIMAL,  // not a decimal number: "abc", "1.5abc", " 5", "0x10", "nan", "inf"
    NUMBER_OUT_OF_RANGE, // beyond a float either way: "1e39", or "1e-50", which would be 0
};

// Reads a whole word as a number: an optional sign, decimal digits with an optional point,
// an optional exponent, and nothing else. It must be finite as a float and, unless all its
// digits are 0, must not come out as 0. Only on success is the value written.
NumberCheck parseNumber(const std::string& word, float& value);

// What the dialogue says of a word it did not take, the value kept: "not a number,
// keeping 0.500000" or "out of range, keeping …"; the value in the shortest form that reads
// back as it ("keeping 0.5") for a page's own messages.
std::string refusalWords(NumberCheck check, float kept, bool shortestForm = false);

// Scales the x and y of v to unit length; z is left alone.
void normalize2(float v[3]);

// Normalises the x and y of v when either lies outside [-1, 1] (or is NaN), as the
// direction prompt does; true if it did.
bool normalizeOutsideUnitSquare(float v[3]);

// Takes the x and y in rayDir as the user's direction: keeps them as given, then normalises
// rayDir when a component lies outside [-1, 1]; true if it did.
bool takeGivenDirection(Scene& scene);

// The same dialogue on other streams, so it can be driven by scripted input.
void printHelp(std::FILE* out);
void promptRayStart(Scene& scene, std::FILE* in, std::FILE* out);
void promptRayDirection(Scene& scene, std::FILE* in, std::FILE* out);
