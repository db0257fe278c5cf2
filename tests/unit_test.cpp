// The ray-box test against worked cases derived by hand, and the console dialogue as
// transcripts of scripted input.
#include "app/console.h"
#include "app/controls.h"
#include "app/layout.h"
#include "app/options.h"
#include "app/scene.h"
#include "app/state.h"
#include "core/clip.h"
#include "core/explain.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>

#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

namespace {

// The state the tests work on, as a front end holds its own.
AppState app;

constexpr float NaN = std::numeric_limits<float>::quiet_NaN();
constexpr float INF = std::numeric_limits<float>::infinity();
using Point = std::array<float, 3>;
const Point UNTOUCHED = {123, 123, 123};
const char* const HIT_TEXT = "Collision at { X = 5.000000; Y = 12.500000; Z = 0.000000 }";

// A name, the box's minimum and maximum, the ray's start and direction, the result and the
// hit point. Most cases use the start-up box (5, 10, 0)-(15, 25, 0).
const std::tuple<const char*, Point, Point, Point, Point, RayTestResult, Point> CASES[] = {
    {"start-up ray", {5, 10, 0}, {15, 25, 0}, {-1, .5f, 0}, {.5f, 1, 0}, RAY_HIT, {5, 12.5f, 0}},
    {"inside", {5, 10, 0}, {15, 25, 0}, {10, 20, 0}, {.5f, 1, 0}, RAY_INSIDE, {}},
    {"on min face", {5, 10, 0}, {15, 25, 0}, {5, 20, 0}, {1, 0, 0}, RAY_INSIDE, {}},
    {"on max corner", {5, 10, 0}, {15, 25, 0}, {15, 25, 0}, {1, 0, 0}, RAY_INSIDE, {}},
    {"NaN start", {5, 10, 0}, {15, 25, 0}, {NaN, 20, 0}, {1, 0, 0}, RAY_MISS, {}},
    {"zero dir", {5, 10, 0}, {15, 25, 0}, {-1, .5f, 0}, {0, 0, 0}, RAY_MISS, {}},
    {"NaN dir", {5, 10, 0}, {15, 25, 0}, {-1, .5f, 0}, {NaN, 0, 0}, RAY_MISS, {}},
    {"y entered last", {5, 10, 0}, {15, 25, 0}, {0, 4, 0}, {1, 1, 0}, RAY_HIT, {6, 10, 0}},
    // A tie: x is the entry plane, and y, computed, comes out one float above 0.9.
    {"tie", {.9f, .9f}, {2, 2}, {-.1f, -.1f}, {.1f, .1f}, RAY_HIT, {.9f, .90000004f}},
    {"hit on max", {5, 10, 0}, {15, 25, 0}, {20, 30, 0}, {-1, -1, 0}, RAY_HIT, {15, 25, 0}},
    {"all behind", {0, 0, 0}, {1, 1, 1}, {2, 2, 2}, {2, 2, 2}, RAY_MISS, {}},
    {"passes above", {5, 10, 0}, {15, 25, 0}, {0, 30, 0}, {1, 0, 0}, RAY_MISS, {}},
    {"crossed x", {16, 10, 0}, {15, 25, 0}, {0, 12, 0}, {1, 0, 0}, RAY_HIT, {16, 12, 0}},
    {"crossed y", {5, 26, 0}, {15, 25, 0}, {0, 20, 0}, {1, 0, 0}, RAY_MISS, {}},
    {"at infinity", {INF, INF, INF}, {INF, INF, INF}, {0, 0, 0}, {1, 1, 1}, RAY_MISS, {}},
    {"hit overflows", {0, -INF, -1}, {1, INF, 1}, {-1, 0, 0}, {1e-30f, 1e30f, 0}, RAY_MISS, {}},
    {"through z", {0, 0, 0}, {1, 1, 1}, {.5f, .5f, -2}, {0, 0, 1}, RAY_HIT, {.5f, .5f, 0}},
    // Exactly, t is 3/7 and y 0.7; in float arithmetic both come out a bit off.
    {"rounded", {.2f, -1, -1}, {1, 1, 1}, {-.1f, .4f, 0}, {.7f, .7f, 0}, RAY_HIT, {.2f, .7f, 0}},
};

TEST(RayBoxIntersect, WorkedCases) {
    for (const auto& [name, boxMin, boxMax, origin, dir, expected, point] : CASES) {
        Point hit = UNTOUCHED;
        EXPECT_EQ(
            rayBoxIntersect(boxMin.data(), boxMax.data(), origin.data(), dir.data(), hit.data()),
            expected)
            << name;
        // A miss may leave the hit point partly written; a start inside leaves it alone.
        if (expected != RAY_MISS) {
            EXPECT_EQ(hit, expected == RAY_HIT ? point : UNTOUCHED) << name;
        }
    }
}

// The recording test is the same test: it agrees with the plain one on the worked cases and
// on random rays built from ordinary, awkward and extreme values.
TEST(RayBoxIntersect, RecordAgrees) {
    const float values[] = {0,     -0.0f,  1,      -1,     .5f,   5,   10,  15,   25,    .1f,
                            3e38f, -3e38f, 1e-45f, 1e-30f, 1e30f, NaN, INF, -INF, 12.5f, -7};
    std::mt19937 rng(12);
    const auto value = [&] {
        return rng() % 3 == 0 ? values[rng() % std::size(values)]
                              : static_cast<float>(static_cast<int>(rng() % 61) - 20);
    };
    // The worked cases, then random rays of everyday and extreme values.
    for (std::size_t n = 0; n < std::size(CASES) + 100000; ++n) {
        std::array<Point, 4> ray{};
        if (n < std::size(CASES)) {
            const auto& [name, boxMin, boxMax, origin, dir, expected, point] = CASES[n];
            ray = {boxMin, boxMax, origin, dir};
        } else {
            for (std::size_t i = 0; i < 12; ++i) {
                ray[i / 3][i % 3] = value();
            }
        }
        const auto& [boxMin, boxMax, origin, dir] = ray;
        Point hit = UNTOUCHED;
        RayTestRecord record;
        const RayTestResult plain =
            rayBoxIntersect(boxMin.data(), boxMax.data(), origin.data(), dir.data(), hit.data());
        ASSERT_EQ(rayBoxIntersect(boxMin.data(), boxMax.data(), origin.data(), dir.data(), record),
                  plain);
        if (plain == RAY_HIT) {
            ASSERT_EQ(Point({record.hit[0], record.hit[1], record.hit[2]}), hit);
        }
    }
}

// The options of a command line.
Options parse(const std::string& line) {
    std::istringstream words("ray-box-collision " + line);
    std::vector<std::string> owned{std::istream_iterator<std::string>(words), {}};
    std::vector<const char*> argv;
    for (const std::string& word : owned) {
        argv.push_back(word.c_str());
    }
    const Options options = parseOptions(static_cast<int>(argv.size()), argv.data());
    EXPECT_EQ(options.error, "") << line;
    return options;
}

// What --print writes for a command line.
std::string printed(const std::string& line) {
    char* text = nullptr;
    std::size_t size = 0;
    std::FILE* out = open_memstream(&text, &size);
    printAnswer(parse(line), out);
    std::fclose(out);
    std::string result(text, size);
    std::free(text);
    return result;
}

TEST(Print, StepByStep) {
    EXPECT_EQ(printed("--print --explain"),
              "x: start -1 is below minX 5: candidate plane x = 5 at t = 12\n"
              "y: start 0.5 is below minY 10: candidate plane y = 10 at t = 9.5\n"
              "z: start 0 is within [0, 0]: no candidate\n"
              "entry: x = 5 at t = 12, the largest t\n"
              "y = 12.5 at t = 12 is within [10, 25]\n"
              "z = 0 at t = 12 is within [0, 0]\n"
              "Collision at { X = 5.000000; Y = 12.500000; Z = 0.000000 }\n");
    // A scene, and the one line that tells a learner what decided it.
    const std::pair<const char*, const char*> cases[] = {
        {"--print", "Collision at { X = 5.000000; Y = 12.500000; Z = 0.000000 }"},
        {"--start 10 20 --print", "start point is inside box."},
        {"--print --explain --start 10 20", "inside: the start is within the bounds on every axis"},
        {"--dir -0.5 1 --print", "No Intersection"},
        {"--print --explain --dir -0.5 1",
         "x = -5.75 at t = 9.5 is below minX 5: the ray misses the box"},
        {"--print --explain --start 0 5 --dir 1 1",
         "entry: x = 5 at t = 5, the largest t; y has the same t, and x comes first, so it wins "
         "the tie"},
        {"--print --explain --box 15 10 5 25 --start 0 12 --dir 1 0",
         "x: start 0 is below minX 15: candidate plane x = 15 at t = 15 (a crossed box: minX "
         "lies above maxX, so no start is within on x)"},
        {"--print --explain --start 20 30 --dir 1 1",
         "entry: none, the largest t is -5: every candidate plane lies behind the start"},
        {"--print --explain --dir 0 0",
         "entry: none, no axis has a candidate plane the ray moves towards"},
        {"--print --explain --start 0 30 --dir 1 0",
         "y: start 30 is above maxY 25, but the ray does not move along y: no candidate"},
        {"--print --explain --start 0 0 --dir 1e-30 1 --box 1e30 -1 3e38 1",
         "t = inf: the plane is too far away for a float, so the ray never reaches it"},
        {"--print --explain --start -0.1 -0.1 --dir 0.1 0.1 --box 0.9 0.9 2 2",
         "y = 0.90000004 at t = 10 is within [0.9, 2]"},
        // The direction the test used, which explains a t that jumps as a component
        // crosses 1.
        {"--print --explain --dir 2 0", "direction: (2, 0) normalised to (1, 0)"},
        {"--print --explain --dir 1 1.0000001",
         "direction: (1, 1.0000001) normalised to (0.7071067, 0.7071068)"},
    };
    for (const auto& [line, decided] : cases) {
        const std::string out = printed(line);
        EXPECT_NE(("\n" + out).find("\n" + std::string(decided) + "\n"), std::string::npos)
            << line << "\n"
            << out;
        EXPECT_EQ(std::count(out.begin(), out.end(), '\n') == 1,
                  std::string(line).find("--explain") == std::string::npos)
            << line;
    }
}

// Input handed out a line per read. Each read, and the return, marks with '|' how much output
// had been flushed by then: what was on screen while the dialogue waited, and after it.
struct Conversation {
    std::string input;
    std::size_t next = 0;
    char* output = nullptr;
    std::size_t flushed = 0; // open_memstream's size counts flushed output only
    std::vector<std::size_t> marks;
};

ssize_t readLine(void* cookie, char* buffer, std::size_t size) {
    auto* c = static_cast<Conversation*>(cookie);
    c->marks.push_back(c->flushed);
    // Ctrl-D on a terminal: this read alone meets the end of the input.
    if (c->next < c->input.size() && c->input[c->next] == '\x04') {
        ++c->next;
        return 0;
    }
    // To the end of the line, or of the input: with no line end, npos + 1 wraps to 0.
    const std::size_t line = c->input.find('\n', c->next) + 1;
    const std::size_t n = std::min(line == 0 ? c->input.size() - c->next : line - c->next, size);
    c->input.copy(buffer, n, c->next);
    c->next += n;
    return static_cast<ssize_t>(n);
}

std::string transcript(void (*dialogue)(std::FILE*, std::FILE*), const std::string& input) {
    Conversation c;
    c.input = input;
    std::FILE* out = open_memstream(&c.output, &c.flushed);
    std::FILE* in = fopencookie(&c, "r", {readLine, nullptr, nullptr, nullptr});
    dialogue(in, out);
    c.marks.push_back(c.flushed);
    std::fclose(in);
    std::fclose(out);
    std::string text(c.output, c.flushed);
    std::free(c.output);
    for (auto mark = c.marks.rbegin(); mark != c.marks.rend(); ++mark) {
        text.insert(*mark, "|");
    }
    return text;
}

const std::string START = "ray data- config\n"
                          "in the parenthess i give you 'safe' values\n"
                          "if you can't seem to hit a collision, it might because of your\n"
                          "direction. mess with the box values\n"
                          "*** Start position \n"
                          "x(0 - 35) = |";
const std::string DIRECTION = "this data should be entered in unit circle cordinates [-1,1]\n"
                              "if i not, i normalize them ;-)\n"
                              "please enter direction coords\n"
                              "x = |";
const std::string KEEP = "not a number, keeping ";
const std::string RANGE = "out of range, keeping ";

std::string normalized(const std::string& xy) {
    return "after normalize = " + xy + "\ncoords are " + xy + "\n";
}

TEST(Console, Dialogues) {
    // The start point's dialogue or else the direction's, its input, what it writes after
    // its first prompt, and the x and y it leaves.
    const std::tuple<bool, std::string, std::string, float, float> cases[] = {
        {false, "2\n0\n", "y = |" + normalized("1.000000 0.000000") + "|", 1, 0},
        {false, "-3 0\n", "y = " + normalized("-1.000000 0.000000") + "|", -1, 0},
        {false, "0 2\n", "y = " + normalized("0.000000 1.000000") + "|", 0, 1},
        {false, "0 -3\n", "y = " + normalized("0.000000 -1.000000") + "|", 0, -1},
        // 3 and 4 times 2^99: their squares overflow a float, not a double.
        {false, "1901475900342344102245054808064 2535301200456458802993406410752\n",
         "y = " + normalized("0.600000 0.800000") + "|", 0.6f, 0.8f},
        {false, "0.5\n-0.25\n", "y = |coords are 0.500000 -0.250000\n|", 0.5f, -0.25f},
        {false, "1 1\n", "y = coords are 1.000000 1.000000\n|", 1, 1},
        {false, "-1 -1\n", "y = coords are -1.000000 -1.000000\n|", -1, -1},
        {false, "1.5abc 7\nnan\n",
         KEEP + "0.500000\ny = |" + KEEP + "1.000000\ncoords are 0.500000 1.000000\n|", 0.5f, 1},
        // The second read meets the end of the input; nothing reads after it.
        {false, "0.25", "|y = coords are 0.250000 1.000000\n|", 0.25f, 1},
        {true, "  10\t20", "y(0 -25) = ||", 10, 20},
        {true, "inf 99\n12\n", KEEP + "-1.000000\ny(0 -25) = ||", -1, 12},
        {true, std::string("5\0abc 1\n2\n", 10), KEEP + "-1.000000\ny(0 -25) = ||", -1, 2},
        {true, "1e99\n-inf\n", RANGE + "-1.000000\ny(0 -25) = |" + KEEP + "0.500000\n|", -1, 0.5f},
        // A word that never ends (/dev/zero) ends the dialogue's input: the window comes back.
        // The rest of its line is dropped as far as one more allowance reaches.
        {true, std::string(10000, '\0') + "\n7\n", "|" + KEEP + "-1.000000\ny(0 -25) = |", -1,
         0.5f},
        {true, "", "y(0 -25) = |", -1, 0.5f},
        // A word cut by that allowance is refused, not read as its first digits.
        {true, std::string(4222, ' ') + "12345\n7\n", KEEP + "-1.000000\ny(0 -25) = |", -1, 0.5f},
        // A word longer than any number is not one, however it ends.
        {true, std::string(200, '0') + "1\n2\n", KEEP + "-1.000000\ny(0 -25) = ||", -1, 2},
    };
    for (const auto& [start, input, expected, x, y] : cases) {
        SCOPED_TRACE(input);
        resetRay(app.scene);
        using Run = void (*)(std::FILE*, std::FILE*);
        const Run run =
            start ? Run{[](std::FILE* in, std::FILE* out) { promptRayStart(app.scene, in, out); }}
                  : Run{[](std::FILE* in, std::FILE* out) {
                        promptRayDirection(app.scene, in, out);
                    }};
        EXPECT_EQ(transcript(run, input), (start ? START : DIRECTION) + expected);
        EXPECT_EQ((start ? app.scene.rayStart : app.scene.rayDir)[0], x);
        EXPECT_EQ((start ? app.scene.rayStart : app.scene.rayDir)[1], y);
    }
    // Input ended at one prompt (Ctrl-D) does not stop the next dialogue from reading.
    resetRay(app.scene);
    const auto both = [](std::FILE* in, std::FILE* out) {
        promptRayStart(app.scene, in, out);
        promptRayDirection(app.scene, in, out);
    };
    EXPECT_EQ(transcript(both, "7\n\x04"
                               "3 4\n"),
              START + "y(0 -25) = |" + DIRECTION + "y = " + normalized("0.600000 0.800000") + "|");
    EXPECT_EQ(app.scene.rayStart[0], 7);
    EXPECT_EQ(app.scene.rayDir[1], 0.8f);
    // The rest of a line cut by the allowance is dropped, not fed to the next dialogue.
    resetRay(app.scene);
    EXPECT_EQ(transcript(both, std::string(4222, ' ') + "12345\n0.25 0.5\n"),
              START + KEEP + "-1.000000\ny(0 -25) = " + DIRECTION +
                  "y = coords are 0.250000 0.500000\n|");
    EXPECT_EQ(transcript([](std::FILE*, std::FILE* out) { printHelp(out); }, ""),
              "see menu ala' right click;)\n"
              "if your to lazy {w,s,a,d} will modify the planes\n"
              "for the input routines, are *not* robust. They will break if you try to be "
              "clever\n"
              "only numbers like 1.234, etc..\n|");
}

// One rule for a number, on the command line and at the console: a whole decimal word whose
// value a float holds, neither overflowing nor underflowing to 0.
TEST(Console, NumberRule) {
    const std::pair<NumberCheck, std::vector<std::string>> words[] = {
        {NUMBER_OK, {"5", "-0", "+.5e+3", "0e-999", "1e-45", "3.4028235e38"}},
        {NUMBER_NOT_DECIMAL,
         {" 5", "5 ", "\t5", "0x10", "--5", ".", "1e", "inf", "nan", std::string("5\0", 2)}},
        {NUMBER_OUT_OF_RANGE, {"1e39", "1e-50", "-1e-50", "0.0001e-46"}},
    };
    for (const auto& [expected, list] : words) {
        for (const std::string& word : list) {
            float value = 7;
            EXPECT_EQ(parseNumber(word, value), expected) << word;
            EXPECT_EQ(value == 7, expected != NUMBER_OK) << word;
        }
    }
    // A refused word stays on one line of its own and cannot command the terminal; a long
    // one is cut between characters.
    std::string accents;
    while (accents.size() < 140) {
        accents += "\u00e9";
    }
    const std::pair<std::string, std::string> shown[] = {
        {"a\nb\tc", "a\\nb\\tc"},
        {"\x1b[31mred", "\\x1b[31mred"},
        {"\xc2\x9b"
         "1m \xff \xe9t\xc3",
         "\\xc2\\x9b1m \\xff \\xe9t\\xc3"},
        {accents, accents.substr(0, 120) + "\u2026"},
        // No character: overlong forms, a surrogate, beyond U+10FFFF.
        {"\xe0\x80\x80 \xc0\xaf \xf0\x80\x80\x80",
         "\\xe0\\x80\\x80 \\xc0\\xaf \\xf0\\x80\\x80\\x80"},
        {"\xed\xa0\x80 \xf4\x90\x80\x80", "\\xed\\xa0\\x80 \\xf4\\x90\\x80\\x80"},
        // Bidirectional controls, which reorder what follows; their neighbours stay.
        {"\u202e1\u2066 \u2069\u202a",
         "\\xe2\\x80\\xae1\\xe2\\x81\\xa6 \\xe2\\x81\\xa9\\xe2\\x80\\xaa"},
        {"\u2029\u206a\ud7ff\U0010ffff", "\u2029\u206a\ud7ff\U0010ffff"},
    };
    for (const auto& [word, expected] : shown) {
        EXPECT_EQ(shownWord(word), expected);
    }
}

// -geometry as X spells it: the size as typed and its value, however many digits it has.
TEST(Options, Geometry) {
    // A value, its size as typed and the height's value, and whether it has a place too.
    const std::tuple<const char*, const char*, const char*, long long, bool> geometries[] = {
        {"640x480", "640", "480", 480, false},
        {"=320X240-0+10", "320", "240", 240, true},
        {"+10-20", "", "", 0, true},
        {"1x99999999999999999999", "1", "99999999999999999999", 1LL << 40, false},
    };
    for (const auto& [text, width, height, value, place] : geometries) {
        Geometry g;
        ASSERT_TRUE(parseGeometry(text, g)) << text;
        EXPECT_EQ(
            std::tuple(g.typedWidth, g.typedHeight, g.height, g.hasSize, g.hasPlace),
            std::tuple(std::string(width), std::string(height), value, width[0] != '\0', place))
            << text;
    }
    for (const char* malformed :
         {"100x100junk", "100x", "abc", "0x10", "640x0", "+1", "+1+9999999999", ""}) {
        Geometry g;
        g.typedWidth = "untouched";
        EXPECT_FALSE(parseGeometry(malformed, g) || g.typedWidth != "untouched") << malformed;
    }
}

// The current scene's frame.
FrameLayout laidOut() {
    return layoutFrame(app, testScene(app.scene));
}

// The teaching view of a command line's scene in a window of this size; its layout.
FrameLayout teach(const std::string& line, int width = 640, int height = 480) {
    createBox(app.scene);
    resetRay(app.scene);
    app.aboutShown = 0;
    app.selectedPlane = PLANE_NONE;
    app.walkStep = -1;
    resetView(app);
    applyOptions(parse(line), app);
    app.windowWidth = width;
    app.windowHeight = height;
    app.teachingView = true;
    return laidOut();
}

// What crosses a text in a layout, or nothing: a line or a mark over a text's box, or a
// label over another text.
std::string crossings(const FrameLayout& f) {
    std::vector<TextItem> texts = f.texts;
    texts.insert(texts.end(), f.teachingTexts.begin(), f.teachingTexts.end());
    for (std::size_t i = 0; i < texts.size(); ++i) {
        const PixelBox& b = texts[i].box;
        for (const LineItem& line : f.lines) {
            const double m = line.width / 2.0;
            double from[2] = {line.x0, line.y0};
            double to[2] = {line.x1, line.y1};
            if (clipSegment(Rect{b.x0 - m, b.y0 - m, b.x1 + m, b.y1 + m}, from, to)) {
                return "a line crosses '" + texts[i].text + "'";
            }
        }
        for (const MarkItem& mark : f.marks) {
            const double h = mark.size / 2.0;
            if (overlaps({mark.x - h, mark.y - h, mark.x + h, mark.y + h}, b)) {
                return "a mark lies on '" + texts[i].text + "'";
            }
        }
        for (std::size_t j = i + 1; j < texts.size(); ++j) {
            const bool label = texts[i].role == TEXT_LABEL || texts[j].role == TEXT_LABEL;
            if (label && overlaps(b, texts[j].box)) {
                return "'" + texts[i].text + "' and '" + texts[j].text + "' overlap";
            }
        }
    }
    return {};
}

// Scenes where planes, labels, marks and the ray crossed the texts.
const std::pair<const char*, std::pair<int, int>> CROWDED[] = {
    {"--start 10 1 --dir 0.1 1 --box 5 2 15 25", {640, 480}},
    {"", {640, 100}},
    {"--start 2 3.5 --dir 1 0.2", {160, 120}},
    {"--box 5 10 15 26.613 --start 10.3 29.1 --dir 0.123 -0.97", {640, 480}},
    {"--box 5 0.3 15 25 --start 10 0.1 --dir 0.3 1", {640, 480}},
    {"--about", {300, 200}},
    {"--box 0 5 3 25 --start 20 2 --dir -1 0.25", {640, 480}},
    {"--start 20 28 --dir 1 1", {640, 480}},
    {"--start 0 5 --dir 1 1", {640, 480}},
    {"--box 15 10 5 25 --start 0 12 --dir 1 0", {640, 480}},
    {"--start 10 5", {640, 480}},
    {"--dir 1e-45 1e-45", {640, 480}},
    {"", {200, 150}},
    {"", {100, 480}},
};

// Nothing the teaching view draws crosses a text: in the scenes where it did, and in random
// scenes, windows, selections, walks, framed and zoomed views.
TEST(Layout, NothingCrossesAText) {
    for (const auto& [line, size] : CROWDED) {
        EXPECT_EQ(crossings(teach(line, size.first, size.second)), "") << line;
    }
    const float values[] = {0, 5, 10, 15, 25, -1, 0.5f, 1e-45f, 3.4e38f, -3.4e38f, -1e20f, 1e8f};
    const std::pair<int, int> sizes[] = {{160, 120}, {200, 150}, {640, 100}, {100, 480},
                                         {640, 480}, {300, 200}, {1000, 700}};
    std::mt19937 rng(18);
    const auto value = [&] {
        return rng() % 2 == 0 ? values[rng() % std::size(values)]
                              : static_cast<float>(static_cast<int>(rng() % 61) - 15) / 2;
    };
    for (int n = 0; n < 3000; ++n) {
        const auto [width, height] = n % 3 == 0 ? std::pair(static_cast<int>(rng() % 900 + 1),
                                                            static_cast<int>(rng() % 700 + 1))
                                                : sizes[rng() % std::size(sizes)];
        teach("", width, height);
        for (float* v : {&app.scene.boxPlanes[0], &app.scene.boxPlanes[1], &app.scene.boxPlanes[3],
                         &app.scene.boxPlanes[4], &app.scene.rayStart[0], &app.scene.rayStart[1],
                         &app.scene.rayDir[0], &app.scene.rayDir[1]}) {
            *v = value();
        }
        app.aboutShown = static_cast<int>(rng() % 2);
        app.selectedPlane = static_cast<int>(rng() % 5) - 1;
        app.walkStep = static_cast<int>(rng() % 10) - 1;
        app.method = rng() % 2 == 0 ? METHOD_CANDIDATE : METHOD_SLAB;
        if (rng() % 4 == 0) {
            frameScene(app);
        }
        if (rng() % 4 == 0) {
            zoomView(app, rng() % 2 == 0 ? 0.1 : 7.0, static_cast<int>(rng() % 640), 100);
        }
        const RayTestRecord record = testScene(app.scene);
        const FrameLayout f = layoutFrame(app, record);
        ASSERT_EQ(crossings(f), "") << n;
        // A painter is never handed a coordinate that is not finite.
        for (const LineItem& l : f.lines) {
            ASSERT_TRUE(std::isfinite(l.x0 + l.y0 + l.x1 + l.y1)) << n;
        }
        for (const MarkItem& mark : f.marks) {
            ASSERT_TRUE(std::isfinite(mark.x + mark.y)) << n;
        }
        // Every mark sits on a candidate plane's line. (The slab test's entry point is where
        // its rounded t puts it, which with huge values may be off its plane.)
        for (const MarkItem& mark : app.method == METHOD_SLAB ? std::vector<MarkItem>{} : f.marks) {
            bool onPlane = false;
            for (int axis = 0; axis < 2; ++axis) {
                const double origin = axis == 0 ? f.view.originX : f.view.originY;
                const double at = (record.axes[axis].candidate - origin) / f.view.units;
                onPlane = onPlane || (record.axes[axis].side != SIDE_BETWEEN &&
                                      std::abs((axis == 0 ? mark.x : mark.y) - at) <= 1);
            }
            ASSERT_TRUE(onPlane) << n << ": " << mark.x << ", " << mark.y;
        }
    }
    app.teachingView = false;
    app.method = METHOD_CANDIDATE;
}

// Scenes far outside the view: the entry mark on its plane, the ray's guide where it crosses.
TEST(Layout, MarksWhereTheyBelong) {
    // A scene, and the part of the view its guide covers, in pixels: from its start, or the
    // edge where it enters, to the edge it leaves by.
    const std::tuple<const char*, double, double> scenes[] = {
        {"--start 3 6 --dir 1 0", 48, 640},
        {"--start -1e8 15 --dir 1 0", 0, 640},
        {"--start 3.4e38 3.4e38 --dir -1 -1", 0, 480},
        {"--start -1e20 -1e20 --dir 1 1 --box 5 5 15 25", 0, 480},
        {"--start -1e20 15 --dir 1 0", 0, 640},
    };
    for (const auto& [line, x0, x1] : scenes) {
        double from = 1e9;
        double to = -1e9;
        for (const LineItem& piece : teach(line).lines) {
            if (piece.colour.r == 0 && piece.colour.b == 1) { // the ray's cyan guide
                from = std::min({from, piece.x0, piece.x1});
                to = std::max({to, piece.x0, piece.x1});
            }
        }
        EXPECT_TRUE(std::abs(from - x0) <= 1 && to >= x1 - 1)
            << line << ": " << from << " to " << to;
    }
    // A plane behind the start has no mark.
    EXPECT_TRUE(teach("--start 0 12 --dir -1 0").marks.empty());
    // The entry mark, large, where the test says the ray enters: x = 5, 80 px.
    const FrameLayout f = teach("--start -1e8 15 --dir 1 0");
    EXPECT_TRUE(std::any_of(f.marks.begin(), f.marks.end(), [](const MarkItem& m) {
        return m.size > 10 && std::abs(m.x - 80) <= 1 && std::abs(m.y - 240) <= 1;
    }));
    app.teachingView = false;
}

// Where the steps go, what the labels say, the walk through the steps and the framed view.
TEST(Layout, TheTeachingViewFollowsTheLearner) {
    const auto steps = [](const FrameLayout& f) {
        std::vector<TextItem> lines;
        std::copy_if(f.teachingTexts.begin(), f.teachingTexts.end(), std::back_inserter(lines),
                     [](const TextItem& text) { return text.role == TEXT_STEP; });
        return lines;
    };
    // Left of a box right of the middle; a note, not a fragment, in a window too small.
    const std::vector<TextItem> left = steps(teach("--box 25 10 35 25 --start 0 12 --dir 1 0"));
    EXPECT_TRUE(std::all_of(left.begin(), left.end(),
                            [](const TextItem& text) { return text.box.x1 <= 400; }));
    std::string small;
    for (const TextItem& text : steps(teach("", 200, 150))) {
        small += text.text + " ";
    }
    EXPECT_EQ(small, "enlarge the window to see the steps ");
    // A zero direction's planes have no t to show.
    for (const TextItem& text : teach("--start 2 5 --dir 0 0").teachingTexts) {
        EXPECT_TRUE(text.role != TEXT_LABEL || text.text.find("t =") == std::string::npos);
    }
    // n walks the default scene's seven steps, each alone in white, the outcome too, then
    // all of them again. Steps break where a phrase ends, their continuations indented.
    const std::size_t all = steps(teach("")).size();
    std::string walked;
    for (int n = 0; n < 7; ++n) {
        nextStep(app);
        for (const TextItem& text : steps(laidOut())) {
            walked += text.colour.b == 1 && text.colour.r == 1 ? text.text + "|" : "";
        }
        walked += steps(laidOut()).size() == all ? "\n" : "(+)\n";
    }
    EXPECT_EQ(walked, "x: start -1 is below minX 5:|  candidate plane x = 5 at t = 12|\n"
                      "y: start 0.5 is below minY 10:|  candidate plane y = 10 at t = 9.5|\n"
                      "z: start 0 is within [0, 0]: no candidate|\n"
                      "entry: x = 5 at t = 12, the largest t|\n"
                      "y = 12.5 at t = 12 is within [10, 25]|\n"
                      "z = 0 at t = 12 is within [0, 0]|\n"
                      "Collision at { X = 5.000000;|  Y = 12.500000; Z = 0.000000 }|(+)\n");
    nextStep(app);
    EXPECT_EQ(app.walkStep, -1);
    // Framed, the box, the start and its arrow head are in view; r puts the view back.
    frameScene(app);
    const FrameLayout framed = laidOut();
    EXPECT_TRUE(framed.startDot && framed.start.x > 0 && framed.start.y > 0);
    EXPECT_TRUE(framed.arrow && framed.arrowHead[0][0] < 640 && framed.arrowHead[0][1] < 480);
    const std::array<double, 4> box = {
        (app.scene.boxPlanes[3] - framed.view.originX) / framed.view.units,
        (app.scene.boxPlanes[4] - framed.view.originY) / framed.view.units};
    EXPECT_TRUE(box[0] < 640 && box[1] < 480);
    resetView(app);
    EXPECT_EQ(currentView(app).units, 30.0 / 480);
    // Narrower, a name keeps its value and a bracket stays whole.
    std::string narrow;
    for (const TextItem& text : steps(teach("--start 20 30 --dir 0.3 -1", 330, 480))) {
        narrow += text.text + "|";
    }
    EXPECT_EQ(narrow, "x: start 20 is above maxX 15:|  candidate plane x = 15|  at t = -16.666666|"
                      "y: start 30 is above maxY 25:|  candidate plane y = 25 at t = 5|"
                      "z: start 0 is within [0, 0]:|  no candidate|"
                      "entry: y = 25 at t = 5,|  the largest t|"
                      "x = 21.5 at t = 5 is above maxX 15:|  the ray misses the box|");
    // The slab view walks its axes, the overlap and the outcome; its bars lie along the
    // ray in each axis's colour; a start on the box's face says where the methods part.
    teach("--method slab");
    std::string slabWalk;
    for (int n = 0; n < 5; ++n) {
        nextStep(app);
        for (const TextItem& text : steps(laidOut())) {
            slabWalk += text.colour.b == 1 && text.colour.r == 1 ? text.text + "|" : "";
        }
    }
    EXPECT_EQ(slabWalk.substr(0, 70),
              "x: slab [5, 15]: t from 12 to 32|y: slab [10, 25]: t from 9.5 to 24.5|");
    // Its pieces, joined again at the spaces they broke at, are the whole line.
    std::string parted;
    for (const TextItem& text : steps(teach("--method slab --start 5 12 --dir 0 1"))) {
        parted += text.colour.g == 0.6f
                      ? (parted.empty() ? "" : " ") + text.text.substr(parted.empty() ? 0 : 2)
                      : "";
    }
    EXPECT_EQ(parted, "the methods disagree: candidate planes inside, slab test miss (a start on "
                      "a face plane with a zero direction component: 0 * inf is NaN)");
    app.teachingView = false;
}

// The slab view's bars as data, for a ray in every direction: each axis's interval of t
// along the ray in its colour, x on one side of the ray and y on the other, and the overlap
// on the ray itself.
TEST(Layout, TheSlabBars) {
    const char* const rays[] = {"--start 0 12 --dir 1 0",    "--start 25 12 --dir -1 0",
                                "--start 10 5 --dir 0 1",    "--start 10 28 --dir 0 -1",
                                "--start 0 5 --dir 1 1",     "--start 25 28 --dir -1 -1",
                                "--start 25 5 --dir -1 0.8", "--start 0 28 --dir 1 -0.9"};
    for (const char* line : rays) {
        const FrameLayout f = teach(line + std::string(" --method slab"));
        const double sx = f.start.x;
        const double sy = f.start.y;
        const double dx = app.scene.rayDir[0];
        const double dy = app.scene.rayDir[1];
        // Each bar's colour, and which side of the ray it lies on: -1, 0 (on it) or 1.
        std::vector<std::pair<float, int>> bars;
        for (const LineItem& l : f.lines) {
            const double side = dx * (l.y0 - sy) - dy * (l.x0 - sx);
            const double along = dx * (l.y1 - l.y0) - dy * (l.x1 - l.x0);
            if (l.width == 3.0f && std::abs(along) < 1e-6) {
                bars.emplace_back(l.colour.g, std::abs(side) < 1 ? 0 : side > 0 ? 1 : -1);
            }
        }
        const auto sideOf = [&](float green) {
            const auto bar = std::find_if(bars.begin(), bars.end(),
                                          [&](const auto& b) { return b.first == green; });
            return bar == bars.end() ? 2 : bar->second;
        };
        EXPECT_EQ(std::tuple(sideOf(0.55f), sideOf(0.75f), sideOf(1.0f)), std::tuple(1, -1, 0))
            << line;
    }
    app.teachingView = false;
}

// Details a learner reads the picture by: where labels, marks and the guide go, which side
// the steps take, what a failing check looks like, and what the wheel and the arrow head do.
TEST(Layout, TheDetailsALearnerReads) {
    const FrameLayout start = teach("");
    // The entry plane's label lies right of its line at x = 5 (80 px), inside the box.
    const auto label = std::find_if(start.teachingTexts.begin(), start.teachingTexts.end(),
                                    [](const TextItem& t) { return t.text == "x = 5, t = 12"; });
    ASSERT_NE(label, start.teachingTexts.end());
    EXPECT_GE(label->box.x0, 80);
    // Walked, a failing check's mark is red: y = 5 at t = 5 is not within [10, 25].
    teach("--start 0 5 --dir 1 0");
    int red = 0;
    for (app.walkStep = 0; app.walkStep < 8; ++app.walkStep) {
        for (const MarkItem& mark : laidOut().marks) {
            red += mark.colour.r == 1 && mark.colour.g < 0.5f && mark.colour.b < 0.5f ? 1 : 0;
        }
    }
    EXPECT_EQ(red, 1);
    // Where both sides of the box have room, the steps take the wider one: here the right.
    for (const TextItem& text :
         teach("--box 30 10 32 25 --start 0 12 --dir 1 0", 1400, 480).teachingTexts) {
        EXPECT_TRUE(text.role != TEXT_STEP || text.box.x0 >= 512) << text.text;
    }
    // The wheel keeps the scene point under the pointer where it is, off the middle row too.
    teach("");
    const auto under = [](int x, int y) {
        const View v = currentView(app);
        return std::array{v.originX + x * v.units, v.originY + (app.windowHeight - y) * v.units};
    };
    const auto point = under(100, 50);
    EXPECT_TRUE(pressPointer(app, 4, true, 100, 50));
    EXPECT_NE(currentView(app).units, 30.0 / 480);
    EXPECT_EQ(under(100, 50), point);
    // Aimed by its arrow head, a direction once normalised is the direction as given.
    const FrameLayout aimed = teach("--dir 3 4");
    const auto& head = aimed.arrowHead;
    const int hx = static_cast<int>((2 * head[0][0] + head[1][0] + head[2][0]) / 4);
    const int hy = 480 - static_cast<int>((2 * head[0][1] + head[1][1] + head[2][1]) / 4);
    ASSERT_TRUE(grabRay(app, hx, hy));
    moveRay(app, hx + 40, hy);
    releaseRay(app);
    EXPECT_EQ(givenDirection(app.scene), nullptr);
    app.teachingView = false;
}

// What pressing these keys writes on the console.
std::string typed(const std::string& keys) {
    char* text = nullptr;
    std::size_t size = 0;
    std::FILE* out = open_memstream(&text, &size);
    for (const char key : keys) {
        EXPECT_FALSE(pressKey(app, static_cast<unsigned char>(key), out))
            << key << ": nothing to draw";
    }
    std::fclose(out);
    std::string written(text, size);
    std::free(text);
    return written;
}

// Keys, drags and menu picks as every front end hands them over, with no window: keys, a drag
// with this button over two motions, and the box after it. Capitals and the menu's own
// letters do nothing; 25 px of travel is one unit, upwards or rightwards.
TEST(Controls, KeysDragsAndMenu) {
    createBox(app.scene);
    resetRay(app.scene);
    app.teachingView = false;
    app.selectedPlane = PLANE_NONE;
    const std::tuple<const char*, int, int, int, int, int, std::array<float, 4>> drags[] = {
        {"WDASHMmprnf\x1b", 0, 300, 300, 200, 100, {5, 10, 15, 25}}, // nothing selected
        {"w", 0, 300, 300, 300, 275, {5, 10, 15, 26}},
        {"a", 1, 100, 200, 150, 200, {7, 10, 15, 26}},
        {"d", 0, 100, 150, 100, 175, {7, 9, 15, 26}},
        {"s", 0, 200, 100, 175, 100, {7, 9, 14, 26}},
    };
    for (const auto& [keys, button, x0, y0, x1, y1, box] : drags) {
        EXPECT_EQ(typed(keys), "") << keys;
        EXPECT_FALSE(pressPointer(app, button, true, x0, y0));
        movePointer(app, (x0 + x1) / 2, (y0 + y1) / 2);
        movePointer(app, x1, y1);
        pressPointer(app, button, false, x1, y1);
        EXPECT_EQ((std::array{app.scene.boxPlanes[0], app.scene.boxPlanes[1],
                              app.scene.boxPlanes[3], app.scene.boxPlanes[4]}),
                  box)
            << keys;
    }
    const std::string help = transcript([](std::FILE*, std::FILE* out) { printHelp(out); }, "");
    EXPECT_EQ(typed("h") + "|", help);
    // Each menu entry in its place: a plane, the about line, help, or a dialogue to run.
    const std::tuple<int, int, int, int> picks[] = {
        {0, PLANE_TOP, 0, 0},     {1, PLANE_BOTTOM, 0, 0}, {2, PLANE_LEFT, 0, 0},
        {3, PLANE_RIGHT, 0, 0},   {4, PLANE_RIGHT, 0, 0},  {5, PLANE_RIGHT, 0, 'p'},
        {6, PLANE_RIGHT, 0, 'r'}, {8, PLANE_RIGHT, 1, 0},  {8, PLANE_RIGHT, 0, 0},
    };
    for (const auto& [entry, plane, about, dialogue] : picks) {
        EXPECT_EQ(pickMenuEntry(app, MENU_ENTRIES[entry].value, stdout), dialogue) << entry;
        EXPECT_EQ(std::pair(app.selectedPlane, app.aboutShown), std::pair(plane, about)) << entry;
    }
    EXPECT_EQ(transcript([](std::FILE*, std::FILE* out) { pickMenuEntry(app, 'h', out); }, ""),
              help);
}

// The frame's own outcome texts, and the first step the teaching view shows, if any.
std::string outcomeAndFirstStep(const FrameLayout& f) {
    std::string shown;
    for (const TextItem& text : f.texts) {
        shown += text.text.rfind("ray ", 0) == 0 ? "" : text.text + "|";
    }
    for (const TextItem& text : f.teachingTexts) {
        if (text.role == TEXT_STEP) {
            return shown + text.text.substr(0, text.text.find(':'));
        }
    }
    return shown;
}

// What each key changes in the frame as a whole, one after the other from a command line's
// scene: whether it redraws, the walk's step and the framed view after it, and the frame's
// outcome with its first step.
TEST(Controls, WhatEachKeyChangesInTheFrame) {
    const std::string hit = std::string(HIT_TEXT) + "|";
    const std::tuple<const char*, const char*, bool, int, bool, std::string> keys[] = {
        // The method key turns the whole frame to the other test, the walk to all its steps.
        {"--start 5 12 --dir 0 1", "c", true, -1, false, "No Intersection|"},
        {nullptr, "c", true, -1, false, "start point is inside box.|No Intersection|"},
        {"--explain --step 3", "c", true, -1, false, hit + "x"},
        {nullptr, "c", true, -1, false, hit + "x"},
        // The walk of the start-up scene's seven steps, and the framed view.
        {"--explain", "n", true, 0, false, hit + "x"},
        {nullptr, "n", true, 1, false, hit + "x"},
        {nullptr, "p", true, 0, false, hit + "x"},
        {nullptr, "p", true, -1, false, hit + "x"},
        {nullptr, "p", true, 6, false, hit + "x"},
        {nullptr, "f", true, 6, true, hit + "x"},
        {nullptr, "\x1b", true, -1, true, hit + "x"},
        {nullptr, "r", true, -1, false, hit + "x"},
        // Outside the teaching view, a plane key redraws nothing: nothing shows it.
        {"", "w", false, -1, false, hit},
        {nullptr, "n", false, -1, false, hit},
    };
    for (const auto& [line, key, redraws, step, framed, frame] : keys) {
        if (line != nullptr) {
            teach(line);
            app.teachingView = std::string(line).find("--explain") != std::string::npos;
        }
        const std::string before = outcomeAndFirstStep(laidOut());
        EXPECT_EQ(pressKey(app, static_cast<unsigned char>(key[0]), stdout), redraws) << key;
        EXPECT_EQ(std::pair(app.walkStep, app.viewMoved), std::pair(step, framed)) << key;
        EXPECT_EQ(outcomeAndFirstStep(laidOut()), frame) << key << " after " << before;
    }
    // The slab test's steps, after the method key.
    teach("--explain");
    pressKey(app, METHOD_KEY, stdout);
    const FrameLayout slab = laidOut();
    EXPECT_TRUE(std::any_of(slab.teachingTexts.begin(), slab.teachingTexts.end(),
                            [](const TextItem& t) { return t.text.rfind("x: slab", 0) == 0; }));
    app.teachingView = false;
    app.method = METHOD_CANDIDATE;
}

// The WebAssembly build writes numbers with printf and strtof alone: the same text as
// std::to_chars for every kind of float, and for twenty million random ones in four shards
// that run side by side.
class Shortest : public ::testing::TestWithParam<int> {};

TEST_P(Shortest, WithoutToChars) {
    std::vector<float> values = {0,      -0.0f,   NaN,          -NaN,  INF, -INF,
                                 1e-45f, -1e-45f, 1.2e-38f,     3e38f, 12,  9.5f,
                                 1e-5f,  0.001f,  123456789.0f, 1e7f,  1e8f};
    for (int e = -149; e < 128 && GetParam() == 0; ++e) {
        values.push_back(std::ldexp(1.0f, e)); // powers of two, where the gaps change
        values.push_back(std::nextafter(std::ldexp(1.0f, e), 0.0f));
        values.push_back(static_cast<float>(std::pow(10.0, e / 3)));
    }
    std::mt19937 rng(static_cast<unsigned>(GetParam()));
    for (int n = 0; n < 5000000; ++n) {
        const std::uint32_t bits = rng();
        float v = 0;
        std::memcpy(&v, &bits, sizeof v);
        values.push_back(v);
    }
    for (const float v : values) {
        ASSERT_EQ(shortestByPrintf(v), shortest(v)) << std::hexfloat << v;
    }
}
INSTANTIATE_TEST_SUITE_P(Shards, Shortest, ::testing::Range(0, 4));

// Twice the area of a polygon, by the shoelace formula.
double area(const std::array<Corner, 5>& corners, int count) {
    double sum = 0;
    for (int i = 0; i < count; ++i) {
        const Corner& a = corners[i];
        const Corner& b = corners[(i + 1) % count];
        sum += a.x * b.y - b.x * a.y;
    }
    return std::abs(sum);
}

TEST(Clip, BoxesAndSegments) {
    const Rect view = viewRegion(640, 480, 30);
    EXPECT_EQ(view.maxX - view.minX, 2001 * 40.0);
    EXPECT_EQ(view.maxY - view.minY, 2001 * 30.0);
    // A box, the part of it left and the colour at its centre. Whatever the box's size, its
    // pieces tile what is left of it, and meet the colour GL gives the quad's centre.
    const Rect r{0, 0, 40, 30};
    const std::tuple<std::array<double, 4>, double, std::array<double, 3>> boxes[] = {
        {{5, 10, 15, 25}, 2 * 150, {.5, .5, .5}},
        {{-1e12, -1e12, 1e12, 1e12}, 2 * 1200, {.5, .5, .5}},
        {{-3.4e38, -3.4e38, 3.4e38, 3.3e38}, 2 * 1200, {.5, .5, .5}},
        {{15, 10, 5, 25}, 2 * 150, {.5, .5, .5}}, // crossed
        {{5, 10, 5, 25}, 0, {}},                  // no width
        {{50, 10, 60, 25}, 0, {}},                // beside the region
    };
    for (const auto& [box, twiceArea, centre] : boxes) {
        const BoxPieces pieces = clipBox(r, box[0], box[1], box[2], box[3]);
        double total = 0;
        for (int t = 0; t < 2; ++t) {
            total += area(pieces.corners[t], pieces.count[t]);
            for (int i = 0; i < pieces.count[t]; ++i) {
                const Corner& c = pieces.corners[t][i];
                EXPECT_TRUE(c.x >= 0 && c.x <= 40 && c.y >= 0 && c.y <= 30) << box[0];
                for (const double channel : c.rgb) {
                    EXPECT_TRUE(channel >= -1e-9 && channel <= 1 + 1e-9) << box[0];
                }
            }
        }
        EXPECT_NEAR(total, twiceArea, 1e-6) << box[0];
        if (box[2] == 15) {
            // Uncut, the second piece is red, blue and yellow: blue at the far corner.
            const Corner& blue = pieces.corners[1][1];
            EXPECT_EQ((std::array{blue.x, blue.y}), (std::array{box[2], box[3]}));
            EXPECT_EQ(blue.rgb, (std::array<double, 3>{0, 0, 1}));
        }
    }
    // Segments: the ends given, and the ends left, or none.
    const std::pair<std::array<double, 4>, std::array<double, 4>> segments[] = {
        {{-1, .5, 5, 12.5}, {0, 2.5, 5, 12.5}},
        {{-3.4e38, -3.4e38, 5, 5}, {0, 0, 5, 5}},
        {{20, 1, 20, 3.4e38}, {20, 1, 20, 30}},
        {{10, 10, 20, 20}, {10, 10, 20, 20}},
        {{-10, 40, 50, 40}, {}},
        {{-10, -1, 50, -1e-9}, {}},
    };
    for (const auto& [given, left] : segments) {
        double a[2] = {given[0], given[1]};
        double b[2] = {given[2], given[3]};
        const bool kept = clipSegment(r, a, b);
        EXPECT_EQ(kept, (left != std::array<double, 4>{})) << given[0];
        if (kept) {
            EXPECT_EQ((std::array{a[0], a[1], b[0], b[1]}), left) << given[0];
        }
    }
}

} // namespace
