// Figures for the oracle, all in one run on one file of random rays written in shortest
// form: rays a second on one job and on every core, one job's time against a loop that only
// parses the same numbers with std::from_chars, and the speed-up; the exact answer against
// the slab test, on the random rays and on the corpus; --compare with every method over the
// corpus and over the random rays. Each timed run goes in a process of its own, whose peak
// memory is its own. Prints figures; asserts nothing. The files go in the system's
// temporary folder, and are removed at the end; RAYS_BENCH_LINES sets the random rays' length
// (10,000,000 by default).
#include "oracle/compare.h"
#include "oracle/rays.h"

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <thread>
#include <utility>
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

// Runs work in a process of its own: its seconds and its peak resident memory in MB.
std::pair<double, long> measured(const std::function<void()>& work) {
    const Clock::time_point start = Clock::now();
    const pid_t child = fork();
    if (child == 0) {
        work();
        _exit(0);
    }
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    return {secondsSince(start), usage.ru_maxrss / 1024};
}

// The rays of a file answered by a method on this many jobs, the answers dropped.
std::pair<double, long> answerAll(const std::string& path, int jobs, const Method& method = {},
                                  bool classes = false) {
    return measured([&] {
        std::FILE* in = std::fopen(path.c_str(), "r");
        std::FILE* out = std::fopen("/dev/null", "w");
        OracleRun run;
        run.jobs = jobs;
        run.method = method;
        run.classes = classes;
        answerRays(in, out, stderr, run);
        std::fclose(out);
        std::fclose(in);
    });
}

// The rays of a file and one method's answers to them, judged against every method.
std::pair<double, long> compareAll(const std::string& rays, const std::string& answers, int jobs) {
    return measured([&] {
        std::FILE* in = std::fopen(rays.c_str(), "r");
        std::FILE* given = std::fopen(answers.c_str(), "r");
        std::FILE* out = std::fopen("/dev/null", "w");
        CompareRun run;
        run.jobs = jobs;
        compareAnswers(in, given, out, stderr, run);
        std::fclose(out);
        std::fclose(given);
        std::fclose(in);
    });
}

// Writes a file with a function that writes on a stream.
void writeFile(const std::string& path, const std::function<void(std::FILE*)>& write) {
    std::FILE* out = std::fopen(path.c_str(), "w");
    write(out);
    std::fclose(out);
}

// The rays of a file answered by the exact answer, as answers to compare.
void writeAnswers(const std::string& rays, const std::string& answers) {
    writeFile(answers, [&](std::FILE* out) {
        std::FILE* in = std::fopen(rays.c_str(), "r");
        OracleRun run;
        run.method = {METHOD_EXACT, {}};
        run.classes = true;
        answerRays(in, out, stderr, run);
        std::fclose(in);
    });
}

double perSecond(long lines, double seconds) {
    return static_cast<double>(lines) / seconds / 1e6;
}

} // namespace

int main() {
    const char* given = std::getenv("RAYS_BENCH_LINES");
    const long lines = given != nullptr ? std::strtol(given, nullptr, 10) : 10000000;
    const auto scratch = [](const char* name) {
        return (std::filesystem::temp_directory_path() /
                (std::string("rays-bench-") + name + "-" + std::to_string(getpid())))
            .string();
    };
    const std::string path = scratch("random");
    const std::string corpus = scratch("corpus");
    const std::string answers = scratch("answers");
    const std::string corpusAnswers = scratch("corpus-answers");
    writeRays(path, lines);
    // The corpus two hundred times over, for a time long enough to read.
    writeFile(corpus, [](std::FILE* out) {
        for (int copy = 0; copy < 200; ++copy) {
            printCorpus(out);
        }
    });
    const long corpusLines = 200 * 5622L;
    const int cores = static_cast<int>(std::max(1U, std::thread::hardware_concurrency()));
    float sum = 0;
    // Each twice, the better kept, the files warm in the page cache for all of them.
    double parse = 1e9;
    std::pair<double, long> one{1e9, 0};
    std::pair<double, long> all{1e9, 0};
    std::pair<double, long> exact{1e9, 0};
    std::pair<double, long> slabOne{1e9, 0};
    std::pair<double, long> exactCorpus{1e9, 0};
    std::pair<double, long> slabCorpus{1e9, 0};
    for (int round = 0; round < 2; ++round) {
        parse = std::min(parse, parseOnly(path, sum));
        one = std::min(one, answerAll(path, 1));
        all = std::min(all, answerAll(path, cores));
        slabOne = std::min(slabOne, answerAll(path, 1, {METHOD_SLAB, {}}));
        exact = std::min(exact, answerAll(path, 1, {METHOD_EXACT, {}}));
        slabCorpus = std::min(slabCorpus, answerAll(corpus, 1, {METHOD_SLAB, {}}, true));
        exactCorpus = std::min(exactCorpus, answerAll(corpus, 1, {METHOD_EXACT, {}}, true));
    }
    writeAnswers(path, answers);
    const std::string oneCorpus = scratch("one-corpus");
    writeFile(oneCorpus, printCorpus);
    writeAnswers(oneCorpus, corpusAnswers);
    const auto judgedCorpus = compareAll(oneCorpus, corpusAnswers, cores);
    const auto judged = compareAll(path, answers, cores);
    for (const std::string& file : {path, corpus, answers, corpusAnswers, oneCorpus}) {
        std::filesystem::remove(file);
    }
    std::printf("rays: %ld lines of random rays, %d cores (checksum %g)\n", lines, cores,
                static_cast<double>(sum));
    std::printf("  parse only (std::from_chars): %.2f s\n", parse);
    std::printf("  one job:   %.2f s, %.2f million rays a second, %.2fx the parse-only loop\n",
                one.first, perSecond(lines, one.first), one.first / parse);
    std::printf("  %d jobs:    %.2f s, %.2f million rays a second, a speed-up of %.2fx; %ld MB\n",
                cores, all.first, perSecond(lines, all.first), one.first / all.first, all.second);
    std::printf("  exact, one job: %.2f million rays a second, %.2f of the slab test's %.2f\n",
                perSecond(lines, exact.first), slabOne.first / exact.first,
                perSecond(lines, slabOne.first));
    std::printf("  exact on the corpus, one job: %.2f million rays a second, %.2f of the slab "
                "test's %.2f\n",
                perSecond(corpusLines, exactCorpus.first), slabCorpus.first / exactCorpus.first,
                perSecond(corpusLines, slabCorpus.first));
    std::printf("  --compare, every method, the corpus: %.2f s\n", judgedCorpus.first);
    std::printf("  --compare, every method, the random rays: %.2f s, %.2f million rays a second, "
                "%ld MB\n",
                judged.first, perSecond(lines, judged.first), judged.second);
    return 0;
}
