// Figures for the oracle, all in one run on one file of random rays written in shortest
// form: rays a second on one job and on every core, one job's time against a loop that
// only parses the same numbers with std::from_chars, the speed-up, and the peak memory.
// Prints figures; asserts nothing. The file goes in the system's temporary folder, and is
// removed at the end; RAYS_BENCH_LINES sets its length (10,000,000 by default).
#include "oracle/rays.h"

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Random rays round the start-up box, each number in the shortest form that reads back.
void writeRays(const std::string& path, long lines) {
    std::FILE* out = std::fopen(path.c_str(), "w");
    std::mt19937 rng(10);
    std::uniform_real_distribution<float> coordinate(-20, 40);
    std::uniform_real_distribution<float> component(-1, 1);
    std::string line;
    for (long n = 0; n < lines; ++n) {
        line.clear();
        for (int i = 0; i < 12; ++i) {
            char text[32];
            const float value = i >= 3 && i < 6 ? component(rng) : coordinate(rng);
            line.append(text, std::to_chars(text, text + sizeof text, value).ptr);
            line += i == 11 ? '\n' : ' ';
        }
        std::fputs(line.c_str(), out);
    }
    std::fclose(out);
}

// The least any reader must do: read the file and turn every word into a float.
double parseOnly(const std::string& path, float& sum) {
    const Clock::time_point start = Clock::now();
    std::FILE* in = std::fopen(path.c_str(), "r");
    std::vector<char> buffer(1 << 20);
    std::string carry;
    for (std::size_t n = 0; (n = std::fread(buffer.data(), 1, buffer.size(), in)) > 0;) {
        carry.append(buffer.data(), n);
        const std::size_t last = carry.rfind('\n');
        const char* p = carry.data();
        const char* end = p + (last == std::string::npos ? 0 : last + 1);
        while (p < end) {
            while (p < end && (*p == ' ' || *p == '\n')) {
                ++p;
            }
            float value = 0;
            p = std::from_chars(p, end, value).ptr;
            sum += value;
        }
        carry.erase(0, last == std::string::npos ? 0 : last + 1);
    }
    std::fclose(in);
    return secondsSince(start);
}

double answerAll(const std::string& path, int jobs) {
    const Clock::time_point start = Clock::now();
    std::FILE* in = std::fopen(path.c_str(), "r");
    std::FILE* out = std::fopen("/dev/null", "w");
    OracleRun run;
    run.jobs = jobs;
    answerRays(in, out, stderr, run);
    std::fclose(out);
    std::fclose(in);
    return secondsSince(start);
}

} // namespace

int main() {
    const char* given = std::getenv("RAYS_BENCH_LINES");
    const long lines = given != nullptr ? std::strtol(given, nullptr, 10) : 10000000;
    const std::string path = (std::filesystem::temp_directory_path() /
                              ("rays-bench-" + std::to_string(getpid()) + ".txt"))
                                 .string();
    writeRays(path, lines);
    const int cores = static_cast<int>(std::max(1U, std::thread::hardware_concurrency()));
    float sum = 0;
    // Each twice, the better kept, the file warm in the page cache for all of them.
    double parse = 1e9;
    double one = 1e9;
    double all = 1e9;
    for (int round = 0; round < 2; ++round) {
        parse = std::min(parse, parseOnly(path, sum));
        one = std::min(one, answerAll(path, 1));
        all = std::min(all, answerAll(path, cores));
    }
    std::filesystem::remove(path);
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("rays: %ld lines of random rays, %d cores (checksum %g)\n", lines, cores,
                static_cast<double>(sum));
    std::printf("  parse only (std::from_chars): %.2f s\n", parse);
    std::printf("  one job:   %.2f s, %.2f million rays a second, %.2fx the parse-only loop\n", one,
                static_cast<double>(lines) / one / 1e6, one / parse);
    std::printf("  %d jobs:    %.2f s, %.2f million rays a second, a speed-up of %.2fx\n", cores,
                all, static_cast<double>(lines) / all / 1e6, one / all);
    std::printf("  peak resident memory: %ld MB\n", usage.ru_maxrss / 1024);
    return 0;
}
