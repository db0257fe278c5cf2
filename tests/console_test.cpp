// --print and its steps for the scenes a learner meets, the console dialogue as transcripts
// of scripted input, the number rule and the command line's -geometry.
#include "app/shown_word.h"
#include "tests/app_support.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <tuple>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

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
        // The exact answer, and where rounding the entry point first decides otherwise.
        {"--print --explain --method exact --start -6 0.5 --dir 1 0.3 --box -1 1 -1 2",
         "exactly y = 2.0000000596 > 2 at t = 5: rounded to float first, it would be 2, within "
         "[1, 2]"},
        {"--print --explain --start -6 0.5 --dir 1 0.3 --box -1 1 -1 2",
         "the methods disagree: candidate planes hit at t = 5, slab test hit at t = 5, the exact "
         "answer miss (rounding: exactly y = 2.0000000596 > 2, but the candidate planes check it "
         "rounded to float)"},
        {"--print --explain --start 3.4e38 3.4e38 --dir -1 -1",
         "the methods disagree: candidate planes miss, slab test hit at t = 3.4e+38 at (0, 0, 0), "
         "the exact answer hit at t = 3.4e+38 (t too large for a float: at t = 3.4e+38 its last "
         "bit moves the ray further than the box is wide)"},
        {"--print --explain --method slab --start -3.4e38 12 --dir 1 0",
         "its entry point (0, 12, 0) lies outside the box"},
        {"--print --explain --method slab --ray -1,12,0,1,nan,0,5,10,0,15,25,0",
         "its entry point (5, nan, 0) has a coordinate that is not a number"},
        {"--print --explain --method slab+div+strict --ray 10,0,0,1,1,0,5,5,0,15,15,0",
         "overlap: t from 5 to 5: a single point, and < asks for more: the ray misses the box"},
        {"--print --method exact --ray 0,0,0,1,1,1,5,5,5,15,15,15",
         "Collision at { X = 5.000000; Y = 5.000000; Z = 5.000000 }"},
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

// A line of a file of rays, explained as --ray would be; a line with no ray there, said.
TEST(Print, ALineOfAFileOfRays) {
    const std::string path = ::testing::TempDir() + "rays-" + std::to_string(getpid());
    std::FILE* file = std::fopen(path.c_str(), "w");
    std::fputs("# origin, direction, box\n10 20 0 1 0 0 5 10 0 15 25 0\n"
               "-1,12,0,1,0,0,5,10,0,15,25,0,a line of the corpus, with its class\n",
               file);
    std::fclose(file);
    EXPECT_EQ(printed("--print --rays " + path + " --line 3"),
              "Collision at { X = 5.000000; Y = 12.000000; Z = 0.000000 }\n");
    for (const auto& [line, said] : {std::pair{"1", "line 1 of '" + path + "' holds no ray"},
                                     std::pair{"4", "'" + path + "' has no line 4"}}) {
        const std::string err = written([&](std::FILE* out) {
            EXPECT_FALSE(
                printAnswer(parse("--print --rays " + path + " --line " + line), stdout, out));
        });
        EXPECT_EQ(err, "ray-box-collision: " + said + "\n");
    }
    std::remove(path.c_str());
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

} // namespace
