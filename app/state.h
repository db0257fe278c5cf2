// Everything the application knows, as one value: the scene, and what the user is doing
// with it in a window of some size. Each front end holds one; the code without GL reads it
// as const& and changes it through &.
#pragma once

#include "app/scene.h"

// What part of the scene the window shows: the scene point at its bottom-left corner and
// the scene units per pixel, the same on both axes.
struct View {
    double originX;
    double originY;
    double units;
};

// What a press took hold of: nothing of its own, so that a drag moves the selected plane
// (a mouse's press anywhere); the ray's start dot or arrow head; a plane whose edge a finger
// touched; nothing at all (a finger on nothing moves nothing); or, in the 3D view, the
// view itself, which the drag turns.
enum Handle { HANDLE_NONE, HANDLE_START, HANDLE_ARROW, HANDLE_PLANE, HANDLE_NOTHING, HANDLE_TURN };

struct AppState {
    Scene scene;
    int selectedPlane = PLANE_NONE; // a PlaneSelection
    int aboutShown = 0;             // 1 while the about line is shown
    // The teaching view (--explain), and the step of its walk shown alone, counted from 0,
    // or -1 while every step is shown.
    bool teachingView = false;
    int walkStep = -1;
    // The method shown, and the one the method key turns to from the candidate planes.
    Method method{};
    Method otherMethod{METHOD_SLAB, {}};
    // Predict: the outcome held back until the learner picks one (a RayTestResult, -1
    // before the pick) for the scene as it was then.
    bool predict = false;
    int predicted = -1;
    Scene predictedFor{};
    // The 3D view in place of the plane z = 0: its turn in degrees, and its zoom from its
    // framing (below 1 nearer).
    bool view3d = false;
    double azimuth = 30.0;
    double elevation = 20.0;
    double zoom3d = 1.0;
    // The teaching view's own view, once framed or zoomed.
    bool viewMoved = false;
    View movedView{};
    int windowWidth = 640;
    int windowHeight = 480;
    // Where the picture is too small for them, a page shows the frame's own texts, the steps
    // and the keys beside it; the picture then leaves them out. The handles are drawn large
    // enough to see under a finger while one works the picture.
    bool textsInPage = false;
    bool touchHandles = false;
    // Where the pointer was last seen, in window pixels from the top left, and what a
    // press there took hold of.
    int lastMouseX = 0;
    int lastMouseY = 0;
    Handle held = HANDLE_NONE;
    // The miss pass's sweep, and the outcome of the last test it ran.
    float sweepParam = 1.0f;
    int lastResult = RAY_MISS;
    // The hit segment's width in pixels, kept within what the GL can draw.
    int lineWidth = 7;
};
