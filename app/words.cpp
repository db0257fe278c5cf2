// The frame in words, from the same test, steps and texts as the picture.
#include "app/words.h"

#include "app/layout.h"
#include "app/scene.h"
#include "core/explain.h"

FrameWords frameWords(const AppState& state) {
    const Scene& scene = state.scene;
    const RayTestRecord candidate = testScene(scene);
    const SlabTestRecord slab = testSceneSlab(scene);
    FrameWords words;
    words.outcome =
        state.method == METHOD_SLAB ? outcomeOf(slab.result, slab.hit) : outcomeText(candidate);
    words.status = {statusText("ray start", scene.rayStart), statusText("ray dir", scene.rayDir)};
    if (state.aboutShown == 1) {
        words.status.emplace_back("ray-box collision demo by Kestrin");
    }
    const float* b = scene.boxPlanes;
    words.box = "box: x from " + shortest(b[0]) + " to " + shortest(b[3]) + ", y from " +
                shortest(b[1]) + " to " + shortest(b[4]);
    if (state.teachingView) {
        const float* lo = &b[0];
        const float* hi = &b[3];
        words.steps =
            state.method == METHOD_SLAB
                ? explainSlab(slab, lo, hi, scene.rayStart, scene.rayDir, givenDirection(scene))
                : explainSteps(candidate, lo, hi, scene.rayStart, scene.rayDir,
                               givenDirection(scene));
        words.current = shownStep(state);
        words.disagreement = disagreement(candidate, slab, lo, hi, scene.rayStart, scene.rayDir);
    }
    return words;
}
