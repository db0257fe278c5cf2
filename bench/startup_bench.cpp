// Time from process start to the first frame on screen, beside a minimal freeglut program;
// then the demo's CPU use while nothing happens and its peak resident memory.
#include "xsession.h"
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <memory>
#include <sstream>
#include <thread>

namespace {

xs::VirtualDisplay& display() {
    static xs::VirtualDisplay instance;
    return instance;
}

// Starts a program and waits until its window shows anything but black.
std::unique_ptr<xs::ChildProcess> startAndWaitForFrame(const char* program, const char* title) {
    xs::XClient client(display().name());
    auto child =
        std::make_unique<xs::ChildProcess>(std::vector<std::string>{program}, display().name());
    xs::WindowInfo window;
    xs::Image frame;
    const bool shown = client.findWindow(title, window, std::chrono::seconds(20)) &&
                       client.waitForFirstFrame(window.id, frame, std::chrono::seconds(20),
                                                std::chrono::milliseconds(1));
    return shown ? std::move(child) : nullptr;
}

// Seconds from starting the program to its first frame on screen; negative if none came.
double startupSeconds(const char* program, const char* title) {
    const auto start = xs::Clock::now();
    const auto child = startAndWaitForFrame(program, title);
    const std::chrono::duration<double> elapsed = xs::Clock::now() - start;
    return child ? elapsed.count() : -1.0;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Starts the demo and the minimal program in turn, so that both see the same load on a
// shared machine, and compares the medians.
void BM_Startup(benchmark::State& state) {
    constexpr int PAIRS = 25;
    while (state.KeepRunning()) {
        std::vector<double> demo;
        std::vector<double> minimal;
        for (int i = 0; i < PAIRS; ++i) {
            minimal.push_back(startupSeconds(MINIMAL_PROGRAM, "minimal"));
            demo.push_back(startupSeconds(RAYBOX_PROGRAM, "ray-box collision"));
            if (minimal.back() < 0 || demo.back() < 0) {
                state.SkipWithError("no frame appeared");
                return;
            }
        }
        state.counters["demo_ms"] = 1000.0 * median(demo);
        state.counters["minimal_ms"] = 1000.0 * median(minimal);
        state.counters["ratio"] = median(demo) / median(minimal);
    }
}

// CPU seconds a process has used so far, from /proc.
double cpuSeconds(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    std::getline(stat, line);
    // Fields after the command name, which ends at the last ')'.
    std::istringstream fields(line.substr(line.rfind(')') + 2));
    std::string field;
    long ticks = 0;
    for (int i = 3; i <= 15 && fields >> field; ++i) {
        if (i == 14 || i == 15) {
            ticks += std::stol(field);
        }
    }
    return static_cast<double>(ticks) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

// Peak resident memory in KiB, from /proc.
long peakResidentKiB(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string word;
    while (status >> word) {
        if (word == "VmHWM:") {
            long kib = 0;
            status >> kib;
            return kib;
        }
    }
    return -1;
}

// The demo with its window open and no input, over two seconds of wall time.
void BM_DemoIdle(benchmark::State& state) {
    while (state.KeepRunning()) {
        const auto child = startAndWaitForFrame(RAYBOX_PROGRAM, "ray-box collision");
        if (!child) {
            state.SkipWithError("no frame appeared");
            return;
        }
        const double before = cpuSeconds(child->pid());
        const auto start = xs::Clock::now();
        std::this_thread::sleep_for(std::chrono::seconds(2));
        const std::chrono::duration<double> wall = xs::Clock::now() - start;
        state.counters["cpu_percent"] = 100.0 * (cpuSeconds(child->pid()) - before) / wall.count();
        state.counters["peak_rss_MiB"] =
            static_cast<double>(peakResidentKiB(child->pid())) / 1024.0;
    }
}

BENCHMARK(BM_Startup)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DemoIdle)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
