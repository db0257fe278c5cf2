// An answer to a ray as anyone's ray-box test writes it, read from a line of CSV and set
// against a method's answer.
#pragma once

#include "core/methods.h"

#include <cstdint>
#include <string>

// What an answer says: an outcome in words (undefined as the exact answer says it), or
// whether the ray intersects.
enum Said { SAID_MISS, SAID_HIT, SAID_INSIDE, SAID_UNDEFINED, SAID_TRUE, SAID_FALSE };

struct Given {
    Said said = SAID_MISS;
    bool hasT = false;
    float t = 0.0f;
    std::string text;
};

// Where the answers keep their fields.
struct Columns {
    int line = -1;
    int outcome = -1;
    int t = -1;
};

// Reads the columns' names, comma-separated; false with why where none is 'outcome'.
bool readColumns(const std::string& names, Columns& columns, std::string& why);

// Reads an answer line by its columns, and its line number where the answers name one;
// false with why if it is none.
bool readGiven(const std::string& text, const Columns& columns, Given& given, long& line,
               std::string& why);

// The distance in units in the last place between two floats.
std::int64_t ulpsApart(float a, float b);

// A method's answer as the report writes it: "hit at t = 5", "miss".
std::string saying(const Answer& answer);

// Whether the given answer says what the method says, a start inside read as insideAs
// (a RayTestResult, or -1: inside for outcomes in words, hit for whether it intersects).
bool agrees(const Given& given, const Answer& answer, int insideAs);
