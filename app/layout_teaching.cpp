// The teaching view laid out over the frame: the candidate planes and their labels, the
// ray's guide, the marks where it crosses them, the selected edge, the handles and the steps.
#include "app/layout_rooms.h"

#include "app/scenes.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <limits>
#include <utility>

namespace layout {

std::string axisLabel(int axis, const AxisStep& step) {
    return std::string(axis == 0   ? "x = "
                       : axis == 1 ? "y = "
                                   : "z = ") +
           shortest(step.candidate) + (step.hasDistance ? ", t = " + shortest(step.t) : "");
}

// Whether a kind of step is about the entry plane and what follows from it.
bool afterEntry(StepKind kind) {
    return kind == STEP_ENTRY || kind == STEP_TOO_FAR || kind == STEP_CHECK || kind == STEP_OUTCOME;
}

// Where the ray crosses the plane at `at` on the axis (0 for x, 1 for y), in pixels.
std::array<double, 2> crossing(const View& view, const RayLine& line, int axis, double at) {
    if (axis == 0) {
        const double x = pixelX(view, at);
        return {x, (line.k - line.a * x) / line.b};
    }
    const double y = pixelY(view, at);
    return {(line.k - line.b * y) / line.a, y};
}

RayLine Layouter::rayLine(const View& view) {
    const double dx = state.scene.rayDir[0];
    const double dy = state.scene.rayDir[1];
    const double c =
        std::fma(dy, static_cast<double>(state.scene.rayStart[0]), -(dx * state.scene.rayStart[1]));
    const double k = (c - dy * view.originX + dx * view.originY) / view.units;
    return {dy, -dx, k,
            std::isfinite(dx) && std::isfinite(dy) && (dx != 0 || dy != 0) && std::isfinite(k)};
}

// The part of the ray within the window, from its start (or where it enters) onwards.
bool Layouter::guideSegment(const FrameLayout& frame, const RayLine& line, double p[2],
                            double q[2]) {
    const double w = std::max(frame.width, 1);
    const double h = std::max(frame.height, 1);
    if (!line.valid) {
        return false;
    }
    if (std::abs(line.b) >= std::abs(line.a)) {
        p[0] = 0;
        p[1] = line.k / line.b;
        q[0] = w;
        q[1] = (line.k - line.a * w) / line.b;
    } else {
        p[0] = line.k / line.a;
        p[1] = 0;
        q[0] = (line.k - line.b * h) / line.a;
        q[1] = h;
    }
    if (!clipSegment(Rect{0, 0, w, h}, p, q)) {
        return false;
    }
    // How far along the ray a point lies from the start, in scene units times the
    // direction's length: only its sign counts.
    const View& view = frame.view;
    const auto along = [&](const double point[2]) {
        return (view.originX + point[0] * view.units - state.scene.rayStart[0]) *
                   state.scene.rayDir[0] +
               (view.originY + point[1] * view.units - state.scene.rayStart[1]) *
                   state.scene.rayDir[1];
    };
    const bool pAhead = along(p) >= 0;
    const bool qAhead = along(q) >= 0;
    if (!pAhead && !qAhead) {
        return false;
    }
    // The start lies between the two: the part behind it is not the ray.
    double* behind = pAhead ? (qAhead ? nullptr : q) : p;
    if (behind != nullptr) {
        behind[0] = pixelX(view, state.scene.rayStart[0]);
        behind[1] = pixelY(view, state.scene.rayStart[1]);
    }
    return true;
}

// The ray's handles: the start dot and the arrow head, where they lie near the window,
// larger for a finger. The arrow head sits at its usual distance along the ray, or where
// that would cover a text, at the first of a few others that covers none in the window.
void Layouter::layoutHandles(FrameLayout& frame) {
    const double length =
        std::hypot(static_cast<double>(state.scene.rayDir[0]), state.scene.rayDir[1]);
    placeHandles(frame, pixelX(frame.view, state.scene.rayStart[0]),
                 pixelY(frame.view, state.scene.rayStart[1]), state.scene.rayDir[0] / length,
                 state.scene.rayDir[1] / length);
}

void Layouter::placeHandles(FrameLayout& frame, double sx, double sy, double dx, double dy) const {
    const double scale = state.touchHandles ? TOUCH_SCALE : 1.0;
    const double reach = ARROW_PIXELS * scale;
    if (!(sx >= -reach && sy >= -reach && sx <= frame.width + reach &&
          sy <= frame.height + reach)) {
        return;
    }
    frame.startDot = true;
    frame.start = {sx, sy, static_cast<float>(START_DOT * scale), CYAN};
    if (!std::isfinite(dx) || !std::isfinite(dy) || (dx == 0 && dy == 0)) {
        return;
    }
    const double size = ARROW_LENGTH * scale;
    const std::vector<PixelBox> texts = textBoxes(frame);
    const auto headAt = [&](double along) {
        const double tipX = sx + dx * ARROW_PIXELS * scale * along;
        const double tipY = sy + dy * ARROW_PIXELS * scale * along;
        const double baseX = tipX - dx * size;
        const double baseY = tipY - dy * size;
        return std::array<std::array<double, 2>, 3>{
            {{tipX, tipY},
             {baseX - dy * size / 2, baseY + dx * size / 2},
             {baseX + dy * size / 2, baseY - dx * size / 2}}};
    };
    frame.arrowHead = headAt(1.0);
    for (const double along : {1.0, 4.0 / 3, 5.0 / 3, 2.0, 2.0 / 3}) {
        const auto head = headAt(along);
        const PixelBox box{std::min({head[0][0], head[1][0], head[2][0]}) - 1,
                           std::min({head[0][1], head[1][1], head[2][1]}) - 1,
                           std::max({head[0][0], head[1][0], head[2][0]}) + 1,
                           std::max({head[0][1], head[1][1], head[2][1]}) + 1};
        if (clearOf(box, texts) && (along == 1.0 || within(frame, box))) {
            frame.arrowHead = head;
            break;
        }
    }
    frame.arrow = true;
    frame.arrowColour = CYAN;
}

// Marks on their planes where the ray's line crosses them ahead of the start, and a hit's
// entry point, larger, where the test reports it; in a walk, those of the current step, a
// failing check's entry point red. A mark that would cover a text is left out.
void Layouter::layoutMarks(FrameLayout& frame, const RayTestRecord& record, const Step* current,
                           std::vector<PixelBox>& taken) {
    const View& view = frame.view;
    const RayLine line = rayLine(view);
    const bool hit = record.result == RAY_HIT;
    std::vector<MarkItem> marks;
    if (hit && (current == nullptr || afterEntry(current->kind))) {
        marks.push_back({pixelX(view, record.hit[0]), pixelY(view, record.hit[1]), 11.0f, WHITE});
    }
    for (int axis = 0; axis < 2 && line.valid; ++axis) {
        const AxisStep& step = record.axes[axis];
        const bool entry = axis == record.entryAxis;
        const bool failed = current != nullptr && current->kind == STEP_CHECK &&
                            record.axes[current->axis].check != CHECK_WITHIN;
        const bool shown = current == nullptr ||
                           (current->kind == STEP_AXIS && current->axis == axis) ||
                           (entry && (current->kind == STEP_ENTRY || failed));
        // A hit's entry point has its own mark, once the entry plane is chosen.
        const bool entered = hit && entry && (current == nullptr || afterEntry(current->kind));
        if (step.hasDistance && step.t >= 0.0f && std::isfinite(step.t) && shown && !entered) {
            const auto [x, y] = crossing(view, line, axis, step.candidate);
            marks.push_back(
                {x, y, entry && failed ? 11.0f : 6.0f, entry && failed ? FAILED : CYAN});
        }
    }
    for (const MarkItem& mark : marks) {
        if (mark.x >= 0 && mark.x <= frame.width && mark.y >= 0 && mark.y <= frame.height &&
            clearOf(markBox(mark), taken)) {
            frame.marks.push_back(mark);
            taken.push_back(markBox(mark));
        }
    }
}

// The candidate planes on x and y as lines across the view, each labelled with its axis and
// t; the entry plane white and wider, the others grey. In a walk, those of the current
// step, and an axis's step or check also shows the axis's two bounds.
void Layouter::layoutPlanes(FrameLayout& frame, const RayTestRecord& record, const Step* current,
                            std::vector<LineItem>& lines, std::vector<PixelBox>& taken) {
    const View& view = frame.view;
    const double w = std::max(frame.width, 1);
    const double h = std::max(frame.height, 1);
    // The line across the view at `at` pixels on the axis, if the view shows it.
    const auto across = [&](int axis, double at, float width, Colour colour) {
        if (at >= 0 && at <= (axis == 0 ? w : h)) {
            lines.push_back(axis == 0 ? LineItem{at, 0, at, h, width, colour}
                                      : LineItem{0, at, w, at, width, colour});
            return true;
        }
        return false;
    };
    for (int axis = 0; axis < 2; ++axis) {
        const auto pixel = [&](double at) {
            return axis == 0 ? pixelX(view, at) : pixelY(view, at);
        };
        if (current != nullptr && (current->kind == STEP_AXIS || current->kind == STEP_CHECK) &&
            current->axis == axis) {
            across(axis, pixel(state.scene.boxPlanes[axis]), 1.0f, BOUNDS);
            across(axis, pixel(state.scene.boxPlanes[axis + 3]), 1.0f, BOUNDS);
        }
        const AxisStep& step = record.axes[axis];
        const bool entry = axis == record.entryAxis && record.entryT >= 0.0f;
        const bool shown = current == nullptr ||
                           (current->kind == STEP_AXIS && current->axis == axis) ||
                           (entry && afterEntry(current->kind));
        const double at = pixel(step.candidate);
        if (step.side != SIDE_BETWEEN && shown &&
            across(axis, at, entry ? 3.0f : 1.0f, entry ? WHITE : GREY)) {
            placeLabel(frame, axis, at, axisLabel(axis, step), entry ? WHITE : GREY, taken);
        }
    }
}

// The selected plane as a white edge of the box, so that a drag's target shows.
void Layouter::layoutSelectedPlane(const FrameLayout& frame, std::vector<LineItem>& lines) {
    const View& view = frame.view;
    const double x0 = pixelX(view, state.scene.boxPlanes[0]);
    const double y0 = pixelY(view, state.scene.boxPlanes[1]);
    const double x1 = pixelX(view, state.scene.boxPlanes[3]);
    const double y1 = pixelY(view, state.scene.boxPlanes[4]);
    const std::array<double, 4> edges[] = {
        {x0, y1, x1, y1}, {x0, y0, x1, y0}, {x0, y0, x0, y1}, {x1, y0, x1, y1}};
    if (static_cast<unsigned>(state.selectedPlane) < 4) {
        const auto& edge = edges[state.selectedPlane];
        double a[2] = {edge[0], edge[1]};
        double b[2] = {edge[2], edge[3]};
        if (clipSegment(Rect{0, 0, std::max(frame.width, 1) * 1.0, std::max(frame.height, 1) * 1.0},
                        a, b)) {
            lines.push_back({a[0], a[1], b[0], b[1], 4.0f, WHITE});
        }
    }
}

// The method over the frame: the steps and the keys, then the marks, then the planes and
// their labels, then the planes, the selected edge and the ray as lines broken round every
// text; the handles. In a walk, only what the current step is about.
void Layouter::layoutTeaching(FrameLayout& frame, const RayTestRecord& record,
                              const SlabTestRecord& slab) {
    const std::vector<Step> steps = sceneSteps();
    const int walk = state.walkStep < static_cast<int>(steps.size()) ? state.walkStep : -1;
    const Step* current = walk >= 0 ? &steps[static_cast<std::size_t>(walk)] : nullptr;
    const Scene& scene = state.scene;
    // Held back for a prediction: the steps, the line of t and what the picture says of them.
    const bool hidden = outcomeHidden(state);
    if (!state.textsInPage) {
        if (!hidden) {
            layoutSteps(frame, steps, walk,
                        disagreement(state.method, &scene.boxPlanes[0], &scene.boxPlanes[3],
                                     scene.rayStart, scene.rayDir));
        }
        frame.teachingTexts.push_back(
            textAt(KEYS_X, KEYS_Y, state.view3d ? KEYS_3D : KEYS, GREY, TEXT_KEYS));
    }
    std::vector<PixelBox> taken = textBoxes(frame);
    if (!hidden) {
        layoutBand(frame, record, slab, current, taken);
    } else if (bandPlace(state).shown) {
        frame.band = true;
        frame.bandBox = bandPlace(state).box;
        const char* const later = "the line of t shows once you predict";
        frame.teachingTexts.push_back(textAt(
            static_cast<int>(frame.bandBox.x0 + frame.bandBox.x1) / 2 -
                static_cast<int>(std::strlen(later)) * CHAR_PIXELS / 2,
            static_cast<int>(frame.bandBox.y0 + frame.bandBox.y1) / 2 - 4, later, GREY, TEXT_BAND));
    }
    if (frame.band) {
        taken.push_back(frame.bandBox);
    }
    if (state.view3d) {
        layoutSpace(frame, record, slab, current, taken);
        return;
    }
    std::vector<LineItem> lines;
    if (hidden) {
        // Only the ray and the box, until the prediction.
    } else if (state.method.kind != METHOD_CANDIDATE) {
        layoutSlab(frame, slab, current, lines, taken);
    } else {
        layoutMarks(frame, record, current, taken);
        layoutPlanes(frame, record, current, lines, taken);
    }
    layoutSelectedPlane(frame, lines);
    double p[2];
    double q[2];
    if (guideSegment(frame, rayLine(frame.view), p, q)) {
        lines.push_back({p[0], p[1], q[0], q[1], 1.0f, CYAN});
    }
    // The picture's lines stay over the number line of t.
    const Rect picture{0, static_cast<double>(bandPlace(state).pictureBottom),
                       std::max(frame.width, 1) * 1.0, std::max(frame.height, 1) * 1.0};
    for (LineItem piece : lines) {
        double a[2] = {piece.x0, piece.y0};
        double b[2] = {piece.x1, piece.y1};
        if (clipSegment(picture, a, b)) {
            piece = {a[0], a[1], b[0], b[1], piece.width, piece.colour};
            addLineAround(frame.lines, piece, taken);
        }
    }
    layoutHandles(frame);
}

} // namespace layout
