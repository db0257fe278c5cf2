// The viewer's entry points: window set-up, GLUT callbacks and drawing steps.
#pragma once

#include <string>

// The shorter window side shows this many scene units.
constexpr int SCENE_SPAN = 30;

// Size of drawText's message buffer, terminator included.
constexpr int TEXT_BUFFER_SIZE = 200;

// Initialises GLUT, opens the window, sets up the scene and registers the callbacks:
// everything main does before it enters the event loop.
void startViewer(int* argc, char** argv);

// Replaces the display callback: the first frame is saved to path as a PNG, the path is
// printed and the program ends; 1 if the file cannot be written.
void takeSnapshotOfFirstFrame(const std::string& path);

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
void drawAbout();
void drawText(int x, int y, const char* format, ...) __attribute__((format(printf, 3, 4)));

void addMenuEntries();
void onKeyboard(unsigned char key, int x, int y);
void onMenu(int value);
void onMouse(int button, int state, int x, int y);
void onMotion(int x, int y);
