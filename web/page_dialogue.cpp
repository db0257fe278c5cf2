// The console's dialogues on the page: the desktop's own, run again on every answer typed
// so far, so that the page sees each question as a terminal would show it.
#include "app/console.h"
#include "core/explain.h"
#include "web/page.h"

#include <emscripten/emscripten.h>

#include <algorithm>
#include <string>

namespace {

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

// Runs the dialogue on every answer typed so far. It is done when its questions have had
// their words before the answers ran out; until then the ray is put back as it was, and the
// page sees what the dialogue wrote up to the question it waits at. Either way only what
// the page has not seen yet goes to the console.
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

} // namespace

void beginDialogue(int which) {
    page.dialogue = Dialogue{};
    page.dialogue.which = which;
    page.dialogue.before = page.state.scene;
    runDialogue();
}

extern "C" {

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

} // extern "C"
