// Fuzzes the console dialogue with arbitrary input: it never crashes or hangs, never takes
// a value that is not finite, and always leaves the direction within [-1, 1].
#include "app/console.h"
#include "app/scene.h"

#include <cmath>
#include <cstdint>
#include <cstdio>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Scene scene;
    std::FILE* in = fmemopen(const_cast<std::uint8_t*>(data), size, "r");
    std::FILE* out = std::fopen("/dev/null", "w");
    // Twice, so that the second dialogues read whatever the first left behind.
    for (int round = 0; round < 2 && in != nullptr; ++round) {
        promptRayStart(scene, in, out);
        promptRayDirection(scene, in, out);
        if (!std::isfinite(scene.rayStart[0]) || !std::isfinite(scene.rayStart[1]) ||
            std::fabs(scene.rayDir[0]) > 1.0f || std::fabs(scene.rayDir[1]) > 1.0f) {
            __builtin_trap();
        }
    }
    std::fclose(out);
    return in == nullptr ? 0 : std::fclose(in);
}
