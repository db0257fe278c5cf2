// The scenes a learner starts from, each by name, and predicting a scene's outcome before
// it is shown.
#pragma once

#include "app/state.h"

#include <string>

// A scene by name: what it shows, its start, direction and box (minX, minY, maxX, maxY).
struct NamedScene {
    const char* name;
    const char* title;
    float start[2];
    float dir[2];
    float box[4];
};

// Every named scene, in the order a lesson takes them.
constexpr NamedScene NAMED_SCENES[] = {
    {"hit", "a hit", {1, 3}, {0.5f, 1}, {5, 10, 15, 25}},
    {"miss", "a miss", {1, 3}, {0.1f, 1}, {5, 10, 15, 25}},
    {"inside", "a start inside", {10, 20}, {0.5f, 1}, {5, 10, 15, 25}},
    {"along-face", "along a face", {0, 10}, {1, 0}, {5, 10, 15, 25}},
    {"graze-edge", "grazing an edge", {0, 15}, {1, -1}, {5, 10, 15, 25}},
    {"corner", "a corner hit", {0, 5}, {1, 1}, {5, 10, 15, 25}},
    {"crossed", "a crossed box", {0, 12}, {1, 0}, {15, 10, 5, 25}},
    {"face-along", "on a face, along it", {5, 12}, {0, 1}, {5, 10, 15, 25}},
    {"face-in", "on a face, moving in", {5, 12}, {1, 0}, {5, 10, 15, 25}},
    {"rounding", "where rounding decides", {0, 23.5f}, {1, 0.3f}, {5, 10, 15, 25}},
};

// The named scene of that name; nullptr if there is none.
const NamedScene* findScene(const std::string& name);

// The names, comma-separated, for a message or the usage text.
std::string sceneNames();

// Sets the scene to the named one, z left as the scene has it.
void takeScene(const NamedScene& named, Scene& scene);

// Turns to the named scene: the walk starts again, and a prediction is asked for afresh.
void chooseScene(AppState& state, const NamedScene& named);

// The named scene the state's scene is, if it is one; nullptr otherwise.
const NamedScene* sceneNamed(const Scene& scene);

// Predicting: while predict is on and no pick has been made for the scene as it is, the
// outcome, the segment, the steps and the line of t stay hidden.
bool outcomeHidden(const AppState& state);

// The learner's pick of an outcome (RAY_HIT, RAY_MISS or RAY_INSIDE) for the scene as it is:
// the answer is revealed with the teaching view at its first step. False, and nothing done,
// where nothing is hidden.
bool predictOutcome(AppState& state, int outcome);

// What the frame says where the outcome is hidden: how to pick.
extern const char* const PREDICT_PROMPT;

// Once revealed, the learner's pick confirmed or corrected, with the method's outcome:
// "You said miss, but it hits." Empty where there is no pick for the scene as it is.
std::string verdict(const AppState& state);
// Whether that pick was right.
bool predictedRightly(const AppState& state);
