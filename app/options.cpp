// Command-line options, read before any window opens: each word and the values it takes.
#include "app/options.h"

#include "app/console.h"
#include "app/ray_line.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
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

// The program's own option words.
constexpr const char* OWN[] = {"--start",   "--dir",     "--box",       "--about", "--snapshot",
                               "--print",   "--explain", "--frame",     "--step",  "--help",
                               "--version", "--method",  "--methods",   "--ray",   "--rays",
                               "--jobs",    "--differ",  "--classes",   "--line",  "--corpus",
                               "--compare", "--columns", "--inside-as", "--ulps",  "--expect",
                               "--scene",   "--predict", "--view",      "--turn"};

// Whether a word is one of the program's or GLUT's option words.
bool isOptionWord(const std::string& word) {
    return glutOptionValues(word) >= 0 || std::any_of(std::begin(OWN), std::end(OWN),
                                                      [&](const char* own) { return word == own; });
}

// Refuses the command line, saying why in the parts given.
template <typename... Parts> bool refuse(Options& options, const Parts&... why) {
    (options.error += ... += why);
    return false;
}

// Reads the word after an option as a whole number from least to most into value and moves
// i past it; false if it is none, with the reason, naming what it counts, in the options.
template <typename Whole>
bool takeWhole(Options& options, const std::string& word, const char* counted, long least,
               long most, int argc, const char* const* argv, int& i, Whole& value) {
    const std::string typed = i + 1 < argc ? argv[++i] : "";
    char* end = nullptr;
    const long number = std::strtol(typed.c_str(), &end, 10);
    if (typed.empty() || typed.find_first_not_of("0123456789") != std::string::npos ||
        typed.size() > 10 || number < least || number > most) {
        return refuse(options, "option '", word, "' needs ", counted, " from ",
                      std::to_string(least), " to ", std::to_string(most), ", not '",
                      shownWord(typed), "'");
    }
    value = static_cast<Whole>(number);
    return true;
}

// Reads a file's name after an option: never empty, never an option word.
bool takeFile(Options& options, const std::string& word, const char* orStandard, int argc,
              const char* const* argv, int& i, std::string& name) {
    if (i + 1 >= argc || argv[i + 1][0] == '\0') {
        return refuse(options, "option '", word, "' needs a file name", orStandard);
    }
    name = argv[++i];
    if (isOptionWord(name)) {
        return refuse(options, "option '", word, "' needs a file name, not the option '", name,
                      "' (for a file of that name, write './", name, "')");
    }
    return true;
}

// Reads a method's name after an option; "both" too where both is allowed.
bool takeMethod(Options& options, const std::string& word, int argc, const char* const* argv,
                int& i, Method& method, bool* both) {
    const std::string value = i + 1 < argc ? argv[++i] : "";
    if (both != nullptr && value == "both") {
        *both = true;
        return true;
    }
    if (!parseMethod(value, method)) {
        return refuse(options, "option '", word, "' needs a method (candidate, exact, slab or a ",
                      "slab variant that --methods lists", both != nullptr ? ", or both" : "",
                      "), not '", shownWord(value), "'");
    }
    return true;
}

// Reads the decimal numbers that follow --start, --dir or --box.
bool takeNumbers(Options& options, const std::string& word, int count, int argc,
                 const char* const* argv, int& i, float* numbers) {
    for (int k = 0; k < count; ++k) {
        if (i + 1 >= argc) {
            return refuse(options, "option '", word, "' needs ", std::to_string(count), " numbers");
        }
        const std::string value = argv[++i];
        const NumberCheck check = parseNumber(value, numbers[k]);
        if (check != NUMBER_OK) {
            return refuse(options, "option '", word, "': '", shownWord(value),
                          check == NUMBER_OUT_OF_RANGE ? "' is out of a float's range"
                                                       : "' is not a decimal number");
        }
    }
    return true;
}

// Reads the numbers that follow --start, --dir, --box or --turn; true for any other option.
bool takeNumberValues(Options& options, const std::string& word, int argc, const char* const* argv,
                      int& i) {
    // A box of six numbers has depth; of four, it is flat at z = 0 as ever.
    if (word == "--box" && i + 6 < argc) {
        float depth[2];
        const bool six = parseNumber(argv[i + 5], depth[0]) == NUMBER_OK &&
                         parseNumber(argv[i + 6], depth[1]) == NUMBER_OK;
        options.boxNumbers = six ? 6 : 4;
    }
    if (word == "--turn") {
        return takeNumbers(options, word, 2, argc, argv, i, options.turn) &&
               (std::abs(options.turn[1]) <= 89.0f ||
                refuse(options, "option '--turn' needs an elevation from -89 to 89 degrees, not ",
                       shortest(options.turn[1])));
    }
    const std::pair<const char*, std::pair<int, float*>> numbers[] = {
        {"--start", {2, options.start}},
        {"--dir", {2, options.dir}},
        {"--box", {options.boxNumbers, options.box}}};
    for (const auto& [name, taken] : numbers) {
        if (word == name) {
            return takeNumbers(options, word, taken.first, argc, argv, i, taken.second);
        }
    }
    return true;
}

// Reads the words that follow an option into the options and moves i past them; false if
// they are refused, with the reason in the options.
bool takeValues(Options& options, const std::string& word, int argc, const char* const* argv,
                int& i) {
    const std::string next = i + 1 < argc ? argv[i + 1] : "";
    if (word == "--snapshot") {
        return takeFile(options, word, "", argc, argv, i, options.snapshot);
    }
    if (word == "--rays" || word == "--compare") {
        return takeFile(options, word, ", or - for standard input", argc, argv, i,
                        word == "--rays" ? options.rays : options.compare);
    }
    if (word == "--method" || word == "--expect") {
        return takeMethod(options, word, argc, argv, i,
                          word == "--method" ? options.method : options.expect,
                          word == "--method" ? &options.bothMethods : nullptr);
    }
    if (word == "--inside-as") {
        const std::string value = i + 1 < argc ? argv[++i] : "";
        const char* const said[] = {"miss", "hit", "inside"};
        const auto* found = std::find(std::begin(said), std::end(said), value);
        options.insideAs = static_cast<int>(found - std::begin(said));
        return found != std::end(said) ||
               refuse(options, "option '--inside-as' needs hit, miss or inside, not '",
                      shownWord(value), "'");
    }
    if (word == "--scene") {
        i += i + 1 < argc ? 1 : 0;
        options.scene = findScene(next);
        return options.scene != nullptr ||
               refuse(options, "option '--scene' needs a scene's name (", sceneNames(), "), not '",
                      shownWord(next), "'");
    }
    if (word == "--columns") {
        options.columns = next;
        i += i + 1 < argc ? 1 : 0;
        return !next.empty() || refuse(options, "option '--columns' needs the answers' column "
                                                "names, such as line,outcome,t");
    }
    if (word == "--ray") {
        std::string why;
        i += i + 1 < argc ? 1 : 0;
        return readRayLine(next.data(), next.data() + next.size(), options.ray, why) ==
                   RAY_LINE_OK ||
               refuse(options,
                      "option '--ray' needs 12 numbers in one word (origin, direction, "
                      "box min and max), not '",
                      shownWord(next), "'", why.empty() ? "" : ": " + why);
    }
    if (word == "--jobs") {
        return takeWhole(options, word, "a number of jobs", 1, 1024, argc, argv, i, options.jobs);
    }
    if (word == "--step") {
        return takeWhole(options, word, "a step number", 1, 99, argc, argv, i, options.step);
    }
    if (word == "--line") {
        return takeWhole(options, word, "a line number", 1, 2147483647L, argc, argv, i,
                         options.line);
    }
    if (word == "--ulps") {
        return takeWhole(options, word, "a number of units in the last place", 0, 1L << 30, argc,
                         argv, i, options.ulps);
    }
    if (word == "--view") {
        i += i + 1 < argc ? 1 : 0;
        options.view3d = next == "3d";
        return next == "2d" || next == "3d" ||
               refuse(options, "option '--view' needs 2d or 3d, not '", shownWord(next), "'");
    }
    return takeNumberValues(options, word, argc, argv, i);
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

Options parseOptions(int argc, const char* const* argv) {
    Options options;
    std::vector<std::string> seen;
    std::string glutOption; // the first of GLUT's options, which need a window
    for (int i = 1; i < argc; ++i) {
        const std::string word = argv[i];
        const int glutValues = glutOptionValues(word);
        if (glutValues >= 0) {
            if (i + glutValues >= argc) {
                refuse(options, "option '", word, "' needs a value");
                return options;
            }
            if (word == "-display") {
                options.display = argv[i + 1];
            }
            if (word == "-geometry" && !parseGeometry(argv[i + 1], options.geometry)) {
                refuse(options, "option '-geometry': '", shownWord(argv[i + 1]),
                       "' is not a geometry such as 640x480, +10+20 or 640x480-0+0");
                return options;
            }
            glutOption = glutOption.empty() ? word : glutOption;
            i += glutValues;
            continue;
        }
        if (!isOptionWord(word)) {
            const bool option = word.rfind('-', 0) == 0;
            refuse(options, option ? "unknown option '" : "unexpected argument '", shownWord(word),
                   "'");
            return options;
        }
        if (std::find(seen.begin(), seen.end(), word) != seen.end()) {
            refuse(options, "option '", word, "' given twice");
            return options;
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
        options.predict = options.predict || word == "--predict";
        options.hasTurn = options.hasTurn || word == "--turn";
        options.frame = options.frame || word == "--frame";
        options.hasStart = options.hasStart || word == "--start";
        options.hasDir = options.hasDir || word == "--dir";
        options.hasBox = options.hasBox || word == "--box";
        options.hasMethod = options.hasMethod || word == "--method";
        options.differ = options.differ || word == "--differ";
        options.corpus = options.corpus || word == "--corpus";
        options.classes = options.classes || word == "--classes";
        options.listMethods = options.listMethods || word == "--methods";
        options.hasRay = options.hasRay || word == "--ray";
        options.hasExpect = options.hasExpect || word == "--expect";
        if (!takeValues(options, word, argc, argv, i)) {
            return options;
        }
    }
    return refuseCombinations(options, glutOption);
}
