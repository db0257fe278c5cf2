// Anyone's answers to a file of rays, judged against every method: read beside the rays a
// block at a time, compared on every core, tallied in input order in bounded memory.
#include "oracle/compare.h"

#include "app/ray_line.h"
#include "app/shown_word.h"
#include "core/explain.h"
#include "oracle/answers.h"
#include "oracle/blocks.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <map>
#include <numeric>
#include <vector>

namespace {

// Distinct classes kept apart in a tally; past them, the rest are counted together.
constexpr std::size_t MOST_CLASSES = 32;

// A disagreement to show: the ray, and what each says of it.
struct Example {
    long line = 0;
    std::string ray;
    std::string yours;
    std::string theirs;
    std::string exact;
};

struct ClassTally {
    long count = 0;
    Example example;
};

struct MethodTally {
    long outcomes = 0;  // rays on which the outcome agrees
    long compared = 0;  // rays compared (an undefined exact answer is not)
    long tCompared = 0; // rays both say hit, with a t given
    long tAgreed = 0;
    std::map<std::string, ClassTally> parted;
};

struct Tally {
    std::vector<MethodTally> methods;
    long rays = 0;
};

struct Judge {
    Judge(const CompareRun& r, const std::vector<Method>& m, std::FILE* a)
        : run(r), methods(m), answers(a) {}

    const CompareRun& run;
    const std::vector<Method>& methods;
    Columns columns;
    std::FILE* answers;
    long answerLine = 0;
    bool answersEnded = false;
    // The answer read ahead, with its ray's line where the answers name it.
    bool pending = false;
    std::string pendingText;
    long pendingAnswerLine = 0;
    std::map<const Block*, Tally> tallies;
    std::vector<std::string> refusals; // what prepare found wrong, for the block's error text
    long unsaidRefusals = 0;

    // The next answer line that is not blank; false at the end of the answers.
    bool nextAnswer(std::string& text) {
        char* buffer = nullptr;
        std::size_t capacity = 0;
        bool found = false;
        while (!found) {
            errno = 0;
            const ssize_t n = getline(&buffer, &capacity, answers);
            if (n < 0) {
                answersEnded = true;
                break;
            }
            ++answerLine;
            text.assign(buffer, static_cast<std::size_t>(n));
            found = text.find_first_not_of(" \t\r\n") != std::string::npos;
        }
        std::free(buffer);
        if (!text.empty() && text.back() == '\n') {
            text.pop_back();
        }
        return found;
    }

    // Puts beside each ray of the block its answer: "answer-line <tab> text", or "-" for none.
    void prepare(Block& block) {
        tallies[&block] = Tally{std::vector<MethodTally>(methods.size()), 0};
        block.extra.clear();
        const char* p = block.text.data();
        const char* end = p + block.text.size();
        for (long line = block.first; p < end; ++line) {
            const char* next = std::find(p, end, '\n');
            const char* first = std::find_if(p, next, [](char c) { return !isSeparator(c); });
            p = next == end ? end : next + 1;
            if (first == next || *first == '#') {
                continue;
            }
            block.extra += answerFor(line) + "\n";
        }
    }

    std::string answerFor(long rayLine) {
        while (true) {
            if (!pending && !(pending = nextAnswer(pendingText))) {
                return "-";
            }
            pendingAnswerLine = answerLine;
            long named = rayLine;
            Given given;
            std::string why;
            if (columns.line >= 0 && readGiven(pendingText, columns, given, named, why) &&
                named < rayLine) {
                // An answer for a line that holds no ray, or one out of order.
                // Said for the first hundred; the rest counted, in bounded memory.
                if (refusals.size() < 100) {
                    refusals.push_back("answers line " + std::to_string(pendingAnswerLine) +
                                       ": no ray on line " + std::to_string(named) +
                                       " before line " + std::to_string(rayLine));
                } else {
                    ++unsaidRefusals;
                }
                pending = false;
                continue;
            }
            if (named > rayLine) {
                return "-";
            }
            pending = false;
            return std::to_string(pendingAnswerLine) + "\t" + pendingText;
        }
    }

    void work(Block& block) const {
        Tally& tally = const_cast<Tally&>(tallies.at(&block));
        const char* p = block.text.data();
        const char* end = p + block.text.size();
        std::size_t at = 0;
        for (long line = block.first; p < end && !block.overlong; ++line) {
            const char* next = std::find(p, end, '\n');
            const char* first = std::find_if(p, next, [](char c) { return !isSeparator(c); });
            const std::string ray(p, next);
            p = next == end ? end : next + 1;
            if (first == next || *first == '#') {
                continue;
            }
            const std::size_t stop = block.extra.find('\n', at);
            const std::string paired = block.extra.substr(at, stop - at);
            at = stop + 1;
            judge(block, tally, line, ray, paired);
        }
        if (block.overlong) {
            block.refuse(block.first, "longer than any line of 12 numbers needs");
        }
    }

    void judge(Block& block, Tally& tally, long line, const std::string& ray,
               const std::string& paired) const {
        float v[12];
        std::string why;
        std::string kind;
        if (ray.size() > LONGEST_LINE ||
            readRayLine(ray.data(), ray.data() + ray.size(), v, why, &kind) != RAY_LINE_OK) {
            block.refuse(line, why.empty() ? "longer than any line of 12 numbers needs" : why);
            return;
        }
        if (paired == "-") {
            block.refuse(line, "no answer for this ray");
            return;
        }
        Given given;
        long named = 0;
        const std::size_t tab = paired.find('\t');
        if (!readGiven(paired.substr(tab + 1), columns, given, named, why)) {
            block.refuse(std::strtol(paired.c_str(), nullptr, 10), why, "answers line");
            return;
        }
        ++tally.rays;
        const float* o = v;
        const float* d = v + 3;
        const float* lo = v + 6;
        const float* hi = v + 9;
        const Answer exact = answerOf({METHOD_EXACT, {}}, lo, hi, o, d);
        kind.resize(kind.find_last_not_of(" \t\r") + 1);
        // The class of an outcome and of a t that part, once they are needed.
        std::string names[2];
        // Without a class of its own, a ray's is the cause the disagreement line names.
        const auto classOf = [&] {
            if (kind.empty()) {
                kind = causeOf({}, lo, hi, o, d).name;
            }
            return kind;
        };
        for (std::size_t m = 0; m < methods.size(); ++m) {
            const Answer answer = m == 1 ? exact : answerOf(methods[m], lo, hi, o, d);
            MethodTally& method = tally.methods[m];
            if (answer.result == RAY_UNDEFINED) {
                continue;
            }
            ++method.compared;
            const bool same = agrees(given, answer, run.insideAs);
            method.outcomes += same ? 1 : 0;
            const bool bothHit = same && answer.result == RAY_HIT && given.hasT;
            method.tCompared += bothHit ? 1 : 0;
            const bool tSame = !bothHit || ulpsApart(given.t, answer.t) <= run.ulps;
            method.tAgreed += bothHit && tSame ? 1 : 0;
            if (same && tSame) {
                continue;
            }
            // Where only t differs, it was rounded otherwise: no cause is sought.
            if (names[same ? 1 : 0].empty()) {
                names[same ? 1 : 0] = !kind.empty() || !same ? classOf() + (same ? ", t" : "")
                                                             : "t rounded otherwise";
            }
            const std::string& name = names[same ? 1 : 0];
            const bool known = method.parted.count(name) != 0;
            const std::string key =
                known || method.parted.size() < MOST_CLASSES ? name : "other classes";
            ClassTally& tallied = method.parted[key];
            if (tallied.count++ == 0) {
                std::string numbers;
                for (const float value : v) {
                    numbers += (numbers.empty() ? "" : " ") + shortest(value);
                }
                tallied.example = {line, numbers, given.text, saying(answer), saying(exact)};
            }
        }
    }

    // Adds a block's tally to the whole one; the earlier example of a class stays.
    void merge(const Tally& block, Tally& whole) const {
        whole.rays += block.rays;
        for (std::size_t m = 0; m < methods.size(); ++m) {
            MethodTally& into = whole.methods[m];
            const MethodTally& from = block.methods[m];
            into.outcomes += from.outcomes;
            into.compared += from.compared;
            into.tCompared += from.tCompared;
            into.tAgreed += from.tAgreed;
            for (const auto& [name, counted] : from.parted) {
                const bool known = into.parted.count(name) != 0;
                ClassTally& tallied =
                    into.parted[known || into.parted.size() < MOST_CLASSES ? name
                                                                           : "other classes"];
                if (tallied.count == 0) {
                    tallied.example = counted.example;
                }
                tallied.count += counted.count;
            }
        }
    }
};

void reportParted(std::FILE* out, const std::string& title, const MethodTally& tally) {
    if (tally.parted.empty()) {
        std::fprintf(out, "Your answers agree with %s on every ray it answers.\n", title.c_str());
        return;
    }
    std::fprintf(out, "Where your answers part from %s, by class:\n", title.c_str());
    std::vector<std::pair<std::string, ClassTally>> classes(tally.parted.begin(),
                                                            tally.parted.end());
    std::stable_sort(classes.begin(), classes.end(),
                     [](const auto& a, const auto& b) { return a.second.count > b.second.count; });
    for (const auto& [name, counted] : classes) {
        const Example& e = counted.example;
        const std::string exact = title == "exact" ? "" : ", exact " + e.exact;
        std::fprintf(out, "  %s: %ld %s; e.g. line %ld: %s: yours %s, %s %s%s\n",
                     shownWord(name).c_str(), counted.count, counted.count == 1 ? "ray" : "rays",
                     e.line, e.ray.c_str(), e.yours.c_str(), title.c_str(), e.theirs.c_str(),
                     exact.c_str());
    }
}

// The methods ranked by agreement with the answers, the closest named with those as close,
// and the rays where the closest and the exact answer part from them, by class.
void reportRanking(std::FILE* out, const CompareRun& run, const std::vector<Method>& methods,
                   const Tally& whole) {
    // The methods by agreement: outcomes first, then t; the order of allMethods on a tie.
    std::vector<std::size_t> order(methods.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        const MethodTally& x = whole.methods[a];
        const MethodTally& y = whole.methods[b];
        return x.compared - x.outcomes != y.compared - y.outcomes
                   ? x.compared - x.outcomes < y.compared - y.outcomes
                   : x.tCompared - x.tAgreed < y.tCompared - y.tAgreed;
    });
    std::fprintf(out,
                 "%ld answers compared with %zu methods; t within %d ulps where both say hit\n",
                 whole.rays, methods.size(), run.ulps);
    std::fprintf(out, "%-37s %19s %19s\n", "method, closest first", "outcome agrees", "t agrees");
    for (const std::size_t m : order) {
        const MethodTally& tally = whole.methods[m];
        std::fprintf(out, "%-37s %8ld of %8ld %8ld of %8ld\n", methodName(methods[m]).c_str(),
                     tally.outcomes, tally.compared, tally.tAgreed, tally.tCompared);
    }
    const std::size_t closest = order.front();
    const auto misses = [&](std::size_t m) {
        const MethodTally& tally = whole.methods[m];
        return std::make_pair(tally.compared - tally.outcomes, tally.tCompared - tally.tAgreed);
    };
    std::string tied;
    for (std::size_t i = 1; i < order.size() && misses(order[i]) == misses(closest); ++i) {
        tied += (tied.empty() ? "; as close: " : ", ") + methodName(methods[order[i]]);
    }
    std::fprintf(out, "The closest: %s%s.\n", methodName(methods[closest]).c_str(), tied.c_str());
    reportParted(out, methodName(methods[closest]), whole.methods[closest]);
    if (closest != 1) {
        reportParted(out, "exact", whole.methods[1]);
    }
}

} // namespace

int compareAnswers(std::FILE* rays, std::FILE* answers, std::FILE* out, std::FILE* err,
                   const CompareRun& run) {
    static const std::vector<Method> methods = allMethods();
    Judge judge(run, methods, answers);
    std::string why;
    std::string header;
    if (run.columns.empty() ? !judge.nextAnswer(header) || !readColumns(header, judge.columns, why)
                            : !readColumns(run.columns, judge.columns, why)) {
        std::fprintf(err, "ray-box-collision: %s\n",
                     why.empty() ? "the answers are empty" : why.c_str());
        return 1;
    }
    Tally whole{std::vector<MethodTally>(methods.size()), 0};
    bool bad = false;
    const int readError = forEachBlock(
        rays, run.jobs, [&](Block& block) { judge.prepare(block); },
        [&](Block& block) { judge.work(block); },
        [&](Block& block) {
            for (const std::string& refusal : judge.refusals) {
                std::fprintf(err, "ray-box-collision: %s\n", refusal.c_str());
            }
            if (judge.unsaidRefusals > 0) {
                std::fprintf(err, "ray-box-collision: %ld more answers with no ray\n",
                             judge.unsaidRefusals);
            }
            bad = bad || !judge.refusals.empty() || block.bad;
            judge.refusals.clear();
            judge.unsaidRefusals = 0;
            std::fputs(block.err.c_str(), err);
            judge.merge(judge.tallies.at(&block), whole);
            return true;
        });
    std::string rest;
    long extra = 0;
    while (judge.pending || judge.nextAnswer(rest)) {
        if (++extra <= 100) {
            std::fprintf(err, "ray-box-collision: answers line %ld: no ray for it\n",
                         judge.pending ? judge.pendingAnswerLine : judge.answerLine);
        }
        judge.pending = false;
        bad = true;
    }
    if (extra > 100) {
        std::fprintf(err, "ray-box-collision: %ld more answers with no ray\n", extra - 100);
    }
    if (readError != 0 || std::ferror(answers) != 0) {
        std::fprintf(err, "ray-box-collision: cannot read the %s: %s\n",
                     readError != 0 ? "rays" : "answers",
                     std::strerror(readError != 0 ? readError : EIO));
        bad = true;
    }
    reportRanking(out, run, methods, whole);
    if (run.expect) {
        const auto expected = std::find(methods.begin(), methods.end(), run.expected);
        const MethodTally& tally =
            whole.methods[static_cast<std::size_t>(expected - methods.begin())];
        const bool held = tally.parted.empty() && !bad;
        std::fprintf(out, "Expected %s: %s.\n", methodName(run.expected).c_str(),
                     held ? "every answer agrees" : "some answers do not agree");
        return held ? 0 : 1;
    }
    return bad ? 1 : 0;
}
