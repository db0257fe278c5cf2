// Lays out a frame as data: the plain frame's box, segment and texts where the program has
// always drawn them, and the teaching view's lines, labels, marks, handles and steps placed
// so that no line, mark or label crosses a text.
#include "app/layout.h"

#include "core/explain.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iterator>
#include <limits>
#include <utility>

namespace {

// The 9 x 15 font: characters 9 px wide, lines 15 px apart. A character's cell reaches 4 px
// below the baseline and 11 above it.
constexpr int CHAR_PIXELS = 9;
constexpr int LINE_PIXELS = 15;
constexpr int BELOW_BASELINE = 4;
constexpr int ABOVE_BASELINE = 12;
// The result line's place; the about line sits one text line (20 px) above it.
constexpr int RESULT_X = 34;
constexpr int RESULT_Y = 34;
constexpr int ABOUT_Y = 54;
// The inside message starts five eighths of the way across the window.
constexpr double INSIDE_X_FRACTION = 0.625;
// The start line sits at 20/21 of the window height, the direction line 30 px below it.
constexpr double STATUS_Y_FRACTION = 0.9523809523809523;
constexpr double STATUS_LINE_GAP = 30.0;
// The teaching view's keys line, at the bottom left.
constexpr int KEYS_X = 4;
constexpr int KEYS_Y = 8;
// The steps: their first baseline this far below the direction line's, their last no lower
// than STEPS_BOTTOM (clear of the about line); a column narrower than MIN_COLUMNS
// characters would break them into fragments.
constexpr int STEPS_GAP = 18;
constexpr int STEPS_BOTTOM = 76;
constexpr int STEPS_MARGIN = 12;
constexpr int MIN_COLUMNS = 24;
// An x plane's label is tried first at this baseline, where it has always been.
constexpr int LABEL_Y = 72;
// The arrow head's tip sits this far along the ray from its start, and is this long.
constexpr double ARROW_PIXELS = 48.0;
constexpr double ARROW_LENGTH = 12.0;
// A framed view keeps this many pixels round what it frames: room for the arrow head.
constexpr double FRAME_MARGIN = 64.0;

constexpr Colour RED{1.0f, 0.0f, 0.0f};
constexpr Colour GREEN{0.0f, 1.0f, 0.0f};
constexpr Colour YELLOW{1.0f, 1.0f, 0.0f};
constexpr Colour WHITE{1.0f, 1.0f, 1.0f};
constexpr Colour GREY{0.6f, 0.6f, 0.6f};
constexpr Colour CYAN{0.0f, 1.0f, 1.0f};
constexpr Colour STEPS{0.7f, 0.9f, 1.0f};
constexpr Colour DIM_STEPS{0.35f, 0.45f, 0.5f};
constexpr Colour BOUNDS{1.0f, 0.6f, 0.2f};
constexpr Colour FAILED{1.0f, 0.3f, 0.3f};

const char* const KEYS = "w d a s: plane  n p Esc: steps  f r: frame, unframe  h: help";
const char* const ENLARGE = "enlarge the window to see the steps";

double pixelX(const View& view, double x) {
    return (x - view.originX) / view.units;
}

double pixelY(const View& view, double y) {
    return (y - view.originY) / view.units;
}

TextItem textAt(int x, int y, std::string text, Colour colour, TextRole role) {
    const PixelBox box = textBox(x, y, text.size());
    return {x, y, std::move(text), colour, role, box};
}

// A status line as the frame's text buffer holds it.
std::string statusText(const char* name, const float v[3]) {
    char text[TEXT_BUFFER_SIZE];
    std::snprintf(text, sizeof text, "%s = %f %f %f", name, static_cast<double>(v[0]),
                  static_cast<double>(v[1]), static_cast<double>(v[2]));
    return text;
}

// The ray's line in window pixels: the points (X, Y) with a X + b Y = k. It is worked out
// from the start and the direction as floats, whose products a double holds exactly, so
// that a start far outside the view still puts the line where the ray crosses the view.
struct RayLine {
    double a;
    double b;
    double k;
    bool valid;
};

// Adds a line in the pieces that keep clear of every box by half its width and a pixel.
void addLineAround(std::vector<LineItem>& lines, const LineItem& line,
                   const std::vector<PixelBox>& boxes) {
    const double margin = line.width / 2.0 + 1.0;
    const double dx = line.x1 - line.x0;
    const double dy = line.y1 - line.y0;
    const double squared = dx * dx + dy * dy;
    if (!(squared > 0.0) || !std::isfinite(squared)) {
        return;
    }
    std::vector<std::pair<double, double>> kept{{0.0, 1.0}};
    for (const PixelBox& box : boxes) {
        double a[2] = {line.x0, line.y0};
        double b[2] = {line.x1, line.y1};
        const Rect widened{box.x0 - margin, box.y0 - margin, box.x1 + margin, box.y1 + margin};
        if (!clipSegment(widened, a, b)) {
            continue;
        }
        // The range of the line's parameter inside the widened box.
        const double t0 = ((a[0] - line.x0) * dx + (a[1] - line.y0) * dy) / squared;
        const double t1 = ((b[0] - line.x0) * dx + (b[1] - line.y0) * dy) / squared;
        std::vector<std::pair<double, double>> rest;
        for (const auto& [from, to] : kept) {
            if (t1 <= from || t0 >= to) {
                rest.emplace_back(from, to);
                continue;
            }
            if (t0 > from) {
                rest.emplace_back(from, t0);
            }
            if (t1 < to) {
                rest.emplace_back(t1, to);
            }
        }
        kept = std::move(rest);
    }
    const double length = std::sqrt(squared);
    for (const auto& [from, to] : kept) {
        // A piece shorter than half a pixel is a rounding's leftover, not a line.
        if ((to - from) * length < 0.5) {
            continue;
        }
        lines.push_back({line.x0 + from * dx, line.y0 + from * dy, line.x0 + to * dx,
                         line.y0 + to * dy, line.width, line.colour});
    }
}

// The box a mark covers, with a pixel round it.
PixelBox markBox(const MarkItem& mark) {
    const double half = mark.size / 2.0 + 1.0;
    return {mark.x - half, mark.y - half, mark.x + half, mark.y + half};
}

bool clearOf(const PixelBox& box, const std::vector<PixelBox>& taken) {
    return std::none_of(taken.begin(), taken.end(),
                        [&](const PixelBox& other) { return overlaps(box, other); });
}

bool within(const FrameLayout& frame, const PixelBox& box) {
    return box.x0 >= 0 && box.y0 >= 0 && box.x1 <= frame.width && box.y1 <= frame.height;
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

std::string axisLabel(int axis, const AxisStep& step) {
    return std::string(axis == 0 ? "x = " : "y = ") + shortest(step.candidate) +
           (step.hasDistance ? ", t = " + shortest(step.t) : "");
}

// Whether a kind of step is about the entry plane and what follows from it.
bool afterEntry(StepKind kind) {
    return kind == STEP_ENTRY || kind == STEP_TOO_FAR || kind == STEP_CHECK || kind == STEP_OUTCOME;
}

// The boxes of all the texts laid out so far.
std::vector<PixelBox> textBoxes(const FrameLayout& frame) {
    std::vector<PixelBox> boxes;
    for (const std::vector<TextItem>* texts : {&frame.texts, &frame.teachingTexts}) {
        std::transform(texts->begin(), texts->end(), std::back_inserter(boxes),
                       [](const TextItem& text) { return text.box; });
    }
    return boxes;
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

// A candidate plane's label beside its line, at the first place along it that lies within
// the window and clear of every text, label and mark so far; none if there is no such place.
void placeLabel(FrameLayout& frame, int axis, double at, std::string text, Colour colour,
                std::vector<PixelBox>& taken) {
    const int w = static_cast<int>(text.size()) * CHAR_PIXELS;
    std::vector<std::pair<int, int>> places;
    if (axis == 0) {
        const int x = static_cast<int>(std::floor(at));
        std::vector<int> heights{LABEL_Y};
        for (int y = LABEL_Y + LINE_PIXELS; y + ABOVE_BASELINE <= frame.height; y += LINE_PIXELS) {
            heights.push_back(y);
        }
        for (int y = LABEL_Y - LINE_PIXELS; y >= BELOW_BASELINE; y -= LINE_PIXELS) {
            heights.push_back(y);
        }
        for (const int y : heights) {
            places.emplace_back(x + 4, y);
            places.emplace_back(x - 4 - w, y);
        }
    } else {
        const int y = static_cast<int>(std::floor(at));
        for (int x = KEYS_X; x + w <= frame.width; x += 3 * CHAR_PIXELS) {
            places.emplace_back(x, y + 8);
            places.emplace_back(x, y - 15);
        }
    }
    for (const auto& [x, y] : places) {
        const PixelBox box = textBox(x, y, text.size());
        if (within(frame, box) && clearOf(box, taken)) {
            taken.push_back(box);
            frame.teachingTexts.push_back(textAt(x, y, std::move(text), colour, TEXT_LABEL));
            return;
        }
    }
}

// Lays out one frame of the state it is given.
struct Layouter {
    const AppState& state;

    [[nodiscard]] View usualView() const {
        return {0.0, 0.0, unitsPerPixel(state.windowWidth, state.windowHeight, SCENE_SPAN)};
    }

    // The outcome, the ray's start and direction in red near the top, the about line when it
    // is on, and "No Intersection" again last unless the ray hits, as the frame has always
    // drawn them.
    void layoutFrameTexts(const RayTestRecord& record, std::vector<TextItem>& texts) {
        const std::string outcome = outcomeText(record);
        if (record.result == RAY_HIT) {
            texts.push_back(textAt(RESULT_X, RESULT_Y, outcome, RED, TEXT_FRAME));
        } else if (record.result == RAY_INSIDE) {
            texts.push_back(textAt(static_cast<int>(state.windowWidth * INSIDE_X_FRACTION),
                                   RESULT_Y, outcome, YELLOW, TEXT_FRAME));
        }
        const int x = state.windowWidth / 3;
        texts.push_back(textAt(x, static_cast<int>(state.windowHeight * STATUS_Y_FRACTION),
                               statusText("ray start", state.scene.rayStart), RED, TEXT_FRAME));
        texts.push_back(textAt(x, directionLineY(state.windowHeight),
                               statusText("ray dir", state.scene.rayDir), RED, TEXT_FRAME));
        if (state.aboutShown == 1) {
            texts.push_back(
                textAt(RESULT_X, ABOUT_Y, "ray-box collision demo by Kestrin", GREEN, TEXT_FRAME));
        }
        if (record.result != RAY_HIT) {
            texts.push_back(textAt(RESULT_X, RESULT_Y, "No Intersection", YELLOW, TEXT_FRAME));
        }
    }

    // The box whole when it lies within the region, else cut to it; in pixels in a moved view.
    void layoutBox(FrameLayout& frame, const Rect& region) {
        const double minX = state.scene.boxPlanes[0];
        const double minY = state.scene.boxPlanes[1];
        const double maxX = state.scene.boxPlanes[3];
        const double maxY = state.scene.boxPlanes[4];
        if (!frame.pixelUnits && contains(region, minX, minY) && contains(region, maxX, maxY)) {
            frame.boxWhole = true;
            frame.boxQuad = {Corner{minX, minY, {1, 0, 0}}, Corner{maxX, minY, {0, 1, 0}},
                             Corner{maxX, maxY, {0, 0, 1}}, Corner{minX, maxY, {1, 1, 0}}};
            return;
        }
        frame.boxPieces = clipBox(region, minX, minY, maxX, maxY);
        if (frame.pixelUnits) {
            for (int t = 0; t < 2; ++t) {
                for (int i = 0; i < frame.boxPieces.count[t]; ++i) {
                    Corner& corner = frame.boxPieces.corners[t][i];
                    corner.x = pixelX(frame.view, corner.x);
                    corner.y = pixelY(frame.view, corner.y);
                }
            }
        }
    }

    // The segment from the start to the hit point, cut to the region if it reaches beyond.
    void layoutSegment(FrameLayout& frame, const RayTestRecord& record, const Rect& region) {
        double from[2] = {state.scene.rayStart[0], state.scene.rayStart[1]};
        double to[2] = {record.hit[0], record.hit[1]};
        if (record.result != RAY_HIT ||
            (!(contains(region, from[0], from[1]) && contains(region, to[0], to[1])) &&
             !clipSegment(region, from, to))) {
            return;
        }
        frame.segment = true;
        frame.segmentWidth = static_cast<float>(state.lineWidth);
        frame.segmentFrom = {from[0], from[1]};
        frame.segmentTo = {to[0], to[1]};
        if (frame.pixelUnits) {
            frame.segmentFrom = {pixelX(frame.view, from[0]), pixelY(frame.view, from[1])};
            frame.segmentTo = {pixelX(frame.view, to[0]), pixelY(frame.view, to[1])};
        }
    }

    RayLine rayLine(const View& view) {
        const double dx = state.scene.rayDir[0];
        const double dy = state.scene.rayDir[1];
        const double c = std::fma(dy, static_cast<double>(state.scene.rayStart[0]),
                                  -(dx * state.scene.rayStart[1]));
        const double k = (c - dy * view.originX + dx * view.originY) / view.units;
        return {dy, -dx, k,
                std::isfinite(dx) && std::isfinite(dy) && (dx != 0 || dy != 0) && std::isfinite(k)};
    }

    // The part of the ray within the window, from its start (or where it enters) onwards.
    bool guideSegment(const FrameLayout& frame, const RayLine& line, double p[2], double q[2]) {
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

    // The account of the current scene's test, as the teaching view words it.
    std::vector<Step> sceneSteps(const RayTestRecord& record) {
        return stepsOf(record, &state.scene.boxPlanes[0], &state.scene.boxPlanes[3],
                       state.scene.rayStart, state.scene.rayDir, givenDirection(state.scene));
    }

    // The steps, wrapped, on the emptier side of the box between the status lines and the
    // about line: left of the box when there is more room there, over the whole width when
    // neither side has a readable column. When they do not fit, a line asks for more room.
    void layoutSteps(FrameLayout& frame, const std::vector<Step>& steps, int walk) {
        const int top = directionLineY(state.windowHeight) - STEPS_GAP;
        if (top < STEPS_BOTTOM) {
            return;
        }
        const int fitting = (top - STEPS_BOTTOM) / LINE_PIXELS + 1;
        const auto rows = static_cast<std::size_t>(fitting);
        const auto inWindow = [&](double x) {
            return std::isnan(x) ? 0.0 : std::clamp(x, 0.0, static_cast<double>(frame.width));
        };
        const double minX = std::min(state.scene.boxPlanes[0], state.scene.boxPlanes[3]);
        const double maxX = std::max(state.scene.boxPlanes[0], state.scene.boxPlanes[3]);
        const int left = static_cast<int>(inWindow(pixelX(frame.view, minX))) - STEPS_MARGIN;
        const int right =
            static_cast<int>(std::ceil(inWindow(pixelX(frame.view, maxX)))) + STEPS_MARGIN;
        // Each column as its left edge and its width in characters, the widest side first.
        std::pair<int, int> columns[] = {{right, (frame.width - 4 - right) / CHAR_PIXELS},
                                         {KEYS_X, (left - KEYS_X) / CHAR_PIXELS},
                                         {KEYS_X, (frame.width - 2 * KEYS_X) / CHAR_PIXELS}};
        if (columns[1].second > columns[0].second) {
            std::swap(columns[0], columns[1]);
        }
        for (const auto& [x, width] : columns) {
            if (width < MIN_COLUMNS) {
                continue;
            }
            std::vector<std::pair<std::string, int>> lines;
            for (int i = 0; i < static_cast<int>(steps.size()); ++i) {
                if (steps[i].kind != STEP_OUTCOME) {
                    const std::vector<std::string> pieces =
                        wrap(steps[i].text, static_cast<std::size_t>(width));
                    std::transform(pieces.begin(), pieces.end(), std::back_inserter(lines),
                                   [i](const std::string& piece) { return std::pair(piece, i); });
                }
            }
            if (lines.size() > rows) {
                continue;
            }
            int y = top;
            for (auto& [line, step] : lines) {
                const Colour colour = walk < 0 ? STEPS : step == walk ? WHITE : DIM_STEPS;
                frame.teachingTexts.push_back(textAt(x, y, std::move(line), colour, TEXT_STEP));
                y -= LINE_PIXELS;
            }
            return;
        }
        const std::vector<std::string> note =
            wrap(ENLARGE, static_cast<std::size_t>(std::max(1, (frame.width - 8) / CHAR_PIXELS)));
        if (note.size() <= rows && (note.size() == 1 || note[0].size() > 4)) {
            for (std::size_t i = 0; i < note.size(); ++i) {
                frame.teachingTexts.push_back(textAt(
                    KEYS_X, top - static_cast<int>(i) * LINE_PIXELS, note[i], STEPS, TEXT_STEP));
            }
        }
    }

    // The ray's handles: the start dot and the arrow head, where they lie near the window.
    void layoutHandles(FrameLayout& frame) {
        const double sx = pixelX(frame.view, state.scene.rayStart[0]);
        const double sy = pixelY(frame.view, state.scene.rayStart[1]);
        const auto near = [&](double x, double y) {
            return x >= -ARROW_PIXELS && y >= -ARROW_PIXELS && x <= frame.width + ARROW_PIXELS &&
                   y <= frame.height + ARROW_PIXELS;
        };
        if (!near(sx, sy)) {
            return;
        }
        frame.startDot = true;
        frame.start = {sx, sy, 9.0f, CYAN};
        const double length =
            std::hypot(static_cast<double>(state.scene.rayDir[0]), state.scene.rayDir[1]);
        if (!(length > 0.0) || !std::isfinite(length)) {
            return;
        }
        const double dx = state.scene.rayDir[0] / length;
        const double dy = state.scene.rayDir[1] / length;
        const double tipX = sx + dx * ARROW_PIXELS;
        const double tipY = sy + dy * ARROW_PIXELS;
        const double baseX = tipX - dx * ARROW_LENGTH;
        const double baseY = tipY - dy * ARROW_LENGTH;
        frame.arrow = true;
        frame.arrowHead = {{{tipX, tipY},
                            {baseX - dy * ARROW_LENGTH / 2, baseY + dx * ARROW_LENGTH / 2},
                            {baseX + dy * ARROW_LENGTH / 2, baseY - dx * ARROW_LENGTH / 2}}};
    }

    // Marks on their planes where the ray's line crosses them ahead of the start, and a hit's
    // entry point, larger, where the test reports it; in a walk, those of the current step, a
    // failing check's entry point red. A mark that would cover a text is left out.
    void layoutMarks(FrameLayout& frame, const RayTestRecord& record, const Step* current,
                     std::vector<PixelBox>& taken) {
        const View& view = frame.view;
        const RayLine line = rayLine(view);
        const bool hit = record.result == RAY_HIT;
        std::vector<MarkItem> marks;
        if (hit && (current == nullptr || afterEntry(current->kind))) {
            marks.push_back(
                {pixelX(view, record.hit[0]), pixelY(view, record.hit[1]), 11.0f, WHITE});
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
    void layoutPlanes(FrameLayout& frame, const RayTestRecord& record, const Step* current,
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
    void layoutSelectedPlane(const FrameLayout& frame, std::vector<LineItem>& lines) {
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
            if (clipSegment(
                    Rect{0, 0, std::max(frame.width, 1) * 1.0, std::max(frame.height, 1) * 1.0}, a,
                    b)) {
                lines.push_back({a[0], a[1], b[0], b[1], 4.0f, WHITE});
            }
        }
    }

    // The method over the frame: the steps and the keys, then the marks, then the planes and
    // their labels, then the planes, the selected edge and the ray as lines broken round every
    // text; the handles. In a walk, only what the current step is about.
    void layoutTeaching(FrameLayout& frame, const RayTestRecord& record) {
        const std::vector<Step> steps = sceneSteps(record);
        const int walk = state.walkStep < static_cast<int>(steps.size()) ? state.walkStep : -1;
        const Step* current = walk >= 0 ? &steps[static_cast<std::size_t>(walk)] : nullptr;
        layoutSteps(frame, steps, walk);
        frame.teachingTexts.push_back(textAt(KEYS_X, KEYS_Y, KEYS, GREY, TEXT_KEYS));
        std::vector<PixelBox> taken = textBoxes(frame);
        layoutMarks(frame, record, current, taken);
        std::vector<LineItem> lines;
        layoutPlanes(frame, record, current, lines, taken);
        layoutSelectedPlane(frame, lines);
        double p[2];
        double q[2];
        if (guideSegment(frame, rayLine(frame.view), p, q)) {
            lines.push_back({p[0], p[1], q[0], q[1], 1.0f, CYAN});
        }
        for (const LineItem& piece : lines) {
            addLineAround(frame.lines, piece, taken);
        }
        layoutHandles(frame);
    }

    FrameLayout layoutFrame(const RayTestRecord& record);
};

} // namespace

bool overlaps(const PixelBox& a, const PixelBox& b) {
    return a.x0 < b.x1 && b.x0 < a.x1 && a.y0 < b.y1 && b.y0 < a.y1;
}

PixelBox textBox(int x, int y, std::size_t characters) {
    return {static_cast<double>(x), static_cast<double>(y - BELOW_BASELINE),
            static_cast<double>(x) + static_cast<double>(characters) * CHAR_PIXELS,
            static_cast<double>(y + ABOVE_BASELINE)};
}

int directionLineY(int windowHeight) {
    return static_cast<int>(windowHeight * STATUS_Y_FRACTION - STATUS_LINE_GAP);
}

View currentView(const AppState& state) {
    return state.teachingView && state.viewMoved ? state.movedView : Layouter{state}.usualView();
}

FrameLayout layoutFrame(const AppState& state, const RayTestRecord& record) {
    return Layouter{state}.layoutFrame(record);
}

FrameLayout Layouter::layoutFrame(const RayTestRecord& record) {
    FrameLayout frame;
    frame.width = state.windowWidth;
    frame.height = state.windowHeight;
    frame.view = currentView(state);
    frame.pixelUnits = state.teachingView && state.viewMoved;
    // The region round the view that what is drawn is cut to: far enough out to look the
    // same, near enough for GL to draw exactly.
    Rect region = viewRegion(state.windowWidth, state.windowHeight, SCENE_SPAN);
    if (frame.pixelUnits) {
        const View& v = frame.view;
        const double spanX = std::max(state.windowWidth, 1) * v.units;
        const double spanY = std::max(state.windowHeight, 1) * v.units;
        region = {v.originX - 1000 * spanX, v.originY - 1000 * spanY, v.originX + 1001 * spanX,
                  v.originY + 1001 * spanY};
    }
    layoutBox(frame, region);
    layoutSegment(frame, record, region);
    layoutFrameTexts(record, frame.texts);
    frame.teaching = state.teachingView;
    if (state.teachingView) {
        layoutTeaching(frame, record);
    }
    return frame;
}

void frameScene(AppState& state) {
    const RayTestRecord record = testScene(state.scene);
    // What is to be in view, grown point by point; empty until the first finite one.
    constexpr double FAR = std::numeric_limits<double>::infinity();
    Rect seen{FAR, FAR, -FAR, -FAR};
    const auto include = [&](double x, double y) {
        if (std::isfinite(x) && std::isfinite(y)) {
            seen = {std::min(seen.minX, x), std::min(seen.minY, y), std::max(seen.maxX, x),
                    std::max(seen.maxY, y)};
        }
    };
    include(state.scene.boxPlanes[0], state.scene.boxPlanes[1]);
    include(state.scene.boxPlanes[3], state.scene.boxPlanes[4]);
    include(state.scene.rayStart[0], state.scene.rayStart[1]);
    if (record.result == RAY_HIT) {
        include(record.hit[0], record.hit[1]);
    }
    if (!(seen.minX <= seen.maxX)) {
        return;
    }
    const double w = std::max(state.windowWidth, 1);
    const double h = std::max(state.windowHeight, 1);
    const double usableW = std::max(w - 2 * FRAME_MARGIN, w / 2);
    const double usableH = std::max(h - 2 * FRAME_MARGIN, h / 2);
    double units = std::max((seen.maxX - seen.minX) / usableW, (seen.maxY - seen.minY) / usableH);
    if (!(units > 0.0) || !std::isfinite(units)) {
        units = Layouter{state}.usualView().units;
    }
    state.movedView = {(seen.minX + seen.maxX) / 2 - w * units / 2,
                       (seen.minY + seen.maxY) / 2 - h * units / 2, units};
    state.viewMoved = true;
}

void resetView(AppState& state) {
    state.viewMoved = false;
}

void zoomView(AppState& state, double factor, int x, int y) {
    const View view = currentView(state);
    // Past these, a pointer in the window could name no float, or every pixel the same one.
    constexpr double FINEST = 1e-30;
    constexpr double COARSEST = 1e30;
    const double units = std::clamp(view.units * factor, FINEST, COARSEST);
    if (!(units > 0.0) || units == view.units) {
        return;
    }
    const double sceneX = view.originX + x * view.units;
    const double sceneY = view.originY + (state.windowHeight - y) * view.units;
    state.movedView = {sceneX - x * units, sceneY - (state.windowHeight - y) * units, units};
    state.viewMoved = true;
}

namespace {

// How many steps the account of the current scene's test has.
int stepCount(const AppState& state) {
    return static_cast<int>(Layouter{state}.sceneSteps(testScene(state.scene)).size());
}

} // namespace

void nextStep(AppState& state) {
    state.walkStep = state.walkStep + 1 < stepCount(state) ? state.walkStep + 1 : -1;
}

void previousStep(AppState& state) {
    state.walkStep = state.walkStep < 0 ? stepCount(state) - 1 : state.walkStep - 1;
}

void showAllSteps(AppState& state) {
    state.walkStep = -1;
}
