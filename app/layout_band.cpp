// The number line of t under the picture: each axis's candidate t, or its interval of t, on
// one shared line of t, with the entry, the overlap, and t = 0 where the ray starts.
#include "app/layout_rooms.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
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
    for (const double factor : {1.0, 2.0, 5.0}) {
        if (factor * power >= least) {
            return factor * power;
        }
    }
    return 10.0 * power;
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
    const auto ends = [&](int axis) {
        return std::pair{slab.axes[axis].toMin, slab.axes[axis].toMax};
    };
    const bool nans = slabShown && [&] {
        for (int axis = 0; axis < axes; ++axis) {
            if (std::isnan(ends(axis).first) || std::isnan(ends(axis).second)) {
                return true;
            }
        }
        return false;
    }();
    const double bottom = place.box.y0;
    // The entry's or the overlap's row lowest, the last axis's over it, x at the top.
    const double entryRow = bottom + FIRST_ROW;
    const auto axisRow = [&](int axis) { return entryRow + (axes - axis) * ROW_PITCH; };

    // The range: t = 0 and every finite end shown.
    double lo = 0.0;
    double hi = 0.0;
    const auto include = [&](double t) {
        if (std::isfinite(t)) {
            lo = std::min(lo, t);
            hi = std::max(hi, t);
        }
    };
    for (int axis = 0; axis < axes; ++axis) {
        if (slabShown) {
            include(ends(axis).first);
            include(ends(axis).second);
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
    const LineOfT line{lo - pad, hi + pad, place.box.x0 + NAME_COLUMNS * CHAR_PIXELS + CHAR_PIXELS,
                       place.box.x1 - CHAR_PIXELS - (nans ? NAN_COLUMNS * CHAR_PIXELS : 0)};
    const double lineY = bottom + LINE_OF_T;
    frame.bandLines.push_back({line.left, lineY, line.right, lineY, 1.0f, GREY});

    // Tick labels in round numbers, each centred on its tick where it clears the one before.
    const double step = roundStep((line.hi - line.lo) * TICK_SPACING / (line.right - line.left));
    const auto add = [&](TextItem text) {
        taken.push_back(text.box);
        frame.teachingTexts.push_back(std::move(text));
    };
    double lastRight = -INF;
    for (double k = std::ceil(line.lo / step);
         k * step <= line.hi && k < std::ceil(line.lo / step) + 64; ++k) {
        const double t = k * step;
        const double x = line.at(t);
        frame.bandLines.push_back({x, lineY - 3, x, lineY + 3, 1.0f, GREY});
        // A round number, also beyond a float's range, as t in double may be.
        char text[32];
        std::snprintf(text, sizeof text, "%.6g", t == 0.0 ? 0.0 : t);
        const int width = static_cast<int>(std::strlen(text)) * CHAR_PIXELS;
        const int left = std::clamp(static_cast<int>(x) - width / 2, static_cast<int>(place.box.x0),
                                    static_cast<int>(place.box.x1) - width);
        if (left > lastRight + CHAR_PIXELS) {
            add(textAt(left, static_cast<int>(bottom) + TICK_BASELINE, text, GREY, TEXT_BAND));
            lastRight = left + width;
        }
    }
    // Where the ray starts: t = 0, in the start dot's colour.
    frame.marks.push_back({line.at(0.0), lineY, 5.0f, CYAN});

    const auto name = [&](double y, const std::string& text, Colour colour) {
        add(textAt(static_cast<int>(place.box.x0), static_cast<int>(y) - 4, text, colour,
                   TEXT_BAND));
    };
    // An arrow at the line's end where an interval runs on to an infinity.
    const auto arrow = [&](double y, bool right, Colour colour) {
        const double x = right ? line.right : line.left;
        const double back = right ? -5.0 : 5.0;
        frame.bandLines.push_back({x + back, y + 4, x, y, 2.0f, colour});
        frame.bandLines.push_back({x + back, y - 4, x, y, 2.0f, colour});
    };
    // An interval of t as a bar on its row, an infinite end as an arrow at the line's end, a
    // single point as a square.
    const auto bar = [&](double y, double from, double to, Colour colour, float width) {
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
    };
    // In a walk, the current step's axis in its colour and the others grey; the entry's or the
    // overlap's row once the walk comes to it.
    const bool all =
        current == nullptr || (current->kind != STEP_AXIS && current->kind != STEP_CHECK);
    const auto colourOf = [&](int axis) {
        return all || current->axis == axis ? AXIS_COLOURS[axis] : GREY;
    };
    const bool entryShown = current == nullptr || (slabShown ? current->kind == STEP_ENTRY ||
                                                                   current->kind == STEP_OUTCOME
                                                             : afterEntry(current->kind));
    const char* const NAMES[3] = {"x", "y", "z"};
    for (int axis = 0; axis < axes; ++axis) {
        const double y = axisRow(axis);
        name(y, NAMES[axis], colourOf(axis));
        if (!slabShown) {
            const AxisStep& candidate = record.axes[axis];
            if (candidate.hasDistance && std::isfinite(candidate.t)) {
                frame.marks.push_back({line.at(candidate.t), y, 7.0f, colourOf(axis)});
            }
            // A check of the entry point on this axis: white where it holds, red where not.
            if (current != nullptr && current->kind == STEP_CHECK && current->axis == axis) {
                frame.marks.push_back({line.at(record.entryT), y, 9.0f,
                                       candidate.check == CHECK_WITHIN ? WHITE : FAILED});
            }
            continue;
        }
        const auto [t1, t2] = ends(axis);
        if (std::isnan(t1) || std::isnan(t2)) {
            const char* said = std::isnan(t1) && std::isnan(t2) ? "t1, t2 NaN"
                               : std::isnan(t1)                 ? "t1 NaN"
                                                                : "t2 NaN";
            add(textAt(static_cast<int>(line.right) + CHAR_PIXELS, static_cast<int>(y) - 4, said,
                       colourOf(axis), TEXT_BAND));
        }
        if (!(std::isnan(t1) && std::isnan(t2))) {
            const double a = std::isnan(t1) ? t2 : t1;
            const double b = std::isnan(t2) ? t1 : t2;
            bar(y, std::min(a, b), std::max(a, b), colourOf(axis), 5.0f);
        }
    }
    if (!entryShown) {
        return;
    }
    if (!slabShown) {
        name(entryRow, "entry", WHITE);
        if (record.entryAxis >= 0 && std::isfinite(record.entryT)) {
            frame.marks.push_back({line.at(record.entryT), entryRow, 11.0f,
                                   record.result == RAY_HIT ? WHITE : FAILED});
        }
        return;
    }
    name(entryRow, "overlap", WHITE);
    const double tnear = slab.tnear;
    const double tfar = slab.tfar;
    if (tnear <= tfar) {
        bar(entryRow, tnear, tfar, WHITE, 5.0f);
    } else if (!std::isnan(tnear) && !std::isnan(tfar)) {
        // Empty: the gap from where the last interval ends to where the first begins.
        frame.bandLines.push_back(
            {line.at(tfar), entryRow, line.at(tnear), entryRow, 1.0f, FAILED});
    }
    // tnear and tfar, each a tick across the row.
    for (const double t : {tnear, tfar}) {
        if (std::isfinite(t)) {
            frame.bandLines.push_back(
                {line.at(t), entryRow - 6, line.at(t), entryRow + 6, 1.0f, WHITE});
        }
    }
    if (slab.result == RAY_HIT) {
        frame.marks.push_back({line.at(tnear), entryRow, 11.0f, WHITE});
    }
}

} // namespace layout
