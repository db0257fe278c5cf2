// Keyboard, pointer and right-button menu input: choose a plane, drag it, run dialogues.
#include "app/console.h"
#include "app/controls.h"
#include "desktop/viewer.h"

#include <GL/glut.h>

void addMenuEntries() {
    for (const MenuEntry& entry : MENU_ENTRIES) {
        glutAddMenuEntry(entry.label, entry.value);
    }
}

// Plane keys and help, and in the teaching view its own keys, which redraw.
void onKeyboard(unsigned char key, int, int) {
    noteInput();
    if (pressKey(desktop.state, key, stdout)) {
        glutPostRedisplay();
    }
}

// The arrow keys move the selected plane, one drag pixel a press (ten with Shift).
void onSpecial(int key, int, int) {
    noteInput();
    const int right = key == GLUT_KEY_RIGHT ? 1 : key == GLUT_KEY_LEFT ? -1 : 0;
    const int up = key == GLUT_KEY_UP ? 1 : key == GLUT_KEY_DOWN ? -1 : 0;
    if ((right != 0 || up != 0) &&
        pressArrow(desktop.state, right, up, (glutGetModifiers() & GLUT_ACTIVE_SHIFT) != 0)) {
        glutPostRedisplay();
    }
}

// Acts on the picked entry, running its console dialogue if it has one, then always asks
// for a redraw, so a changed ray or about line shows at once. The separators only redraw.
void onMenu(int value) {
    noteInput();
    const int dialogue = pickMenuEntry(desktop.state, value, stdout);
    if (dialogue == 'p') {
        promptRayStart(desktop.state.scene);
    } else if (dialogue == 'r') {
        promptRayDirection(desktop.state.scene);
    }
    glutPostRedisplay();
}

// A menu that closes without a pick leaves the part of the window it covered to be drawn
// again; a pick redraws anyway.
void onMenuStatus(int status, int, int) {
    if (status == GLUT_MENU_NOT_IN_USE) {
        glutPostRedisplay();
    }
}

// Every press and release records where a drag starts from; in the teaching view a press
// may take hold of the ray's handles, and the wheel zooms.
void onMouse(int button, int state, int x, int y) {
    noteInput();
    if (pressPointer(desktop.state, button, state == GLUT_DOWN, x, y)) {
        glutPostRedisplay();
    }
}

// Moves the ray's start or direction, if a press took hold of them, else the selected plane
// by the pointer's travel since the last event.
void onMotion(int x, int y) {
    noteInput();
    movePointer(desktop.state, x, y);
    glutPostRedisplay();
}
