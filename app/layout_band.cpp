// The number line of t under the picture: each axis's candidate t, or its interval of t, on
// one shared line of t, with the entry, the overlap, and t = 0 where the ray starts.
#include "app/layout_rooms.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <limits>
#include <utility>

namespace layout {

namespace {

constexpr double INF = std::numeric_limits<double>::infinity();

// The band's measures from its bottom: the tick labels' baseline, the line of t, and the
// rows 16 px apart over it (the entry or overlap lowest, then z where it is shown, y and
// x); room over the last row.
constexpr int TICK_BASELINE = 4;
constexpr int LINE_OF_T = 22;
constexpr int FIRST_ROW = 34;
constexpr int ROW_PITCH = 16;
constexpr int OVER_ROWS = 10;
// Where the frame's own texts are in the window, the band starts above the about line.
constexpr int OVER_FRAME_TEXTS = 70;
// The band is left out where it would leave the picture less than this, or is narrower.
constexpr int MIN_PICTURE = 200;
constexpr int MIN_BAND_WIDTH = 320;
// Tick labels at least this far apart; the columns of row names and of NaN names.
constexpr double TICK_SPACING = 64.0;
constexpr int NAME_COLUMNS = 8;
constexpr int NAN_COLUMNS = 11;

// A round step between ticks, at least `least`: 1, 2 or 5 times a power of ten.
double roundStep(double least) {
    double power = 1.0;
    while (power * 10 <= least) {
        power *= 10;
    }
    while (power > least) {
        power /= 10;
    }
    constexpr double FACTORS[] = {1.0, 2.0, 5.0, 10.0};
    return power * *std::find_if(std::begin(FACTORS), std::end(FACTORS) - 1,
                                 [&](double factor) { return factor * power >= least; });
}

// The line of t across the band: the range of t it shows, and where it lies in pixels.
struct LineOfT {
    double lo;
    double hi;
    double left;
    double right;

    [[nodiscard]] double at(double t) const {
        return t == -INF ? left : t == INF ? right : left + (t - lo) / (hi - lo) * (right - left);
    }
};

// An axis's interval of t as the slab test's record has it.
std::pair<double, double> ends(const SlabTestRecord& slab, int axis) {
    return {slab.axes[axis].toMin, slab.axes[axis].toMax};
}

// The line of t for these axes: t = 0 and every finite end shown, with a little room either
// side; narrower on the right where a NaN end is named there.
LineOfT lineOfT(const RayTestRecord& record, const SlabTestRecord& slab, bool slabShown, int axes,
                const PixelBox& box) {
    double lo = 0.0;
    double hi = 0.0;
    bool nans = false;
    const auto include = [&](double t) {
        if (std::isfinite(t)) {
            lo = std::min(lo, t);
            hi = std::max(hi, t);
        }
    };
    for (int axis = 0; axis < axes; ++axis) {
        if (slabShown) {
            const auto [t1, t2] = ends(slab, axis);
            nans = nans || std::isnan(t1) || std::isnan(t2);
            include(t1);
            include(t2);
        } else if (record.axes[axis].hasDistance) {
            include(record.axes[axis].t);
        }
    }
    if (slabShown) {
        include(slab.tnear);
        include(slab.tfar);
    } else if (record.entryAxis >= 0) {
        include(record.entryT);
    }
    if (!(hi > lo)) {
        hi = lo + std::max(std::abs(lo), 1.0);
    }
    const double pad = (hi - lo) * 0.06;
    return {lo - pad, hi + pad, box.x0 + NAME_COLUMNS * CHAR_PIXELS + CHAR_PIXELS,
            box.x1 - CHAR_PIXELS - (nans ? NAN_COLUMNS * CHAR_PIXELS : 0)};
}

// The band as it is laid out: its box, its line of t, and what it adds to the frame.
struct Band {
    FrameLayout& frame;
    std::vector<PixelBox>& taken;
    PixelBox box;
    LineOfT line;

    void add(TextItem text) {
        taken.push_back(text.box);
        frame.teachingTexts.push_back(std::move(text));
    }
    // A row's name at the band's left.
    void name(double y, const std::string& text, Colour colour) {
        add(textAt(static_cast<int>(box.x0), static_cast<int>(y) - 4, text, colour, TEXT_BAND));
    }
    // An arrow at the line's end where an interval runs on to an infinity.
    void arrow(double y, bool right, Colour colour) {
        const double x = right ? line.right : line.left;
        const double back = right ? -5.0 : 5.0;
        frame.bandLines.push_back({x + back, y + 4, x, y, 2.0f, colour});
        frame.bandLines.push_back({x + back, y - 4, x, y, 2.0f, colour});
    }
    // An interval of t as a bar on its row, an infinite end as an arrow at the line's end, a
    // single point as a square.
    void bar(double y, double from, double to, Colour colour, float width) {
        if (from == INF || to == -INF) {
            arrow(y, from == INF, colour);
            return;
        }
        if (from == to) {
            frame.marks.push_back({line.at(from), y, width + 2.0f, colour});
            return;
        }
        frame.bandLines.push_back({line.at(from), y, line.at(to), y, width, colour});
        if (from == -INF) {
            arrow(y, false, colour);
        }
        if (to == INF) {
            arrow(y, true, colour);
        }
    }
    // The line of t with its ticks, labelled in round numbers, each label centred on its tick
    // where it clears the one before; t = 0, where the ray starts, in the start dot's colour.
    void lineWithTicks() {
        const double y = box.y0 + LINE_OF_T;
        frame.bandLines.push_back({line.left, y, line.right, y, 1.0f, GREY});
        const double step =
            roundStep((line.hi - line.lo) * TICK_SPACING / (line.right - line.left));
        const double first = std::ceil(line.lo / step);
        double lastRight = -INF;
        for (int k = 0; k < 64 && (first + k) * step <= line.hi; ++k) {
            const double t = (first + k) * step;
            const double x = line.at(t);
            frame.bandLines.push_back({x, y - 3, x, y + 3, 1.0f, GREY});
            // A round number, also beyond a float's range, as t in double may be.
            char text[32];
            std::snprintf(text, sizeof text, "%.6g", t == 0.0 ? 0.0 : t);
            const int width = static_cast<int>(std::strlen(text)) * CHAR_PIXELS;
            const int left = std::clamp(static_cast<int>(x) - width / 2, static_cast<int>(box.x0),
                                        static_cast<int>(box.x1) - width);
            if (left > lastRight + CHAR_PIXELS) {
                add(textAt(left, static_cast<int>(box.y0) + TICK_BASELINE, text, GREY, TEXT_BAND));
                lastRight = left + width;
            }
        }
        frame.marks.push_back({line.at(0.0), y, 5.0f, CYAN});
    }
    // An axis's interval of t, or where a NaN end leaves none, the NaN named at the right.
    void interval(double y, double t1, double t2, Colour colour) {
        if (std::isnan(t1) || std::isnan(t2)) {
            const char* said = std::isnan(t1) && std::isnan(t2) ? "t1, t2 NaN"
                               : std::isnan(t1)                 ? "t1 NaN"
                                                                : "t2 NaN";
            add(textAt(static_cast<int>(line.right) + CHAR_PIXELS, static_cast<int>(y) - 4, said,
                       colour, TEXT_BAND));
        }
        // fmin and fmax drop a NaN end: the other end alone is a point.
        if (!(std::isnan(t1) && std::isnan(t2))) {
            bar(y, std::fmin(t1, t2), std::fmax(t1, t2), colour, 5.0f);
        }
    }
    // The overlap: a bar where it is not empty, else the gap from where the last interval
    // ends to where the first begins; tnear and tfar each a tick across the row; a hit's
    // entry at tnear.
    void overlap(double y, const SlabTestRecord& slab) {
        name(y, "overlap", WHITE);
        const double tnear = slab.tnear;
        const double tfar = slab.tfar;
        if (tnear <= tfar) {
            bar(y, tnear, tfar, WHITE, 5.0f);
        } else if (!std::isnan(tnear) && !std::isnan(tfar)) {
            frame.bandLines.push_back({line.at(tfar), y, line.at(tnear), y, 1.0f, FAILED});
        }
        for (const double t : {tnear, tfar}) {
            if (std::isfinite(t)) {
                frame.bandLines.push_back({line.at(t), y - 6, line.at(t), y + 6, 1.0f, WHITE});
            }
        }
        if (slab.result == RAY_HIT) {
            frame.marks.push_back({line.at(tnear), y, 11.0f, WHITE});
        }
    }
};

} // namespace

bool zShown(const Scene& scene) {
    return !(scene.rayDir[2] == 0.0f &&
             scene.rayStart[2] >= std::min(scene.boxPlanes[2], scene.boxPlanes[5]) &&
             scene.rayStart[2] <= std::max(scene.boxPlanes[2], scene.boxPlanes[5]));
}

BandPlace bandPlace(const AppState& state) {
    const int bottom = state.textsInPage ? TICK_BASELINE : OVER_FRAME_TEXTS;
    const int rows = zShown(state.scene) ? 4 : 3;
    const int top = bottom + FIRST_ROW + (rows - 1) * ROW_PITCH + OVER_ROWS;
    BandPlace place{};
    place.shown = state.teachingView && state.windowWidth >= MIN_BAND_WIDTH &&
                  state.windowHeight - top - PICTURE_GAP >= MIN_PICTURE;
    place.box = {static_cast<double>(KEYS_X), static_cast<double>(bottom),
                 static_cast<double>(state.windowWidth - KEYS_X), static_cast<double>(top)};
    place.pictureBottom = place.shown ? top + PICTURE_GAP : 0;
    return place;
}

void Layouter::layoutBand(FrameLayout& frame, const RayTestRecord& record,
                          const SlabTestRecord& slab, const Step* current,
                          std::vector<PixelBox>& taken) {
    const BandPlace place = bandPlace(state);
    if (!place.shown) {
        return;
    }
    frame.band = true;
    frame.bandBox = place.box;
    const bool slabShown = state.method.kind != METHOD_CANDIDATE;
    const int axes = zShown(state.scene) ? 3 : 2;
    Band band{frame, taken, place.box, lineOfT(record, slab, slabShown, axes, place.box)};
    band.lineWithTicks();
    // The entry's or the overlap's row lowest, the last axis's over it, x at the top. In a
    // walk, the current step's axis in its colour and the others grey; the entry's or the
    // overlap's row once the walk comes to it.
    const double entryRow = place.box.y0 + FIRST_ROW;
    const bool all =
        current == nullptr || (current->kind != STEP_AXIS && current->kind != STEP_CHECK);
    const char* const NAMES[3] = {"x", "y", "z"};
    for (int axis = 0; axis < axes; ++axis) {
        const double y = entryRow + (axes - axis) * ROW_PITCH;
        const Colour colour = all || current->axis == axis ? AXIS_COLOURS[axis] : GREY;
        band.name(y, NAMES[axis], colour);
        if (slabShown) {
            band.interval(y, ends(slab, axis).first, ends(slab, axis).second, colour);
            continue;
        }
        const AxisStep& candidate = record.axes[axis];
        if (candidate.hasDistance && std::isfinite(candidate.t)) {
            frame.marks.push_back({band.line.at(candidate.t), y, 7.0f, colour});
        }
        // A check of the entry point on this axis: white where it holds, red where not.
        if (current != nullptr && current->kind == STEP_CHECK && current->axis == axis) {
            frame.marks.push_back({band.line.at(record.entryT), y, 9.0f,
                                   candidate.check == CHECK_WITHIN ? WHITE : FAILED});
        }
    }
    const bool entryShown = current == nullptr || (slabShown ? current->kind == STEP_ENTRY ||
                                                                   current->kind == STEP_OUTCOME
                                                             : afterEntry(current->kind));
    if (entryShown && slabShown) {
        band.overlap(entryRow, slab);
    } else if (entryShown) {
        band.name(entryRow, "entry", WHITE);
        if (record.entryAxis >= 0 && std::isfinite(record.entryT)) {
            frame.marks.push_back({band.line.at(record.entryT), entryRow, 11.0f,
                                   record.result == RAY_HIT ? WHITE : FAILED});
        }
    }
}

} // namespace layout
