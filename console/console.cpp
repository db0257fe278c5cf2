// Console help and the prompts that read the ray from standard input.
#include "console.h"

#include "scene.h"

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <string>

namespace {

// The longest word read as a number: far more than any float needs.
constexpr std::size_t LONGEST_WORD = 128;

// Writes a prompt and makes sure it is seen before the program waits for input.
void say(std::FILE* out, const char* text) {
    std::fputs(text, out);
    std::fflush(out);
}

// Discards what is left of the current input line.
void skipLine(std::FILE* in) {
    int c = std::fgetc(in);
    while (c != EOF && c != '\n') {
        c = std::fgetc(in);
    }
}

// Reads the next whitespace-separated word into value. At the end of input the value
// stays as it is; a word that is not a number is reported, and the rest of its line is
// dropped so that the next prompt starts on fresh input.
void readValue(std::FILE* in, std::FILE* out, float& value) {
    int c = std::fgetc(in);
    while (c != EOF && std::isspace(c)) {
        c = std::fgetc(in);
    }
    if (c == EOF) {
        return;
    }
    // A word longer than any number is not one; its bytes are dropped as they come, so
    // endless input without a space cannot make the word grow without bound.
    std::string word;
    bool tooLong = false;
    while (c != EOF && !std::isspace(c)) {
        if (word.size() < LONGEST_WORD) {
            word.push_back(static_cast<char>(c));
        } else {
            tooLong = true;
        }
        c = std::fgetc(in);
    }
    if (c != EOF && c != '\n') {
        std::ungetc(c, in);
    }
    if (tooLong || !parseNumber(word, value)) {
        std::fprintf(out, "not a number, keeping %f\n", static_cast<double>(value));
        if (c != '\n') {
            skipLine(in);
        }
    }
}

// Lets a terminal user who ended input once answer later prompts again.
void beginDialogue(std::FILE* in) {
    std::clearerr(in);
}

} // namespace

// The whole word must convert: strtof stops at a NUL byte as it would at the word's end,
// so the end it reports is compared with the word's real length. An overflow comes back
// from strtof as infinity, so the finiteness test rejects it too.
bool parseNumber(const std::string& word, float& value) {
    const char* begin = word.c_str();
    char* end = nullptr;
    const float parsed = std::strtof(begin, &end);
    if (end == begin || end != begin + word.size() || !std::isfinite(parsed)) {
        return false;
    }
    value = parsed;
    return true;
}

void printHelp(std::FILE* out) {
    std::fputs("see menu ala' right click;)\n", out);
    std::fputs("if your to lazy {w,s,a,d} will modify the planes\n", out);
    std::fputs(
        "for the input routines, are *not* robust. They will break if you try to be clever\n", out);
    std::fputs("only numbers like 1.234, etc..\n", out);
    std::fflush(out);
}

void promptRayStart(std::FILE* in, std::FILE* out) {
    beginDialogue(in);
    std::fputs("ray data- config\n", out);
    std::fputs("in the parenthess i give you 'safe' values\n", out);
    std::fputs("if you can't seem to hit a collision, it might because of your\n"
               "direction. mess with the box values\n",
               out);
    std::fputs("*** Start position \n", out);
    say(out, "x(0 - 35) = ");
    readValue(in, out, rayStart[0]);
    say(out, "y(0 -25) = ");
    readValue(in, out, rayStart[1]);
    std::fflush(out);
}

void promptRayDirection(std::FILE* in, std::FILE* out) {
    beginDialogue(in);
    std::fputs("this data should be entered in unit circle cordinates [-1,1]\n", out);
    std::fputs("if i not, i normalize them ;-)\n", out);
    std::fputs("please enter direction coords\n", out);
    say(out, "x = ");
    readValue(in, out, rayDir[0]);
    say(out, "y = ");
    readValue(in, out, rayDir[1]);
    if (normalizeOutsideUnitSquare(rayDir)) {
        std::fprintf(out, "after normalize = %f %f\n", static_cast<double>(rayDir[0]),
                     static_cast<double>(rayDir[1]));
    }
    std::fprintf(out, "coords are %f %f\n", static_cast<double>(rayDir[0]),
                 static_cast<double>(rayDir[1]));
    std::fflush(out);
}

// Written as "not within" so that a NaN component also leads to normalisation.
bool normalizeOutsideUnitSquare(float v[3]) {
    const float x = v[0];
    const float y = v[1];
    if (x > 1.0f || !(x >= -1.0f) || !(y >= -1.0f) || y > 1.0f) {
        normalize2(v);
        return true;
    }
    return false;
}

void normalize2(float v[3]) {
    const double x = v[0];
    const double y = v[1];
    const double length = std::sqrt(x * x + y * y);
    v[0] = static_cast<float>(x / length);
    v[1] = static_cast<float>(y / length);
}

void printHelp() {
    printHelp(stdout);
}

void promptRayStart() {
    promptRayStart(stdin, stdout);
}

void promptRayDirection() {
    promptRayDirection(stdin, stdout);
}
