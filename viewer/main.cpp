// Program entry: opens the ray-box collision window and runs the GLUT event loop.
#include "viewer.h"

#include <GL/glut.h>

int main(int argc, char** argv) {
    startViewer(&argc, argv);
    glutMainLoop();
    return 0;
}
