// The methods that answer a ray and a box: the candidate planes, the slab test and its 48
// named variants, and the exact answer; their names, answers, steps in words, and the line
// that says where they part.
#pragma once

#include "core/explain.h"
#include "core/ray_box.h"
#include "core/slab.h"

#include <string>
#include <vector>

enum MethodKind { METHOD_CANDIDATE, METHOD_SLAB, METHOD_EXACT };

struct Method {
    MethodKind kind = METHOD_CANDIDATE;
    SlabVariant slab{}; // for METHOD_SLAB
};

bool operator==(const Method& a, const Method& b);
bool operator!=(const Method& a, const Method& b);

// "candidate", "exact", "slab", "slab+double+div" and the like.
std::string methodName(const Method& method);

// A method in words: "candidate planes", "slab test", "slab+div", "exact answer".
std::string methodTitle(const Method& method);

// Reads a method's name; false if it is none.
bool parseMethod(const std::string& name, Method& method);

// Every method: the candidate planes, the exact answer, then the 48 slab variants.
std::vector<Method> allMethods();

// What a method answers: its outcome, and on a hit t and the entry point.
struct Answer {
    RayTestResult result = RAY_MISS;
    float t = 0.0f;
    float hit[3] = {};
};

Answer answerOf(const Method& method, const float boxMin[3], const float boxMax[3],
                const float origin[3], const float dir[3]);

// The method's steps for a learner, with the direction the test used first where given.
std::vector<Step> methodSteps(const Method& method, const float boxMin[3], const float boxMax[3],
                              const float origin[3], const float dir[3],
                              const float* given = nullptr);

// Where the candidate planes, the slab test (the variant shown, if one is) and the exact
// answer part, one line that says so, with each one's answer and, when it is one of the
// known causes, why; also where the slab test's hit has its point outside the box. Empty
// when they agree.
std::string disagreement(const Method& shown, const float boxMin[3], const float boxMax[3],
                         const float origin[3], const float dir[3]);

// Why the methods part on a ray, as far as it is one of the known causes: its name ("a NaN
// input", "a crossed box", "rounding" and the like) and what it did here.
struct Cause {
    std::string name;
    std::string detail;
};
Cause causeOf(const Method& shown, const float boxMin[3], const float boxMax[3],
              const float origin[3], const float dir[3]);

// A t as the program writes it: the shortest form that reads back, -0 written 0.
std::string shownT(float t);
