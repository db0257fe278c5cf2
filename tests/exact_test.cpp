// The exact answer against rationals worked by hand for every class, and every method
// against it on random rays away from ties.
#include "core/exact.h"
#include "core/methods.h"
#include "tests/support.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <string>

namespace {

constexpr float INF = std::numeric_limits<float>::infinity();
using Triple = std::array<float, 3>;

// A ray as the program reads it (start, direction, the box's two corners), the exact answer
// worked by hand, with t and the point nearest it, and whether double arithmetic with its
// error bound decides it (1), exact arithmetic must (0), or either may (-1).
struct Case {
    const char* name;
    const char* ray;
    RayTestResult result;
    float t;
    const char* hit;
    int bounded;
};

const Case CASES[] = {
    {"the start-up ray", "-1 .5 0  .5 1 0  5 10 0  15 25 0", RAY_HIT, 12, "5 12.5 0", 1},
    // 0.3f is 0.300000011920928955078125: at t = 5, y = 2.0000000596 > 2.
    {"a graze that misses exactly", "-6 .5 0  1 .3 0  -1 1 0  -1 2 0", RAY_MISS, 0, "", -1},
    // 0.29999998f is 0.2999999821186065673828125: y = 1.99999991059, nearest 2 - 2^-23.
    {"a graze that hits exactly", "-6 .5 0  1 .29999998 0  -1 1 0  -1 2 0", RAY_HIT, 5,
     "-1 1.9999999 0", -1},
    {"a crossed box is empty", "0 12 0  1 0 0  15 10 0  5 25 0", RAY_MISS, 0, "", 1},
    {"a start between crossed planes", "10 20 0  1 0 0  15 10 0  5 25 0", RAY_MISS, 0, "", 1},
    {"a zero direction, inside", "10 20 0  0 0 0  5 10 0  15 25 0", RAY_INSIDE, 0, "", 1},
    {"a zero direction, outside", "-1 .5 0  0 0 0  5 10 0  15 25 0", RAY_MISS, 0, "", 1},
    {"a start on the face, moving in", "5 12 0  1 0 0  5 10 0  15 25 0", RAY_INSIDE, 0, "", 1},
    {"grazing a face", "5 5 .5  0 1 0  5 10 -2  15 25 3", RAY_HIT, 5, "5 10 .5", 1},
    // x and y are entered at once: exactly a tie, which x wins.
    {"a corner", "0 0 0  1 1 0  5 5 0  15 15 0", RAY_HIT, 5, "5 5 0", 0},
    {"a subnormal entry", "0 0 0  1 1 0  1e-45 1e-45 0  1 1 0", RAY_HIT, 1e-45f, "1e-45 1e-45 0",
     0},
    // 5 / 3 lies nearer 1.66666662693 than 1.66666674614.
    {"t rounded once", "0 12 0  3 0 0  5 10 0  15 25 0", RAY_HIT, 1.6666666f, "5 12 0", 1},
    {"a coordinate rounded once", "0 0 0  3 1 0  5 0 0  15 25 0", RAY_HIT, 1.6666666f,
     "5 1.6666666 0", 1},
    // Exactly y = 224 / 3 * 0.0117873 = 0.88011839985..., the midpoint between two floats:
    // even, it rounds down; in double it lies a little above, and rounds up to 0.8801184.
    {"a coordinate on a tie", "0 0 0  3 0.0117873 0  224 0 0  300 2 0", RAY_HIT, 74.666664f,
     "224 0.88011837 0", 0},
    // Exactly t = 3.4e38 / 1e-30, about 3.4e68: beyond a float, rounded to infinity.
    {"a t beyond float's range", "-3.4e38 0 0  1e-30 0 0  0 -1 0  1 1 0", RAY_HIT, INF, "0 0 0",
     -1},
    // Exactly, the ray enters x at t = 1.25 * 2^61 + 12 and leaves y at 1.25 * 2^61 - 102.5:
    // a miss, which rounding each to double would make a one-point hit.
    {"an overlap double would invert",
     "-2.8823038e18 -2.3058430e19 0  1 8 0  12 -1.2676506e30 -1  1.2676506e30 -820 1", RAY_MISS, 0,
     "", 0},
    // Exactly, the ray leaves y 31.006 after it enters x, near t = 6.2886629e17; in double,
    // the two rounded, it would leave before it entered.
    {"a hit double would miss",
     "-8.646911e17 -6.205917e17 0  1.375 .9868421 0  -175 -1.2676506e30 -1  1.2676506e30 -95 1",
     RAY_HIT, 6.288663e17f, "-175 -125.59808 0", 0},
    {"a NaN start", "nan 12 0  1 0 0  5 10 0  15 25 0", RAY_UNDEFINED, 0, "", -1},
    {"an infinite bound", "0 12 0  1 0 0  5 10 0  inf 25 0", RAY_UNDEFINED, 0, "", -1},
};

TEST(Exact, HandWorkedCases) {
    for (const Case& c : CASES) {
        const std::vector<float> v = floats(c.ray);
        ExactRecord record;
        EXPECT_EQ(exactIntersect(&v[6], &v[9], &v[0], &v[3], record), c.result) << c.name;
        if (c.result == RAY_HIT) {
            EXPECT_EQ(record.t, c.t) << c.name;
            EXPECT_EQ(std::vector<float>(record.hit, record.hit + 3), floats(c.hit)) << c.name;
        }
        if (c.bounded >= 0) {
            EXPECT_EQ(record.bounded, c.bounded == 1) << c.name;
        }
    }
}

// Double with its error bound decides as exact arithmetic does, bit for bit, on random rays
// of every kind: ordinary, grazing corners and faces, with zeros of either sign, subnormal
// and huge values.
TEST(Exact, TheBoundDecidesAsExactArithmetic) {
    std::mt19937 rng(30);
    std::uniform_real_distribution<float> coordinate(-20, 40);
    const float odd[] = {0.0f, -0.0f, 1e-45f, -1e-45f, 1e-30f, 3.4e38f, -3.4e38f, 5, 15, 0.1f};
    int bounded = 0;
    for (int n = 0; n < 200000; ++n) {
        float v[12];
        for (float& value : v) {
            value = rng() % 4 == 0 ? odd[rng() % 10] : coordinate(rng);
        }
        if (n % 2 == 0) {
            // Through a corner of the box, from a start a whole number of steps back.
            const float step = static_cast<float>(1 + rng() % 16) / 8;
            for (int i = 0; i < 3; ++i) {
                v[3 + i] = static_cast<float>(static_cast<int>(rng() % 15) - 7) / 3;
                v[i] = (rng() % 2 != 0 ? v[6 + i] : v[9 + i]) - step * v[3 + i];
            }
        }
        ExactRecord quick;
        ExactRecord slow;
        exactIntersect(v + 6, v + 9, v, v + 3, quick);
        exactIntersect(v + 6, v + 9, v, v + 3, slow, false);
        bounded += quick.bounded && quick.result == RAY_HIT ? 1 : 0;
        ASSERT_EQ(quick.result, slow.result) << n;
        if (quick.result == RAY_HIT) {
            ASSERT_EQ(std::memcmp(&quick.t, &slow.t, sizeof(float)), 0) << n;
            ASSERT_EQ(std::memcmp(quick.hit, slow.hit, sizeof quick.hit), 0)
                << n << ": " << v[0] << " " << v[1] << " " << v[2] << " " << v[3] << " " << v[4]
                << " " << v[5] << " " << v[6] << " " << v[7] << " " << v[8] << " " << v[9] << " "
                << v[10] << " " << v[11] << " | " << quick.hit[0] << " " << quick.hit[1] << " "
                << quick.hit[2] << " | " << slow.hit[0] << " " << slow.hit[1] << " " << slow.hit[2];
            ASSERT_EQ(quick.entryAxis, slow.entryAxis) << n;
        }
    }
    EXPECT_GT(bounded, 1000) << "hits the bound decided";
}

// On random rays away from ties, every method says what the exact answer says, and where it
// hits, t within a few units in the last place.
TEST(Exact, EveryMethodAgreesAwayFromTies) {
    std::mt19937 rng(25);
    std::uniform_real_distribution<float> coordinate(-20, 40);
    std::uniform_real_distribution<float> component(-1, 1);
    const std::vector<Method> methods = allMethods();
    int compared = 0;
    for (int n = 0; n < 200000; ++n) {
        Triple lo{};
        Triple hi{};
        Triple origin{};
        Triple dir{};
        for (int i = 0; i < 3; ++i) {
            lo[i] = coordinate(rng);
            hi[i] = coordinate(rng);
            origin[i] = coordinate(rng);
            dir[i] = component(rng);
            if (lo[i] > hi[i]) {
                std::swap(lo[i], hi[i]);
            }
        }
        std::vector<Answer> answers;
        bool near = false;
        for (const Method& method : methods) {
            answers.push_back(answerOf(method, lo.data(), hi.data(), origin.data(), dir.data()));
            // Where a point lies this close to a bound, rounding may tip it either way.
            for (int i = 0; i < 3; ++i) {
                near = near || std::abs(origin[i] - lo[i]) < 1e-3f ||
                       std::abs(origin[i] - hi[i]) < 1e-3f ||
                       (answers.back().result == RAY_HIT &&
                        (std::abs(answers.back().hit[i] - lo[i]) < 1e-3f ||
                         std::abs(answers.back().hit[i] - hi[i]) < 1e-3f));
            }
        }
        if (near) {
            continue;
        }
        ++compared;
        const Answer& exact = answers[1];
        for (std::size_t m = 0; m < methods.size(); ++m) {
            ASSERT_EQ(answers[m].result, exact.result) << n << " " << methodName(methods[m]);
            if (exact.result == RAY_HIT) {
                ASSERT_NEAR(answers[m].t, exact.t, 8 * std::ldexp(1.0f, std::ilogb(exact.t) - 23))
                    << n << " " << methodName(methods[m]);
            }
        }
    }
    EXPECT_GT(compared, 150000);
}

} // namespace
