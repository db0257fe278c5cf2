// The scene, its start-up values and what changes it.
#pragma once

#include "core/exact.h"
#include "core/methods.h"
#include "core/ray_box.h"
#include "core/slab.h"

#include <string>
#include <vector>

// Which plane of the box pointer drags move; any value outside 0..3 means none.
enum PlaneSelection {
    PLANE_NONE = -1,
    PLANE_TOP = 0,
    PLANE_BOTTOM = 1,
    PLANE_LEFT = 2,
    PLANE_RIGHT = 3
};

// Scene units moved per pixel of pointer travel: 25 pixels move a plane one unit.
constexpr float DRAG_STEP = 0.04f;

// The scene: the box and the ray as the user set them.
struct Scene {
    // The box as minX, minY, minZ, maxX, maxY, maxZ.
    float boxPlanes[6] = {5.0f, 10.0f, 0.0f, 15.0f, 25.0f, 0.0f};
    float rayStart[3] = {-1.0f, 0.5f, 0.0f};
    float rayDir[3] = {0.5f, 1.0f, 0.0f};
    // The direction's x and y as the user gave them, and 1 if rayDir is that direction
    // scaled to unit length (0 if it is as given, or was set otherwise).
    float rayDirGiven[2] = {0.5f, 1.0f};
    int rayDirNormalised = 0;
};

// Writes the default box (5, 10, 0)-(15, 25, 0).
void createBox(Scene& scene);

// Writes the default ray: start (-1, 0.5, 0), direction (0.5, 1, 0).
void resetRay(Scene& scene);

// The recorded test of the current scene: boxPlanes against rayStart and rayDir.
RayTestRecord testScene(const Scene& scene);

// The slab test (or a variant of it) of the scene's ray and box, recorded; and the exact
// answer.
SlabTestRecord testSceneSlab(const Scene& scene, const SlabVariant& variant = {});
ExactRecord testSceneExact(const Scene& scene);

// What a method answers for the scene.
Answer sceneAnswer(const Scene& scene, const Method& method);

// The steps of the scene's test by this method, a line each (the direction's
// normalisation first, where it was normalised), and after them the line saying where the
// methods disagree, if they do.
std::vector<std::string> sceneSteps(const Scene& scene, const Method& method);

// Moves the selected plane (a PlaneSelection) for a pointer travel of (dx, dy) pixels, where
// dx and dy are the last position minus the new one (so an upward drag has dy > 0).
void dragSelectedPlane(Scene& scene, int selectedPlane, int dx, int dy);

// The direction's x and y as the user gave them, when rayDir is their normalised form.
const float* givenDirection(const Scene& scene);
