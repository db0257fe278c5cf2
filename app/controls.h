// What the user's keys, pointer and menu picks do to the scene and the teaching view, the
// same in every front end; no GL. Each answers whether the picture must be drawn again.
#pragma once

#include "app/state.h"

#include <cstdio>

// A menu entry: its label and the character of the key with the same meaning.
struct MenuEntry {
    const char* label;
    int value;
};

// The right-button menu, in order; the two separators' value does nothing.
constexpr MenuEntry MENU_ENTRIES[] = {
    {"modify top plane", 'w'},
    {"modify bottom plane", 'd'},
    {"modify left plane", 'a'},
    {"modify right plane", 's'},
    {"-------------------", ' '},
    {"change ray starting point", 'p'},
    {"change direction of ray", 'r'},
    {"-------------------", ' '},
    {"about", 'm'},
    {"Help", 'h'},
    {"candidate planes or slab test", 'c'},
    {"-------------------", ' '},
    {"predict the outcome, or not", 'o'},
    {"predict: it hits", '1'},
    {"predict: it misses", '2'},
    {"predict: it starts inside", '3'},
    {"2D or 3D view", 'v'},
};

// The key, and the menu entry, that turn from the candidate planes to the slab test and back.
constexpr unsigned char METHOD_KEY = 'c';

// The key, and the menu entry, that turn from the plane z = 0 to the 3D view and back.
constexpr unsigned char VIEW_KEY = 'v';

// The key, and the menu entry, that turn predicting on and off; the keys that pick an outcome.
constexpr unsigned char PREDICT_KEY = 'o';
constexpr unsigned char HIT_KEY = '1';
constexpr unsigned char MISS_KEY = '2';
constexpr unsigned char INSIDE_KEY = '3';

// The Escape key's character.
constexpr unsigned char ESCAPE_KEY = 27;

// A key: w, d, a and s select a plane, h prints help on the console, c turns from one
// method to the other, o turns predicting on and off and 1, 2 and 3 predict a hit, a miss
// or a start inside; in the teaching view n and p walk the steps, Escape shows them all, f
// frames the scene and r returns to the usual view. True when the picture changes: only the
// teaching view shows a selected plane.
bool pressKey(AppState& state, unsigned char key, std::FILE* console);

// A menu pick: selects a plane, toggles the about line or prints help. The dialogue the
// entry asks for ('p' for the start point, 'r' for the direction) is left to the caller,
// which knows how its console reads; that entry's value is returned, else 0.
int pickMenuEntry(AppState& state, int value, std::FILE* console);

// A button pressed or let go at (x, y) window pixels from the top left: a drag starts
// there, or in the teaching view takes hold of the ray's start dot or arrow head; the
// wheel (buttons 3 and 4) zooms the teaching view. True when the picture changes.
bool pressPointer(AppState& state, int button, bool down, int x, int y);

// The pointer moved to (x, y) with a button held: what the press took hold of follows it,
// else the selected plane moves by the travel, 25 pixels a unit.
void movePointer(AppState& state, int x, int y);

// A finger pressed at (x, y) window pixels from the top left takes hold of the nearest of
// what lies within reach pixels of it: in the teaching view the ray's start dot or arrow
// head, else an edge of the box, whose plane it selects. On nothing, it holds nothing, and
// its drag moves nothing. True when the picture changes.
bool touchPointer(AppState& state, int x, int y, double reach);

// An arrow key: moves the selected plane as a drag of one pixel would (ten with Shift), right
// and up as the pointer would go; true if a plane moved.
bool pressArrow(AppState& state, int right, int up, bool shift);

// The teaching view's pointer: a press at (x, y) window pixels from the top left takes hold
// of the ray's start dot or arrow head (true), or of nothing; a motion moves what it took
// hold of to the pointer (false if nothing); a release lets go.
bool grabRay(AppState& state, int x, int y);
bool moveRay(AppState& state, int x, int y);
void releaseRay(AppState& state);
