// Cuts what the frame draws down to a region around the view, so that coordinates far
// outside it never reach the rasteriser, where they would lose their precision.
#pragma once

#include <array>

// An axis-aligned rectangle: of the z = 0 plane in scene units, or of the window in pixels.
struct Rect {
    double minX;
    double minY;
    double maxX;
    double maxY;
};

// A corner of a drawn shape: its place and its colour, both interpolated when cut.
struct Corner {
    double x;
    double y;
    std::array<double, 3> rgb;
};

// The box's quad cut to a region: the two triangles GL makes of a quad (corners red,
// green, blue and red, blue, yellow), each left as a convex polygon of at most five
// corners, with the colour GL would give each corner.
struct BoxPieces {
    std::array<int, 2> count{};
    std::array<std::array<Corner, 5>, 2> corners{};
};

// The region that a window of this size shows (the shorter side spans `span` units from
// 0), widened on every side by a thousand times the view's own size: far enough that what
// is drawn within it looks the same cut or not, near enough that GL draws it exactly.
Rect viewRegion(int width, int height, double span);

// Scene units per window pixel: the shorter side spans `span` units (a zero side counts as
// one pixel). The same on both axes.
double unitsPerPixel(int width, int height, double span);

// The region the window shows itself, without the margin of viewRegion.
Rect shownRegion(int width, int height, double span);

// Whether the point (x, y) lies within the region.
bool contains(const Rect& region, double x, double y);

// Cuts the segment from a to b, each (x, y), down to the region; false if none of it
// lies inside. Both ends are moved along the segment, never off it.
bool clipSegment(const Rect& region, double a[2], double b[2]);

// Cuts the box with red, green, blue and yellow corners at (minX, minY), (maxX, minY),
// (maxX, maxY) and (minX, maxY) down to the region. The cut corners are exact and lie
// within the region however large the box is; the split between the two triangles and the
// colours are worked out across the box, where rounding only moves them imperceptibly.
BoxPieces clipBox(const Rect& region, double minX, double minY, double maxX, double maxY);
