// The named scenes, and predict: the outcome held back until the learner has said it.
#include "app/scenes.h"

#include "app/scene.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

namespace {

// Whether two scenes are the same, bit for bit where a drag or a field could change them:
// a -0 is not a 0, and a NaN is the same NaN.
bool sameScene(const Scene& a, const Scene& b) {
    const auto bits = [](const Scene& scene) {
        std::array<std::uint32_t, 12> words{};
        std::memcpy(words.data(), scene.rayStart, sizeof scene.rayStart);
        std::memcpy(&words[3], scene.rayDir, sizeof scene.rayDir);
        std::memcpy(&words[6], scene.boxPlanes, sizeof scene.boxPlanes);
        return words;
    };
    return bits(a) == bits(b);
}

// What the learner can say of a scene, as a sentence's parts: "hits", "misses", "starts
// inside".
const char* said(int outcome) {
    return outcome == RAY_HIT ? "hit" : outcome == RAY_INSIDE ? "inside" : "miss";
}
const char* does(int outcome) {
    return outcome == RAY_HIT      ? "it hits"
           : outcome == RAY_INSIDE ? "it starts inside"
           : outcome == RAY_MISS   ? "it misses"
                                   : "it has no answer";
}

} // namespace

const char* const PREDICT_PROMPT = "predict: 1 hit, 2 miss or 3 inside?";

const NamedScene* findScene(const std::string& name) {
    const auto* found = std::find_if(std::begin(NAMED_SCENES), std::end(NAMED_SCENES),
                                     [&](const NamedScene& scene) { return scene.name == name; });
    return found == std::end(NAMED_SCENES) ? nullptr : found;
}

std::string sceneNames() {
    std::string names;
    for (const NamedScene& scene : NAMED_SCENES) {
        names += (names.empty() ? "" : ", ") + std::string(scene.name);
    }
    return names;
}

void takeScene(const NamedScene& named, Scene& scene) {
    std::copy(named.start, named.start + 2, scene.rayStart);
    std::copy(named.dir, named.dir + 2, scene.rayDir);
    scene.boxPlanes[0] = named.box[0];
    scene.boxPlanes[1] = named.box[1];
    scene.boxPlanes[3] = named.box[2];
    scene.boxPlanes[4] = named.box[3];
    scene.rayDirNormalised = 0;
}

void chooseScene(AppState& state, const NamedScene& named) {
    takeScene(named, state.scene);
    state.walkStep = -1;
    state.predicted = -1;
}

const NamedScene* sceneNamed(const Scene& scene) {
    for (const NamedScene& named : NAMED_SCENES) {
        Scene taken = scene;
        takeScene(named, taken);
        if (sameScene(taken, scene) && scene.rayStart[2] == 0 && scene.rayDir[2] == 0 &&
            scene.boxPlanes[2] == 0 && scene.boxPlanes[5] == 0) {
            return &named;
        }
    }
    return nullptr;
}

bool outcomeHidden(const AppState& state) {
    return state.predict && (state.predicted < 0 || !sameScene(state.predictedFor, state.scene));
}

bool predictOutcome(AppState& state, int outcome) {
    if (!outcomeHidden(state)) {
        return false;
    }
    state.predicted = outcome;
    state.predictedFor = state.scene;
    state.teachingView = true;
    state.walkStep = 0;
    return true;
}

std::string verdict(const AppState& state) {
    if (!state.predict || outcomeHidden(state)) {
        return {};
    }
    return std::string("You said ") + said(state.predicted) +
           (predictedRightly(state) ? ", and " : ", but ") +
           does(sceneAnswer(state.scene, state.method).result) + ".";
}

bool predictedRightly(const AppState& state) {
    return sceneAnswer(state.scene, state.method).result == state.predicted;
}
