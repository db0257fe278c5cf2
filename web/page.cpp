// The web edition's entry points, which the page calls: the scene from the URL's words, a
// frame, keys, the pointer and touch, the menu, the console panel's answers and the page's
// own fields. The test, the words,
// the number rules, the layout and what each input does are the desktop program's own.
#include "app/console.h"
#include "app/controls.h"
#include "app/layout.h"
#include "app/options.h"
#include "app/scene.h"
#include "core/explain.h"
#include "web/webgl_painter.h"

#include <emscripten/emscripten.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace {

// Runs an output-writing function on a stream whose text is then returned.
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

// A word as the page hands it over: percent-escaped, so that it may hold any byte.
std::string unescaped(const std::string& word) {
    std::string bytes;
    for (std::size_t i = 0; i < word.size(); ++i) {
        if (word[i] == '%' && i + 2 < word.size() &&
            std::isxdigit(static_cast<unsigned char>(word[i + 1])) != 0 &&
            std::isxdigit(static_cast<unsigned char>(word[i + 2])) != 0) {
            bytes.push_back(static_cast<char>(std::stoi(word.substr(i + 1, 2), nullptr, 16)));
            i += 2;
        } else {
            bytes.push_back(word[i]);
        }
    }
    return bytes;
}

// The options of a command line given as words, one a line, each percent-escaped.
Options parseWords(const std::string& words) {
    std::vector<std::string> owned{"ray-box-collision"};
    std::istringstream lines(words);
    for (std::string word; std::getline(lines, word);) {
        owned.push_back(unescaped(word));
    }
    std::vector<const char*> argv;
    for (const std::string& word : owned) {
        argv.push_back(word.c_str());
    }
    return parseOptions(static_cast<int>(argv.size()), argv.data());
}

// A console dialogue in progress: which one ('p' or 'r', 0 for none), the answers typed so
// far and how far the dialogue has read them, how much of what it wrote the page has seen,
// and the ray as it was before it began.
struct Dialogue {
    int which = 0;
    std::string typed;
    std::size_t read = 0;
    std::size_t shown = 0;
    bool ranOut = false;
    std::size_t askedUpTo = 0;
    Scene before;
};

// The page's one instance: the application state its calls work on, and the glue's own.
struct Page {
    AppState state;
    WebPainter painter;
    // The text a call hands back to the page, kept until the next such call.
    std::string reply;
    // What the console has written that the page has not shown yet.
    std::string console;
    Dialogue dialogue;
    // How much the running dialogue has written, as its output stream counts it.
    std::size_t dialogueWritten = 0;
    // The frame's own texts as last painted, for the page to give in words.
    std::vector<TextItem> frameTexts;
};
Page page;

// Hands text back to the page.
const char* give(std::string text) {
    page.reply = std::move(text);
    return page.reply.c_str();
}

// The line that confirms the ray's start or direction as it now is.
std::string confirmation(int which) {
    const Scene& scene = page.state.scene;
    const float* v = which == 'p' ? scene.rayStart : scene.rayDir;
    return std::string(which == 'p' ? "the ray now starts at (" : "the ray's direction is now (") +
           shortest(v[0]) + ", " + shortest(v[1]) + ")\n";
}

// The dialogue's standard input: the answers typed so far; past them, the end of input,
// which notes how much the dialogue had written when it first ran out.
ssize_t readAnswers(void*, char* buffer, std::size_t size) {
    const std::size_t n = std::min(size, page.dialogue.typed.size() - page.dialogue.read);
    if (n == 0 && !page.dialogue.ranOut) {
        page.dialogue.ranOut = true;
        page.dialogue.askedUpTo = page.dialogueWritten;
    }
    page.dialogue.typed.copy(buffer, n, page.dialogue.read);
    page.dialogue.read += n;
    return static_cast<ssize_t>(n);
}

// Runs the dialogue, the desktop's own, on every answer typed so far. It is done when its
// questions have had their words before the answers ran out; until then the ray is put
// back as it was, and the page sees what the dialogue wrote up to the question it waits
// at. Either way only what the page has not seen yet goes to the console.
bool runDialogue() {
    page.state.scene = page.dialogue.before;
    page.dialogue.read = 0;
    page.dialogue.ranOut = false;
    char* text = nullptr;
    std::FILE* out = open_memstream(&text, &page.dialogueWritten);
    std::FILE* in = fopencookie(nullptr, "r", {readAnswers, nullptr, nullptr, nullptr});
    if (page.dialogue.which == 'p') {
        promptRayStart(page.state.scene, in, out);
    } else {
        promptRayDirection(page.state.scene, in, out);
    }
    std::fclose(in);
    std::fclose(out);
    const std::string all(text, page.dialogueWritten);
    std::free(text);
    const std::string seen = page.dialogue.ranOut ? all.substr(0, page.dialogue.askedUpTo) : all;
    page.console += seen.substr(std::min(page.dialogue.shown, seen.size()));
    page.dialogue.shown = seen.size();
    if (page.dialogue.ranOut) {
        page.state.scene = page.dialogue.before;
        return false;
    }
    page.console += confirmation(page.dialogue.which);
    page.dialogue.which = 0;
    return true;
}

void beginDialogue(int which) {
    page.dialogue = Dialogue{};
    page.dialogue.which = which;
    page.dialogue.before = page.state.scene;
    runDialogue();
}

} // namespace

extern "C" {

// Draws on the canvas with this CSS selector; 0 if the browser cannot draw with WebGL.
EMSCRIPTEN_KEEPALIVE int webOpen(const char* canvas) {
    page.state = AppState{};
    return startPainter(canvas, page.painter) ? 1 : 0;
}

// Sets the scene from a command line's words, one a line, as the URL gives them: the
// refusal if they are refused (the defaults then stand), else empty. --print, --help and
// --version answer in the console panel.
EMSCRIPTEN_KEEPALIVE const char* webStart(const char* words) {
    const Options options = parseWords(words);
    createBox(page.state.scene);
    resetRay(page.state.scene);
    if (!options.error.empty() || !options.snapshot.empty() || !options.display.empty()) {
        return give(options.error.empty() ? "a snapshot or a display is the desktop program's"
                                          : options.error);
    }
    if (options.help || options.version) {
        page.console +=
            written([&](std::FILE* out) { (options.help ? printUsage : printVersion)(out); });
        return give("");
    }
    if (options.print) {
        page.console += written([&](std::FILE* out) { printAnswer(options, out); });
    }
    applyOptions(options, page.state);
    return give("");
}

// What --print writes for a command line's words, one a line; the refusal if refused.
EMSCRIPTEN_KEEPALIVE const char* webPrint(const char* words) {
    const Options options = parseWords(words);
    if (!options.error.empty()) {
        return give(options.error);
    }
    return give(written([&](std::FILE* out) { printAnswer(options, out); }));
}

// Runs the test on the current scene and, when asked to, paints its frame: the page asks
// only when something changed since the last frame it painted. The test's result, so that
// the page asks for the next frame while the ray misses.
EMSCRIPTEN_KEEPALIVE int webFrame(int paint) {
    const RayTestRecord record = testScene(page.state.scene);
    page.state.lastResult = record.result;
    if (paint != 0) {
        const FrameLayout frame = layoutFrame(page.state, record);
        paintWebFrame(page.painter, frame);
        page.frameTexts = frame.texts;
    }
    return page.state.lastResult;
}

// What the frame last painted says in words, for those who cannot see the canvas: its
// outcome on the first line, then its other texts and, in the teaching view, the test's
// steps, a line each.
EMSCRIPTEN_KEEPALIVE const char* webFrameWords() {
    const Scene& scene = page.state.scene;
    const auto slab = [&] {
        const SlabTestRecord record = testSceneSlab(scene);
        return outcomeOf(record.result, record.hit);
    };
    const std::string outcome =
        page.state.method == METHOD_SLAB ? slab() : outcomeText(testScene(scene));
    std::string words = outcome + "\n";
    for (const TextItem& text : page.frameTexts) {
        words += text.text == outcome ? "" : text.text + "\n";
    }
    for (const std::string& step : page.state.teachingView ? sceneSteps(scene, page.state.method)
                                                           : std::vector<std::string>{}) {

        words += step + "\n";
    }
    return give(words);
}

// Input, as the desktop's callbacks take it; 1 when the picture must be drawn again. While
// a dialogue waits for its answers, the picture waits too and input goes nowhere.
EMSCRIPTEN_KEEPALIVE int webKey(int key) {
    bool changed = false;
    if (page.dialogue.which == 0) {
        page.console += written([&](std::FILE* out) {
            changed = pressKey(page.state, static_cast<unsigned char>(key), out);
        });
    }
    return changed ? 1 : 0;
}

// A touch (not a mouse) that takes hold of neither of the ray's handles selects the plane
// whose edge it lands on.
EMSCRIPTEN_KEEPALIVE int webPointer(int button, int down, int x, int y, int touch) {
    if (page.dialogue.which != 0) {
        return 0;
    }
    const bool changed = pressPointer(page.state, button, down != 0, x, y);
    const bool touched = touch != 0 && down != 0 && button == 0 && page.state.held == HANDLE_NONE &&
                         touchPlane(page.state, x, y);
    return changed || touched ? 1 : 0;
}

EMSCRIPTEN_KEEPALIVE int webMotion(int x, int y) {
    if (page.dialogue.which != 0) {
        return 0;
    }
    movePointer(page.state, x, y);
    return 1;
}

// A menu pick: 1 when the picture is to be drawn again, 2 when a dialogue waits for its
// answers in the console panel.
EMSCRIPTEN_KEEPALIVE int webMenu(int value) {
    if (page.dialogue.which != 0) {
        return 0;
    }
    int which = 0;
    page.console += written([&](std::FILE* out) { which = pickMenuEntry(page.state, value, out); });
    if (which != 0) {
        beginDialogue(which);
        return 2;
    }
    return 1;
}

// A line typed into the console panel, for the dialogue that waits: 1 once it is done.
EMSCRIPTEN_KEEPALIVE int webAnswer(const char* line) {
    if (page.dialogue.which == 0) {
        return 0;
    }
    // The answer after its question, as a terminal shows what was typed.
    page.console += std::string(line) + "\n";
    page.dialogue.typed += line;
    page.dialogue.typed += '\n';
    return runDialogue() ? 1 : 0;
}

// Escape in the console panel: the dialogue that waits is given up and the ray is as it
// was; 1 if one waited.
EMSCRIPTEN_KEEPALIVE int webCancel() {
    if (page.dialogue.which == 0) {
        return 0;
    }
    page.state.scene = page.dialogue.before;
    page.dialogue = Dialogue{};
    page.console += "\ncancelled: the ray is as it was\n";
    return 1;
}

// The page's fields for the ray's start ('p') or direction ('r'): each word taken by the
// dialogue's number rule, the direction normalised as the dialogue does. What the dialogue
// would have said of them, a line each, then the confirmation.
EMSCRIPTEN_KEEPALIVE const char* webSetRay(int which, const char* x, const char* y) {
    if (page.dialogue.which != 0) {
        return give("the console's question waits for its answer first\n");
    }
    Scene& scene = page.state.scene;
    float* v = which == 'p' ? scene.rayStart : scene.rayDir;
    std::string said;
    for (const auto& [axis, word] : {std::pair{0, x}, std::pair{1, y}}) {
        const NumberCheck check = parseNumber(word, v[axis]);
        said += check == NUMBER_OK
                    ? ""
                    : (axis == 0 ? "x: " : "y: ") + refusalWords(check, v[axis]) + "\n";
    }
    if (which != 'p' && takeGivenDirection(scene)) {
        said += "after normalize = " + shortest(v[0]) + " " + shortest(v[1]) + "\n";
    }
    return give(said + confirmation(which));
}

// What the page's controls show: the selected plane (-1 for none), the walk's step (-1
// for all) and how many steps there are, the teaching view and the slab test (each 0 or
// 1); then on a line of its own, the walk's current step.
EMSCRIPTEN_KEEPALIVE const char* webControls() {
    const AppState& state = page.state;
    const int count = stepCount(state);
    std::string current;
    if (state.teachingView && state.walkStep >= 0 && state.walkStep < count) {
        current = sceneSteps(state.scene, state.method)[static_cast<std::size_t>(state.walkStep)];
    }
    return give(std::to_string(state.selectedPlane) + " " + std::to_string(state.walkStep) + " " +
                std::to_string(count) + " " + (state.teachingView ? "1" : "0") + " " +
                (state.method == METHOD_SLAB ? "1" : "0") + "\n" + current);
}

// What the console wrote since the last call, for the page's console panel.
EMSCRIPTEN_KEEPALIVE const char* webConsole() {
    std::string text;
    text.swap(page.console);
    return give(text);
}

// The menu's entries, a label and a value a line, separated by a tab.
EMSCRIPTEN_KEEPALIVE const char* webMenuEntries() {
    std::string entries;
    for (const MenuEntry& entry : MENU_ENTRIES) {
        entries += std::string(entry.label) + "\t" + std::to_string(entry.value) + "\n";
    }
    return give(entries);
}

// The current scene as a URL's query, which webStart takes back: numbers in the shortest
// form that reads back as the same float, the direction as given, escaped for a URL.
EMSCRIPTEN_KEEPALIVE const char* webQuery() {
    const Scene& scene = page.state.scene;
    const float* dir = scene.rayDirNormalised == 1 ? scene.rayDirGiven : scene.rayDir;
    std::string query = "start=" + shortest(scene.rayStart[0]) + "," + shortest(scene.rayStart[1]) +
                        "&dir=" + shortest(dir[0]) + "," + shortest(dir[1]) +
                        "&box=" + shortest(scene.boxPlanes[0]) + "," +
                        shortest(scene.boxPlanes[1]) + "," + shortest(scene.boxPlanes[3]) + "," +
                        shortest(scene.boxPlanes[4]);
    query += page.state.aboutShown == 1 ? "&about" : "";
    query += page.state.teachingView ? "&explain" : "";
    query += page.state.method == METHOD_SLAB ? "&method=slab" : "";
    // An exponent's sign would read back as a space.
    for (std::size_t plus = query.find('+'); plus != std::string::npos; plus = query.find('+')) {
        query.replace(plus, 1, "%2B");
    }
    return give(query);
}

// The teaching view on (1) or off (0), as the page's toggle sets it.
EMSCRIPTEN_KEEPALIVE void webTeaching(int on) {
    page.state.teachingView = on != 0;
}

} // extern "C"

int main() {
    return 0;
}
