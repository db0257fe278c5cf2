// The web edition's one instance, which the page's calls work on, and what those calls
// share: handing text back, the console's dialogue.
#pragma once

#include "app/state.h"
#include "web/webgl_painter.h"

#include <cstdio>
#include <string>

// A console dialogue in progress: which one ('p' for the start point, 'r' for the direction,
// 0 for none), the answers typed so far and how far the dialogue has read them, how much of
// what it wrote the page has seen, and the ray as it was before it began.
struct Dialogue {
    int which = 0;
    std::string typed;
    std::size_t read = 0;
    std::size_t shown = 0;
    bool ranOut = false;
    std::size_t askedUpTo = 0;
    Scene before;
};

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
};
extern Page page;

// Hands text back to the page: valid until the next call that hands text back.
const char* give(std::string text);

// Starts the console's dialogue for the start point ('p') or the direction ('r'), which
// then waits for its answers in the console panel.
void beginDialogue(int which);
