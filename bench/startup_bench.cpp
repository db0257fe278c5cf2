// Time from process start to the first frame on screen, beside a minimal freeglut program;
// then the demo's CPU use at rest in three scenes, and its peak resident memory. Runs on
// the display in DISPLAY; scripts/bench.sh gives it a virtual one.
#include <benchmark/benchmark.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
extern "C" {
#include <xdo.h>
}

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

xdo_t* xdo() {
    // A window that closes while it is being looked at is not an error worth dying for.
    static xdo_t* instance =
        (XSetErrorHandler([](Display*, XErrorEvent*) { return 0; }), xdo_new(nullptr));
    return instance;
}

// A visible window with this title, or 0.
Window findWindow(const char* title) {
    xdo_search_t search{};
    search.winname = title;
    search.searchmask = SEARCH_NAME | SEARCH_ONLYVISIBLE;
    search.only_visible = 1;
    search.max_depth = -1;
    Window* windows = nullptr;
    unsigned int n = 0;
    xdo_search_windows(xdo(), &search, &windows, &n);
    const Window found = n > 0 ? windows[0] : 0;
    std::free(windows);
    return found;
}

// Whether the window shows anything but black, sampled every 16 px: a frame is up.
bool showsAFrame(Window window) {
    XImage* image = XGetImage(xdo()->xdpy, window, 0, 0, 640, 480, AllPlanes, ZPixmap);
    bool drawn = false;
    for (int y = 0; image != nullptr && y < image->height && !drawn; y += 16) {
        for (int x = 0; x < image->width && !drawn; x += 16) {
            drawn = XGetPixel(image, x, y) != 0;
        }
    }
    if (image != nullptr) {
        XDestroyImage(image);
    }
    return drawn;
}

// A program started on the display, with its window titled title; ended when this goes.
class Program {
  public:
    // The frames it shows are counted in a file of its own.
    Program(std::vector<std::string> argv, const char* title)
        : title_(title), swaps_("/tmp/raybox-swaps-" + std::to_string(getpid())) {
        std::vector<char*> args(argv.size() + 1, nullptr);
        std::transform(argv.begin(), argv.end(), args.begin(),
                       [](std::string& arg) { return arg.data(); });
        std::vector<std::string> env = {"LD_PRELOAD=" SWAP_COUNTER, "RAYBOX_SWAP_COUNT=" + swaps_};
        std::vector<char*> envp;
        for (char** e = environ; *e != nullptr; ++e) {
            envp.push_back(*e);
        }
        std::transform(env.begin(), env.end(), std::back_inserter(envp),
                       [](std::string& entry) { return entry.data(); });
        envp.push_back(nullptr);
        std::remove(swaps_.c_str());
        if (posix_spawn(&pid_, args[0], nullptr, nullptr, args.data(), envp.data()) != 0) {
            pid_ = -1;
        }
    }
    ~Program() {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        // The next program must not find this one's window.
        while (findWindow(title_) != 0) {
            std::this_thread::sleep_for(1ms);
        }
    }
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    // Waits up to 20 s for the first frame; false if none came.
    [[nodiscard]] bool waitForFirstFrame() const {
        const auto deadline = Clock::now() + 20s;
        while (Clock::now() < deadline) {
            const Window window = findWindow(title_);
            if (window != 0 && showsAFrame(window)) {
                return true;
            }
            std::this_thread::sleep_for(1ms);
        }
        return false;
    }

    // CPU seconds used so far, from /proc.
    [[nodiscard]] double cpuSeconds() const {
        std::ifstream stat("/proc/" + std::to_string(pid_) + "/stat");
        std::string line;
        std::getline(stat, line);
        // utime and stime are the 12th and 13th fields after the command name.
        std::istringstream fields(line.substr(line.rfind(')') + 2));
        std::string field;
        long ticks = 0;
        for (int i = 1; i <= 13 && fields >> field; ++i) {
            ticks += i >= 12 ? std::stol(field) : 0;
        }
        return static_cast<double>(ticks) / static_cast<double>(sysconf(_SC_CLK_TCK));
    }

    // Frames shown so far.
    [[nodiscard]] long frames() const {
        std::ifstream count(swaps_, std::ios::binary);
        long n = 0;
        count.read(reinterpret_cast<char*>(&n), sizeof n);
        return n;
    }

    // Peak resident memory in MiB, from /proc.
    [[nodiscard]] double peakResidentMiB() const {
        std::ifstream status("/proc/" + std::to_string(pid_) + "/status");
        std::string word;
        long kib = 0;
        while (status >> word && word != "VmHWM:") {
        }
        status >> kib;
        return static_cast<double>(kib) / 1024.0;
    }

  private:
    pid_t pid_ = -1;
    const char* title_;
    std::string swaps_;
};

// Seconds from starting the program to its first frame on screen; negative if none came.
double startupSeconds(const char* program, const char* title) {
    const auto start = Clock::now();
    const Program running({program}, title);
    if (!running.waitForFirstFrame()) {
        return -1.0;
    }
    const std::chrono::duration<double> elapsed = Clock::now() - start;
    return elapsed.count();
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
            minimal.push_back(startupSeconds(MINIMAL_PROGRAM, "^minimal$"));
            demo.push_back(startupSeconds(RAYBOX_PROGRAM, "^ray-box collision$"));
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

// The demo with its window open and no input for five seconds: 0 a hit, 1 a start inside
// the box, 2 a miss, 3 a miss in the teaching view, 4 a hit in it. Frames a second and CPU.
void BM_DemoAtRest(benchmark::State& state) {
    const std::vector<std::vector<std::string>> scenes = {{},
                                                          {"--start", "10", "20"},
                                                          {"--dir", "-0.5", "1"},
                                                          {"--explain", "--dir", "-0.5", "1"},
                                                          {"--explain"}};
    std::vector<std::string> argv = {RAYBOX_PROGRAM};
    const auto& scene = scenes[static_cast<std::size_t>(state.range(0))];
    argv.insert(argv.end(), scene.begin(), scene.end());
    while (state.KeepRunning()) {
        const Program demo(argv, "^ray-box collision$");
        if (!demo.waitForFirstFrame()) {
            state.SkipWithError("no frame appeared");
            return;
        }
        const double before = demo.cpuSeconds();
        const long framesBefore = demo.frames();
        const auto start = Clock::now();
        std::this_thread::sleep_for(5s);
        const std::chrono::duration<double> wall = Clock::now() - start;
        state.counters["cpu_percent"] = 100.0 * (demo.cpuSeconds() - before) / wall.count();
        // The other process counts on meanwhile, which cppcheck cannot know.
        // cppcheck-suppress duplicateExpression
        const long frames = demo.frames() - framesBefore;
        state.counters["frames_per_s"] = static_cast<double>(frames) / wall.count();
        state.counters["peak_rss_MiB"] = demo.peakResidentMiB();
    }
}

BENCHMARK(BM_Startup)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DemoAtRest)->DenseRange(0, 4)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
