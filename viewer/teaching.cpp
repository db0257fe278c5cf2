// The teaching view: the test's method drawn over the frame (candidate planes, the ray with
// its handles, the crossings, the steps in words, the keys) and the pointer moving the ray.
#include "clip.h"
#include "explain.h"
#include "scene.h"
#include "viewer.h"

#include <GL/glut.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

bool teachingView = false;

namespace {

// A press this close to the start dot drags the start; this close to the arrow head, aims.
constexpr double GRAB_PIXELS = 8.5;
constexpr double AIM_PIXELS = 10.5;
// The arrow head's tip sits this far along the ray from its start, and is this long.
constexpr double ARROW_PIXELS = 48.0;
constexpr double ARROW_LENGTH = 12.0;
// Text lines are 15 px apart (the 9 x 15 font); characters are 9 px wide.
constexpr int LINE_PIXELS = 15;
constexpr int CHAR_PIXELS = 9;
// The steps stay above the x planes' labels (y 72), which stay above the about line (y
// 54, 11 px high); the keys line sits below the result line (y 34).
constexpr int LABELS_Y = 72;
constexpr int STEPS_BOTTOM = 90;
constexpr int KEYS_Y = 8;

// What a press in the teaching view took hold of.
enum Handle { HANDLE_NONE, HANDLE_START, HANDLE_ARROW };
Handle held = HANDLE_NONE;

struct Pixel {
    double x;
    double y; // from the bottom, as GL counts
};

double units() {
    return unitsPerPixel(windowWidth, windowHeight, SCENE_SPAN);
}

// The ray's direction in the z = 0 plane as a unit vector; false for a zero or NaN one.
bool unitDirection(double& x, double& y) {
    const double length = std::hypot(static_cast<double>(rayDir[0]), rayDir[1]);
    if (!(length > 0.0) || !std::isfinite(length)) {
        return false;
    }
    x = rayDir[0] / length;
    y = rayDir[1] / length;
    return true;
}

Pixel startPixel() {
    return {rayStart[0] / units(), rayStart[1] / units()};
}

// The arrow head: its tip in pixels and the ray's unit direction it points along.
struct Arrow {
    Pixel tip;
    double dx;
    double dy;
};

// The arrow head, if the ray has a direction: its tip ARROW_PIXELS along from the start.
bool arrowHead(Arrow& arrow) {
    double dx = 0.0;
    double dy = 0.0;
    if (!unitDirection(dx, dy)) {
        return false;
    }
    const Pixel start = startPixel();
    arrow = {{start.x + dx * ARROW_PIXELS, start.y + dy * ARROW_PIXELS}, dx, dy};
    return true;
}

// One line in scene units, of the given width, if it lies within the region around the
// view: nothing far away reaches GL.
void drawLine(double x0, double y0, double x1, double y1, float width) {
    double a[2] = {x0, y0};
    double b[2] = {x1, y1};
    if (!clipSegment(viewRegion(windowWidth, windowHeight, SCENE_SPAN), a, b)) {
        return;
    }
    glLineWidth(width);
    glBegin(GL_LINES);
    glVertex2dv(a);
    glVertex2dv(b);
    glEnd();
}

// A square mark of this size in pixels around a scene point within the view.
void drawMark(double x, double y, float size) {
    if (!contains(shownRegion(windowWidth, windowHeight, SCENE_SPAN), x, y)) {
        return;
    }
    glPointSize(size);
    glBegin(GL_POINTS);
    glVertex2d(x, y);
    glEnd();
}

// Each candidate plane on x and y as a line across the view, labelled with its axis and
// t; the entry plane in white and wider, the others grey.
void drawCandidatePlanes(const RayTestRecord& record) {
    const Region shown = shownRegion(windowWidth, windowHeight, SCENE_SPAN);
    for (int axis = 0; axis < 2; ++axis) {
        const AxisStep& step = record.axes[axis];
        const double c = step.candidate;
        if (step.side == SIDE_BETWEEN || !contains(shown, axis == 0 ? c : 0, axis == 0 ? 0 : c)) {
            continue;
        }
        const bool entry = axis == record.entryAxis && record.entryT >= 0.0f;
        entry ? glColor3f(1.0f, 1.0f, 1.0f) : glColor3f(0.6f, 0.6f, 0.6f);
        if (axis == 0) {
            drawLine(c, shown.minY, c, shown.maxY, entry ? 3.0f : 1.0f);
        } else {
            drawLine(shown.minX, c, shown.maxX, c, entry ? 3.0f : 1.0f);
        }
        const std::string label = std::string(axis == 0 ? "x = " : "y = ") +
                                  shortest(step.candidate) +
                                  ", t = " + (step.hasDistance ? shortest(step.t) : "none");
        const int px = static_cast<int>(c / units());
        drawText(axis == 0 ? px + 4 : 4, axis == 0 ? LABELS_Y : px + 4, "%s", label.c_str());
    }
}

// The ray in any outcome: a thin line from its start to the edge of the view, and a mark
// where it crosses each candidate plane ahead; the entry point on a hit stands out.
void drawRayGuide(const RayTestRecord& record) {
    double dx = 0.0;
    double dy = 0.0;
    if (!unitDirection(dx, dy)) {
        return;
    }
    const Region shown = shownRegion(windowWidth, windowHeight, SCENE_SPAN);
    // Far enough along the ray to leave the view from wherever the start is.
    const double reach = std::hypot(shown.maxX, shown.maxY) +
                         std::hypot(static_cast<double>(rayStart[0]), rayStart[1]);
    glColor3f(0.0f, 1.0f, 1.0f);
    drawLine(rayStart[0], rayStart[1], rayStart[0] + dx * reach, rayStart[1] + dy * reach, 1.0f);
    for (int axis = 0; axis < 2; ++axis) {
        const AxisStep& step = record.axes[axis];
        if (step.hasDistance && step.t >= 0.0f && std::isfinite(step.t)) {
            const bool entered = record.result == RAY_HIT && axis == record.entryAxis;
            entered ? glColor3f(1.0f, 1.0f, 1.0f) : glColor3f(0.0f, 1.0f, 1.0f);
            drawMark(rayStart[0] + step.t * static_cast<double>(rayDir[0]),
                     rayStart[1] + step.t * static_cast<double>(rayDir[1]), entered ? 11.0f : 6.0f);
        }
    }
}

// The selected plane as a white edge of the box, so a drag's target shows.
void drawSelectedPlane() {
    const double minX = boxPlanes[0];
    const double minY = boxPlanes[1];
    const double maxX = boxPlanes[3];
    const double maxY = boxPlanes[4];
    glColor3f(1.0f, 1.0f, 1.0f);
    switch (static_cast<unsigned>(selectedPlane)) {
    case PLANE_TOP:
        drawLine(minX, maxY, maxX, maxY, 4.0f);
        break;
    case PLANE_BOTTOM:
        drawLine(minX, minY, maxX, minY, 4.0f);
        break;
    case PLANE_LEFT:
        drawLine(minX, minY, minX, maxY, 4.0f);
        break;
    case PLANE_RIGHT:
        drawLine(maxX, minY, maxX, maxY, 4.0f);
        break;
    default:
        break;
    }
}

// Splits a line into pieces of at most width characters, at spaces where it can.
std::vector<std::string> wrap(const std::string& line, std::size_t width) {
    std::vector<std::string> pieces;
    std::string rest = line;
    while (rest.size() > width) {
        std::size_t cut = rest.rfind(' ', width);
        cut = cut == std::string::npos || cut == 0 ? width : cut;
        pieces.push_back(rest.substr(0, cut));
        rest = rest.substr(rest[cut] == ' ' ? cut + 1 : cut);
    }
    pieces.push_back(rest);
    return pieces;
}

// The steps in the free part of the window: right of the box (or of the window's middle,
// when the box leaves no room) and between the about line and the status lines. What does
// not fit is cut.
void drawSteps(const RayTestRecord& record) {
    const int boxRight = static_cast<int>(
        std::clamp(std::max(boxPlanes[0], boxPlanes[3]) / units() + 12.0, 0.0, 1e6));
    const int left = boxRight + 20 * CHAR_PIXELS <= windowWidth ? boxRight : windowWidth / 2;
    const int top = directionLineY() - 18; // below the direction line, with a gap
    const int columns = (windowWidth - left - 4) / CHAR_PIXELS;
    if (columns < 8) {
        return;
    }
    std::vector<std::string> steps =
        explainSteps(record, &boxPlanes[0], &boxPlanes[3], rayStart, rayDir);
    steps.pop_back(); // the outcome, which the frame shows itself
    std::vector<std::string> lines;
    for (const std::string& step : steps) {
        const std::vector<std::string> pieces = wrap(step, static_cast<std::size_t>(columns));
        lines.insert(lines.end(), pieces.begin(), pieces.end());
    }
    glColor3f(0.7f, 0.9f, 1.0f);
    int y = top;
    for (const std::string& line : lines) {
        if (y < STEPS_BOTTOM) {
            break;
        }
        drawText(left, y, "%s", line.c_str());
        y -= LINE_PIXELS;
    }
}

} // namespace

void drawTeachingView() {
    RayTestRecord record;
    rayBoxIntersect(&boxPlanes[0], &boxPlanes[3], rayStart, rayDir, record);
    drawCandidatePlanes(record);
    drawSelectedPlane();
    drawRayGuide(record);
    drawSteps(record);
    glColor3f(0.6f, 0.6f, 0.6f);
    drawText(4, KEYS_Y, "%s", "w d a s: top bottom left right plane  h: help  right button: menu");
}

void drawRayHandles() {
    glColor3f(0.0f, 1.0f, 1.0f);
    drawMark(rayStart[0], rayStart[1], 9.0f);
    Arrow arrow{};
    const double u = units();
    if (arrowHead(arrow) && contains(viewRegion(windowWidth, windowHeight, SCENE_SPAN),
                                     arrow.tip.x * u, arrow.tip.y * u)) {
        const Pixel& tip = arrow.tip;
        const double dx = arrow.dx;
        const double dy = arrow.dy;
        const Pixel base{tip.x - dx * ARROW_LENGTH, tip.y - dy * ARROW_LENGTH};
        glBegin(GL_TRIANGLES);
        glVertex2d(tip.x * u, tip.y * u);
        glVertex2d((base.x - dy * ARROW_LENGTH / 2) * u, (base.y + dx * ARROW_LENGTH / 2) * u);
        glVertex2d((base.x + dy * ARROW_LENGTH / 2) * u, (base.y - dx * ARROW_LENGTH / 2) * u);
        glEnd();
    }
    // The frame's texts that follow take the current colour, yellow after the box.
    glColor3f(1.0f, 1.0f, 0.0f);
}

bool grabRay(int x, int y) {
    held = HANDLE_NONE;
    if (!teachingView) {
        return false;
    }
    const Pixel press{static_cast<double>(x), static_cast<double>(windowHeight - y)};
    const Pixel start = startPixel();
    Arrow arrow{};
    if (std::hypot(press.x - start.x, press.y - start.y) <= GRAB_PIXELS) {
        held = HANDLE_START;
    } else if (arrowHead(arrow)) {
        // The arrow head's middle, a little behind its tip.
        const Pixel middle{arrow.tip.x - arrow.dx * ARROW_LENGTH / 2,
                           arrow.tip.y - arrow.dy * ARROW_LENGTH / 2};
        held = std::hypot(press.x - middle.x, press.y - middle.y) <= AIM_PIXELS ? HANDLE_ARROW
                                                                                : HANDLE_NONE;
    }
    return held != HANDLE_NONE;
}

void releaseRay() {
    held = HANDLE_NONE;
}

bool moveRay(int x, int y) {
    const double sceneX = x * units();
    const double sceneY = (windowHeight - y) * units();
    if (held == HANDLE_START) {
        rayStart[0] = static_cast<float>(sceneX);
        rayStart[1] = static_cast<float>(sceneY);
    } else if (held == HANDLE_ARROW) {
        const double dx = sceneX - rayStart[0];
        const double dy = sceneY - rayStart[1];
        const double length = std::hypot(dx, dy);
        // A pointer exactly on the start gives no direction; the old one stays.
        if (length > 0.0) {
            rayDir[0] = static_cast<float>(dx / length);
            rayDir[1] = static_cast<float>(dy / length);
        }
    }
    return held != HANDLE_NONE;
}
