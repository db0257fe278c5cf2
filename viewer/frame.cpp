// One frame: the box, the ray test and its outcome, status lines and the text overlay.
#include "clip.h"
#include "explain.h"
#include "scene.h"
#include "viewer.h"

#include <GL/glu.h>
#include <GL/glut.h>

#include <chrono>
#include <cstdarg>
#include <cstdio>
#include <thread>

namespace {

// Pixel offset of the result line from the window's bottom-left corner.
constexpr int RESULT_X = 34;
constexpr int RESULT_Y = 34;
// The about line sits one text line (20 px) above the result line.
constexpr int ABOUT_Y = 54;
// The inside message starts five eighths of the way across the window.
constexpr double INSIDE_X_FRACTION = 0.625;
// The start line sits at 20/21 of the window height, the direction line 30 px below it.
constexpr double STATUS_Y_FRACTION = 0.9523809523809523;
constexpr double STATUS_LINE_GAP = 30.0;
// A miss pass repeats until the sweep reaches this value, in steps of SWEEP_STEP.
constexpr float SWEEP_END = 15.0f;
constexpr float SWEEP_STEP = 0.25f;
// The shortest time between the starts of two frames that a miss asks for: 60 a second
// while the user works the window, 30 once it has had no input for IDLE_AFTER.
constexpr std::chrono::microseconds FRAME_INTERVAL{16667};
constexpr std::chrono::microseconds RESTING_FRAME_INTERVAL{33333};
constexpr std::chrono::seconds IDLE_AFTER{1};

std::chrono::steady_clock::time_point lastFrameStart;
std::chrono::steady_clock::time_point lastInput;

} // namespace

// Draws the frame into the back buffer, shows it and builds the menu after the first one.
void onDisplay() {
    lastFrameStart = std::chrono::steady_clock::now();
    if (resizePending) {
        resizePending = false;
        glutSwapBuffers();
    }
    drawFrame();
    glutSwapBuffers();
    glFlush();
    buildMenuOnce();
}

// Everything a frame shows, drawn into the back buffer.
void drawFrame() {
    glClear(GL_COLOR_BUFFER_BIT);
    drawBox();
    // The teaching view goes under everything the frame draws after the box, its texts
    // above all.
    if (teachingView) {
        drawTeachingView();
    }
    runRayTest();
    drawRayStatus();
    drawAbout();
    if (lastResult != RAY_HIT) {
        glColor3f(1.0f, 1.0f, 0.0f);
        drawText(RESULT_X, RESULT_Y, "No Intersection");
    }
}

// Between events the sweep starts again, so the next frame runs a full miss pass. Only a
// miss pass registers this callback; once it has run, the event loop may sleep again.
void onIdle() {
    sweepParam = 1.0f;
    glutIdleFunc(nullptr);
}

void noteInput() {
    lastInput = std::chrono::steady_clock::now();
}

// A miss asks for frame after frame. The idle call between two of them waits for the next
// one's turn, so that a picture that does not change does not take a whole core: about 60
// frames a second while the user works the window, 30 once it has been left alone for a
// second. Drags and keys wait no longer than one frame's turn.
void onMissIdle() {
    const auto now = std::chrono::steady_clock::now();
    const auto turn =
        lastFrameStart + (now - lastInput < IDLE_AFTER ? FRAME_INTERVAL : RESTING_FRAME_INTERVAL);
    if (now < turn) {
        std::this_thread::sleep_until(turn);
    }
    onIdle();
}

// Runs the ray-box test on the current scene and draws its outcome: the segment on a hit
// (and the teaching view's handles) first, then the text over them. A miss repeats the test
// while the sweep advances and asks for another frame and an idle reset each time, so the
// window keeps redrawing while the ray misses. The test runs at least once in every frame,
// so a frame never shows an outcome older than the scene it draws.
void runRayTest() {
    RayTestRecord record;
    lastResult = rayBoxIntersect(&boxPlanes[0], &boxPlanes[3], rayStart, rayDir, record);
    if (record.result == RAY_HIT) {
        drawRay(record.hit);
    }
    if (teachingView) {
        drawRayHandles();
    }
    const std::string outcome = outcomeText(record);
    if (record.result == RAY_HIT) {
        glColor3f(1.0f, 0.0f, 0.0f);
        drawText(RESULT_X, RESULT_Y, "%s", outcome.c_str());
        return;
    }
    if (record.result == RAY_INSIDE) {
        drawText(static_cast<int>(windowWidth * INSIDE_X_FRACTION), RESULT_Y, "%s",
                 outcome.c_str());
        return;
    }
    // Every repetition would draw the same text at the same place, so it is drawn once.
    drawText(RESULT_X, RESULT_Y, "%s", outcome.c_str());
    float hit[3];
    do {
        glutPostRedisplay();
        glutIdleFunc(onMissIdle);
        sweepParam = sweepParam + SWEEP_STEP;
    } while (sweepParam < SWEEP_END &&
             (lastResult = rayBoxIntersect(&boxPlanes[0], &boxPlanes[3], rayStart, rayDir, hit)) ==
                 RAY_MISS);
}

// The box as one quad with red, green, blue and yellow corners, blended across. A box
// reaching far beyond the view is cut to a region around it first, as the two triangles
// GL makes of the quad, so that its huge coordinates never reach the rasteriser.
void drawBox() {
    const Region region = viewRegion(windowWidth, windowHeight, SCENE_SPAN);
    if (contains(region, boxPlanes[0], boxPlanes[1]) &&
        contains(region, boxPlanes[3], boxPlanes[4])) {
        glBegin(GL_QUADS);
        glColor3f(1.0f, 0.0f, 0.0f);
        glVertex3f(boxPlanes[0], boxPlanes[1], boxPlanes[2]);
        glColor3f(0.0f, 1.0f, 0.0f);
        glVertex3f(boxPlanes[3], boxPlanes[1], 0.0f);
        glColor3f(0.0f, 0.0f, 1.0f);
        glVertex3f(boxPlanes[3], boxPlanes[4], 0.0f);
        glColor3f(1.0f, 1.0f, 0.0f);
        glVertex3f(boxPlanes[0], boxPlanes[4], 0.0f);
        glEnd();
        return;
    }
    const BoxPieces pieces =
        clipBox(region, boxPlanes[0], boxPlanes[1], boxPlanes[3], boxPlanes[4]);
    for (int triangle = 0; triangle < 2; ++triangle) {
        glBegin(GL_POLYGON);
        for (int i = 0; i < pieces.count[triangle]; ++i) {
            const Corner& corner = pieces.corners[triangle][i];
            glColor3d(corner.rgb[0], corner.rgb[1], corner.rgb[2]);
            glVertex2d(corner.x, corner.y);
        }
        glEnd();
    }
    glColor3f(1.0f, 1.0f, 0.0f);
}

// The yellow segment from the ray's start to the hit point; a segment reaching far beyond
// the view is cut to a region around it first.
void drawRay(const float hit[3]) {
    glColor3f(1.0f, 1.0f, 0.0f);
    glLineWidth(static_cast<GLfloat>(lineWidth));
    double from[2] = {rayStart[0], rayStart[1]};
    double to[2] = {hit[0], hit[1]};
    const Region region = viewRegion(windowWidth, windowHeight, SCENE_SPAN);
    if (contains(region, from[0], from[1]) && contains(region, to[0], to[1])) {
        glBegin(GL_LINES);
        glVertex3fv(rayStart);
        glVertex3fv(hit);
        glEnd();
    } else if (clipSegment(region, from, to)) {
        glBegin(GL_LINES);
        glVertex2dv(from);
        glVertex2dv(to);
        glEnd();
    }
}

int directionLineY() {
    return static_cast<int>(windowHeight * STATUS_Y_FRACTION - STATUS_LINE_GAP);
}

// The ray's start and direction in red, near the top of the window.
void drawRayStatus() {
    glColor3f(1.0f, 0.0f, 0.0f);
    const int x = windowWidth / 3;
    const double startY = windowHeight * STATUS_Y_FRACTION;
    drawText(x, static_cast<int>(startY), "ray start = %f %f %f", static_cast<double>(rayStart[0]),
             static_cast<double>(rayStart[1]), static_cast<double>(rayStart[2]));
    drawText(x, directionLineY(), "ray dir = %f %f %f", static_cast<double>(rayDir[0]),
             static_cast<double>(rayDir[1]), static_cast<double>(rayDir[2]));
}

// Green is set either way; the line itself only when the about toggle is on.
void drawAbout() {
    glColor3f(0.0f, 1.0f, 0.0f);
    if (aboutShown == 1) {
        drawText(RESULT_X, ABOUT_Y, "ray-box collision demo by Kestrin");
    }
}

// Draws a printf-style message in the current colour at (x, y) window pixels from the
// bottom-left corner, then puts the scene projection back. A message longer than the
// buffer is cut. Line smoothing and blending are left off afterwards.
// printf conventions are the point of this helper, hence a C variadic.
void drawText(int x, int y, const char* format, ...) { // NOLINT(cert-dcl50-cpp)
    const int width = windowWidth;
    const int height = windowHeight;
    glDisable(GL_LIGHTING);

    char text[TEXT_BUFFER_SIZE];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);

    // One unit per pixel; a collapsed side still gets a valid one-pixel projection.
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluOrtho2D(0.0, width > 0 ? width : 1, 0.0, height > 0 ? height : 1);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glRasterPos2f(static_cast<GLfloat>(x), static_cast<GLfloat>(y));
    for (const char* c = text; *c != '\0'; ++c) {
        glutBitmapCharacter(GLUT_BITMAP_9_BY_15, static_cast<unsigned char>(*c));
    }
    glPopMatrix();
    glDisable(GL_LINE_SMOOTH);
    glDisable(GL_BLEND);
    applySceneProjection(width, height);
}
