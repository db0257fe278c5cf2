// Lays out a frame as data: the frame's own box, segment and texts, where the program has
// always drawn them; the teaching view, when it is on, goes over them.
#include "app/layout_rooms.h"

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

// A status line as the frame's text buffer holds it.
std::string statusText(const char* name, const float v[3]) {
    char text[TEXT_BUFFER_SIZE];
    std::snprintf(text, sizeof text, "%s = %f %f %f", name, static_cast<double>(v[0]),
                  static_cast<double>(v[1]), static_cast<double>(v[2]));
    return text;
}

// The outcome, the ray's start and direction in red near the top, the about line when it
// is on, and "No Intersection" again last unless the ray hits, as the frame has always
// drawn them.
void Layouter::layoutFrameTexts(const RayTestRecord& record, std::vector<TextItem>& texts) {
    const std::string outcome = outcomeText(record);
    if (record.result == RAY_HIT) {
        texts.push_back(textAt(RESULT_X, RESULT_Y, outcome, RED, TEXT_FRAME));
    } else if (record.result == RAY_INSIDE) {
        texts.push_back(textAt(static_cast<int>(state.windowWidth * INSIDE_X_FRACTION), RESULT_Y,
                               outcome, YELLOW, TEXT_FRAME));
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
    if (state.teachingView && state.viewMoved) {
        const View& v = frame.view;
        const double spanX = std::max(state.windowWidth, 1) * v.units;
        const double spanY = std::max(state.windowHeight, 1) * v.units;
        region = {v.originX - 1000 * spanX, v.originY - 1000 * spanY, v.originX + 1001 * spanX,
                  v.originY + 1001 * spanY};
    }
    // The slab test's outcome and entry point, when it is the method shown; the teaching
    // view needs it either way, to say where the two disagree.
    RayTestRecord shown = record;
    const SlabTestRecord slab = state.method == METHOD_SLAB || state.teachingView
                                    ? testSceneSlab(state.scene)
                                    : SlabTestRecord{};
    if (state.method == METHOD_SLAB) {
        shown.result = slab.result;
        std::copy(slab.hit, slab.hit + 3, shown.hit);
    }
    layoutBox(frame, region);
    layoutSegment(frame, shown, region);
    layoutFrameTexts(shown, frame.texts);
    frame.teaching = state.teachingView;
    if (state.teachingView) {
        layoutTeaching(frame, record, slab);
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

int directionLineY(int windowHeight) {
    return static_cast<int>(windowHeight * STATUS_Y_FRACTION - STATUS_LINE_GAP);
}

FrameLayout layoutFrame(const AppState& state, const RayTestRecord& record) {
    return Layouter{state}.layoutFrame(record);
}
