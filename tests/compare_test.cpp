// A verdict on answers to the corpus: the method that wrote them named, whichever it is; a
// tolerance on t, a start inside reported as a hit, answers written as booleans, --expect,
// and answers that cannot be read.
#include "app/options.h"
#include "oracle/compare.h"
#include "oracle/rays.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <tuple>

namespace {

// The corpus's answers by a method, as --rays writes them.
std::string answersBy(const std::string& corpus, const Method& method) {
    return written([&](std::FILE* out) {
        std::string copy = corpus;
        std::FILE* in = fmemopen(copy.data(), copy.size(), "r");
        OracleRun run;
        run.method = method;
        run.classes = true;
        answerRays(in, out, stderr, run);
        std::fclose(in);
    });
}

// The report on these answers to the corpus, what was said of them, and the status.
std::tuple<std::string, std::string, int> verdict(const std::string& corpus, std::string answers,
                                                  const CompareRun& run = {}) {
    std::string copy = corpus;
    std::FILE* rays = fmemopen(copy.data(), copy.size(), "r");
    std::FILE* given = answers.empty() ? std::fopen("/dev/null", "r")
                                       : fmemopen(answers.data(), answers.size(), "r");
    int status = 0;
    std::string err;
    const std::string out = written([&](std::FILE* report) {
        err = written(
            [&](std::FILE* said) { status = compareAnswers(rays, given, report, said, run); });
    });
    std::fclose(rays);
    std::fclose(given);
    return {out, err, status};
}

const std::string CORPUS = written(printCorpus);

// The method the report names the closest, where it names no other as close.
std::string closest(const std::string& report) {
    const std::string head = "The closest: ";
    const std::size_t from = report.find(head) + head.size();
    const std::size_t end = report.find_first_not_of("abcdefghijklmnopqrstuvwxyz+", from);
    return from < head.size() || end == std::string::npos || report[end] != '.'
               ? ""
               : report.substr(from, end - from);
}

// Each of the fifty methods' answers, outcome and t alone, names that method.
TEST(Compare, NamesTheMethodThatWroteTheAnswers) {
    for (const Method& method : allMethods()) {
        const auto [report, err, status] = verdict(CORPUS, answersBy(CORPUS, method));
        EXPECT_EQ(closest(report), methodName(method)) << err;
    }
}

// Answers rewritten as a function writes them, what the comparison is told of them, and
// what it says: the closest, and the status with --expect exact.
TEST(Compare, ToleranceInsideAndBooleans) {
    const std::string exact = answersBy(CORPUS, {METHOD_EXACT, {}});
    // Every hit's t one unit off in its last place; a start inside said to be a hit; each
    // outcome as whether the ray intersects. Undefined answers stay as they are.
    const auto rewrite = [&](const std::function<std::string(const std::string&)>& row) {
        std::string out = "line,outcome,t\n";
        std::size_t at = exact.find('\n') + 1;
        for (std::size_t end = 0; (end = exact.find('\n', at)) != std::string::npos; at = end + 1) {
            out += row(exact.substr(at, end - at)) + "\n";
        }
        return out;
    };
    const auto field = [](const std::string& line, int k) {
        std::size_t from = 0;
        for (int i = 0; i < k; ++i) {
            from = line.find(',', from) + 1;
        }
        return line.substr(from, line.find(',', from) - from);
    };
    const std::string offByOne = rewrite([&](const std::string& line) {
        const std::string t = field(line, 2);
        const float next = t.empty() ? 0 : std::nextafter(std::strtof(t.c_str(), nullptr), 1e38f);
        char text[32];
        std::snprintf(text, sizeof text, "%a", static_cast<double>(next));
        return field(line, 0) + "," + field(line, 1) + "," + (t.empty() ? "" : text);
    });
    const std::string insideIsHit = rewrite([&](const std::string& line) {
        const std::string outcome = field(line, 1);
        return field(line, 0) + "," + (outcome == "inside" ? "hit" : outcome) + ",";
    });
    const std::string booleans = rewrite([&](const std::string& line) {
        const std::string outcome = field(line, 1);
        return field(line, 0) + "," +
               (outcome == "undefined" ? outcome
                : outcome == "miss"    ? "false"
                                       : "true") +
               ",";
    });
    const std::tuple<std::string, int, int, int> cases[] = {
        {offByOne, 0, -1, 1},         {offByOne, 1, -1, 0}, {insideIsHit, 0, -1, 1},
        {insideIsHit, 0, RAY_HIT, 0}, {booleans, 0, -1, 0}, {booleans, 0, RAY_MISS, 1},
    };
    for (const auto& [answers, ulps, insideAs, status] : cases) {
        CompareRun run;
        run.ulps = ulps;
        run.insideAs = insideAs;
        run.expect = true;
        run.expected = {METHOD_EXACT, {}};
        const auto [report, err, got] = verdict(CORPUS, answers, run);
        EXPECT_EQ(got, status) << ulps << " " << insideAs << "\n" << report.substr(0, 400) << err;
        EXPECT_TRUE(status != 0 || closest(report) == "exact") << report.substr(0, 400);
    }
}

// Answers that cannot be read are said like rays that cannot: by their line, and status 1.
TEST(Compare, AnswersThatCannotBeRead) {
    const std::string rays = "-1 0.5 0 0.5 1 0 5 10 0 15 25 0\n10 20 0 1 0 0 5 10 0 15 25 0\n";
    const std::tuple<std::string, std::string> cases[] = {
        {"outcome\nhit\nmaybe\n", "ray-box-collision: answers line 3: 'maybe' is not an outcome\n"},
        {"line,outcome\n2,inside\n", "ray-box-collision: line 1: no answer for this ray\n"},
        {"line,outcome\n1,hit\n2,inside\n5,hit\n",
         "ray-box-collision: answers line 4: no ray for it\n"},
        {"t\n12\n", "ray-box-collision: the answers name no 'outcome' column\n"},
        {"", "ray-box-collision: the answers are empty\n"},
        {"outcome,t\nhit,twelve\ninside,\n",
         "ray-box-collision: answers line 2: 'twelve' is not a number\n"},
    };
    for (const auto& [answers, said] : cases) {
        const auto [report, err, status] = verdict(rays, answers);
        EXPECT_EQ(err, said) << answers;
        EXPECT_EQ(status, 1) << answers;
    }
    // With --columns, the answers' first line is an answer.
    CompareRun run;
    run.columns = "outcome,t";
    run.expect = true;
    run.expected = {METHOD_CANDIDATE, {}};
    EXPECT_EQ(std::get<2>(verdict(rays, "hit,12\ninside,\n", run)), 0);
}

} // namespace
