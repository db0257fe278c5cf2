// The console dialogue's exact output and its effect on the ray, against scripted input.
#include "console.h"
#include "scene.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>

namespace {

const std::string START_INTRO = "ray data- config\n"
                                "in the parenthess i give you 'safe' values\n"
                                "if you can't seem to hit a collision, it might because of your\n"
                                "direction. mess with the box values\n"
                                "*** Start position \n";
const std::string DIRECTION_INTRO = "this data should be entered in unit circle cordinates [-1,1]\n"
                                    "if i not, i normalize them ;-)\n"
                                    "please enter direction coords\n";

// Runs one dialogue on the given input and returns what it wrote.
std::string converse(void (*dialogue)(std::FILE*, std::FILE*), const std::string& input) {
    std::string in = input;
    // fmemopen refuses an empty buffer; an empty input is /dev/null.
    std::FILE* inStream =
        in.empty() ? std::fopen("/dev/null", "r") : fmemopen(in.data(), in.size(), "r");
    char* text = nullptr;
    std::size_t size = 0;
    std::FILE* outStream = open_memstream(&text, &size);
    dialogue(inStream, outStream);
    std::fclose(outStream);
    std::fclose(inStream);
    std::string result(text, size);
    std::free(text);
    return result;
}

class Console : public ::testing::Test {
  protected:
    void SetUp() override {
        resetRay();
    }
    void expectDirection(float x, float y) {
        EXPECT_EQ(rayDir[0], x);
        EXPECT_EQ(rayDir[1], y);
        EXPECT_EQ(rayDir[2], 0.0f);
    }
};

TEST_F(Console, HelpText) {
    EXPECT_EQ(converse([](std::FILE*, std::FILE* out) { printHelp(out); }, ""),
              "see menu ala' right click;)\n"
              "if your to lazy {w,s,a,d} will modify the planes\n"
              "for the input routines, are *not* robust. They will break if you try to be "
              "clever\n"
              "only numbers like 1.234, etc..\n");
}

TEST_F(Console, DirectionOutsideTheUnitSquareIsNormalised) {
    EXPECT_EQ(converse(promptRayDirection, "2\n0\n"),
              DIRECTION_INTRO + "x = y = after normalize = 1.000000 0.000000\n"
                                "coords are 1.000000 0.000000\n");
    expectDirection(1.0f, 0.0f);

    EXPECT_EQ(converse(promptRayDirection, "3\n4\n"),
              DIRECTION_INTRO + "x = y = after normalize = 0.600000 0.800000\n"
                                "coords are 0.600000 0.800000\n");
    expectDirection(0.6f, 0.8f);

    converse(promptRayDirection, "-0.5 -7\n");
    EXPECT_NEAR(rayDir[0] * rayDir[0] + rayDir[1] * rayDir[1], 1.0f, 1e-6f);
    EXPECT_LT(rayDir[0], 0.0f);
}

TEST_F(Console, DirectionInsideTheUnitSquareStaysAsTyped) {
    EXPECT_EQ(converse(promptRayDirection, "0.5\n-0.25\n"),
              DIRECTION_INTRO + "x = y = coords are 0.500000 -0.250000\n");
    expectDirection(0.5f, -0.25f);

    EXPECT_EQ(converse(promptRayDirection, "1\n1\n"),
              DIRECTION_INTRO + "x = y = coords are 1.000000 1.000000\n");
    expectDirection(1.0f, 1.0f);
}

TEST_F(Console, BothAnswersOnOneLine) {
    EXPECT_EQ(converse(promptRayDirection, "3 4\n"),
              DIRECTION_INTRO + "x = y = after normalize = 0.600000 0.800000\n"
                                "coords are 0.600000 0.800000\n");
    EXPECT_EQ(converse(promptRayStart, "  10\t20"), START_INTRO + "x(0 - 35) = y(0 -25) = ");
    EXPECT_EQ(rayStart[0], 10.0f);
    EXPECT_EQ(rayStart[1], 20.0f);
}

TEST_F(Console, BadWordsKeepTheValueAndDropTheirLine) {
    // "1.5abc" is rejected and "7" after it on the same line is dropped; "nan" on the
    // next line is rejected too.
    EXPECT_EQ(converse(promptRayDirection, "1.5abc 7\nnan\n"),
              DIRECTION_INTRO + "x = not a number, keeping 0.500000\n"
                                "y = not a number, keeping 1.000000\n"
                                "coords are 0.500000 1.000000\n");
    expectDirection(0.5f, 1.0f);

    for (const char* bad : {"abc", "inf", "-inf", "1e99", "--3", ".", "1,5"}) {
        SCOPED_TRACE(bad);
        resetRay();
        const std::string out = converse(promptRayStart, std::string(bad) + " 99\n12\n");
        EXPECT_EQ(out, START_INTRO + "x(0 - 35) = not a number, keeping -1.000000\ny(0 -25) = ");
        EXPECT_EQ(rayStart[0], -1.0f);
        EXPECT_EQ(rayStart[1], 12.0f);
    }

    // What strtof reads as a number is a number, hexadecimal and exponents included.
    converse(promptRayStart, "0x10 2.5e1\n");
    EXPECT_EQ(rayStart[0], 16.0f);
    EXPECT_EQ(rayStart[1], 25.0f);
}

TEST_F(Console, EndOfInputKeepsTheRestAndDoesNotWait) {
    EXPECT_EQ(converse(promptRayDirection, "0.25"),
              DIRECTION_INTRO + "x = y = coords are 0.250000 1.000000\n");
    expectDirection(0.25f, 1.0f);

    // A first answer outside [-1, 1] is still normalised with the kept y.
    converse(promptRayDirection, "4\n");
    expectDirection(static_cast<float>(4 / std::sqrt(17.0)),
                    static_cast<float>(1 / std::sqrt(17.0)));

    resetRay();
    EXPECT_EQ(converse(promptRayStart, ""), START_INTRO + "x(0 - 35) = y(0 -25) = ");
    EXPECT_EQ(rayStart[0], -1.0f);
    EXPECT_EQ(rayStart[1], 0.5f);
}

TEST(Normalize2, ScalesXAndYOnlyInDouble) {
    float v[3] = {3.0f, 4.0f, 7.0f};
    normalize2(v);
    EXPECT_EQ(v[0], 0.6f);
    EXPECT_EQ(v[1], 0.8f);
    EXPECT_EQ(v[2], 7.0f);
    // Large components square past float's range; the length is taken in double.
    float big[3] = {3e30f, 4e30f, 0.0f};
    normalize2(big);
    EXPECT_FLOAT_EQ(big[0], 0.6f);
    EXPECT_FLOAT_EQ(big[1], 0.8f);
}

} // namespace
