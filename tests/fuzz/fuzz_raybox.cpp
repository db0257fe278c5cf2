// Fuzzes the ray-box test with arbitrary floats: a hit is finite and within every uncrossed
// pair of bounds, and a start inside leaves the hit point alone.
#include "core/ray_box.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    float v[12] = {}; // boxMin, boxMax, origin, dir
    std::memcpy(v, data, std::min(size, sizeof v));
    float hit[3] = {7, 7, 7};
    const RayTestResult result = rayBoxIntersect(v, v + 3, v + 6, v + 9, hit);
    for (int i = 0; i < 3; ++i) {
        const bool within = !(v[i] <= v[3 + i]) || (v[i] <= hit[i] && hit[i] <= v[3 + i]);
        if (result == RAY_HIT ? !std::isfinite(hit[i]) || !within
                              : result == RAY_INSIDE && hit[i] != 7) {
            __builtin_trap();
        }
    }
    return 0;
}
