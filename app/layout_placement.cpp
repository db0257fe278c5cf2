// Placement round the texts: lines broken round every text, labels put where they cross
// nothing, and the steps wrapped into the emptier side of the window.
#include "app/layout_rooms.h"

#include "app/scenes.h"
#include "app/view3d.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <iterator>
#include <limits>
#include <utility>

namespace layout {

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
namespace {

// How good a place to break a line the space at i is, -1 where it may not break: after a
// colon, a comma or a semicolon (a phrase ends) best, before "at" or "is" next, at another
// space last; never inside brackets, braces or a short parenthesis except after a
// semicolon, beside an "=" or before a number, so that a name keeps its value.
std::vector<int> breakRanks(const std::string& line) {
    // A parenthesis as short as a pair of numbers holds values; a longer one holds words.
    constexpr std::size_t SHORT_PARENTHESIS = 24;
    std::vector<int> ranks(line.size(), -1);
    int depth = 0;
    std::size_t shortUntil = 0;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        depth += c == '[' || c == '{' ? 1 : c == ']' || c == '}' ? -1 : 0;
        if (c == '(' && i >= shortUntil) {
            const std::size_t close = line.find(')', i);
            shortUntil = close != std::string::npos && close - i <= SHORT_PARENTHESIS ? close : 0;
        }
        const bool held = depth > 0 || i < shortUntil;
        if (c != ' ' || i == 0 || i + 1 == line.size() || (held && line[i - 1] != ';')) {
            continue;
        }
        const char before = line[i - 1];
        const char after = line[i + 1];
        const bool number =
            std::isdigit(static_cast<unsigned char>(after)) != 0 ||
            ((after == '-' || after == '+' || after == '.') && i + 2 < line.size() &&
             std::isdigit(static_cast<unsigned char>(line[i + 2])) != 0);
        if (before == '=' || after == '=' || number) {
            continue;
        }
        const std::string next = line.substr(i + 1, 3);
        ranks[i] = before == ':' || before == ',' || before == ';' ? 2
                   : next == "at " || next == "is "                ? 1
                                                                   : 0;
    }
    return ranks;
}

} // namespace

std::vector<std::string> wrap(const std::string& line, std::size_t width, std::size_t indent) {
    const std::vector<int> ranks = breakRanks(line);
    std::vector<std::string> pieces;
    std::string lead;
    std::size_t from = 0;
    while (line.size() - from + lead.size() > width) {
        const std::size_t room = std::max<std::size_t>(width - std::min(width, lead.size()), 1);
        // The best place within the room: one that leaves the piece at least a third of
        // the room if there is one, then the better rank, then the later place.
        std::size_t cut = from + room;
        long best = -1;
        for (std::size_t i = from + 1; i <= from + room && i < line.size(); ++i) {
            const long score = ranks[i] < 0 ? -1 : (i - from >= room / 3 ? 4L : 0L) + ranks[i];
            if (score >= 0 && score >= best) {
                best = score;
                cut = i;
            }
        }
        pieces.push_back(lead + line.substr(from, cut - from));
        from = cut + (line[cut] == ' ' ? 1 : 0);
        lead.assign(indent < width ? indent : 0, ' ');
    }
    pieces.push_back(lead + line.substr(from));
    return pieces;
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

// A candidate plane's label beside its line, at the first place along it that lies within
// the window and clear of every text, label and mark so far; none if there is no such place.
void placeLabel(FrameLayout& frame, int axis, double at, std::string text, Colour colour,
                std::vector<PixelBox>& taken) {
    const int w = static_cast<int>(text.size()) * CHAR_PIXELS;
    std::vector<std::pair<int, int>> places;
    if (axis == 0) {
        const int x = static_cast<int>(std::floor(at));
        // Over the number line of t where it is shown.
        const int first =
            frame.band ? static_cast<int>(frame.bandBox.y1) + 2 * BELOW_BASELINE : LABEL_Y;
        std::vector<int> heights{first};
        for (int y = first + LINE_PIXELS; y + ABOVE_BASELINE <= frame.height; y += LINE_PIXELS) {
            heights.push_back(y);
        }
        for (int y = first - LINE_PIXELS; y >= BELOW_BASELINE; y -= LINE_PIXELS) {
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
    // Over the segment, a label's plate would hide part of it: a place clear of it too comes
    // first.
    const auto offSegment = [&](const PixelBox& box) {
        const double m = frame.segmentWidth / 2.0 + 1.0;
        double a[2] = {frame.segmentFrom[0], frame.segmentFrom[1]};
        double b[2] = {frame.segmentTo[0], frame.segmentTo[1]};
        return !frame.segment ||
               !clipSegment(Rect{box.x0 - m, box.y0 - m, box.x1 + m, box.y1 + m}, a, b);
    };
    for (const bool clearOfSegment : {true, false}) {
        for (const auto& [x, y] : places) {
            const PixelBox box = textBox(x, y, text.size());
            if (within(frame, box) && clearOf(box, taken) && (!clearOfSegment || offSegment(box))) {
                taken.push_back(box);
                frame.teachingTexts.push_back(textAt(x, y, std::move(text), colour, TEXT_LABEL));
                return;
            }
        }
    }
}

namespace {

// The box's extent across the window, in pixels: as the camera shows it in the 3D view.
std::pair<double, double> boxAcross(const AppState& state, const View& view, const Camera& camera) {
    const float* b = state.scene.boxPlanes;
    if (!state.view3d) {
        return {pixelX(view, std::min(b[0], b[3])), pixelX(view, std::max(b[0], b[3]))};
    }
    double minX = std::numeric_limits<double>::infinity();
    double maxX = -std::numeric_limits<double>::infinity();
    for (int i = 0; i < 8; ++i) {
        const double corner[3] = {b[(i & 1) != 0 ? 3 : 0], b[(i & 2) != 0 ? 4 : 1],
                                  b[(i & 4) != 0 ? 5 : 2]};
        const Projected p = project(camera, corner);
        minX = p.depth > 0 ? std::min(minX, p.x) : minX;
        maxX = p.depth > 0 ? std::max(maxX, p.x) : maxX;
    }
    return {minX, maxX};
}

} // namespace

// The steps, wrapped, on the emptier side of the box between the status lines and the
// about line: left of the box when there is more room there, over the whole width when
// neither side has a readable column. When they do not fit, a line asks for more room.
void Layouter::layoutSteps(FrameLayout& frame, const std::vector<Step>& steps, int walk,
                           const std::string& note) {
    const int top = statusBottom - STEPS_GAP;
    // Over the number line of t where it is shown, else clear of the about line.
    const BandPlace band = bandPlace(state);
    const int lowest =
        band.shown ? static_cast<int>(band.box.y1) + BELOW_BASELINE + 2 : STEPS_BOTTOM;
    if (top < lowest) {
        return;
    }
    const int fitting = (top - lowest) / LINE_PIXELS + 1;
    const auto rows = static_cast<std::size_t>(fitting);
    const auto inWindow = [&](double x) {
        return std::isnan(x) ? 0.0 : std::clamp(x, 0.0, static_cast<double>(frame.width));
    };
    const auto [minX, maxX] = boxAcross(state, frame.view, camera);
    const int left = static_cast<int>(inWindow(minX)) - STEPS_MARGIN;
    const int right = static_cast<int>(std::ceil(inWindow(maxX))) + STEPS_MARGIN;
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
        // Each piece with its step, the note's as step -2.
        std::vector<std::pair<std::string, int>> lines;
        // The verdict on a prediction first, as step -3.
        const std::string said = verdict(state);
        const std::vector<std::string> verdictLines =
            said.empty() ? std::vector<std::string>{}
                         : wrap(said, static_cast<std::size_t>(width), 2);
        std::transform(verdictLines.begin(), verdictLines.end(), std::back_inserter(lines),
                       [](const std::string& piece) { return std::pair(piece, -3); });
        for (int i = 0; i < static_cast<int>(steps.size()); ++i) {
            // The outcome is the frame's own text, except as the walk's current step.
            if (steps[i].kind != STEP_OUTCOME || i == walk) {
                const std::vector<std::string> pieces =
                    wrap(steps[i].text, static_cast<std::size_t>(width), CONTINUATION);
                std::transform(pieces.begin(), pieces.end(), std::back_inserter(lines),
                               [i](const std::string& piece) { return std::pair(piece, i); });
            }
        }
        if (!note.empty()) {
            const std::vector<std::string> pieces =
                wrap(note, static_cast<std::size_t>(width), CONTINUATION);
            std::transform(pieces.begin(), pieces.end(), std::back_inserter(lines),
                           [](const std::string& piece) { return std::pair(piece, -2); });
        }
        if (lines.size() > rows) {
            continue;
        }
        int y = top;
        for (auto& [line, step] : lines) {
            const Colour colour = step == -3     ? (predictedRightly(state) ? RIGHT : WRONG)
                                  : step == -2   ? DISAGREE
                                  : walk < 0     ? STEPS
                                  : step == walk ? WHITE
                                                 : DIM_STEPS;
            frame.teachingTexts.push_back(textAt(x, y, std::move(line), colour, TEXT_STEP));
            y -= LINE_PIXELS;
        }
        return;
    }
    const std::vector<std::string> enlarge =
        wrap(ENLARGE, static_cast<std::size_t>(std::max(1, (frame.width - 8) / CHAR_PIXELS)), 0);
    if (enlarge.size() <= rows && (enlarge.size() == 1 || enlarge[0].size() > 4)) {
        for (std::size_t i = 0; i < enlarge.size(); ++i) {
            frame.teachingTexts.push_back(textAt(KEYS_X, top - static_cast<int>(i) * LINE_PIXELS,
                                                 enlarge[i], STEPS, TEXT_STEP));
        }
    }
}

} // namespace layout
