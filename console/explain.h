// The ray-box test put into words: its outcome as the window shows it, and its steps.
#pragma once

#include "scene.h"

#include <string>
#include <vector>

// The outcome as the ray test pass draws it: "Collision at { X = ...; Y = ...; Z = ... }",
// "No Intersection" or "start point is inside box.".
std::string outcomeText(const RayTestRecord& record);

// Each step of a recorded test as one line for a learner: an axis line each for x, y and
// z; unless the start is inside, an "entry: " line and the checks at the entry point; and
// last the outcome. Numbers are written in the shortest form that reads back as the float.
std::vector<std::string> explainSteps(const RayTestRecord& record, const float boxMin[3],
                                      const float boxMax[3], const float origin[3],
                                      const float dir[3]);

// A float in the shortest form that reads back as the same float: 12, 9.5, 0.90000004,
// 3.4028235e+38, inf.
std::string shortest(float value);
