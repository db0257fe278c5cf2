// The program's command line: a scene to start on, a snapshot to take, or the usage text.
#pragma once

#include "app/scenes.h"
#include "app/shown_word.h"
#include "app/state.h"

#include <cstdio>
#include <cstdlib>
#include <string>

// GLUT's -geometry option as X spells it, [=][WIDTHxHEIGHT][{+-}X{+-}Y]. A size keeps its
// digits as typed, for messages, and its value, which stops growing past what any window
// could be.
struct Geometry {
    bool hasSize = false;
    bool hasPlace = false;
    std::string typedWidth;
    std::string typedHeight;
    long long width = 0;
    long long height = 0;
};

// Reads a -geometry value; false if it is malformed, has a size of 0, or an offset beyond
// an int.
bool parseGeometry(const std::string& text, Geometry& geometry);

// What the command line asks for. Numbers are only meaningful where their flag is set.
struct Options {
    bool help = false;
    bool version = false;
    bool about = false;
    bool print = false;                // answer on standard output, with no window
    bool explain = false;              // with print, the test's steps before the answer
    bool predict = false;              // the outcome held back until the learner has predicted it
    const NamedScene* scene = nullptr; // --scene NAME
    bool frame = false;                // the teaching view framed on the scene
    int step = 0; // the teaching view's walk at this step, from 1; 0 for all steps
    bool hasStart = false;
    bool hasDir = false;
    bool hasBox = false;
    float start[2] = {};
    float dir[2] = {};
    // minX, minY, maxX, maxY; or with six numbers minX, minY, minZ, maxX, maxY, maxZ.
    float box[6] = {};
    int boxNumbers = 4;
    // --view 3d, and its --turn: azimuth and elevation in degrees.
    bool view3d = false;
    bool hasTurn = false;
    float turn[2] = {};
    std::string snapshot;
    // --method: the method shown or answering, or with --rays both side by side; --methods.
    bool hasMethod = false;
    Method method{};
    bool bothMethods = false;
    bool listMethods = false;
    // --ray: the whole scene as twelve numbers, origin, direction, box min and max.
    bool hasRay = false;
    float ray[12] = {};
    // --rays FILE ("-" for standard input), its --jobs (0: one a core), --differ and
    // --classes; with --print, its --line N alone; --corpus.
    std::string rays;
    int jobs = 0;
    bool differ = false;
    bool classes = false;
    long line = 0;
    bool corpus = false;
    // --compare ANSWERS with --columns, --inside-as (-1: as the answers' kind), --ulps and
    // --expect.
    std::string compare;
    std::string columns;
    int insideAs = -1;
    int ulps = 0;
    bool hasExpect = false;
    Method expect{};
    Geometry geometry; // from GLUT's -geometry option
    // The value of GLUT's -display option; empty when DISPLAY names the display.
    std::string display;
    // Why the command line was refused, naming the offending word; empty if it was not.
    std::string error;
};

// Reads the options that follow the program name. GLUT's own X options (-display and
// the rest) are passed over, so that glutInit can still take them. Parsing stops at the
// first refusal or at --help.
Options parseOptions(int argc, const char* const* argv);

// Writes what the options ask for into the state: the scene over what it holds, the about
// line, the teaching view with its framing and step.
void applyOptions(const Options& options, AppState& state);

// Refuses options that make no sense together, naming one of them; the first of GLUT's
// options given, if any, needs a window.
Options refuseCombinations(Options& options, const std::string& glutOption);

// For --print: runs the method on the start-up scene with the options applied, or the ray
// of --ray, or line N of --rays, and writes its outcome, after its steps with --explain, one
// line each. A line that cannot be read is said on err; false then.
bool printAnswer(const Options& options, std::FILE* out, std::FILE* err = stderr);

// Flushes the program's own output. If it could not be written, says so on standard error
// and returns 1; otherwise 0, also when its reader has gone and the rest is not wanted.
int finishOutput(std::FILE* out);

// Writes text at once and flushes it, by the rule of finishOutput: a failed write is seen
// with its cause however long the text is.
int writeOutput(std::FILE* out, const std::string& text);

// What write writes to the stream it is given, as text.
template <typename Write> std::string written(Write write) {
    char* text = nullptr;
    std::size_t size = 0;
    std::FILE* out = open_memstream(&text, &size);
    write(out);
    std::fclose(out);
    std::string result(text, size);
    std::free(text);
    return result;
}

// The --version text: the program's name and version, then its licence.
void printVersion(std::FILE* out);

// The --help text: what the program is, its options, keys, menu and drag rule.
void printUsage(std::FILE* out);

// The --methods text: every method's name, a line each.
void printMethods(std::FILE* out);
