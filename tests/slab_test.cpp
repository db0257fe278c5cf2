// The slab test against hand-worked cases of its formula, its words, and where it parts
// from the candidate-plane test.
#include "core/methods.h"
#include "core/ray_box.h"
#include "core/slab.h"
#include "tests/support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <string>
#include <tuple>
#include <vector>

namespace {

constexpr float INF = std::numeric_limits<float>::infinity();
constexpr float BOX_MIN[3] = {5, 10, 0};
constexpr float BOX_MAX[3] = {15, 25, 0};

// A ray against the start-up box (start and direction), the slab test's answer worked by
// hand from its formula, the candidate planes' outcome, and the start of the disagreement's
// cause, if any.
struct Case {
    const char* name;
    const char* ray;
    RayTestResult slab;
    float tnear;
    const char* hit;
    RayTestResult candidate;
    const char* cause;
};

const Case CASES[] = {
    // x: 1/d = 2, t in [12, 32]; y: [9.5, 24.5]; z: 0 * inf is NaN twice, dropped.
    {"the start-up ray", "-1 .5 0  .5 1 0", RAY_HIT, 12, "5 12.5 0", RAY_HIT, ""},
    // x: (5 - 5) * inf is NaN, fmin(NaN, inf) = inf: the slab collapses.
    {"on a face plane, still along it", "5 12 0  0 1 0", RAY_MISS, INF, "", RAY_INSIDE,
     "a start on a face plane"},
    {"grazing along a face", "0 10 0  1 0 0", RAY_MISS, INF, "", RAY_HIT,
     "a start on a face plane"},
    // x: 1/-0 = -inf: t1 = 0 * -inf is NaN, t2 = -inf, so tfar = -inf; y: [-2, 13].
    {"on a face plane, -0 along it", "5 12 0  -0 1 0", RAY_MISS, -2, "", RAY_INSIDE,
     "a start on a face plane"},
    // x: [0, 10]; y: 0 direction within the slab, every t: entered at t = 0.
    {"on the min face, moving in", "5 12 0  1 0 0", RAY_HIT, 0, "5 12 0", RAY_INSIDE,
     "a start on the boundary"},
    {"inside", "10 20 0  1 0 0", RAY_INSIDE, -5, "", RAY_INSIDE, ""},
    {"behind", "20 12 0  1 0 0", RAY_MISS, -15, "", RAY_MISS, ""},
    // x and z NaN, dropped; y every t: nothing is left to exclude the ray.
    {"a NaN start", "nan 12 0  1 0 0", RAY_INSIDE, -INF, "", RAY_MISS, "a NaN input"},
    {"a NaN direction", "-1 12 0  nan 1 0", RAY_INSIDE, -2, "", RAY_MISS, "a NaN input"},
    // x: 1 / 1e-45 is inf, t = 6 * inf: an entry at inf is no entry.
    // Exactly, x = 5 is reached at t = 6 / 1e-45, beyond a float: a hit at t = inf.
    {"an entry at infinity", "-1 12 0  1e-45 0 0", RAY_MISS, INF, "", RAY_MISS,
     "t too large for a float"},
    {"an infinite start", "-inf 12 0  1 0 0", RAY_MISS, INF, "", RAY_MISS, ""},
    // y: 0 direction outside [10, 25]: (10 - 5) * inf = inf, so no t at all.
    {"still, beside the box", "-1 5 0  1 0 0", RAY_MISS, INF, "", RAY_MISS, ""},
    // Where the order of rounding shows, bit for bit: t is 5 * (1 / 3) in float, 1.6666667,
    // not 5 / 3 (1.6666666); the entry point is o + t * d in double, rounded once (in float
    // throughout, y would be 23.912796).
    {"t as a product with 1 / d", "0 12 0  3 0 0", RAY_HIT, 1.6666667f, "5 12 0", RAY_HIT, ""},
    {"the entry point in double", "34.5157318 -14.2296638 0  -0.412771702 0.806740284 0", RAY_HIT,
     47.279724f, "15 23.912794 0", RAY_HIT, ""},
};

TEST(Slab, HandWorkedCases) {
    for (const Case& c : CASES) {
        const std::vector<float> ray = floats(c.ray);
        const float* origin = &ray[0];
        const float* dir = &ray[3];
        SlabTestRecord record;
        EXPECT_EQ(slabIntersect(BOX_MIN, BOX_MAX, origin, dir, record), c.slab) << c.name;
        EXPECT_EQ(record.result, c.slab) << c.name;
        EXPECT_EQ(record.tnear, c.tnear) << c.name;
        if (c.slab == RAY_HIT) {
            EXPECT_EQ(std::vector<float>(record.hit, record.hit + 3), floats(c.hit)) << c.name;
        }
        RayTestRecord candidate;
        EXPECT_EQ(rayBoxIntersect(BOX_MIN, BOX_MAX, origin, dir, candidate), c.candidate) << c.name;
        const std::string differ = disagreement({METHOD_SLAB, {}}, BOX_MIN, BOX_MAX, origin, dir);
        EXPECT_EQ(differ.find(std::string("(") + c.cause) != std::string::npos, c.cause[0] != '\0')
            << c.name << ": " << differ;
        EXPECT_EQ(differ.empty(), c.cause[0] == '\0') << c.name;
    }
}

TEST(Slab, StepsInWords) {
    const auto words = [](const float origin[3], const float dir[3]) {
        SlabTestRecord record;
        slabIntersect(BOX_MIN, BOX_MAX, origin, dir, record);
        std::string text;
        for (const std::string& line : explainSlab(record, BOX_MIN, BOX_MAX, origin, dir)) {
            text += line + "\n";
        }
        return text;
    };
    const std::vector<float> startUp = floats(CASES[0].ray);
    EXPECT_EQ(words(&startUp[0], &startUp[3]),
              "x: slab [5, 15]: t from 12 to 32\n"
              "y: slab [10, 25]: t from 9.5 to 24.5\n"
              "z: flat, the ray in its plane: every t\n"
              "overlap: t from 12 to 24.5, entered ahead: hit at t = 12\n"
              "Collision at { X = 5.000000; Y = 12.500000; Z = 0.000000 }\n");
    const std::vector<float> grazing = floats(CASES[2].ray);
    const std::string collapsed = words(&grazing[0], &grazing[3]);
    EXPECT_NE(collapsed.find("y: direction 0, start 10 on the plane y = 10: 0 * inf is NaN: fmin "
                             "drops it, and the other plane leaves t from inf to inf\n"),
              std::string::npos)
        << collapsed;
    EXPECT_NE(collapsed.find("overlap: t from inf to 15: empty, the ray misses the box\n"),
              std::string::npos)
        << collapsed;
    const float behind[3] = {20, 12, 0};
    const float along[3] = {1, 0, 0};
    EXPECT_NE(words(behind, along).find("overlap: t from -15 to -5: behind the start"),
              std::string::npos);
    // A still axis, its start below, above, within and on a plane, along +0 and -0.
    const std::tuple<float, float, const char*> still[] = {
        {5, 0.0f, "y: direction 0, start 5 outside [10, 25]: no t, t from inf to inf"},
        {30, 0.0f, "y: direction 0, start 30 outside [10, 25]: no t, t from -inf to -inf"},
        {30, -0.0f, "y: direction 0, start 30 outside [10, 25]: no t, t from inf to inf"},
        {12, 0.0f, "y: direction 0, start 12 within [10, 25]: every t"},
        {12, -0.0f, "y: direction 0, start 12 within [10, 25]: every t"},
        {25, -0.0f,
         "y: direction 0, start 25 on the plane y = 25: 0 * inf is NaN: fmin drops "
         "it, and the other plane leaves t from inf to inf"},
    };
    for (const auto& [y, dy, line] : still) {
        const float origin[3] = {0, y, 0};
        const float dir[3] = {1, dy, 0};
        EXPECT_NE(words(origin, dir).find(std::string("\n") + line + "\n"), std::string::npos)
            << words(origin, dir);
    }
}

// Each modifier against a ray that tells it from the variant without it: the method, the
// ray (origin, direction; the start-up box, or the box given), and its answer.
TEST(Slab, EachModifierAgainstItsNeighbours) {
    // A ray that grazes x = -1 as y reaches 2 exactly: a one-point overlap in float.
    const float graze[12] = {-6, .5f, 0, 1, .3f, 0, -1, 1, 0, -1, 2, 0};
    // In double, 200 less than -2^60 is -2^60: tnear rounds past tfar by one unit.
    const float far[12] = {-1.1529215e18f, -1.1529215e18f, 0, 1, 1, 0, 200, 10, -2, 300, 100, 3};
    // 0.714286 - -6.994405e-15 over 0.71428573 lies, in double, by a product just past a
    // midpoint of two floats, by a quotient just short of it.
    const float tie[12] = {-6.994405e-15f, 12, 0, .71428573f, 0, 0, .714286f, 10, -2, 15, 25, 3};
    const float third[12] = {0, 12, 0, 3, 0, 0, 5, 10, 0, 15, 25, 0};
    const float still[12] = {5, 12, 0, 0, 1, 0, 5, 10, 0, 15, 25, 0};
    const float negativeZero[12] = {5, 12, 0, -0.0f, 1, 0, 5, 10, 0, 15, 25, 0};
    const float corner[12] = {10, 0, 0, 1, 1, 0, 5, 5, 0, 15, 15, 0};
    const std::tuple<const char*, const float*, RayTestResult, float> cases[] = {
        // 5 * (1 / 3) in float, or in double, or 5 / 3.
        {"slab", third, RAY_HIT, 1.6666667f},
        {"slab+double", third, RAY_HIT, 1.6666666f},
        {"slab+div", third, RAY_HIT, 1.6666666f},
        {"slab+double", tie, RAY_HIT, 1.0000005f},
        {"slab+double+div", tie, RAY_HIT, 1.0000004f},
        // 0 * inf is NaN: fmin drops it, std::min keeps it or not by its place.
        {"slab", still, RAY_MISS, 0},
        {"slab+ternary", still, RAY_INSIDE, 0},
        // The sign bit of 1 / -0 picks max as the near plane.
        {"slab", negativeZero, RAY_MISS, 0},
        {"slab+sign", negativeZero, RAY_INSIDE, 0},
        {"slab", corner, RAY_HIT, 5},
        {"slab+strict", corner, RAY_MISS, 0},
        {"slab+double", far, RAY_MISS, 0},
        {"slab+double+robust", far, RAY_HIT, 1.1529215e18f},
        {"slab+double+div", far, RAY_MISS, 0},
        {"slab+double+div+robust", far, RAY_HIT, 1.1529215e18f},
        {"slab", graze, RAY_HIT, 5},
    };
    for (const auto& [name, ray, result, t] : cases) {
        SlabVariant variant;
        ASSERT_TRUE(parseVariant(name, variant)) << name;
        SlabTestRecord record;
        EXPECT_EQ(slabIntersect(ray + 6, ray + 9, ray, ray + 3, record, variant), result) << name;
        EXPECT_EQ(result == RAY_HIT ? record.t : 0.0f, t) << name;
    }
    // Forty-eight of them, each name read back as itself.
    const std::vector<SlabVariant> all = allVariants();
    EXPECT_EQ(all.size(), 48U);
    for (const SlabVariant& variant : all) {
        SlabVariant read;
        EXPECT_TRUE(parseVariant(variantName(variant), read) && read == variant)
            << variantName(variant);
    }
    SlabVariant none;
    EXPECT_FALSE(parseVariant("slab+div+double", none) || parseVariant("slab+ternary+sign", none));
}

} // namespace
