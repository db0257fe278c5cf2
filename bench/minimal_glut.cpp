// The least a freeglut program can do to show a frame: open a 640 x 480 window and clear
// it once. The floor that the demo's start-up is measured against.
#include <GL/glut.h>

// Grey, so that the frame can be told from an empty window.
void onDisplay() {
    glClearColor(0.5f, 0.5f, 0.5f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glutSwapBuffers();
}

int main(int argc, char** argv) {
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_DOUBLE);
    glutInitWindowSize(640, 480);
    glutInitWindowPosition(500, 500);
    glutCreateWindow("minimal");
    glutDisplayFunc(onDisplay);
    glutMainLoop();
    return 0;
}
