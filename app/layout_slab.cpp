// The slab view laid out over the frame: each axis's two planes, its interval of t as a bar
// on the ray, the overlap of the intervals and the entry point.
#include "app/layout_rooms.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <optional>
#include <tuple>
#include <utility>

namespace layout {

namespace {

// The ray in window pixels: its start and how far it moves for one unit of t.
struct PixelRay {
    double x;
    double y;
    double dx;
    double dy;
};

// The part [from, to] of t that the ray spends within the window, if any: each axis in
// turn narrows it, an axis along which the ray does not move either keeps it whole or
// empties it.
std::optional<std::pair<double, double>> withinWindow(const PixelRay& ray, double w, double h,
                                                      double from, double to) {
    const std::array<double, 3> axes[] = {{ray.x, ray.dx, w}, {ray.y, ray.dy, h}};
    for (const auto& [start, step, size] : axes) {
        if (step == 0.0) {
            if (!(start >= 0 && start <= size)) {
                return std::nullopt;
            }
            continue;
        }
        const double a = (0 - start) / step;
        const double b = (size - start) / step;
        from = std::max(from, std::min(a, b));
        to = std::min(to, std::max(a, b));
    }
    if (!(from <= to) || !std::isfinite(from) || !std::isfinite(to)) {
        return std::nullopt;
    }
    return std::pair{from, to};
}

} // namespace

void Layouter::layoutSlab(FrameLayout& frame, const SlabTestRecord& slab, const Step* current,
                          std::vector<LineItem>& lines, std::vector<PixelBox>& taken) {
    const View& view = frame.view;
    const double w = std::max(frame.width, 1);
    const double h = std::max(frame.height, 1);
    const Scene& scene = state.scene;
    const PixelRay ray{pixelX(view, scene.rayStart[0]), pixelY(view, scene.rayStart[1]),
                       scene.rayDir[0] / view.units, scene.rayDir[1] / view.units};
    const double length = std::hypot(ray.dx, ray.dy);
    const bool moves =
        length > 0.0 && std::isfinite(length) && std::isfinite(ray.x) && std::isfinite(ray.y);
    // A bar on the ray from t = from to t = to, and an arrow where it runs on out of the
    // window. The number line of t shows the intervals instead where it is shown.
    const auto bar = [&](double from, double to, float width, Colour colour) {
        const auto part = moves && !frame.band ? withinWindow(ray, w, h, from, to) : std::nullopt;
        if (!part) {
            return;
        }
        const auto point = [&](double t) {
            return std::array<double, 2>{ray.x + t * ray.dx, ray.y + t * ray.dy};
        };
        const auto [x0, y0] = point(part->first);
        const auto [x1, y1] = point(part->second);
        lines.push_back({x0, y0, x1, y1, width, colour});
        // The arrow's two strokes, 8 px back from the window's edge along the ray.
        const double ux = ray.dx / length * 8.0;
        const double uy = ray.dy / length * 8.0;
        for (const auto& [cut, tipX, tipY, sign] :
             {std::tuple{part->first > from, x0, y0, -1.0}, {part->second < to, x1, y1, 1.0}}) {
            if (cut) {
                lines.push_back({tipX - sign * (ux - uy / 2), tipY - sign * (uy + ux / 2), tipX,
                                 tipY, 2.0f, colour});
                lines.push_back({tipX - sign * (ux + uy / 2), tipY - sign * (uy - ux / 2), tipX,
                                 tipY, 2.0f, colour});
            }
        }
    };
    const bool all = current == nullptr || current->kind != STEP_AXIS;
    for (int axis = 0; axis < 2; ++axis) {
        if (!all && current->axis != axis) {
            continue;
        }
        const Colour colour = axis == 0 ? SLAB_X : SLAB_Y;
        for (const float plane : {scene.boxPlanes[axis], scene.boxPlanes[axis + 3]}) {
            const double at = axis == 0 ? pixelX(view, plane) : pixelY(view, plane);
            if (at >= 0 && at <= (axis == 0 ? w : h)) {
                lines.push_back(axis == 0 ? LineItem{at, 0, at, h, 1.0f, colour}
                                          : LineItem{0, at, w, at, 1.0f, colour});
            }
        }
        const SlabAxisStep& step = slab.axes[axis];
        bar(std::fmin(step.toMin, step.toMax), std::fmax(step.toMin, step.toMax),
            axis == 0 ? 9.0f : 6.0f, colour);
    }
    const bool overlap =
        current == nullptr || current->kind == STEP_ENTRY || current->kind == STEP_OUTCOME;
    if (overlap && slab.tnear <= slab.tfar) {
        bar(slab.tnear, slab.tfar, 3.0f, WHITE);
    }
    if (overlap && slab.result == RAY_HIT) {
        const MarkItem entry{pixelX(view, slab.hit[0]), pixelY(view, slab.hit[1]), 11.0f, WHITE};
        if (std::isfinite(entry.x + entry.y) && clearOf(markBox(entry), taken)) {
            frame.marks.push_back(entry);
            taken.push_back(markBox(entry));
        }
    }
}

} // namespace layout

SlabTestRecord intervalsOf(const ExactRecord& exact) {
    constexpr double INF = std::numeric_limits<double>::infinity();
    SlabTestRecord intervals;
    for (int i = 0; i < 3; ++i) {
        const ExactAxis& axis = exact.axes[i];
        // A still axis holds every t, or none.
        SlabAxisStep& step = intervals.axes[i];
        step.toMin = axis.within ? -INF : INF;
        step.toMax = INF;
        if (axis.moves) {
            step.toMin = axis.from;
            step.toMax = axis.to;
        }
    }
    intervals.tnear = exact.tnear;
    intervals.tfar = exact.tfar;
    intervals.result = exact.result == RAY_UNDEFINED ? RAY_MISS : exact.result;
    intervals.t = exact.t;
    std::copy(exact.hit, exact.hit + 3, intervals.hit);
    return intervals;
}
