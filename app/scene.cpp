// The scene's start-up values, and what changes it.
#include "app/scene.h"

#include "core/explain.h"

void createBox(Scene& scene) {
    const Scene defaults;
    for (int i = 0; i < 6; ++i) {
        scene.boxPlanes[i] = defaults.boxPlanes[i];
    }
}

void resetRay(Scene& scene) {
    const Scene defaults;
    for (int i = 0; i < 3; ++i) {
        scene.rayStart[i] = defaults.rayStart[i];
        scene.rayDir[i] = defaults.rayDir[i];
    }
    scene.rayDirNormalised = 0;
}

void dragSelectedPlane(Scene& scene, int selectedPlane, int dx, int dy) {
    float* plane = nullptr;
    double delta = 0.0;
    // Unsigned test: every value outside 0..3, PLANE_NONE included, selects nothing.
    switch (static_cast<unsigned>(selectedPlane)) {
    case PLANE_TOP:
        plane = &scene.boxPlanes[4];
        delta = static_cast<double>(dy);
        break;
    case PLANE_BOTTOM:
        plane = &scene.boxPlanes[1];
        delta = static_cast<double>(dy);
        break;
    case PLANE_LEFT:
        plane = &scene.boxPlanes[0];
        delta = -static_cast<double>(dx);
        break;
    case PLANE_RIGHT:
        plane = &scene.boxPlanes[3];
        delta = -static_cast<double>(dx);
        break;
    default:
        return;
    }
    *plane =
        static_cast<float>(static_cast<double>(*plane) + delta * static_cast<double>(DRAG_STEP));
}

RayTestRecord testScene(const Scene& scene) {
    RayTestRecord record;
    rayBoxIntersect(&scene.boxPlanes[0], &scene.boxPlanes[3], scene.rayStart, scene.rayDir, record);
    return record;
}

SlabTestRecord testSceneSlab(const Scene& scene, const SlabVariant& variant) {
    SlabTestRecord record;
    slabIntersect(&scene.boxPlanes[0], &scene.boxPlanes[3], scene.rayStart, scene.rayDir, record,
                  variant);
    return record;
}

ExactRecord testSceneExact(const Scene& scene) {
    ExactRecord record;
    exactIntersect(&scene.boxPlanes[0], &scene.boxPlanes[3], scene.rayStart, scene.rayDir, record);
    return record;
}

Answer sceneAnswer(const Scene& scene, const Method& method) {
    return answerOf(method, &scene.boxPlanes[0], &scene.boxPlanes[3], scene.rayStart, scene.rayDir);
}

std::vector<std::string> sceneSteps(const Scene& scene, const Method& method) {
    const float* lo = &scene.boxPlanes[0];
    const float* hi = &scene.boxPlanes[3];
    std::vector<std::string> lines =
        stepTexts(methodSteps(method, lo, hi, scene.rayStart, scene.rayDir, givenDirection(scene)));
    const std::string differ = disagreement(method, lo, hi, scene.rayStart, scene.rayDir);
    if (!differ.empty()) {
        lines.push_back(differ);
    }
    return lines;
}

const float* givenDirection(const Scene& scene) {
    return scene.rayDirNormalised == 1 ? scene.rayDirGiven : nullptr;
}
