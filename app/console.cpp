// Console help and the prompts that read the ray from standard input.
#include "app/console.h"

#include "core/explain.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// The longest word read as a number: far more than any float needs.
constexpr std::size_t LONGEST_WORD = 128;

// Writes a prompt and makes sure it is seen before the program waits for input.
void say(std::FILE* out, const char* text) {
    std::fputs(text, out);
    std::fflush(out);
}

// What one question reads at most: a word that has not ended this far past the longest
// one kept (standard input from /dev/zero, say) never will, and the window waits meanwhile.
constexpr std::size_t QUESTION_BYTES = LONGEST_WORD + 4096;

// A dialogue's standard input. Once it has run past a question's bytes, its remaining
// questions keep their values and return at once, as at the end of the input.
struct Input {
    std::FILE* in;
    bool ended = false;
    // The byte read last, so that a cut knows whether it fell inside a line.
    int last = '\n';
};

// The next byte of input for the question that has read used bytes so far; EOF once the
// input or the question's allowance has run out. The rest of a line cut there belongs to
// no later question, and is dropped as far as one more allowance reaches.
int nextByte(Input& input, std::size_t& used) {
    if (used++ == QUESTION_BYTES) {
        input.ended = true;
        for (std::size_t n = 0; input.last != '\n' && input.last != EOF && n < QUESTION_BYTES;
             ++n) {
            input.last = std::fgetc(input.in);
        }
    }
    if (input.ended) {
        return EOF;
    }
    input.last = std::fgetc(input.in);
    return input.last;
}

// Reads the next whitespace-separated word into value. At the end of input the value
// stays as it is; a word that is not a number is reported, and the rest of its line is
// dropped so that the next prompt starts on fresh input.
void readValue(Input& input, std::FILE* out, float& value) {
    std::size_t used = 0;
    int c = nextByte(input, used);
    while (c != EOF && std::isspace(c)) {
        c = nextByte(input, used);
    }
    if (c == EOF) {
        return;
    }
    // A word longer than any number is not one; its bytes are dropped as they come, so
    // endless input without a space cannot make the word grow without bound.
    std::string word;
    while (c != EOF && !std::isspace(c)) {
        if (word.size() <= LONGEST_WORD) {
            word.push_back(static_cast<char>(c));
        }
        c = nextByte(input, used);
    }
    if (c != EOF && c != '\n') {
        std::ungetc(c, input.in);
    }
    // A word cut by the allowance is not the word that was typed.
    const NumberCheck check =
        word.size() > LONGEST_WORD || input.ended ? NUMBER_NOT_DECIMAL : parseNumber(word, value);
    if (check != NUMBER_OK) {
        std::fprintf(out, "%s\n", refusalWords(check, value).c_str());
        // The rest of the line, which the word may have been cut from.
        while (c != EOF && c != '\n') {
            c = nextByte(input, used);
        }
    }
}

// A dialogue's input. A terminal user who ended input once may answer later prompts again.
Input beginDialogue(std::FILE* in) {
    std::clearerr(in);
    return Input{in};
}

} // namespace

NumberCheck parseNumber(const std::string& word, float& value) {
    std::size_t i = 0;
    // Takes one character of the set, if the next one is; a NUL byte is never taken.
    const auto one = [&](const char* set) {
        const bool taken =
            i < word.size() && word[i] != '\0' && std::strchr(set, word[i]) != nullptr;
        i += taken ? 1 : 0;
        return taken;
    };
    const auto digits = [&] {
        std::size_t n = 0;
        while (one("0123456789")) {
            ++n;
        }
        return n;
    };
    one("+-");
    const std::size_t mantissa = i;
    std::size_t count = digits();
    if (one(".")) {
        count += digits();
    }
    // A value that comes out as 0 from digits other than 0 has underflowed.
    const bool zero = word.find_first_of("123456789", mantissa) >= i;
    if (count > 0 && one("eE")) {
        one("+-");
        count = digits() > 0 ? count : 0;
    }
    if (count == 0 || i != word.size()) {
        return NUMBER_NOT_DECIMAL;
    }
    const float parsed = std::strtof(word.c_str(), nullptr);
    if (!std::isfinite(parsed) || (parsed == 0.0f && !zero)) {
        return NUMBER_OUT_OF_RANGE;
    }
    value = parsed;
    return NUMBER_OK;
}

std::string refusalWords(NumberCheck check, float kept, bool shortestForm) {
    char number[64];
    std::snprintf(number, sizeof number, "%f", static_cast<double>(kept));
    return std::string(check == NUMBER_OUT_OF_RANGE ? "out of range" : "not a number") +
           ", keeping " + (shortestForm ? shortest(kept) : std::string(number));
}

void printHelp(std::FILE* out) {
    std::fputs("see menu ala' right click;)\n", out);
    std::fputs("if your to lazy {w,s,a,d} will modify the planes\n", out);
    std::fputs(
        "for the input routines, are *not* robust. They will break if you try to be clever\n", out);
    std::fputs("only numbers like 1.234, etc..\n", out);
    std::fflush(out);
}

void promptRayStart(Scene& scene, std::FILE* in, std::FILE* out) {
    Input input = beginDialogue(in);
    std::fputs("ray data- config\n", out);
    std::fputs("in the parenthess i give you 'safe' values\n", out);
    std::fputs("if you can't seem to hit a collision, it might because of your\n"
               "direction. mess with the box values\n",
               out);
    std::fputs("*** Start position \n", out);
    say(out, "x(0 - 35) = ");
    readValue(input, out, scene.rayStart[0]);
    say(out, "y(0 -25) = ");
    readValue(input, out, scene.rayStart[1]);
    std::fflush(out);
}

void promptRayDirection(Scene& scene, std::FILE* in, std::FILE* out) {
    Input input = beginDialogue(in);
    std::fputs("this data should be entered in unit circle cordinates [-1,1]\n", out);
    std::fputs("if i not, i normalize them ;-)\n", out);
    std::fputs("please enter direction coords\n", out);
    say(out, "x = ");
    readValue(input, out, scene.rayDir[0]);
    say(out, "y = ");
    readValue(input, out, scene.rayDir[1]);
    if (takeGivenDirection(scene)) {
        std::fprintf(out, "after normalize = %f %f\n", static_cast<double>(scene.rayDir[0]),
                     static_cast<double>(scene.rayDir[1]));
    }
    std::fprintf(out, "coords are %f %f\n", static_cast<double>(scene.rayDir[0]),
                 static_cast<double>(scene.rayDir[1]));
    std::fflush(out);
}

bool takeGivenDirection(Scene& scene) {
    scene.rayDirGiven[0] = scene.rayDir[0];
    scene.rayDirGiven[1] = scene.rayDir[1];
    scene.rayDirNormalised = normalizeOutsideUnitSquare(scene.rayDir) ? 1 : 0;
    return scene.rayDirNormalised == 1;
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

void promptRayStart(Scene& scene) {
    promptRayStart(scene, stdin, stdout);
}

void promptRayDirection(Scene& scene) {
    promptRayDirection(scene, stdin, stdout);
}
