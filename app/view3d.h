// The 3D view's camera: a perspective turned by azimuth and elevation about the scene's
// middle and framed on the box, the ray's start and its entry point; scene points projected
// to window pixels and window pixels taken back to the scene. No GL.
#pragma once

#include "app/state.h"

// The turn the 3D view starts at and returns to, and how far up or down it may look.
constexpr double DEFAULT_AZIMUTH = 30.0;
constexpr double DEFAULT_ELEVATION = 20.0;
constexpr double MOST_ELEVATION = 89.0;

// The camera: where it is, its right, up and forward directions, its focal length in
// pixels, the picture's middle in window pixels from the bottom left, and the scene's middle
// it turns about with the radius it frames.
struct Camera {
    double eye[3];
    double right[3];
    double up[3];
    double forward[3];
    double focal;
    double centreX;
    double centreY;
    double middle[3];
    double radius;
};

// A scene point in window pixels from the bottom left, and how far in front of the camera it
// lies (not in front where depth <= 0).
struct Projected {
    double x;
    double y;
    double depth;
};

// The camera of the state's 3D view: the scene's middle and radius from the box's corners, the
// ray's start and its entry point where they are finite; far enough back that all of them are
// in the picture over the number line of t, nearer or further by the zoom. With entry, the
// entry point of the method shown (none where it is null), as the caller already has it.
Camera cameraOf(const AppState& state);
Camera cameraOf(const AppState& state, const float* entry);

Projected project(const Camera& camera, const double point[3]);

// The scene point under window pixel (x, y from the bottom) on the plane through `through`
// that faces the camera.
void unproject(const Camera& camera, double x, double y, const double through[3], double out[3]);

// Turns the 3D view by so many degrees, the azimuth kept within [0, 360) and the elevation
// within +-89; back to the default turn and framing.
void turnView(AppState& state, double azimuth, double elevation);
void resetTurn(AppState& state);
