// The number line of t as data, without a display: every bar and mark where the test's record
// puts its t, as the line's own labelled ticks read it, for every method in random scenes;
// the walk's colours; the band's place at several sizes, and left out where it does not fit;
// the slab bars the picture shows instead where it is.
#include "tests/app_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <map>
#include <random>
#include <string>
#include <tuple>
#include <vector>

namespace {

constexpr double INF = std::numeric_limits<double>::infinity();

// The line of t as the band shows it: where each row is, by its name, and t in pixels as two
// labelled ticks read it, an infinity at the line's ends.
struct Reading {
    std::map<std::string, double> rows;
    double left = 0;
    double right = 0;
    double origin = 0;
    double scale = 0;
    [[nodiscard]] double at(double t) const {
        return t == -INF ? left : t == INF ? right : origin + scale * t;
    }
};

Reading readBand(const FrameLayout& f) {
    Reading r;
    const double lineY = f.bandBox.y0 + 22;
    std::vector<double> ticks;
    for (const LineItem& l : f.bandLines) {
        if (l.y0 == lineY && l.y1 == lineY) {
            std::tie(r.left, r.right) = std::pair(l.x0, l.x1);
        } else if (l.x0 == l.x1 && l.y0 == lineY - 3 && l.y1 == lineY + 3) {
            ticks.push_back(l.x0);
        }
    }
    std::vector<std::pair<double, double>> read; // t, and its tick's pixel
    for (const TextItem& text : textsOf(f, TEXT_BAND)) {
        if (text.y == f.bandBox.y0 + 4) {
            const double middle = (text.box.x0 + text.box.x1) / 2;
            const double tick =
                *std::min_element(ticks.begin(), ticks.end(), [&](double a, double b) {
                    return std::abs(a - middle) < std::abs(b - middle);
                });
            read.emplace_back(std::stod(text.text), tick);
        } else if (text.box.x0 == f.bandBox.x0) {
            r.rows[text.text] = text.y + 4.0;
        }
    }
    EXPECT_GE(read.size(), 2U);
    if (read.size() >= 2) {
        const auto [t0, x0] = read.front();
        const auto [t1, x1] = read.back();
        r.scale = (x1 - x0) / (t1 - t0);
        r.origin = x0 - r.scale * t0;
    }
    return r;
}

// Whether the band shows an interval [from, to] on the row at y: a bar from end to end, a
// square on a single point, an arrow at the line's end where it lies all beyond one.
::testing::AssertionResult showsInterval(const FrameLayout& f, const Reading& r, double y,
                                         double from, double to) {
    const auto near = [](double a, double b) { return std::abs(a - b) <= 1.5; };
    if (from == INF || to == -INF) {
        const double end = from == INF ? r.right : r.left;
        const long strokes =
            std::count_if(f.bandLines.begin(), f.bandLines.end(), [&](const LineItem& l) {
                return l.width == 2.0f && l.x1 == end && l.y1 == y;
            });
        return strokes == 2 ? ::testing::AssertionSuccess()
                            : ::testing::AssertionFailure() << "no arrow at " << end;
    }
    if (from == to) {
        const bool marked = std::any_of(f.marks.begin(), f.marks.end(), [&](const MarkItem& m) {
            return m.y == y && near(m.x, r.at(from));
        });
        return marked ? ::testing::AssertionSuccess()
                      : ::testing::AssertionFailure() << "no mark at t = " << from;
    }
    const bool bar = std::any_of(f.bandLines.begin(), f.bandLines.end(), [&](const LineItem& l) {
        return l.width == 5.0f && l.y0 == y && l.y1 == y && near(l.x0, r.at(from)) &&
               near(l.x1, r.at(to));
    });
    return bar ? ::testing::AssertionSuccess()
               : ::testing::AssertionFailure() << "no bar from " << from << " to " << to;
}

bool markedAt(const FrameLayout& f, double x, double y) {
    return std::any_of(f.marks.begin(), f.marks.end(),
                       [&](const MarkItem& m) { return m.y == y && std::abs(m.x - x) <= 1.5; });
}

TEST(NumberLine, WhereTheRecordSays) {
    const float inf = std::numeric_limits<float>::infinity();
    const float values[] = {0,      -0.0f,   5,        10,   15,  25,   -1,           0.5f,
                            1e-45f, 3.4e38f, -3.4e38f, 1e8f, inf, -inf, std::nanf("")};
    std::mt19937 rng(31);
    const auto value = [&] {
        return rng() % 3 == 0 ? values[rng() % std::size(values)]
                              : static_cast<float>(static_cast<int>(rng() % 61) - 15) / 2;
    };
    const char* const AXES[3] = {"x", "y", "z"};
    for (const Method method :
         {Method{METHOD_CANDIDATE, {}}, Method{METHOD_SLAB, {}},
          Method{METHOD_SLAB, {true, true, SLAB_TERNARY, true, false}}, Method{METHOD_EXACT, {}}}) {
        for (int n = 0; n < 1000; ++n) {
            teach("");
            app.method = method;
            float* scene[] = {&app.scene.boxPlanes[0], &app.scene.boxPlanes[1],
                              &app.scene.boxPlanes[3], &app.scene.boxPlanes[4],
                              &app.scene.rayStart[0],  &app.scene.rayStart[1],
                              &app.scene.rayDir[0],    &app.scene.rayDir[1],
                              &app.scene.rayStart[2],  &app.scene.rayDir[2]};
            // z, and with it the band's z row, in one scene of four.
            for (std::size_t i = 0; i < (n % 4 == 0 ? 10U : 8U); ++i) {
                *scene[i] = value();
            }
            const RayTestRecord record = testScene(app.scene);
            const FrameLayout f = laidOut();
            ASSERT_TRUE(f.band);
            const Reading r = readBand(f);
            SCOPED_TRACE(methodName(method) + " scene " + std::to_string(n) + ": " + [&] {
                std::string w;
                for (float* v : scene)
                    w += shortest(*v) + " ";
                return w;
            }());
            ASSERT_TRUE(markedAt(f, r.at(0), f.bandBox.y0 + 22)) << "t = 0";
            const bool z = r.rows.count("z") != 0;
            if (method.kind == METHOD_CANDIDATE) {
                for (int axis = 0; axis < (z ? 3 : 2); ++axis) {
                    const AxisStep& step = record.axes[axis];
                    if (step.hasDistance && std::isfinite(step.t)) {
                        ASSERT_TRUE(markedAt(f, r.at(step.t), r.rows.at(AXES[axis]))) << axis;
                    }
                }
                if (record.entryAxis >= 0 && std::isfinite(record.entryT)) {
                    ASSERT_TRUE(markedAt(f, r.at(record.entryT), r.rows.at("entry")));
                }
                continue;
            }
            const SlabTestRecord slab = method.kind == METHOD_SLAB
                                            ? testSceneSlab(app.scene, method.slab)
                                            : intervalsOf(testSceneExact(app.scene));
            for (int axis = 0; axis < (z ? 3 : 2); ++axis) {
                const double t1 = slab.axes[axis].toMin;
                const double t2 = slab.axes[axis].toMax;
                if (!std::isnan(t1) || !std::isnan(t2)) {
                    const double a = std::isnan(t1) ? t2 : t1;
                    const double b = std::isnan(t2) ? t1 : t2;
                    ASSERT_TRUE(
                        showsInterval(f, r, r.rows.at(AXES[axis]), std::min(a, b), std::max(a, b)))
                        << axis;
                }
            }
            if (slab.tnear <= slab.tfar) {
                ASSERT_TRUE(showsInterval(f, r, r.rows.at("overlap"), slab.tnear, slab.tfar));
            }
            ASSERT_EQ(slab.result == RAY_HIT && markedAt(f, r.at(slab.tnear), r.rows.at("overlap")),
                      slab.result == RAY_HIT);
        }
    }
    app = AppState{};
}

// In a walk, the current axis in its colour and the others grey; the entry's row once the walk
// comes to it.
TEST(NumberLine, TheWalk) {
    const std::tuple<const char*, int, std::map<std::string, float>> walk[] = {
        {"", 0, {{"x", 0.55f}, {"y", 0.6f}}},
        {"", 1, {{"x", 0.6f}, {"y", 0.75f}}},
        {"", 3, {{"x", 0.55f}, {"y", 0.75f}, {"entry", 1.0f}}},
        {"--method slab", 1, {{"x", 0.6f}, {"y", 0.75f}}},
        {"--method slab", 3, {{"x", 0.55f}, {"y", 0.75f}, {"overlap", 1.0f}}},
    };
    for (const auto& [line, step, greens] : walk) {
        teach(line);
        app.walkStep = step;
        std::map<std::string, float> shown;
        const FrameLayout f = laidOut();
        for (const TextItem& text : textsOf(f, TEXT_BAND)) {
            if (text.box.x0 == f.bandBox.x0) {
                shown[text.text] = text.colour.g;
            }
        }
        EXPECT_EQ(shown, greens) << line << " step " << step;
    }
}

// Under the picture, over the frame's texts in a window and at the bottom of a page that
// shows them beside the picture; left out where the picture would keep too little height.
TEST(NumberLine, ItsPlace) {
    const std::tuple<int, int, bool, bool, double, double> places[] = {
        {640, 480, false, true, 70, 146}, {1000, 700, false, true, 70, 146},
        {428, 322, true, true, 4, 80},    {640, 340, false, false, 0, 0},
        {300, 480, false, false, 0, 0},   {640, 480, false, true, 70, 162}, // with z
    };
    for (const auto& [width, height, inPage, shown, bottom, top] : places) {
        teach("", width, height);
        app.textsInPage = inPage;
        if (top == 162) {
            app.scene.rayDir[2] = 1;
        }
        const FrameLayout f = laidOut();
        EXPECT_EQ(f.band, shown) << width << " x " << height;
        if (shown) {
            EXPECT_EQ(std::pair(f.bandBox.y0, f.bandBox.y1), std::pair(bottom, top));
            // The picture starts over it: the scene's y = 0 on its first row.
            EXPECT_EQ(-f.view.originY / f.view.units, top + 4);
        }
    }
    app = AppState{};
}

// The slab view's bars as data, for a ray in every direction: where the number line of t is
// shown, it holds the intervals and the picture none; in a window too short for it, each
// axis's interval lies on the ray in its colour, x wider than y and the overlap narrowest,
// and an arrow marks where one runs on out of the window.
TEST(Layout, TheSlabBars) {
    const char* const rays[] = {"--start 0 12 --dir 1 0",    "--start 25 12 --dir -1 0",
                                "--start 10 5 --dir 0 1",    "--start 10 28 --dir 0 -1",
                                "--start 0 5 --dir 1 1",     "--start 25 28 --dir -1 -1",
                                "--start 25 5 --dir -1 0.8", "--start 0 28 --dir 1 -0.9"};
    // Each bar's green (which axis) with its width, on the ray; the arrows' strokes by green.
    const auto bars = [](const FrameLayout& f) {
        std::map<float, float> widths;
        std::map<float, int> strokes;
        const double dx = app.scene.rayDir[0];
        const double dy = app.scene.rayDir[1];
        for (const LineItem& l : f.lines) {
            const double off = dx * (l.y0 - f.start.y) - dy * (l.x0 - f.start.x);
            const double along = dx * (l.y1 - l.y0) - dy * (l.x1 - l.x0);
            if (l.width == 2.0f) {
                ++strokes[l.colour.g];
            } else if (l.width > 1.0f && std::abs(along) < 1e-6 && std::abs(off) < 1) {
                widths[l.colour.g] = l.width;
            }
        }
        return std::pair(widths, strokes);
    };
    for (const char* line : rays) {
        EXPECT_TRUE(bars(teach(line + std::string(" --method slab"))).first.empty()) << line;
        const FrameLayout f = teach(line + std::string(" --method slab"), 640, 340);
        EXPECT_FALSE(f.band);
        EXPECT_EQ(bars(f).first, (std::map<float, float>{{0.55f, 9}, {0.75f, 6}, {1.0f, 3}}))
            << line;
    }
    // x ends beyond the right edge, y never ends, nor does the overlap on the right.
    const FrameLayout wide =
        teach("--method slab --box 5 10 100 25 --start 0 12 --dir 1 0", 640, 340);
    EXPECT_EQ(bars(wide).second, (std::map<float, int>{{0.55f, 2}, {0.75f, 4}, {1.0f, 2}}));
    app.teachingView = false;
}

} // namespace
