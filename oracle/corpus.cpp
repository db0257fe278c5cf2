// The corpus: rays and boxes of the kinds that break ray-box tests, each labelled with its
// class, for anyone to run their own test on and compare with the oracle.
#include "oracle/rays.h"

#include "core/explain.h"

#include <array>
#include <bitset>
#include <iterator>
#include <limits>
#include <string>
#include <utility>
#include <vector>

namespace {

using Triple = std::array<float, 3>;

constexpr float INF = std::numeric_limits<float>::infinity();
constexpr float NAN_ = std::numeric_limits<float>::quiet_NaN();
constexpr Triple LO = {5, 10, -2};
constexpr Triple HI = {15, 25, 3};
constexpr Triple MIDDLE = {10, 17.5f, 0.5f};
// Direction components that matter at a plane: both ways, both zeros, and a slant.
constexpr float COMPONENTS[] = {1, -1, 0.0f, -0.0f, 0.5f};

void ray(std::FILE* out, const Triple& origin, const Triple& dir, const Triple& lo,
         const Triple& hi, const char* kind) {
    std::string line;
    for (const Triple* t : {&origin, &dir, &lo, &hi}) {
        for (const float value : *t) {
            appendShortest(line, value);
            line += ',';
        }
    }
    line += kind;
    line += '\n';
    std::fputs(line.c_str(), out);
}

// Every direction whose components come from COMPONENTS.
std::vector<Triple> directions() {
    constexpr int N = static_cast<int>(std::size(COMPONENTS));
    std::vector<Triple> all(static_cast<std::size_t>(N * N * N));
    for (int n = 0; n < N * N * N; ++n) {
        all[static_cast<std::size_t>(n)] = {COMPONENTS[n % N], COMPONENTS[n / N % N],
                                            COMPONENTS[n / N / N]};
    }
    return all;
}

// Starts on the box's planes: on chosen axes at min or max, elsewhere in the middle.
void onPlanes(std::FILE* out, int planes, const char* kind) {
    const std::vector<Triple> dirs = directions();
    for (int mask = 0; mask < 8; ++mask) {
        if (static_cast<int>(std::bitset<3>(static_cast<unsigned>(mask)).count()) != planes) {
            continue;
        }
        for (int side = 0; side < 8; ++side) {
            Triple origin = MIDDLE;
            bool repeated = false;
            for (int i = 0; i < 3; ++i) {
                const bool on = (mask >> i & 1) != 0;
                origin[i] = on ? ((side >> i & 1) != 0 ? HI[i] : LO[i]) : origin[i];
                repeated = repeated || (!on && (side >> i & 1) != 0);
            }
            for (const Triple& dir : dirs) {
                if (!repeated) {
                    ray(out, origin, dir, LO, HI, kind);
                }
            }
        }
    }
}

// Along a face or an edge, from outside: the start on the face's plane, beside the box.
void grazing(std::FILE* out) {
    for (int axis = 0; axis < 3; ++axis) {
        for (const float plane : {LO[axis], HI[axis]}) {
            for (int along = 0; along < 3; ++along) {
                for (const float sign : {1.0f, -1.0f}) {
                    if (along == axis) {
                        continue;
                    }
                    Triple origin = MIDDLE;
                    origin[axis] = plane;
                    origin[along] = sign > 0 ? LO[along] - 5 : HI[along] + 5;
                    Triple dir = {0, 0, 0};
                    dir[along] = sign;
                    ray(out, origin, dir, LO, HI, "grazing a face");
                    const int third = 3 - axis - along;
                    origin[third] = LO[third];
                    ray(out, origin, dir, LO, HI, "grazing an edge");
                }
            }
        }
    }
}

// Boxes flat in one, two or three axes, met head on and along their planes; and crossed
// boxes, min above max on one or more axes.
void oddBoxes(std::FILE* out) {
    for (int mask = 1; mask < 8; ++mask) {
        Triple lo = LO;
        Triple hi = HI;
        Triple crossedLo = LO;
        Triple crossedHi = HI;
        for (int i = 0; i < 3; ++i) {
            if ((mask >> i & 1) != 0) {
                hi[i] = lo[i];
                std::swap(crossedLo[i], crossedHi[i]);
            }
        }
        for (const Triple& dir : directions()) {
            ray(out, {0, 0, -5}, dir, lo, hi, "flat box");
            ray(out, lo, dir, lo, hi, "flat box");
        }
        for (const Triple& origin : {Triple{0, 12, 0}, MIDDLE, Triple{20, 30, 10}}) {
            ray(out, origin, {1, 0.25f, 0}, crossedLo, crossedHi, "crossed box");
            ray(out, origin, {-1, -0.5f, -0.25f}, crossedLo, crossedHi, "crossed box");
        }
    }
}

// Subnormal, huge, infinite and NaN values, in each of the twelve inputs.
void oddValues(std::FILE* out) {
    const float specials[][2] = {
        {1e-45f, -1e-45f}, {3.4e38f, -3.4e38f}, {INF, -INF}, {NAN_, -NAN_}};
    const char* const kinds[] = {"subnormal", "huge", "infinite", "nan"};
    for (int k = 0; k < 4; ++k) {
        for (int input = 0; input < 12; ++input) {
            for (const float value : specials[k]) {
                // From beside the box, and from inside it; the special value goes in last,
                // so that it stays in the start too.
                for (const Triple& origin : {Triple{0, 12, 0}, MIDDLE}) {
                    std::array<Triple, 4> v = {{origin, {1, 0.25f, 0}, LO, HI}};
                    v[input / 3][input % 3] = value;
                    ray(out, v[0], v[1], v[2], v[3], kinds[k]);
                }
            }
        }
    }
}

// Rays on which every method answers otherwise than every other, in its outcome or its t,
// so that the corpus tells them all apart: the candidate planes, the exact answer and each
// slab variant. Each splits methods that the ones before it leave together.
void variantsApart(std::FILE* out) {
    // -2^60: subtracting 200 from it, double rounds; and a t that is, in double, just past
    // the midpoint of two floats by a product with 1 / d, and just short of it by a quotient.
    constexpr float FAR = -1.1529215e18f;
    const Triple rays[][4] = {
        {{5, 10, 3}, {3, 7, 7}, LO, HI},
        {{-28, 1.4499998f, -3.65f}, {8, 1.8f, 1.4f}, LO, HI},
        {{31.712002f, 25, -2}, {-7, -1, -0.0f}, LO, HI},
        {{15, 25, 3}, {0, -7, -0.0f}, LO, HI},
        {{7.8f, 2, 7.1666665f}, {1.8f, 2, -1.6666666f}, LO, HI},
        {{-6.994405e-15f, 12, 0}, {0.71428573f, 0, 0}, {0.714286f, 10, -2}, HI},
        {{-3, 14, -8}, {0.3f, 0, 0.1f}, LO, HI},
        {{-1.5625f, 6.5f, -12.791666f}, {2.5f, 4, 2.3333333f}, LO, HI},
        {{FAR, FAR, 0}, {1, 1, 0}, {200, 10, -2}, {300, 100, 3}},
    };
    for (const auto& [origin, dir, lo, hi] : rays) {
        ray(out, origin, dir, lo, hi, "variants apart");
    }
}

} // namespace

void printCorpus(std::FILE* out) {
    std::fputs("# origin x,y,z, direction x,y,z, box min x,y,z, box max x,y,z, class\n", out);
    onPlanes(out, 1, "start on a face plane");
    onPlanes(out, 2, "start on an edge");
    onPlanes(out, 3, "start on a corner");
    grazing(out);
    oddBoxes(out);
    oddValues(out);
    // Inside, and the box behind or beside the start, every way.
    for (const Triple& dir : directions()) {
        ray(out, MIDDLE, dir, LO, HI, "start inside");
        ray(out, {20, 30, 10}, dir, LO, HI, "box behind or beside");
    }
    // Every sign pattern of a direction from outside the box, towards it and away.
    for (int pattern = 0; pattern < 27; ++pattern) {
        const int x = pattern % 3 - 1;
        const int y = pattern / 3 % 3 - 1;
        const int z = pattern / 9 - 1;
        const Triple dir = {static_cast<float>(x), static_cast<float>(y), static_cast<float>(z)};
        for (const Triple& origin :
             {Triple{0, 0, -5}, Triple{20, 30, 10}, Triple{0, 17.5f, 0.5f}}) {
            ray(out, origin, dir, LO, HI, "direction signs");
        }
    }
    variantsApart(out);
}
