// Lays out a frame as data: the frame's own box, segment and texts, where the program has
// always drawn them; the teaching view, when it is on, goes over them.
#include "app/layout_rooms.h"

#include "app/scenes.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iterator>
#include <limits>
#include <utility>

namespace layout {

TextItem textAt(int x, int y, std::string text, Colour colour, TextRole role) {
    const PixelBox box = textBox(x, y, text.size());
    return {x, y, std::move(text), colour, role, box};
}

// A status line at (x, y), kept within the window: moved left as far as it must, and where
// it is wider than the window, its numbers put on lines of their own 15 px apart, indented
// (a number wider than the window cut). The baseline of its last line.
int addStatus(std::vector<TextItem>& texts, int x, int y, const std::string& text, int width) {
    const std::size_t columns = std::max<std::size_t>(
        static_cast<std::size_t>(std::max(width - 2 * KEYS_X, 0) / CHAR_PIXELS), CONTINUATION + 1);
    std::vector<std::string> lines{""};
    std::size_t from = 0;
    while (from < text.size()) {
        // The head ("ray start =") stays whole; each number after it is a word.
        const std::size_t space = from == 0 ? text.find(' ', text.find('=')) : text.find(' ', from);
        std::string word = text.substr(from, space == std::string::npos ? space : space - from);
        from = space == std::string::npos ? text.size() : space + 1;
        const std::string& last = lines.back();
        if (!last.empty() && last.size() + 1 + word.size() > columns) {
            lines.emplace_back(CONTINUATION, ' ');
        }
        lines.back() += (lines.back().empty() || lines.back().back() == ' ' ? "" : " ") + word;
        lines.back().resize(std::min(lines.back().size(), columns));
    }
    const std::size_t widest =
        std::max_element(lines.begin(), lines.end(), [](const auto& a, const auto& b) {
            return a.size() < b.size();
        })->size();
    const int shifted = std::max(
        std::min(x, width - KEYS_X - static_cast<int>(widest) * CHAR_PIXELS), std::min(x, KEYS_X));
    for (std::string& line : lines) {
        texts.push_back(textAt(shifted, y, std::move(line), RED, TEXT_FRAME));
        y -= LINE_PIXELS;
    }
    return y + LINE_PIXELS;
}

// The outcome, the ray's start and direction in red near the top, the about line when it
// is on, and "No Intersection" again last unless the ray hits, as the frame has always
// drawn them.
void Layouter::layoutFrameTexts(const RayTestRecord& record, std::vector<TextItem>& texts) {
    const std::string outcome = outcomeText(record);
    const bool hidden = outcomeHidden(state);
    if (hidden) {
        texts.push_back(textAt(RESULT_X, RESULT_Y, PREDICT_PROMPT, WHITE, TEXT_FRAME));
    } else if (record.result == RAY_HIT) {
        texts.push_back(textAt(RESULT_X, RESULT_Y, outcome, RED, TEXT_FRAME));
    } else if (record.result == RAY_INSIDE) {
        texts.push_back(textAt(static_cast<int>(state.windowWidth * INSIDE_X_FRACTION), RESULT_Y,
                               outcome, YELLOW, TEXT_FRAME));
    }
    const int x = state.windowWidth / 3;
    const int startY = static_cast<int>(state.windowHeight * STATUS_Y_FRACTION);
    const int startEnd = addStatus(texts, x, startY, statusText("ray start", state.scene.rayStart),
                                   state.windowWidth);
    // A start line broken over more than two lines pushes the direction's down.
    statusBottom = addStatus(texts, x,
                             std::min(directionLineY(state.windowHeight),
                                      startEnd - static_cast<int>(STATUS_LINE_GAP) + LINE_PIXELS),
                             statusText("ray dir", state.scene.rayDir), state.windowWidth);
    if (state.aboutShown == 1) {
        texts.push_back(
            textAt(RESULT_X, ABOUT_Y, "ray-box collision demo by Kestrin", GREEN, TEXT_FRAME));
    }
    if (record.result != RAY_HIT && !hidden) {
        texts.push_back(textAt(RESULT_X, RESULT_Y, "No Intersection", YELLOW, TEXT_FRAME));
    }
}

// The box whole when it lies within the region, else cut to it; in pixels in a moved view.
void Layouter::layoutBox(FrameLayout& frame, const Rect& region) {
    const double minX = state.scene.boxPlanes[0];
    const double minY = state.scene.boxPlanes[1];
    const double maxX = state.scene.boxPlanes[3];
    const double maxY = state.scene.boxPlanes[4];
    const auto inPixels = [&](Corner& corner) {
        corner.x = pixelX(frame.view, corner.x);
        corner.y = pixelY(frame.view, corner.y);
    };
    const bool moved = state.teachingView && state.viewMoved;
    if (!moved && contains(region, minX, minY) && contains(region, maxX, maxY)) {
        frame.boxWhole = true;
        frame.boxQuad = {Corner{minX, minY, {1, 0, 0}}, Corner{maxX, minY, {0, 1, 0}},
                         Corner{maxX, maxY, {0, 0, 1}}, Corner{minX, maxY, {1, 1, 0}}};
        std::for_each(frame.boxQuad.begin(), frame.boxQuad.end(), inPixels);
        return;
    }
    frame.boxPieces = clipBox(region, minX, minY, maxX, maxY);
    for (int t = 0; t < 2; ++t) {
        std::for_each(frame.boxPieces.corners[t].begin(),
                      frame.boxPieces.corners[t].begin() + frame.boxPieces.count[t], inPixels);
    }
}

// The segment from the start to the hit point, cut to the region if it reaches beyond.
void Layouter::layoutSegment(FrameLayout& frame, const RayTestRecord& record, const Rect& region) {
    double from[2] = {state.scene.rayStart[0], state.scene.rayStart[1]};
    double to[2] = {record.hit[0], record.hit[1]};
    if (record.result != RAY_HIT ||
        (!(contains(region, from[0], from[1]) && contains(region, to[0], to[1])) &&
         !clipSegment(region, from, to))) {
        return;
    }
    frame.segment = true;
    frame.segmentWidth = static_cast<float>(state.lineWidth);
    frame.segmentFrom = {pixelX(frame.view, from[0]), pixelY(frame.view, from[1])};
    frame.segmentTo = {pixelX(frame.view, to[0]), pixelY(frame.view, to[1])};
}

FrameLayout Layouter::layoutFrame(const RayTestRecord& record) {
    FrameLayout frame;
    frame.width = state.windowWidth;
    frame.height = state.windowHeight;
    frame.view = currentView(state);
    // The region round the view that what is drawn is cut to, in scene units: far enough out
    // to look the same, near enough for GL to draw exactly.
    Rect region = viewRegion(state.windowWidth, state.windowHeight, SCENE_SPAN);
    if (state.teachingView && (state.viewMoved || bandPlace(state).shown)) {
        const View& v = frame.view;
        const double spanX = std::max(state.windowWidth, 1) * v.units;
        const double spanY = std::max(state.windowHeight, 1) * v.units;
        region = {v.originX - 1000 * spanX, v.originY - 1000 * spanY, v.originX + 1001 * spanX,
                  v.originY + 1001 * spanY};
    }
    // The outcome and entry point of the method shown; the slab view shows a slab test's
    // intervals, or the exact answer's.
    RayTestRecord shown = record;
    SlabTestRecord slab;
    if (state.method.kind == METHOD_SLAB) {
        slab = testSceneSlab(state.scene, state.method.slab);
    } else if (state.method.kind == METHOD_EXACT) {
        slab = intervalsOf(testSceneExact(state.scene));
    }
    if (state.method.kind != METHOD_CANDIDATE) {
        shown.result = slab.result;
        std::copy(slab.hit, slab.hit + 3, shown.hit);
    }
    if (state.view3d) {
        camera = cameraOf(state, shown.result == RAY_HIT ? shown.hit : nullptr);
    }
    // The plane z = 0 cuts a box with depth, or misses it.
    const float minZ = std::min(state.scene.boxPlanes[2], state.scene.boxPlanes[5]);
    const float maxZ = std::max(state.scene.boxPlanes[2], state.scene.boxPlanes[5]);
    const bool cut = minZ <= 0 && maxZ >= 0;
    if (!state.view3d && cut) {
        layoutBox(frame, region);
    }
    if (!state.view3d && !outcomeHidden(state)) {
        layoutSegment(frame, shown, region);
    }
    // A page that shows the frame's own texts beside a picture too small for them.
    std::vector<TextItem> texts;
    layoutFrameTexts(shown, texts);
    if (!state.view3d && !(state.scene.boxPlanes[2] == 0 && state.scene.boxPlanes[5] == 0)) {
        const std::string said = std::string("the plane z = 0 ") + (cut ? "cuts" : "misses") +
                                 " the box (z from " + shortest(state.scene.boxPlanes[2]) + " to " +
                                 shortest(state.scene.boxPlanes[5]) + ")";
        const int x = std::max(
            std::min(state.windowWidth / 3,
                     state.windowWidth - KEYS_X - static_cast<int>(said.size()) * CHAR_PIXELS),
            KEYS_X);
        statusBottom -= LINE_PIXELS + 3;
        texts.push_back(textAt(x, statusBottom, said, GREY, TEXT_FRAME));
    }
    if (!state.textsInPage) {
        frame.texts = std::move(texts);
    }
    // A scene held back for a prediction shows its ray as the teaching view does.
    frame.teaching = state.teachingView || outcomeHidden(state);
    if (frame.teaching) {
        layoutTeaching(frame, record, slab);
    } else if (state.view3d) {
        std::vector<PixelBox> taken = textBoxes(frame);
        layoutSpace(frame, record, slab, nullptr, taken);
    }
    return frame;
}

} // namespace layout

using namespace layout;

bool overlaps(const PixelBox& a, const PixelBox& b) {
    return a.x0 < b.x1 && b.x0 < a.x1 && a.y0 < b.y1 && b.y0 < a.y1;
}

PixelBox textBox(int x, int y, std::size_t characters) {
    return {static_cast<double>(x), static_cast<double>(y - BELOW_BASELINE),
            static_cast<double>(x) + static_cast<double>(characters) * CHAR_PIXELS,
            static_cast<double>(y + ABOVE_BASELINE)};
}

std::string statusText(const char* name, const float v[3]) {
    char text[TEXT_BUFFER_SIZE];
    std::snprintf(text, sizeof text, "%s = %f %f %f", name, static_cast<double>(v[0]),
                  static_cast<double>(v[1]), static_cast<double>(v[2]));
    return text;
}

int directionLineY(int windowHeight) {
    return static_cast<int>(windowHeight * STATUS_Y_FRACTION - STATUS_LINE_GAP);
}

FrameLayout layoutFrame(const AppState& state, const RayTestRecord& record) {
    return Layouter{state}.layoutFrame(record);
}
