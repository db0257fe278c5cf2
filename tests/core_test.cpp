// The candidate-plane test against worked cases derived by hand, numbers written in their
// shortest form without std::to_chars, and what is drawn cut to the view.
#include "core/clip.h"
#include "core/explain.h"
#include "core/ray_box.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <tuple>
#include <vector>

namespace {

constexpr float NaN = std::numeric_limits<float>::quiet_NaN();
constexpr float INF = std::numeric_limits<float>::infinity();
using Point = std::array<float, 3>;
const Point UNTOUCHED = {123, 123, 123};

// A name, the box's minimum and maximum, the ray's start and direction, the result and the
// hit point. Most cases use the start-up box (5, 10, 0)-(15, 25, 0).
const std::tuple<const char*, Point, Point, Point, Point, RayTestResult, Point> CASES[] = {
    {"start-up ray", {5, 10, 0}, {15, 25, 0}, {-1, .5f, 0}, {.5f, 1, 0}, RAY_HIT, {5, 12.5f, 0}},
    {"inside", {5, 10, 0}, {15, 25, 0}, {10, 20, 0}, {.5f, 1, 0}, RAY_INSIDE, {}},
    {"on min face", {5, 10, 0}, {15, 25, 0}, {5, 20, 0}, {1, 0, 0}, RAY_INSIDE, {}},
    {"on max corner", {5, 10, 0}, {15, 25, 0}, {15, 25, 0}, {1, 0, 0}, RAY_INSIDE, {}},
    {"NaN start", {5, 10, 0}, {15, 25, 0}, {NaN, 20, 0}, {1, 0, 0}, RAY_MISS, {}},
    {"zero dir", {5, 10, 0}, {15, 25, 0}, {-1, .5f, 0}, {0, 0, 0}, RAY_MISS, {}},
    {"NaN dir", {5, 10, 0}, {15, 25, 0}, {-1, .5f, 0}, {NaN, 0, 0}, RAY_MISS, {}},
    {"y entered last", {5, 10, 0}, {15, 25, 0}, {0, 4, 0}, {1, 1, 0}, RAY_HIT, {6, 10, 0}},
    // A tie: x is the entry plane, and y, computed, comes out one float above 0.9.
    {"tie", {.9f, .9f}, {2, 2}, {-.1f, -.1f}, {.1f, .1f}, RAY_HIT, {.9f, .90000004f}},
    {"hit on max", {5, 10, 0}, {15, 25, 0}, {20, 30, 0}, {-1, -1, 0}, RAY_HIT, {15, 25, 0}},
    {"all behind", {0, 0, 0}, {1, 1, 1}, {2, 2, 2}, {2, 2, 2}, RAY_MISS, {}},
    {"passes above", {5, 10, 0}, {15, 25, 0}, {0, 30, 0}, {1, 0, 0}, RAY_MISS, {}},
    {"crossed x", {16, 10, 0}, {15, 25, 0}, {0, 12, 0}, {1, 0, 0}, RAY_HIT, {16, 12, 0}},
    {"crossed y", {5, 26, 0}, {15, 25, 0}, {0, 20, 0}, {1, 0, 0}, RAY_MISS, {}},
    {"at infinity", {INF, INF, INF}, {INF, INF, INF}, {0, 0, 0}, {1, 1, 1}, RAY_MISS, {}},
    {"hit overflows", {0, -INF, -1}, {1, INF, 1}, {-1, 0, 0}, {1e-30f, 1e30f, 0}, RAY_MISS, {}},
    {"through z", {0, 0, 0}, {1, 1, 1}, {.5f, .5f, -2}, {0, 0, 1}, RAY_HIT, {.5f, .5f, 0}},
    // Exactly, t is 3/7 and y 0.7; in float arithmetic both come out a bit off.
    {"rounded", {.2f, -1, -1}, {1, 1, 1}, {-.1f, .4f, 0}, {.7f, .7f, 0}, RAY_HIT, {.2f, .7f, 0}},
};

TEST(RayBoxIntersect, WorkedCases) {
    for (const auto& [name, boxMin, boxMax, origin, dir, expected, point] : CASES) {
        Point hit = UNTOUCHED;
        EXPECT_EQ(
            rayBoxIntersect(boxMin.data(), boxMax.data(), origin.data(), dir.data(), hit.data()),
            expected)
            << name;
        // A miss may leave the hit point partly written; a start inside leaves it alone.
        if (expected != RAY_MISS) {
            EXPECT_EQ(hit, expected == RAY_HIT ? point : UNTOUCHED) << name;
        }
    }
}

// The recording test is the same test: it agrees with the plain one on the worked cases and
// on random rays built from ordinary, awkward and extreme values.
TEST(RayBoxIntersect, RecordAgrees) {
    const float values[] = {0,     -0.0f,  1,      -1,     .5f,   5,   10,  15,   25,    .1f,
                            3e38f, -3e38f, 1e-45f, 1e-30f, 1e30f, NaN, INF, -INF, 12.5f, -7};
    std::mt19937 rng(12);
    const auto value = [&] {
        return rng() % 3 == 0 ? values[rng() % std::size(values)]
                              : static_cast<float>(static_cast<int>(rng() % 61) - 20);
    };
    // The worked cases, then random rays of everyday and extreme values.
    for (std::size_t n = 0; n < std::size(CASES) + 100000; ++n) {
        std::array<Point, 4> ray{};
        if (n < std::size(CASES)) {
            const auto& [name, boxMin, boxMax, origin, dir, expected, point] = CASES[n];
            ray = {boxMin, boxMax, origin, dir};
        } else {
            for (std::size_t i = 0; i < 12; ++i) {
                ray[i / 3][i % 3] = value();
            }
        }
        const auto& [boxMin, boxMax, origin, dir] = ray;
        Point hit = UNTOUCHED;
        RayTestRecord record;
        const RayTestResult plain =
            rayBoxIntersect(boxMin.data(), boxMax.data(), origin.data(), dir.data(), hit.data());
        ASSERT_EQ(rayBoxIntersect(boxMin.data(), boxMax.data(), origin.data(), dir.data(), record),
                  plain);
        if (plain == RAY_HIT) {
            ASSERT_EQ(Point({record.hit[0], record.hit[1], record.hit[2]}), hit);
        }
    }
}

// The WebAssembly build writes numbers with printf and strtof alone: the same text as
// std::to_chars for every kind of float, and for twenty million random ones in four shards
// that run side by side.
class Shortest : public ::testing::TestWithParam<int> {};

TEST_P(Shortest, WithoutToChars) {
    std::vector<float> values = {0,      -0.0f,   NaN,          -NaN,  INF, -INF,
                                 1e-45f, -1e-45f, 1.2e-38f,     3e38f, 12,  9.5f,
                                 1e-5f,  0.001f,  123456789.0f, 1e7f,  1e8f};
    for (int e = -149; e < 128 && GetParam() == 0; ++e) {
        values.push_back(std::ldexp(1.0f, e)); // powers of two, where the gaps change
        values.push_back(std::nextafter(std::ldexp(1.0f, e), 0.0f));
        values.push_back(static_cast<float>(std::pow(10.0, e / 3)));
    }
    std::mt19937 rng(static_cast<unsigned>(GetParam()));
    for (int n = 0; n < 5000000; ++n) {
        const std::uint32_t bits = rng();
        float v = 0;
        std::memcpy(&v, &bits, sizeof v);
        values.push_back(v);
    }
    for (const float v : values) {
        ASSERT_EQ(shortestByPrintf(v), shortest(v)) << std::hexfloat << v;
    }
}
INSTANTIATE_TEST_SUITE_P(Shards, Shortest, ::testing::Range(0, 4));

// Twice the area of a polygon, by the shoelace formula.
double area(const std::array<Corner, 5>& corners, int count) {
    double sum = 0;
    for (int i = 0; i < count; ++i) {
        const Corner& a = corners[i];
        const Corner& b = corners[(i + 1) % count];
        sum += a.x * b.y - b.x * a.y;
    }
    return std::abs(sum);
}

TEST(Clip, BoxesAndSegments) {
    const Rect view = viewRegion(640, 480, 30);
    EXPECT_EQ(view.maxX - view.minX, 2001 * 40.0);
    EXPECT_EQ(view.maxY - view.minY, 2001 * 30.0);
    // A box, the part of it left and the colour at its centre. Whatever the box's size, its
    // pieces tile what is left of it, and meet the colour GL gives the quad's centre.
    const Rect r{0, 0, 40, 30};
    const std::tuple<std::array<double, 4>, double, std::array<double, 3>> boxes[] = {
        {{5, 10, 15, 25}, 2 * 150, {.5, .5, .5}},
        {{-1e12, -1e12, 1e12, 1e12}, 2 * 1200, {.5, .5, .5}},
        {{-3.4e38, -3.4e38, 3.4e38, 3.3e38}, 2 * 1200, {.5, .5, .5}},
        {{15, 10, 5, 25}, 2 * 150, {.5, .5, .5}}, // crossed
        {{5, 10, 5, 25}, 0, {}},                  // no width
        {{50, 10, 60, 25}, 0, {}},                // beside the region
    };
    for (const auto& [box, twiceArea, centre] : boxes) {
        const BoxPieces pieces = clipBox(r, box[0], box[1], box[2], box[3]);
        double total = 0;
        for (int t = 0; t < 2; ++t) {
            total += area(pieces.corners[t], pieces.count[t]);
            for (int i = 0; i < pieces.count[t]; ++i) {
                const Corner& c = pieces.corners[t][i];
                EXPECT_TRUE(c.x >= 0 && c.x <= 40 && c.y >= 0 && c.y <= 30) << box[0];
                for (const double channel : c.rgb) {
                    EXPECT_TRUE(channel >= -1e-9 && channel <= 1 + 1e-9) << box[0];
                }
            }
        }
        EXPECT_NEAR(total, twiceArea, 1e-6) << box[0];
        if (box[2] == 15) {
            // Uncut, the second piece is red, blue and yellow: blue at the far corner.
            const Corner& blue = pieces.corners[1][1];
            EXPECT_EQ((std::array{blue.x, blue.y}), (std::array{box[2], box[3]}));
            EXPECT_EQ(blue.rgb, (std::array<double, 3>{0, 0, 1}));
        }
    }
    // Segments: the ends given, and the ends left, or none.
    const std::pair<std::array<double, 4>, std::array<double, 4>> segments[] = {
        {{-1, .5, 5, 12.5}, {0, 2.5, 5, 12.5}},
        {{-3.4e38, -3.4e38, 5, 5}, {0, 0, 5, 5}},
        {{20, 1, 20, 3.4e38}, {20, 1, 20, 30}},
        {{10, 10, 20, 20}, {10, 10, 20, 20}},
        {{-10, 40, 50, 40}, {}},
        {{-10, -1, 50, -1e-9}, {}},
    };
    for (const auto& [given, left] : segments) {
        double a[2] = {given[0], given[1]};
        double b[2] = {given[2], given[3]};
        const bool kept = clipSegment(r, a, b);
        EXPECT_EQ(kept, (left != std::array<double, 4>{})) << given[0];
        if (kept) {
            EXPECT_EQ((std::array{a[0], a[1], b[0], b[1]}), left) << given[0];
        }
    }
}

} // namespace
