// Fuzzes the console dialogue with arbitrary input: it must never crash or hang, never
// take a non-finite value, and keep a value whenever it says it does.
#include "console.h"
#include "scene.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

void check(bool condition) {
    if (!condition) {
        __builtin_trap();
    }
}

const char REJECTED[] = "not a number, keeping ";

// True if the dialogue's reply right after the prompt is the rejection line.
bool rejectedAfter(const std::string& output, const char* prompt) {
    const std::size_t at = output.find(prompt);
    return at != std::string::npos &&
           output.compare(at + std::strlen(prompt), std::strlen(REJECTED), REJECTED) == 0;
}

// Runs one dialogue on the stream and returns what it wrote.
std::string converse(void (*dialogue)(std::FILE*, std::FILE*), std::FILE* in) {
    char* text = nullptr;
    std::size_t size = 0;
    std::FILE* out = open_memstream(&text, &size);
    dialogue(in, out);
    std::fclose(out);
    std::string result(text, size);
    std::free(text);
    return result;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    resetRay();
    std::string input(reinterpret_cast<const char*>(data), size);
    std::FILE* in = size == 0 ? std::fopen("/dev/null", "r") : fmemopen(input.data(), size, "r");
    for (int round = 0; round < 2; ++round) {
        const float start[2] = {rayStart[0], rayStart[1]};
        const std::string startOutput = converse(promptRayStart, in);
        check(std::isfinite(rayStart[0]) && std::isfinite(rayStart[1]));
        check(!rejectedAfter(startOutput, "x(0 - 35) = ") || rayStart[0] == start[0]);
        check(!rejectedAfter(startOutput, "y(0 -25) = ") || rayStart[1] == start[1]);

        const float dir[2] = {rayDir[0], rayDir[1]};
        const std::string dirOutput = converse(promptRayDirection, in);
        check(std::isfinite(rayDir[0]) && std::isfinite(rayDir[1]));
        // Every direction so far lies within [-1, 1], so one with both answers rejected
        // is neither read nor normalised.
        if (rejectedAfter(dirOutput, "x = ") && rejectedAfter(dirOutput, "y = ")) {
            check(rayDir[0] == dir[0] && rayDir[1] == dir[1]);
        }
        check(std::fabs(rayDir[0]) <= 1.0f && std::fabs(rayDir[1]) <= 1.0f);
    }
    std::fclose(in);
    return 0;
}
