// Start-up, one-time GL state, and the scene projection kept in step with the window.
#include "scene.h"
#include "viewer.h"

#include <GL/glu.h>
#include <GL/glut.h>

void startViewer(int* argc, char** argv) {
    glutInit(argc, argv);
    glutInitDisplayMode(GLUT_DOUBLE);
    glutInitWindowSize(windowWidth, windowHeight);
    glutInitWindowPosition(500, 500);
    glutCreateWindow("ray-box collision");
    initScene();

    glutDisplayFunc(onDisplay);
    glutMotionFunc(onMotion);
    glutKeyboardFunc(onKeyboard);
    glutMouseFunc(onMouse);
    glutReshapeFunc(onReshape);
    glutIdleFunc(onIdle);
}

// freeglut gives a menu a window and a GL context of its own. Building it once the first
// frame is on screen keeps that work out of the way of the first frame.
void buildMenuOnce() {
    static bool built = false;
    if (built) {
        return;
    }
    built = true;
    glutCreateMenu(onMenu);
    addMenuEntries();
    glutAttachMenu(GLUT_RIGHT_BUTTON);
}

// Black background, blended corner colours, the default scene and line set-up.
void initScene() {
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glShadeModel(GL_SMOOTH);
    createBox();
    resetRay();
    initLineDrawing();
}

// Keeps the ray's line width within what the GL can draw, and turns on smooth lines.
void initLineDrawing() {
    GLfloat range[2] = {1.0f, 1.0f};
    glGetFloatv(GL_LINE_WIDTH_RANGE, range);
    if (static_cast<float>(lineWidth) > range[1]) {
        lineWidth = static_cast<int>(range[1]);
    }
    glEnable(GL_LINE_SMOOTH);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glHint(GL_LINE_SMOOTH_HINT, GL_NICEST);
}

// The shorter side spans SCENE_SPAN units from 0, the longer side proportionally more.
// A zero side counts as one pixel in the ratio, so a collapsed window divides by nothing.
void applySceneProjection(int width, int height) {
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    const double w = width > 0 ? width : 1;
    const double h = height > 0 ? height : 1;
    if (w <= h) {
        gluOrtho2D(0.0, SCENE_SPAN, 0.0, SCENE_SPAN * h / w);
    } else {
        gluOrtho2D(0.0, SCENE_SPAN * w / h, 0.0, SCENE_SPAN);
    }
    glMatrixMode(GL_MODELVIEW);
}

void onReshape(int width, int height) {
    windowWidth = width;
    windowHeight = height;
    applySceneProjection(width, height);
}
