// Keyboard, pointer and right-button menu input: choose a plane, drag it, run dialogues.
#include "console.h"
#include "scene.h"
#include "viewer.h"

#include <GL/glut.h>

namespace {

// A menu entry's value is the character of the key with the same meaning.
struct MenuEntry {
    const char* label;
    int value;
};

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
};

// Selects the plane named by a key; false if the key names none.
bool selectPlaneForKey(int key) {
    switch (key) {
    case 'w':
        selectedPlane = PLANE_TOP;
        return true;
    case 'd':
        selectedPlane = PLANE_BOTTOM;
        return true;
    case 'a':
        selectedPlane = PLANE_LEFT;
        return true;
    case 's':
        selectedPlane = PLANE_RIGHT;
        return true;
    default:
        return false;
    }
}

} // namespace

void addMenuEntries() {
    for (const MenuEntry& entry : MENU_ENTRIES) {
        glutAddMenuEntry(entry.label, entry.value);
    }
}

// Plane keys and help, and in the teaching view its own keys. The plain view shows nothing
// of what a key changes, so only the teaching view asks for a redraw.
void onKeyboard(unsigned char key, int, int) {
    noteInput();
    if (selectPlaneForKey(key) || (teachingView && teachingKey(key))) {
        if (teachingView) {
            glutPostRedisplay();
        }
    } else if (key == 'h') {
        printHelp();
    }
}

// Acts on the picked entry, then always asks for a redraw, so a changed ray or about
// line shows at once. The separators only redraw.
void onMenu(int value) {
    noteInput();
    if (!selectPlaneForKey(value)) {
        switch (value) {
        case 'h':
            printHelp();
            break;
        case 'm':
            aboutShown = aboutShown == 0 ? 1 : 0;
            break;
        case 'p':
            promptRayStart();
            break;
        case 'r':
            promptRayDirection();
            break;
        default:
            break;
        }
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

// Every press and release records where a drag starts from. In the teaching view a press
// may take hold of the ray's start or its arrow head instead of the selected plane.
void onMouse(int button, int state, int x, int y) {
    noteInput();
    lastMouseX = x;
    lastMouseY = y;
    // The wheel, as GLUT reports it: a press of button 3 (up) or 4 (down); each step zooms
    // the teaching view by a quarter about the pointer.
    if (teachingView && state == GLUT_DOWN && (button == 3 || button == 4)) {
        zoomView(button == 3 ? 0.8 : 1.25, x, y);
        glutPostRedisplay();
        return;
    }
    if (state == GLUT_DOWN) {
        grabRay(x, y);
    } else {
        releaseRay();
    }
}

// Moves the ray's start or direction, if a press took hold of them, else the selected plane
// by the pointer's travel since the last event.
void onMotion(int x, int y) {
    noteInput();
    if (!moveRay(x, y)) {
        dragSelectedPlane(lastMouseX - x, lastMouseY - y);
    }
    lastMouseX = x;
    lastMouseY = y;
    glutPostRedisplay();
}
