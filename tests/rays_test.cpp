// The oracle without a window: its numbers, its answers in order on many jobs, its bad
// lines, and a reader that has gone.
#include "app/options.h"
#include "app/ray_line.h"
#include "core/explain.h"
#include "oracle/rays.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace {

// What the oracle writes for this input: its output, its error stream and its status.
struct Output {
    std::string out;
    std::string err;
    int status;
};

Output answer(const std::string& input, OracleRun run = {}) {
    std::string copy = input;
    std::FILE* in = fmemopen(copy.data(), copy.size(), "r");
    if (copy.empty()) {
        std::fclose(in);
        in = std::fopen("/dev/null", "r");
    }
    char* out = nullptr;
    char* err = nullptr;
    std::size_t outSize = 0;
    std::size_t errSize = 0;
    std::FILE* outStream = open_memstream(&out, &outSize);
    std::FILE* errStream = open_memstream(&err, &errSize);
    const int status = answerRays(in, outStream, errStream, run);
    std::fclose(in);
    std::fclose(outStream);
    std::fclose(errStream);
    Output result{{out, outSize}, {err, errSize}, status};
    std::free(out);
    std::free(err);
    return result;
}

const char* const HEADER = "line,outcome,t,x,y,z\n";
const char* const START_UP = "-1 0.5 0 0.5 1 0 5 10 0 15 25 0";

TEST(Rays, NumbersAsTyped) {
    const float inf = std::numeric_limits<float>::infinity();
    // Each word, and the float it is read as (NaN stands for a NaN); or refused.
    const std::pair<const char*, float> read[] = {
        {"12", 12},     {"-0.5", -0.5f},  {"+3e2", 300},  {".5", 0.5f},
        {"5.", 5},      {"0x1.8p+3", 12}, {"-0X10", -16}, {"0x1p-149", 1e-45f},
        {"1e39", inf},  {"-1e39", -inf},  {"1e-50", 0},   {"INF", inf},
        {"-inf", -inf}, {"NaN", NAN},     {"0.1", 0.1f},  {"16777217", 16777216},
    };
    for (const auto& [word, value] : read) {
        float got = 7;
        ASSERT_TRUE(readOracleNumber(word, word + std::strlen(word), got)) << word;
        EXPECT_TRUE(std::isnan(value) ? std::isnan(got) : got == value) << word << ": " << got;
    }
    for (const char* word : {"", "abc", "1e", "--1", "+-1", "0x", "0x-1", "1.5abc", "infinity",
                             "0x1.8p", "1,5", "nan1", "- 1", "e5", "."}) {
        float got = 7;
        EXPECT_FALSE(readOracleNumber(word, word + std::strlen(word), got)) << word;
        EXPECT_EQ(got, 7) << word;
    }
}

TEST(Rays, AnswersAndBadLines) {
    // Input, method, and what the oracle writes; its status is 1 after a bad line.
    const std::tuple<std::string, const char*, std::string, std::string> cases[] = {
        {"", "candidate", HEADER, ""},
        {std::string(START_UP), "candidate", std::string(HEADER) + "1,hit,12,5,12.5,0\n", ""},
        {"# a comment\n\n \t\n" + std::string(START_UP) + "\n", "slab",
         std::string(HEADER) + "4,hit,12,5,12.5,0\n", ""},
        {"10,20,0, 1,0,0, 5,10,0, 15,25,0\r\n-1\t12 0 1 0 0 5 10 0 15 25 0", "candidate",
         std::string(HEADER) + "1,inside,,,,\n2,hit,6,5,12,0\n", ""},
        {"1 2 3\nabc 1\n1 2 3 4 5 6 7 8 9 10 11 12 13\n", "candidate",
         std::string(HEADER) + "1,error,,,,\n2,error,,,,\n3,error,,,,\n",
         "ray-box-collision: line 1: 3 numbers, not 12\n"
         "ray-box-collision: line 2: 'abc' is not a number\n"
         "ray-box-collision: line 3: more than 12 numbers\n"},
        {"1\x1b[2J 2", "candidate", std::string(HEADER) + "1,error,,,,\n",
         "ray-box-collision: line 1: '1\\x1b[2J' is not a number\n"},
        // On a face plane, still along it: the two methods part; a crossed box: both hit,
        // at different planes.
        {"5 12 0 0 1 0 5 10 0 15 25 0\n" + std::string(START_UP) +
             "\n0 12 0 1 0 0 15 10 0 5 25 0\n1 2 3",
         "both",
         "line,outcome,t,x,y,z,slab_outcome,slab_t,slab_x,slab_y,slab_z,agree,same_point\n"
         "1,inside,,,,,miss,,,,,no,no\n2,hit,12,5,12.5,0,hit,12,5,12.5,0,yes,yes\n"
         "3,hit,15,15,12,0,hit,5,5,12,0,yes,no\n4,error,,,,,,,,,,,\n",
         "ray-box-collision: line 4: 3 numbers, not 12\n"},
        // The exact answer: a miss where the candidate planes round y = 2.0000000596 to 2; no
        // answer for a NaN; a crossed box is empty.
        {"-6 0.5 0 1 0.3 0 -1 1 0 -1 2 0\nnan 12 0 1 0 0 5 10 0 15 25 0\n"
         "0 12 0 1 0 0 15 10 0 5 25 0",
         "exact", std::string(HEADER) + "1,miss,,,,\n2,undefined,,,,\n3,miss,,,,\n", ""},
        // A t of -0 is written 0: on the max face moving in, t2 = 0 * -1.
        {"15 12 0 -1 0 0 5 10 0 15 25 0", "slab", std::string(HEADER) + "1,hit,0,15,12,0\n", ""},
    };
    for (const auto& [input, method, out, err] : cases) {
        OracleRun run;
        run.both = std::string(method) == "both";
        EXPECT_TRUE(run.both || parseMethod(method, run.method)) << method;
        const Output got = answer(input, run);
        EXPECT_EQ(got.out, out) << input;
        EXPECT_EQ(got.err, err) << input;
        EXPECT_EQ(got.status, err.empty() ? 0 : 1) << input;
        // Every row, an error's too, has the header's columns.
        std::istringstream rows(got.out);
        std::string header;
        std::getline(rows, header);
        for (std::string row; std::getline(rows, row);) {
            EXPECT_EQ(std::count(row.begin(), row.end(), ','),
                      std::count(header.begin(), header.end(), ','))
                << row;
        }
    }
    // The class after the numbers, as a last column; an error's row keeps the column.
    OracleRun classes;
    classes.classes = true;
    EXPECT_EQ(answer(std::string(START_UP) + ",start-up ray\n1 2 3,odd\n", classes).out,
              "line,outcome,t,x,y,z,class\n1,hit,12,5,12.5,0,start-up ray\n2,error,,,,,\n");
}

// Many lines over many jobs and small blocks come out in input order, each once; a line
// longer than a block is refused and the rest goes on.
TEST(Rays, InOrderOnEveryJob) {
    std::string input;
    std::string expected = HEADER;
    for (int n = 1; n <= 60000; ++n) {
        input += std::to_string(n % 40 - 10) + " 12 0 1 0 0 5 10 0 15 25 0\n";
        const int x = n % 40 - 10;
        expected += std::to_string(n) + (x < 5     ? ",hit," + std::to_string(5 - x) + ",5,12,0\n"
                                         : x <= 15 ? ",inside,,,,\n"
                                                   : ",miss,,,,\n");
    }
    for (const int jobs : {1, 3, 8}) {
        OracleRun run;
        run.jobs = jobs;
        EXPECT_EQ(answer(input, run).out, expected) << jobs;
    }
    // Whether a line is taken depends on its length alone, not on the jobs or where blocks
    // fall: twelve numbers written with 3000 leading zeros each are; with 6000, not.
    for (const int zeros : {3000, 6000}) {
        std::string line;
        for (const char* word : {"-1", "12", "0", "1", "0", "0", "5", "10", "0", "15", "25", "0"}) {
            line += (word[0] == '-' ? "-" : "") +
                    std::string(static_cast<std::size_t>(zeros), '0') +
                    (word[0] == '-' ? word + 1 : word) + " ";
        }
        for (const int jobs : {1, 1024}) {
            OracleRun run;
            run.jobs = jobs;
            EXPECT_EQ(answer(std::string(20000, '\n') + line, run).out.find(",error,") ==
                          std::string::npos,
                      zeros == 3000)
                << zeros << " zeros, " << jobs << " jobs";
        }
    }
    // What it says of bad lines is cut short: a hundred a block, then a count.
    std::string bad;
    for (int n = 0; n < 5000; ++n) {
        bad += "x\n";
    }
    OracleRun one;
    one.jobs = 1;
    const Output many = answer(bad, one);
    EXPECT_EQ(std::count(many.err.begin(), many.err.end(), '\n'), 101);
    EXPECT_EQ(many.err.substr(many.err.rfind("ray-box")),
              "ray-box-collision: lines 101 to 5000: 4900 more lines refused\n");
    const std::string longLine = std::string(3 << 20, '1') + "\n" + START_UP + "\n";
    const Output got = answer(longLine, {});
    EXPECT_EQ(got.out, std::string(HEADER) + "1,error,,,,\n2,hit,12,5,12.5,0\n");
    EXPECT_EQ(got.status, 1);
}

// Every ray of the corpus is of its class: the property that names the class holds of its
// numbers as they read back. Where a class goes every way, every direction of components 1,
// -1, 0, -0 and 0.5 is there, +0 and -0 told apart; and every sign pattern; and the rays that
// tell the methods apart do.
TEST(Rays, TheCorpusIsWhatItsClassesSay) {
    std::istringstream lines(written(printCorpus));
    std::map<std::string, std::set<std::string>> directions;
    const std::vector<Method> methods = allMethods();
    std::vector<std::string> answered(methods.size());
    std::string line;
    std::getline(lines, line);
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        float v[12];
        std::string word;
        int planes = 0;
        int still = 0;
        bool crossed = false;
        bool flat = false;
        bool inside = true;
        std::string signs;
        for (int i = 0; i < 12; ++i) {
            std::getline(fields, word, ',');
            ASSERT_TRUE(readOracleNumber(word.data(), word.data() + word.size(), v[i])) << line;
        }
        for (int i = 0; i < 3; ++i) {
            const float o = v[i];
            const float d = v[3 + i];
            const float lo = v[6 + i];
            const float hi = v[9 + i];
            planes += o == lo || o == hi ? 1 : 0;
            still += d == 0 ? 1 : 0;
            crossed = crossed || lo > hi;
            flat = flat || lo == hi;
            inside = inside && lo < o && o < hi;
            signs += (std::signbit(d) ? "-" : "+") + std::to_string(std::abs(d)) + " ";
        }
        std::getline(fields, word);
        const auto any = [&](bool (*test)(float)) { return std::any_of(v, v + 12, test); };
        const std::map<std::string, bool> holds = {
            {"start on a face plane", planes == 1},
            {"start on an edge", planes == 2},
            {"start on a corner", planes == 3},
            {"grazing a face", planes >= 1 && still == 2 && !inside},
            {"grazing an edge", planes >= 2 && still == 2 && !inside},
            {"flat box", flat},
            {"crossed box", crossed},
            {"subnormal", any([](float x) { return std::fpclassify(x) == FP_SUBNORMAL; })},
            {"huge", any([](float x) { return std::abs(x) >= 3.4e38f && std::isfinite(x); })},
            {"infinite", any([](float x) { return std::isinf(x); })},
            {"nan", any([](float x) { return std::isnan(x); })},
            {"start inside", inside},
            {"box behind or beside", !inside && planes == 0},
            {"direction signs", true},
            {"variants apart", true},
        };
        ASSERT_TRUE(holds.count(word) == 1 && holds.at(word)) << line;
        directions[word].insert(signs);
        // Together these tell every method from every other, by outcome and t.
        for (std::size_t m = 0; m < methods.size() && word == "variants apart"; ++m) {
            const Answer a = answerOf(methods[m], v + 6, v + 9, v, v + 3);
            answered[m] += std::to_string(a.result) + " " + shortest(a.t) + ";";
        }
    }
    EXPECT_EQ(std::set<std::string>(answered.begin(), answered.end()).size(), methods.size());
    for (const char* everyWay : {"start inside", "box behind or beside", "flat box"}) {
        EXPECT_EQ(directions[everyWay].size(), 125U) << everyWay;
    }
    EXPECT_EQ(directions["direction signs"].size(), 27U);
}

// Only the disagreements, on the corpus: each line a no.
TEST(Rays, DifferOnTheCorpus) {
    std::string input;
    const std::string lines = written(printCorpus);
    int rays = 0;
    for (std::size_t at = 0, end = 0; (end = lines.find('\n', at)) != std::string::npos;
         at = end + 1) {
        const std::string line = lines.substr(at, end - at);
        // The first twelve columns: the class is words, not a number.
        input += line[0] == '#' ? line + "\n" : line.substr(0, line.rfind(',')) + "\n";
        rays += line[0] == '#' ? 0 : 1;
    }
    EXPECT_GE(rays, 2000);
    OracleRun run;
    run.both = true;
    run.differ = true;
    const Output got = answer(input, run);
    EXPECT_EQ(got.status, 0) << got.err;
    int listed = 0;
    for (std::size_t at = got.out.find('\n') + 1, end = 0;
         (end = got.out.find('\n', at)) != std::string::npos; at = end + 1) {
        EXPECT_NE(got.out.substr(at, end - at).find(",no,no"), std::string::npos);
        ++listed;
    }
    EXPECT_GT(listed, 100);
    EXPECT_LT(listed, rays);
}

} // namespace
