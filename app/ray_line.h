// A ray and its box as twelve numbers on a line, as the oracle, --ray and --compare read
// them: any float syntax, each number rounded to float as strtof rounds it.
#pragma once

#include <string>

// Reads one number: a decimal number (an optional sign, digits with an optional point, an
// optional exponent), inf, -inf or nan in any case, or a C99 hexadecimal float (0x1.8p+3);
// rounded to float as strtof rounds. False if it is none.
bool readOracleNumber(const char* begin, const char* end, float& value);

// Whether a character separates numbers on a line: a space, a tab, a comma or a carriage
// return.
bool isSeparator(char c);

// What a line of a rays file holds.
enum RayLineCheck {
    RAY_LINE_OK,    // twelve numbers
    RAY_LINE_EMPTY, // nothing to answer: blank, or a comment starting with #
    RAY_LINE_BAD,   // anything else; why says what
};

// Reads the line's twelve numbers (origin, direction, box min, box max, each x y z) into
// values. With rest, what follows the twelfth number is the class and goes there; without,
// it is refused.
RayLineCheck readRayLine(const char* begin, const char* end, float values[12], std::string& why,
                         std::string* rest = nullptr);
