// The viewer's entry points: window set-up, GLUT callbacks and drawing steps.
#pragma once

#include "app/controls.h"
#include "app/layout.h"
#include "app/options.h"
#include "app/state.h"

#include <chrono>
#include <string>
#include <vector>

// The desktop front end: the application state its GLUT callbacks work on, and what the
// window itself needs to remember. GLUT callbacks take no user pointer, so there is one.
struct Desktop {
    AppState state;
    // Set by a resize, cleared once the frame for the new size has been shown.
    bool resizePending = false;
    bool menuBuilt = false;
    // When the last frame started, and when the user last worked the window.
    std::chrono::steady_clock::time_point lastFrameStart;
    std::chrono::steady_clock::time_point lastInput;
};
extern Desktop desktop;

// Initialises GLUT, opens the window (of the -geometry option's size and place, read by
// parseOptions), sets up the scene and registers the callbacks: everything main does
// before it enters the event loop. Why the window cannot be drawn (a size beyond the
// GL's), or empty.
std::string startViewer(int* argc, char** argv, const Geometry& geometry = {});

// Draws the first frame off-screen and saves it to path as a PNG, then names the path on
// standard output; the exit status: 0, or 1 if the picture cannot be had or written.
int takeSnapshot(const std::string& path);

// Where a window of this extent starts on a screen of that one: the preferred place if
// the window fits there, else moved back just enough to fit, but not past 0.
int fitWindowPosition(int preferred, int window, int screen);

// Builds the right-button menu on the window; called after the first frame, then no-op.
void buildMenuOnce();

void initScene();
void initLineDrawing();
void applyPixelProjection(int width, int height);
void onReshape(int width, int height);

void onDisplay();
// Runs the ray test pass and paints the frame's layout into the back buffer.
void drawFrame();
void onIdle();
// Runs the ray-box test on the current scene, and while the ray misses repeats it as the
// sweep advances, asking for the next frame each time; the test's record.
RayTestRecord runRayTest();
// Paints a frame's layout: only what it holds, where it says.
void paintFrame(const FrameLayout& frame);
void drawBox(const FrameLayout& frame);
void drawRay(const FrameLayout& frame);
void drawText(int x, int y, const char* format, ...) __attribute__((format(printf, 3, 4)));

// Registered by a miss pass: waits for the next frame's turn, then resets the sweep.
void onMissIdle();
// Input callbacks say when the user works the window, which a miss then redraws faster.
void noteInput();

void addMenuEntries();
void onKeyboard(unsigned char key, int x, int y);
void onSpecial(int key, int x, int y);
void onMenu(int value);
void onMenuStatus(int status, int x, int y);
void onMouse(int button, int state, int x, int y);
void onMotion(int x, int y);
