// Segment and triangle clipping against an axis-aligned region, in double precision.
#include "core/clip.h"

#include <algorithm>
#include <cmath>

namespace {

// A corner of the visible part of the box, with its place across the box: u runs from minX
// (0) to maxX (1), v from minY to maxY. The diagonal u = v splits the two triangles.
struct BoxPoint {
    double x;
    double y;
    double u;
    double v;
};

// The colour GL interpolates at (u, v) within the first triangle (red, green, blue) or
// the second (red, blue, yellow).
std::array<double, 3> colourAt(int triangle, double u, double v) {
    if (triangle == 0) {
        return {1 - u, u - v, v};
    }
    return {1 - u, v - u, u};
}

} // namespace

double unitsPerPixel(int width, int height, double span) {
    return span / std::max(1, std::min(width, height));
}

Rect shownRegion(int width, int height, double span) {
    const double units = unitsPerPixel(width, height, span);
    return {0, 0, std::max(width, 1) * units, std::max(height, 1) * units};
}

Rect viewRegion(int width, int height, double span) {
    const double w = width > 0 ? width : 1;
    const double h = height > 0 ? height : 1;
    const double viewW = w <= h ? span : span * w / h;
    const double viewH = w <= h ? span * h / w : span;
    constexpr double MARGIN = 1000;
    return {-MARGIN * viewW, -MARGIN * viewH, (MARGIN + 1) * viewW, (MARGIN + 1) * viewH};
}

bool contains(const Rect& region, double x, double y) {
    return x >= region.minX && x <= region.maxX && y >= region.minY && y <= region.maxY;
}

namespace {

// Liang-Barsky: the part of the segment inside is a range [t0, t1] of its parameter, which
// runs from a to b.
bool clipFrom(const Rect& region, double a[2], double b[2]) {
    const double dx = b[0] - a[0];
    const double dy = b[1] - a[1];
    double t0 = 0.0;
    double t1 = 1.0;
    // Each side: the direction of travel against it, and how far inside the start lies.
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {a[0] - region.minX, region.maxX - a[0], a[1] - region.minY,
                         region.maxY - a[1]};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0.0) {
            if (q[i] < 0.0) {
                return false; // parallel to this side and outside it
            }
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0.0) {
            t0 = std::max(t0, t);
        } else {
            t1 = std::min(t1, t);
        }
    }
    if (t0 > t1) {
        return false;
    }
    const double start[2] = {a[0], a[1]};
    a[0] = start[0] + t0 * dx;
    a[1] = start[1] + t0 * dy;
    b[0] = start[0] + t1 * dx;
    b[1] = start[1] + t1 * dy;
    return true;
}

} // namespace

// The parameter runs from the end nearer the origin, so that a segment with one end far
// away is cut as exactly as one with both ends near.
bool clipSegment(const Rect& region, double a[2], double b[2]) {
    const auto size = [](const double p[2]) { return std::max(std::abs(p[0]), std::abs(p[1])); };
    return size(a) > size(b) ? clipFrom(region, b, a) : clipFrom(region, a, b);
}

// The box's rectangle is cut to the region exactly (minimum and maximum of the bounds),
// then split along the diagonal. Places are interpolated between the cut corners, which all
// lie within the region, so no place is computed from the far-away corners.
BoxPieces clipBox(const Rect& region, double minX, double minY, double maxX, double maxY) {
    BoxPieces pieces;
    const double left = std::max(std::min(minX, maxX), region.minX);
    const double right = std::min(std::max(minX, maxX), region.maxX);
    const double bottom = std::max(std::min(minY, maxY), region.minY);
    const double top = std::min(std::max(minY, maxY), region.maxY);
    // A box with no area, or none of it inside, draws nothing.
    if (!(left < right && bottom < top) || minX == maxX || minY == maxY) {
        return pieces;
    }
    const double width = maxX - minX;
    const double height = maxY - minY;
    std::array<BoxPoint, 4> rectangle{};
    const double xs[4] = {left, right, right, left};
    const double ys[4] = {bottom, bottom, top, top};
    for (int i = 0; i < 4; ++i) {
        rectangle[i] = {xs[i], ys[i], (xs[i] - minX) / width, (ys[i] - minY) / height};
    }
    // Sutherland-Hodgman against one half-plane: u >= v for the first triangle, u <= v for
    // the second.
    for (int triangle = 0; triangle < 2; ++triangle) {
        const double sign = triangle == 0 ? -1.0 : 1.0;
        int& count = pieces.count[triangle];
        for (int i = 0; i < 4; ++i) {
            const BoxPoint& from = rectangle[i];
            const BoxPoint& to = rectangle[(i + 1) % 4];
            const double dFrom = sign * (from.v - from.u);
            const double dTo = sign * (to.v - to.u);
            std::array<BoxPoint, 2> kept{};
            int n = 0;
            if (dFrom >= 0.0) {
                kept[n++] = from;
            }
            if ((dFrom > 0.0 && dTo < 0.0) || (dFrom < 0.0 && dTo > 0.0)) {
                const double s = dFrom / (dFrom - dTo);
                kept[n++] = {from.x + (to.x - from.x) * s, from.y + (to.y - from.y) * s,
                             from.u + (to.u - from.u) * s, from.v + (to.v - from.v) * s};
            }
            for (int k = 0; k < n; ++k) {
                pieces.corners[triangle][count++] = {kept[k].x, kept[k].y,
                                                     colourAt(triangle, kept[k].u, kept[k].v)};
            }
        }
    }
    return pieces;
}
