// One frame: the ray test pass, the painter of the frame's layout, and the text overlay.
#include "app/layout.h"
#include "app/scene.h"
#include "desktop/viewer.h"

#include <GL/glut.h>

#include <chrono>
#include <cstdarg>
#include <cstdio>
#include <thread>

namespace {

// A miss pass repeats until the sweep reaches this value, in steps of SWEEP_STEP.
constexpr float SWEEP_END = 15.0f;
constexpr float SWEEP_STEP = 0.25f;
// The shortest time between the starts of two frames that a miss asks for: 60 a second
// while the user works the window, 30 once it has had no input for IDLE_AFTER.
constexpr std::chrono::microseconds FRAME_INTERVAL{16667};
constexpr std::chrono::microseconds RESTING_FRAME_INTERVAL{33333};
constexpr std::chrono::seconds IDLE_AFTER{1};

} // namespace

// Draws the frame into the back buffer, shows it and builds the menu after the first one.
void onDisplay() {
    desktop.lastFrameStart = std::chrono::steady_clock::now();
    if (desktop.resizePending) {
        desktop.resizePending = false;
        glutSwapBuffers();
    }
    drawFrame();
    glutSwapBuffers();
    glFlush();
    buildMenuOnce();
}

// Everything a frame shows, drawn into the back buffer: the test's outcome laid out, then
// painted.
void drawFrame() {
    paintFrame(layoutFrame(desktop.state, runRayTest()));
}

// Between events the sweep starts again, so the next frame runs a full miss pass. Only a
// miss pass registers this callback; once it has run, the event loop may sleep again.
void onIdle() {
    desktop.state.sweepParam = 1.0f;
    glutIdleFunc(nullptr);
}

void noteInput() {
    desktop.lastInput = std::chrono::steady_clock::now();
}

// A miss asks for frame after frame. The idle call between two of them waits for the next
// one's turn, so that a picture that does not change does not take a whole core: about 60
// frames a second while the user works the window, 30 once it has been left alone for a
// second. Drags and keys wait no longer than one frame's turn.
void onMissIdle() {
    const auto now = std::chrono::steady_clock::now();
    const auto turn =
        desktop.lastFrameStart +
        (now - desktop.lastInput < IDLE_AFTER ? FRAME_INTERVAL : RESTING_FRAME_INTERVAL);
    if (now < turn) {
        std::this_thread::sleep_until(turn);
    }
    onIdle();
}

// The test runs at least once in every frame, so a frame never shows an outcome older than
// the scene it draws. A miss repeats it while the sweep advances and asks for another frame
// and an idle reset each time, so the window keeps redrawing while the ray misses.
RayTestRecord runRayTest() {
    const RayTestRecord record = testScene(desktop.state.scene);
    desktop.state.lastResult = record.result;
    if (record.result != RAY_MISS) {
        return record;
    }
    float hit[3];
    do {
        glutPostRedisplay();
        glutIdleFunc(onMissIdle);
        desktop.state.sweepParam = desktop.state.sweepParam + SWEEP_STEP;
    } while (desktop.state.sweepParam < SWEEP_END &&
             (desktop.state.lastResult = rayBoxIntersect(
                  &desktop.state.scene.boxPlanes[0], &desktop.state.scene.boxPlanes[3],
                  desktop.state.scene.rayStart, desktop.state.scene.rayDir, hit)) == RAY_MISS);
    return record;
}

namespace {

void useColour(const Colour& colour) {
    glColor3f(colour.r, colour.g, colour.b);
}

void drawTextItem(const TextItem& text) {
    useColour(text.colour);
    drawText(text.x, text.y, "%s", text.text.c_str());
}

// The teaching view's lines, in pixels.
void drawLines(const std::vector<LineItem>& lines) {
    for (const LineItem& line : lines) {
        useColour(line.colour);
        glLineWidth(line.width);
        glBegin(GL_LINES);
        glVertex2d(line.x0, line.y0);
        glVertex2d(line.x1, line.y1);
        glEnd();
    }
}

void drawMark(const MarkItem& mark) {
    useColour(mark.colour);
    glPointSize(mark.size);
    glBegin(GL_POINTS);
    glVertex2d(mark.x, mark.y);
    glEnd();
}

} // namespace

// The layout in the order that keeps texts on top: the box; in space the lines behind the
// faces, then the faces and slabs blended back to front; the lines; the segment; the number
// line of t on its plate; the teaching view's texts on their plates; the marks and the ray's
// handles; the frame's own texts.
void paintFrame(const FrameLayout& frame) {
    glClear(GL_COLOR_BUFFER_BIT);
    drawBox(frame);
    if (frame.teaching || frame.view3d) {
        // Thin lines stay thin and never blend into a text's pixels.
        glDisable(GL_LINE_SMOOTH);
        glDisable(GL_BLEND);
    }
    drawLines(frame.backLines);
    if (!frame.triangles.empty()) {
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glBegin(GL_TRIANGLES);
        for (const TriangleItem& triangle : frame.triangles) {
            for (int i = 0; i < 3; ++i) {
                const Colour& c = triangle.colours[static_cast<std::size_t>(i)];
                glColor4f(c.r, c.g, c.b, triangle.alpha);
                glVertex2dv(triangle.corners[static_cast<std::size_t>(i)].data());
            }
        }
        glEnd();
        glDisable(GL_BLEND);
    }
    drawLines(frame.lines);
    drawRay(frame);
    if (frame.band) {
        glColor3f(0, 0, 0);
        glRectd(frame.bandBox.x0, frame.bandBox.y0, frame.bandBox.x1, frame.bandBox.y1);
        drawLines(frame.bandLines);
    }
    for (const TextItem& text : frame.teachingTexts) {
        glColor3f(0, 0, 0);
        glRectd(text.box.x0, text.box.y0, text.box.x1, text.box.y1);
        drawTextItem(text);
    }
    for (const MarkItem& mark : frame.marks) {
        drawMark(mark);
    }
    if (frame.startDot) {
        drawMark(frame.start);
    }
    if (frame.arrow) {
        useColour(frame.arrowColour);
        glBegin(GL_TRIANGLES);
        for (const auto& corner : frame.arrowHead) {
            glVertex2d(corner[0], corner[1]);
        }
        glEnd();
    }
    for (const TextItem& text : frame.texts) {
        drawTextItem(text);
    }
}

// The box as one quad with red, green, blue and yellow corners, blended across, or as the
// pieces it was cut to, each with the colours GL would have given it there.
void drawBox(const FrameLayout& frame) {
    if (frame.boxWhole) {
        glBegin(GL_QUADS);
        for (const Corner& corner : frame.boxQuad) {
            glColor3d(corner.rgb[0], corner.rgb[1], corner.rgb[2]);
            glVertex2d(corner.x, corner.y);
        }
        glEnd();
        return;
    }
    for (int triangle = 0; triangle < 2; ++triangle) {
        glBegin(GL_POLYGON);
        for (int i = 0; i < frame.boxPieces.count[triangle]; ++i) {
            const Corner& corner = frame.boxPieces.corners[triangle][i];
            glColor3d(corner.rgb[0], corner.rgb[1], corner.rgb[2]);
            glVertex2d(corner.x, corner.y);
        }
        glEnd();
    }
}

// The yellow segment from the ray's start to the hit point.
void drawRay(const FrameLayout& frame) {
    if (!frame.segment) {
        return;
    }
    glColor3f(1.0f, 1.0f, 0.0f);
    glLineWidth(frame.segmentWidth);
    glBegin(GL_LINES);
    glVertex2dv(frame.segmentFrom.data());
    glVertex2dv(frame.segmentTo.data());
    glEnd();
}

// Draws a printf-style message in the current colour at (x, y) window pixels from the
// bottom-left corner. A message longer than the buffer is cut. Line smoothing and blending
// are left off afterwards.
// printf conventions are the point of this helper, hence a C variadic.
void drawText(int x, int y, const char* format, ...) { // NOLINT(cert-dcl50-cpp)
    glDisable(GL_LIGHTING);

    char text[TEXT_BUFFER_SIZE];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);

    glPushMatrix();
    glLoadIdentity();
    glRasterPos2f(static_cast<GLfloat>(x), static_cast<GLfloat>(y));
    for (const char* c = text; *c != '\0'; ++c) {
        glutBitmapCharacter(GLUT_BITMAP_9_BY_15, static_cast<unsigned char>(*c));
    }
    glPopMatrix();
    glDisable(GL_LINE_SMOOTH);
    glDisable(GL_BLEND);
}
