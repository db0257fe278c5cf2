// The web edition's entry points for the page itself: the scene from the URL, a frame and
// what it shows in words, the picture's size, the console's text, the menu and the link.
// The test, the words, the number rules, the layout and what each input does are the
// desktop program's own.
#include "web/page.h"

#include "app/controls.h"
#include "app/layout.h"
#include "app/options.h"
#include "app/scene.h"
#include "app/scenes.h"
#include "app/shown_word.h"
#include "app/words.h"
#include "core/explain.h"

#include <emscripten/emscripten.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

Page page;

const char* give(std::string text) {
    page.reply = std::move(text);
    return page.reply.c_str();
}

namespace {

// The URL's parameters the page takes, each the command line's option of that name.
constexpr const char* PARAMETERS[] = {"start",  "dir",   "box",   "ray",     "scene", "predict",
                                      "view",   "turn",  "about", "explain", "frame", "step",
                                      "method", "print", "help",  "version"};

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

// The options of a command line given as words.
Options parseArguments(const std::vector<std::string>& words) {
    std::vector<const char*> argv{"ray-box-collision"};
    for (const std::string& word : words) {
        argv.push_back(word.c_str());
    }
    return parseOptions(static_cast<int>(argv.size()), argv.data());
}

// The lines of a text, the last one ended by a line end or not.
std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    for (std::size_t from = 0; from < text.size();) {
        const std::size_t end = std::min(text.find('\n', from), text.size());
        lines.push_back(text.substr(from, end - from));
        from = end + 1;
    }
    return lines;
}

// The options of a command line given as words, one a line, each percent-escaped.
Options parseWords(const std::string& words) {
    std::vector<std::string> owned;
    for (const std::string& word : linesOf(words)) {
        owned.push_back(unescaped(word));
    }
    return parseArguments(owned);
}

// A text as a JSON string.
std::string json(const std::string& text) {
    std::string out = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", c);
            out += escape;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

std::string json(const std::vector<std::string>& texts) {
    std::string out = "[";
    for (const std::string& text : texts) {
        out += (out.size() > 1 ? "," : "") + json(text);
    }
    return out + "]";
}

// The current scene as a URL's query, which webStart takes back: a named scene by its name,
// another by its numbers in the shortest form that reads back as the same float, the
// direction as given, escaped for a URL.
std::string query() {
    const Scene& scene = page.state.scene;
    const float* dir = scene.rayDirNormalised == 1 ? scene.rayDirGiven : scene.rayDir;
    const NamedScene* named = sceneNamed(scene);
    const float* b = scene.boxPlanes;
    std::string query;
    if (named != nullptr) {
        query = std::string("scene=") + named->name;
    } else if (scene.rayStart[2] != 0 || scene.rayDir[2] != 0 || b[2] != 0 || b[5] != 0) {
        // A scene in space: all twelve numbers.
        const float* values[] = {scene.rayStart, scene.rayDir, b, b + 3};
        for (const float* three : values) {
            for (int i = 0; i < 3; ++i) {
                query += (query.empty() ? "ray=" : ",") + shortest(three[i]);
            }
        }
    } else {
        query = "start=" + shortest(scene.rayStart[0]) + "," + shortest(scene.rayStart[1]) +
                "&dir=" + shortest(dir[0]) + "," + shortest(dir[1]) + "&box=" + shortest(b[0]) +
                "," + shortest(b[1]) + "," + shortest(b[3]) + "," + shortest(b[4]);
    }
    if (page.state.view3d) {
        query += "&view=3d&turn=" + shortest(static_cast<float>(page.state.azimuth)) + "," +
                 shortest(static_cast<float>(page.state.elevation));
    }
    query += page.state.predict ? "&predict" : "";
    query += page.state.aboutShown == 1 ? "&about" : "";
    query += page.state.teachingView ? "&explain" : "";
    query += page.state.method.kind != METHOD_CANDIDATE ? "&method=" + methodName(page.state.method)
                                                        : "";
    // An exponent's sign would read back as a space.
    for (std::size_t plus = query.find('+'); plus != std::string::npos; plus = query.find('+')) {
        query.replace(plus, 1, "%2B");
    }
    return query;
}

// The part of the scene the picture shows: its bottom-left corner and units a pixel.
std::string viewJson(const View& view) {
    char text[96];
    std::snprintf(text, sizeof text, "[%.17g,%.17g,%.17g]", view.originX, view.originY, view.units);
    return text;
}

} // namespace

extern "C" {

// Draws on the canvas with this CSS selector; 0 if the browser cannot draw with WebGL.
EMSCRIPTEN_KEEPALIVE int webOpen(const char* canvas) {
    page.state = AppState{};
    return startPainter(canvas, page.painter) ? 1 : 0;
}

// Sets the scene from the URL's parameters, a "key=value" line each, both percent-escaped:
// each is the command line's option of that name, its value split at commas into words. The
// refusal if they are refused (the defaults then stand), naming every parameter the page
// does not take; else empty. print, help and version answer in the console panel.
EMSCRIPTEN_KEEPALIVE const char* webStart(const char* parameters) {
    createBox(page.state.scene);
    resetRay(page.state.scene);
    std::vector<std::string> words;
    std::string unknown;
    for (const std::string& line : linesOf(parameters)) {
        const std::size_t equals = line.find('=');
        const std::string key = unescaped(line.substr(0, equals));
        if (std::none_of(std::begin(PARAMETERS), std::end(PARAMETERS),
                         [&](const char* known) { return key == known; })) {
            unknown += (unknown.empty() ? "'" : ", '") + shownWord(key) + "'";
        }
        words.push_back("--" + key);
        // The value's words, split at its commas; an empty value has none. The twelve numbers
        // of a ray are one word, commas and all.
        const std::string value =
            equals == std::string::npos ? "" : unescaped(line.substr(equals + 1));
        if (key == "ray") {
            words.push_back(value);
            continue;
        }
        for (std::size_t from = 0; !value.empty() && from <= value.size();) {
            const std::size_t comma = std::min(value.find(',', from), value.size());
            words.push_back(value.substr(from, comma - from));
            from = comma + 1;
        }
    }
    if (!unknown.empty()) {
        std::string taken;
        for (std::size_t i = 0; i < std::size(PARAMETERS); ++i) {
            taken += std::string(i == 0                           ? ""
                                 : i + 1 == std::size(PARAMETERS) ? " and "
                                                                  : ", ") +
                     PARAMETERS[i];
        }
        return give("parameters the page does not take: " + unknown + " (it takes " + taken + ")");
    }
    const Options options = parseArguments(words);
    if (!options.error.empty()) {
        return give(options.error);
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

// The picture's size in the program's window pixels; whether the page shows the frame's
// texts, the steps and the keys beside it, for a picture too small to hold them; whether the
// handles are drawn for a finger.
EMSCRIPTEN_KEEPALIVE void webResize(int width, int height, int textsInPage, int touch) {
    page.state.windowWidth = std::max(width, 1);
    page.state.windowHeight = std::max(height, 1);
    page.state.textsInPage = textsInPage != 0;
    page.state.touchHandles = touch != 0;
}

// Runs the test on the current scene and, when asked to, paints its frame: the page asks
// only when something changed since the last frame it painted. The test's result, so that
// the page asks for the next frame while the ray misses.
EMSCRIPTEN_KEEPALIVE int webFrame(int paint) {
    const RayTestRecord record = testScene(page.state.scene);
    page.state.lastResult = record.result;
    if (paint != 0) {
        paintWebFrame(page.painter, layoutFrame(page.state, record));
    }
    return page.state.lastResult;
}

// What the page shows beside the picture, as JSON: the frame in words (its outcome, status
// lines, box, steps with the walk's current one, and where the methods disagree), the
// controls' state (the selected plane, -1 for none; the walk's step count; the teaching
// view; the slab test; whether a console question waits; predicting, whether the outcome is
// held back, and the verdict on the pick), the fields' values and the link's query; the part
// of the scene the picture shows.
EMSCRIPTEN_KEEPALIVE const char* webShown() {
    const AppState& state = page.state;
    const FrameWords words = frameWords(state);
    const Scene& scene = state.scene;
    const float* dir = scene.rayDirNormalised == 1 ? scene.rayDirGiven : scene.rayDir;
    const float* b = scene.boxPlanes;
    return give(
        "{\"outcome\":" + json(words.outcome) + ",\"status\":" + json(words.status) +
        ",\"box\":" + json(words.box) + ",\"steps\":" + json(words.steps) + ",\"current\":" +
        std::to_string(words.current) + ",\"disagreement\":" + json(words.disagreement) +
        ",\"plane\":" + std::to_string(state.selectedPlane) +
        ",\"count\":" + std::to_string(stepCount(state)) +
        ",\"teaching\":" + (state.teachingView ? "true" : "false") +
        ",\"slab\":" + (state.method.kind != METHOD_CANDIDATE ? "true" : "false") +
        ",\"method\":" + json(methodTitle(state.method)) +
        ",\"waiting\":" + (page.dialogue.which != 0 ? "true" : "false") + ",\"predict\":" +
        (state.predict ? "true" : "false") + ",\"view3d\":" + (state.view3d ? "true" : "false") +
        ",\"hidden\":" + (outcomeHidden(state) ? "true" : "false") +
        ",\"verdict\":" + json(words.verdict) + ",\"fields\":" +
        json({shortest(scene.rayStart[0]), shortest(scene.rayStart[1]), shortest(dir[0]),
              shortest(dir[1]), shortest(b[0]), shortest(b[1]), shortest(b[3]), shortest(b[4])}) +
        ",\"query\":" + json(query()) + ",\"view\":" + viewJson(currentView(state)) + "}");
}

// The named scenes, a line each: the name, a tab, what it shows.
EMSCRIPTEN_KEEPALIVE const char* webScenes() {
    std::string list;
    for (const NamedScene& scene : NAMED_SCENES) {
        list += std::string(scene.name) + "\t" + scene.title + "\n";
    }
    return give(list);
}

// Sets the scene to the named one; 0 if there is none of that name.
EMSCRIPTEN_KEEPALIVE int webScene(const char* name) {
    const NamedScene* named = findScene(name);
    if (named != nullptr) {
        chooseScene(page.state, *named);
    }
    return named != nullptr ? 1 : 0;
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

EMSCRIPTEN_KEEPALIVE const char* webQuery() {
    return give(query());
}

} // extern "C"

int main() {
    return 0;
}
