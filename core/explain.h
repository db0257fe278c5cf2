// The ray-box test put into words: its outcome as the window shows it, and its steps.
#pragma once

#include "core/ray_box.h"

#include <string>
#include <vector>

// The outcome as the ray test pass draws it: "Collision at { X = ...; Y = ...; Z = ... }",
// "No Intersection" or "start point is inside box.".
std::string outcomeText(const RayTestRecord& record);

// What a step of the account is about.
enum StepKind {
    STEP_DIRECTION, // the direction the test used, when it was normalised
    STEP_AXIS,      // where the start lies on one axis, and its candidate plane
    STEP_INSIDE,    // the start within the bounds on every axis
    STEP_ENTRY,     // the entry plane, or why there is none
    STEP_TOO_FAR,   // an entry plane too far away for a float
    STEP_CHECK,     // the entry point against one axis's bounds
    STEP_OUTCOME,   // the outcome, as the window shows it
};

// One line of the account: what it is about, the axis it is about (or -1), and its words.
struct Step {
    StepKind kind;
    int axis;
    std::string text;
};

// Each step of a recorded test as one line for a learner: with a given direction that was
// normalised, first the direction the test used; then an axis line each for x, y and z;
// unless the start is inside, an "entry: " line and the checks at the entry point; and last
// the outcome. Numbers are written in the shortest form that reads back as the float.
std::vector<Step> stepsOf(const RayTestRecord& record, const float boxMin[3], const float boxMax[3],
                          const float origin[3], const float dir[3], const float* given = nullptr);

// The line that leads the steps when the direction was normalised: "direction: (2, 0)
// normalised to (1, 0)".
std::string directionLine(const float given[2], const float dir[3]);

// Steps' words alone, in their order.
std::vector<std::string> stepTexts(std::vector<Step> steps);

// The same steps' words alone.
std::vector<std::string> explainSteps(const RayTestRecord& record, const float boxMin[3],
                                      const float boxMax[3], const float origin[3],
                                      const float dir[3], const float* given = nullptr);

// A float in the shortest form that reads back as the same float: 12, 9.5, 0.90000004,
// 3.4028235e+38, inf.
std::string shortest(float value);

// The same text appended to out, with nothing allocated on the way where to_chars is there.
void appendShortest(std::string& out, float value);

// The same text made with printf and strtof alone, for C++ libraries that have no
// floating-point std::to_chars (the WebAssembly build's).
std::string shortestByPrintf(float value);
