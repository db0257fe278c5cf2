// The frame in words: what the picture shows, for a page that writes it beside the picture
// and for those who cannot see the picture.
#pragma once

#include "app/state.h"

#include <string>
#include <vector>

struct FrameWords {
    // The outcome as the picture writes it, for the method shown; how to predict it while it
    // is held back.
    std::string outcome;
    // The status lines, whole, and the about line when it is shown.
    std::vector<std::string> status;
    // Where the box is: "box: x from 5 to 15, y from 10 to 25".
    std::string box;
    // In the teaching view, the steps of the method shown, the walk's current one (or -1
    // while all are shown), and the line saying where the two methods disagree, if they do.
    std::vector<std::string> steps;
    int current = -1;
    std::string disagreement;
    // The learner's prediction confirmed or corrected, once it is revealed.
    std::string verdict;
};

FrameWords frameWords(const AppState& state);
