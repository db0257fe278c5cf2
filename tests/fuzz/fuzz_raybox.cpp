// Fuzzes the ray-box test with arbitrary floats: it answers one of its three codes, a hit
// is finite and within every uncrossed pair of bounds, and an inside start leaves hit alone.
#include "scene.h"

#include <cmath>
#include <cstdint>
#include <cstring>

namespace {

void check(bool condition) {
    if (!condition) {
        __builtin_trap();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    float values[12];
    if (size < sizeof values) {
        return 0;
    }
    std::memcpy(values, data, sizeof values);
    const float* boxMin = values;
    const float* boxMax = values + 3;
    const float* origin = values + 6;
    const float* dir = values + 9;

    // A NaN with a payload of our own, so that "untouched" is exact to the bit.
    const std::uint32_t marker = 0x7fc0abcdU;
    float hit[3];
    for (float& h : hit) {
        std::memcpy(&h, &marker, sizeof h);
    }
    float before[3];
    std::memcpy(before, hit, sizeof hit);

    const RayTestResult result = rayBoxIntersect(boxMin, boxMax, origin, dir, hit);
    check(result == RAY_MISS || result == RAY_HIT || result == RAY_INSIDE);
    if (result == RAY_INSIDE) {
        check(std::memcmp(before, hit, sizeof hit) == 0);
    }
    if (result == RAY_HIT) {
        for (int i = 0; i < 3; ++i) {
            check(std::isfinite(hit[i]));
            if (boxMin[i] <= boxMax[i]) {
                check(boxMin[i] <= hit[i] && hit[i] <= boxMax[i]);
            }
        }
    }
    return 0;
}
