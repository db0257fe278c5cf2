// The frame in words, from the same test, steps and texts as the picture.
#include "app/words.h"

#include "app/layout.h"
#include "app/scene.h"
#include "app/scenes.h"
#include "core/explain.h"

FrameWords frameWords(const AppState& state) {
    const Scene& scene = state.scene;
    const Answer answer = sceneAnswer(scene, state.method);
    FrameWords words;
    const bool hidden = outcomeHidden(state);
    words.outcome = hidden ? PREDICT_PROMPT : outcomeOf(answer.result, answer.hit);
    words.verdict = verdict(state);
    words.status = {statusText("ray start", scene.rayStart), statusText("ray dir", scene.rayDir)};
    if (state.aboutShown == 1) {
        words.status.emplace_back("ray-box collision demo by Kestrin");
    }
    const float* b = scene.boxPlanes;
    words.box = "box: x from " + shortest(b[0]) + " to " + shortest(b[3]) + ", y from " +
                shortest(b[1]) + " to " + shortest(b[4]);
    if (state.teachingView && !hidden) {
        const float* lo = &b[0];
        const float* hi = &b[3];
        for (Step& step : methodSteps(state.method, lo, hi, scene.rayStart, scene.rayDir,
                                      givenDirection(scene))) {
            words.steps.push_back(std::move(step.text));
        }
        words.current = shownStep(state);
        words.disagreement = disagreement(state.method, lo, hi, scene.rayStart, scene.rayDir);
    }
    return words;
}
