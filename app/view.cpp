// The view a frame shows: the usual one, or the teaching view's framed or zoomed one, and
// the conversion from scene units to window pixels.
#include "app/layout_rooms.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iterator>
#include <limits>
#include <utility>

namespace layout {

double pixelX(const View& view, double x) {
    return (x - view.originX) / view.units;
}

double pixelY(const View& view, double y) {
    return (y - view.originY) / view.units;
}

// Over the number line of t, the picture keeps the window's width and the rest of its
// height: the scene's origin at the picture's bottom-left corner.
View Layouter::usualView() const {
    const int bottom = bandPlace(state).pictureBottom;
    const double units = unitsPerPixel(state.windowWidth, state.windowHeight - bottom, SCENE_SPAN);
    return {0.0, -bottom * units, units};
}

} // namespace layout

using namespace layout;

View currentView(const AppState& state) {
    return state.teachingView && state.viewMoved ? state.movedView : Layouter{state}.usualView();
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
    const int bottom = bandPlace(state).pictureBottom;
    const double w = std::max(state.windowWidth, 1);
    const double h = std::max(state.windowHeight - bottom, 1);
    const double usableW = std::max(w - 2 * FRAME_MARGIN, w / 2);
    const double usableH = std::max(h - 2 * FRAME_MARGIN, h / 2);
    double units = std::max((seen.maxX - seen.minX) / usableW, (seen.maxY - seen.minY) / usableH);
    if (!(units > 0.0) || !std::isfinite(units)) {
        units = Layouter{state}.usualView().units;
    }
    state.movedView = {(seen.minX + seen.maxX) / 2 - w * units / 2,
                       (seen.minY + seen.maxY) / 2 - h * units / 2 - bottom * units, units};
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
