// Command-line options, parsed before any window opens, and the usage text.
#include "app/options.h"

#include "app/console.h"
#include "app/layout.h"
#include "app/scene.h"
#include "core/explain.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <utility>
#include <vector>

namespace {

// Number of words after one of GLUT's X options, or -1 if the word is not one.
int glutOptionValues(const std::string& word) {
    if (word == "-display" || word == "-geometry") {
        return 1;
    }
    const auto flags = {"-direct", "-indirect", "-iconic", "-gldebug", "-sync"};
    return std::find(flags.begin(), flags.end(), word) != flags.end() ? 0 : -1;
}

// Whether a word is one of the program's or GLUT's option words.
bool isOptionWord(const std::string& word) {
    const auto own = {"--start",   "--dir",   "--box",    "--about", "--snapshot", "--print",
                      "--explain", "--frame", "--step",   "--help",  "--version",  "--method",
                      "--rays",    "--jobs",  "--differ", "--corpus"};
    return glutOptionValues(word) >= 0 || std::find(own.begin(), own.end(), word) != own.end();
}

// Refuses the command line, saying why in the parts given.
template <typename... Parts> Options refuse(Options& options, const Parts&... why) {
    (options.error += ... += why);
    return options;
}

} // namespace

bool parseGeometry(const std::string& text, Geometry& geometry) {
    // Past this many, digits change nothing: no screen or GL is that large.
    constexpr long long LARGEST = 1LL << 40;
    std::size_t i = text.rfind('=', 0) == 0 ? 1 : 0;
    const auto number = [&](std::string& typed, long long& value) {
        const std::size_t from = i;
        value = 0;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
            value = std::min(LARGEST, value * 10 + (text[i++] - '0'));
        }
        typed = text.substr(from, i - from);
        return i > from;
    };
    Geometry read;
    if (i < text.size() && text[i] != '+' && text[i] != '-') {
        if (!number(read.typedWidth, read.width) || i == text.size() ||
            (text[i] != 'x' && text[i] != 'X')) {
            return false;
        }
        ++i;
        if (!number(read.typedHeight, read.height) || read.width == 0 || read.height == 0) {
            return false;
        }
        read.hasSize = true;
    }
    if (i < text.size()) {
        for (int k = 0; k < 2; ++k) {
            std::string typed;
            long long value = 0;
            if (i == text.size() || (text[i] != '+' && text[i] != '-')) {
                return false;
            }
            ++i;
            if (!number(typed, value) || value > INT_MAX) {
                return false;
            }
        }
        read.hasPlace = true;
    }
    if (!read.hasSize && !read.hasPlace) {
        return false;
    }
    geometry = read;
    return true;
}

// Refuses what cannot go with --rays or --corpus, which answer alone, naming one of them.
Options refuseOracleCombinations(Options& options, const std::string& glutOption) {
    const bool corpus = options.corpus;
    const std::pair<bool, const char*> others[] = {
        {options.print, "'--print'"},
        {!options.snapshot.empty(), "'--snapshot'"},
        {options.about, "'--about'"},
        {options.explain, "'--explain'"},
        {options.hasStart, "'--start'"},
        {options.hasDir, "'--dir'"},
        {options.hasBox, "'--box'"},
        {!glutOption.empty(), "a window's option"},
        {corpus && !options.rays.empty(), "'--rays'"},
        {corpus && options.hasMethod, "'--method'"},
        {corpus && options.jobs > 0, "'--jobs'"},
        {corpus && options.differ, "'--differ'"},
    };
    for (const auto& [given, word] : others) {
        if (given) {
            return refuse(options, "option '", corpus ? "--corpus" : "--rays", "' cannot go with ",
                          word);
        }
    }
    if (options.differ && !options.bothMethods) {
        return refuse(options, "option '--differ' needs '--method both'");
    }
    return options;
}

// Refuses options that make no sense together, naming one of them.
Options refuseCombinations(Options& options, const std::string& glutOption) {
    if (options.corpus || !options.rays.empty()) {
        return refuseOracleCombinations(options, glutOption);
    }
    for (const auto& [given, word] :
         {std::pair{options.jobs > 0, "--jobs"}, std::pair{options.differ, "--differ"},
          std::pair{options.bothMethods, "--method both"}}) {
        if (given) {
            return refuse(options, "option '", word, "' needs '--rays'");
        }
    }
    // The walk and the framed view belong to the teaching view in the window.
    for (const auto& [given, word] :
         {std::pair{options.frame, "--frame"}, std::pair{options.step > 0, "--step"}}) {
        if (given && (!options.explain || options.print)) {
            return refuse(options, "option '", word, "' needs '--explain' and a window");
        }
    }
    if (!options.print) {
        return options;
    }
    if (!options.snapshot.empty()) {
        return refuse(options, "option '--snapshot' cannot go with '--print'");
    }
    if (options.about) {
        return refuse(options, "option '--about' cannot go with '--print': there is no window "
                               "to show its line in");
    }
    if (!glutOption.empty()) {
        return refuse(options, "option '", glutOption, "' cannot go with '--print'");
    }
    return options;
}

namespace {

// Reads the word after an option as a whole number from 1 to most into value and moves i
// past it; false if it is none, with the reason, naming what it counts, in the options.
bool takeCount(Options& options, const std::string& word, const char* counted, int most, int argc,
               const char* const* argv, int& i, int& value) {
    float number = 0;
    const std::string typed = i + 1 < argc ? argv[++i] : "";
    if (parseNumber(typed, number) != NUMBER_OK || number < 1 ||
        number > static_cast<float>(most) ||
        number != static_cast<float>(static_cast<int>(number))) {
        refuse(options, "option '", word, "' needs ", counted, " from 1 to ", std::to_string(most),
               ", not '", shownWord(typed), "'");
        return false;
    }
    value = static_cast<int>(number);
    return true;
}

// Reads the words that follow an option (a file name, a step, numbers) into the options and
// moves i past them; false if they are refused, with the reason in the options.
bool takeValues(Options& options, const std::string& word, int argc, const char* const* argv,
                int& i) {
    if (word == "--snapshot") {
        if (i + 1 >= argc || argv[i + 1][0] == '\0') {
            refuse(options, "option '--snapshot' needs a file name");
            return false;
        }
        options.snapshot = argv[++i];
        if (isOptionWord(options.snapshot)) {
            refuse(options, "option '--snapshot' needs a file name, not the option '",
                   options.snapshot, "' (for a file of that name, write './", options.snapshot,
                   "')");
            return false;
        }
    }
    if (word == "--method") {
        const std::string value = i + 1 < argc ? argv[++i] : "";
        if (value != "candidate" && value != "slab" && value != "both") {
            refuse(options, "option '--method' needs candidate, slab or both, not '",
                   shownWord(value), "'");
            return false;
        }
        options.method = value == "slab" ? METHOD_SLAB : METHOD_CANDIDATE;
        options.bothMethods = value == "both";
    }
    if (word == "--rays") {
        if (i + 1 >= argc || argv[i + 1][0] == '\0') {
            refuse(options, "option '--rays' needs a file name, or - for standard input");
            return false;
        }
        options.rays = argv[++i];
    }
    if (word == "--jobs" &&
        !takeCount(options, word, "a number of jobs", 1024, argc, argv, i, options.jobs)) {
        return false;
    }
    if (word == "--step" &&
        !takeCount(options, word, "a step number", 99, argc, argv, i, options.step)) {
        return false;
    }
    float* const numbers = word == "--start" ? options.start
                           : word == "--dir" ? options.dir
                           : word == "--box" ? options.box
                                             : nullptr;
    if (numbers == nullptr) {
        return true;
    }
    const int count = word == "--box" ? 4 : 2;
    for (int k = 0; k < count; ++k) {
        if (i + 1 >= argc) {
            refuse(options, "option '", word, "' needs ", std::to_string(count), " numbers");
            return false;
        }
        const std::string value = argv[++i];
        const NumberCheck check = parseNumber(value, numbers[k]);
        if (check != NUMBER_OK) {
            refuse(options, "option '", word, "': '", shownWord(value),
                   check == NUMBER_OUT_OF_RANGE ? "' is out of a float's range"
                                                : "' is not a decimal number");
            return false;
        }
    }
    return true;
}

} // namespace

Options parseOptions(int argc, const char* const* argv) {
    Options options;
    std::vector<std::string> seen;
    std::string glutOption; // the first of GLUT's options, which need a window
    for (int i = 1; i < argc; ++i) {
        const std::string word = argv[i];
        const int glutValues = glutOptionValues(word);
        if (glutValues >= 0) {
            if (i + glutValues >= argc) {
                return refuse(options, "option '", word, "' needs a value");
            }
            if (word == "-display") {
                options.display = argv[i + 1];
            }
            if (word == "-geometry" && !parseGeometry(argv[i + 1], options.geometry)) {
                return refuse(options, "option '-geometry': '", shownWord(argv[i + 1]),
                              "' is not a geometry such as 640x480, +10+20 or 640x480-0+0");
            }
            glutOption = glutOption.empty() ? word : glutOption;
            i += glutValues;
            continue;
        }
        if (!isOptionWord(word)) {
            const bool option = word.rfind('-', 0) == 0;
            return refuse(options, option ? "unknown option '" : "unexpected argument '",
                          shownWord(word), "'");
        }
        if (std::find(seen.begin(), seen.end(), word) != seen.end()) {
            return refuse(options, "option '", word, "' given twice");
        }
        seen.push_back(word);
        // --help and --version answer at once; a refusal before them decides first.
        if (word == "--help" || word == "--version") {
            options.help = word == "--help";
            options.version = word == "--version";
            return options;
        }
        options.about = options.about || word == "--about";
        options.print = options.print || word == "--print";
        options.explain = options.explain || word == "--explain";
        options.frame = options.frame || word == "--frame";
        options.hasStart = options.hasStart || word == "--start";
        options.hasDir = options.hasDir || word == "--dir";
        options.hasBox = options.hasBox || word == "--box";
        options.hasMethod = options.hasMethod || word == "--method";
        options.differ = options.differ || word == "--differ";
        options.corpus = options.corpus || word == "--corpus";
        if (!takeValues(options, word, argc, argv, i)) {
            return options;
        }
    }
    return refuseCombinations(options, glutOption);
}

void applyOptions(const Options& options, AppState& state) {
    Scene& scene = state.scene;
    if (options.hasStart) {
        scene.rayStart[0] = options.start[0];
        scene.rayStart[1] = options.start[1];
    }
    if (options.hasDir) {
        scene.rayDir[0] = options.dir[0];
        scene.rayDir[1] = options.dir[1];
        takeGivenDirection(scene);
    }
    if (options.hasBox) {
        scene.boxPlanes[0] = options.box[0];
        scene.boxPlanes[1] = options.box[1];
        scene.boxPlanes[3] = options.box[2];
        scene.boxPlanes[4] = options.box[3];
    }
    if (options.about) {
        state.aboutShown = 1;
    }
    state.teachingView = options.explain;
    state.method = options.method;
    resetView(state);
    if (options.frame) {
        frameScene(state);
    }
    state.walkStep = options.step - 1;
}

int finishOutput(std::FILE* out) {
    errno = 0;
    // A reader that stopped reading, as in "--help | head -1", wanted no more.
    if ((std::fflush(out) == 0 && std::ferror(out) == 0) || errno == EPIPE) {
        return 0;
    }
    std::fprintf(stderr, "ray-box-collision: cannot write the output: %s\n",
                 errno != 0 ? std::strerror(errno) : "write error");
    return 1;
}

void printAnswer(const Options& options, std::FILE* out) {
    AppState state;
    applyOptions(options, state);
    const Scene& scene = state.scene;
    if (options.explain) {
        for (const std::string& line : sceneSteps(scene, options.method)) {
            std::fprintf(out, "%s\n", line.c_str());
        }
    } else if (options.method == METHOD_SLAB) {
        const SlabTestRecord slab = testSceneSlab(scene);
        std::fprintf(out, "%s\n", outcomeOf(slab.result, slab.hit).c_str());
    } else {
        std::fprintf(out, "%s\n", outcomeText(testScene(scene)).c_str());
    }
}

void printVersion(std::FILE* out) {
    std::fputs("ray-box-collision " RAYBOX_VERSION "\n"
               "Copyright (c) The ray-box collision authors.\n"
               "MIT License: free to use, copy, change and hand on, with no warranty.\n",
               out);
}

void printUsage(std::FILE* out) {
    std::fputs("Usage: ray-box-collision [OPTION]...\n"
               "An interactive demonstration of a ray meeting an axis-aligned box. The window\n"
               "shows the box, the outcome of a ray-box test (the hit point, \"No Intersection\"\n"
               "or that the ray starts inside the box) and the ray's start and direction.\n"
               "\n"
               "Options (decimal numbers such as 3, -0.5 or 1e-3 that a float can hold, not 0\n"
               "when written with other digits; z stays 0):\n"
               "  --start X Y                the ray's start point (default -1 0.5)\n"
               "  --dir X Y                  the ray's direction (default 0.5 1); normalised to\n"
               "                             unit length when a component lies outside [-1, 1]\n"
               "  --box MINX MINY MAXX MAXY  the box's left, bottom, right and top planes\n"
               "                             (default 5 10 15 25); crossed planes are allowed\n"
               "  --about                    start with the about line shown\n"
               "  --snapshot FILE.png        draw the first frame, save it as a PNG, print\n"
               "                             FILE.png and exit (needs a display)\n"
               "  --print                    print the outcome the window would show and exit,\n"
               "                             with no window and no display\n"
               "  --explain                  show the test's steps: where the start lies on each\n"
               "                             axis, the candidate planes and their distances t,\n"
               "                             the entry plane and the checks at the entry point;\n"
               "                             printed first with --print, else drawn in the\n"
               "                             window (or snapshot), where the pointer can also\n"
               "                             drag the ray's start dot and its arrow head\n"
               "  --frame                    with --explain in the window, frame the scene: the\n"
               "                             box, the start and the entry point in view\n"
               "  --step N                   with --explain in the window, show step N alone\n"
               "  --method candidate|slab    the test used: the candidate planes (the default)\n"
               "                             or the slab test; where the two disagree, the\n"
               "                             steps say so\n"
               "  --rays FILE                answer every ray in FILE (- for standard input),\n"
               "                             12 numbers a line (origin, direction, box min and\n"
               "                             max, each x y z; decimal, hex, inf or nan), as CSV;\n"
               "                             the direction is used as given\n"
               "  --method both              with --rays, both tests and whether they agree\n"
               "  --jobs N                   with --rays, N threads (default one a core)\n"
               "  --differ                   with --rays --method both, only disagreements\n"
               "  --corpus                   print rays that break ray-box tests, a class each\n"
               "  --help                     print this text and exit\n"
               "  --version                  print the version and licence and exit\n"
               "GLUT's own options, such as -display DISPLAY, are taken as well.\n"
               "\n"
               "Keys in the window: w, d, a and s select the top, bottom, left or right plane,\n"
               "and the arrow keys move it as a drag of one pixel would (ten with Shift);\n"
               "h prints help on the console; c turns from the candidate planes to the slab\n"
               "test and back. With --explain also: n and p walk the steps one\n"
               "at a time, Escape shows them all; f frames the scene, r returns to the usual\n"
               "view; the wheel zooms about the pointer.\n"
               "Drag with the left or middle button to move the selected plane: 25 pixels move it\n"
               "one unit; upwards raises top and bottom, rightwards moves left and right to the\n"
               "right. Planes may cross.\n"
               "The right button opens the menu: select a plane, change the ray's start point or\n"
               "direction (both asked for on the console), toggle the about line, print help.\n",
               out);
}
