// The viewer's entry points: window set-up, GLUT callbacks and drawing steps.
#pragma once

#include <string>
#include <vector>

// The shorter window side shows this many scene units.
constexpr int SCENE_SPAN = 30;

// Size of drawText's message buffer, terminator included.
constexpr int TEXT_BUFFER_SIZE = 200;

// Initialises GLUT, opens the window, sets up the scene and registers the callbacks:
// everything main does before it enters the event loop. Why the window cannot be drawn
// (a size beyond the GL's), or empty.
std::string startViewer(int* argc, char** argv);

// Draws the first frame off-screen and saves it to path as a PNG, then names the path on
// standard output; the exit status: 0, or 1 if the picture cannot be had or written.
int takeSnapshot(const std::string& path);

// Writes bytes to path: "-" and the program's own standard output or error through their
// descriptors; a device, pipe or socket in place; a regular file (or none yet) by replacing
// it at once, keeping its mode, or in place where it has other names or its folder refuses
// the replacement. The system's reason if it fails, else empty.
std::string writeOutputFile(const std::string& path, const std::vector<unsigned char>& bytes);

// Where a window of this extent starts on a screen of that one: the preferred place if
// the window fits there, else moved back just enough to fit, but not past 0.
int fitWindowPosition(int preferred, int window, int screen);

// Set by a resize, cleared once the frame for the new size has been shown.
extern bool resizePending;

// Builds the right-button menu on the window; called after the first frame, then no-op.
void buildMenuOnce();

void initScene();
void initLineDrawing();
void applySceneProjection(int width, int height);
void onReshape(int width, int height);

void onDisplay();
void drawFrame();
void onIdle();
void runRayTest();
void drawBox();
void drawRay(const float hit[3]);
void drawRayStatus();
// The direction status line's text position from the bottom, the lower of the two lines.
int directionLineY();
void drawAbout();
void drawText(int x, int y, const char* format, ...) __attribute__((format(printf, 3, 4)));

// The teaching view (--explain): the method drawn over the frame, and handles on the ray.
extern bool teachingView;
// Draws the candidate planes, the ray with its handles and crossings, the selected plane,
// the steps and the keys, under the frame's own texts.
void drawTeachingView();
// The ray's start dot and arrow head, which the pointer can drag; over the hit segment.
void drawRayHandles();
// A press at (x, y) window pixels from the top left: true if it took hold of the start dot
// or the arrow head (teaching view only).
bool grabRay(int x, int y);
// Moves what the press took hold of to the pointer; false if it took hold of nothing.
bool moveRay(int x, int y);
void releaseRay();

// Registered by a miss pass: waits for the next frame's turn, then resets the sweep.
void onMissIdle();
// Input callbacks say when the user works the window, which a miss then redraws faster.
void noteInput();

void addMenuEntries();
void onKeyboard(unsigned char key, int x, int y);
void onMenu(int value);
void onMenuStatus(int status, int x, int y);
void onMouse(int button, int state, int x, int y);
void onMotion(int x, int y);
