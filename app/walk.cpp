// The teaching view's walk through the steps of the test, one at a time or all at once.
#include "app/layout_rooms.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iterator>
#include <limits>
#include <utility>

namespace layout {

std::vector<Step> Layouter::sceneSteps() {
    const Scene& scene = state.scene;
    return methodSteps(state.method, &scene.boxPlanes[0], &scene.boxPlanes[3], scene.rayStart,
                       scene.rayDir, givenDirection(scene));
}

} // namespace layout

int stepCount(const AppState& state) {
    return static_cast<int>(layout::Layouter{state}.sceneSteps().size());
}

int shownStep(const AppState& state) {
    return state.walkStep >= 0 && state.walkStep < stepCount(state) ? state.walkStep : -1;
}

void nextStep(AppState& state) {
    const int next = shownStep(state) + 1;
    state.walkStep = next < stepCount(state) ? next : -1;
}

void previousStep(AppState& state) {
    const int shown = shownStep(state);
    state.walkStep = shown < 0 ? stepCount(state) - 1 : shown - 1;
}

void showAllSteps(AppState& state) {
    state.walkStep = -1;
}
