// Start-up, one-time GL state, and the scene projection kept in step with the window.
#include "app/options.h"
#include "app/scene.h"
#include "desktop/viewer.h"

#include <GL/glu.h>
#include <GL/glut.h>
#include <GL/glx.h>

#include <algorithm>
#include <string>

Desktop desktop;

namespace {

// Where the window goes when the screen has room for it there.
constexpr int PREFERRED_X = 500;
constexpr int PREFERRED_Y = 500;

// Asks the GL to show each frame at the display's refresh, where it offers that; the miss
// pass paces its frames itself where it does not.
void requestSwapSync() {
    Display* display = glXGetCurrentDisplay();
    const char* extensions = glXQueryExtensionsString(display, DefaultScreen(display));
    const std::string offered = extensions != nullptr ? std::string(" ") + extensions + " " : "";
    const auto proc = [](const char* name) {
        return glXGetProcAddressARB(reinterpret_cast<const GLubyte*>(name));
    };
    if (offered.find(" GLX_EXT_swap_control ") != std::string::npos) {
        reinterpret_cast<void (*)(Display*, GLXDrawable, int)>(proc("glXSwapIntervalEXT"))(
            display, glXGetCurrentDrawable(), 1);
    } else if (offered.find(" GLX_MESA_swap_control ") != std::string::npos) {
        reinterpret_cast<int (*)(unsigned int)>(proc("glXSwapIntervalMESA"))(1);
    }
}

} // namespace

int fitWindowPosition(int preferred, int window, int screen) {
    return std::max(0, std::min(preferred, screen - window));
}

// The window is 640 x 480 at (500, 500), moved just enough to fit the screen, unless GLUT's
// -geometry option says otherwise: a size or place given there is the user's, as long as
// the GL can draw a frame of that size.
std::string startViewer(int* argc, char** argv, const Geometry& geometry) {
    glutInit(argc, argv);
    glutInitDisplayMode(GLUT_DOUBLE);
    // X cannot make a window this large; the GL, asked below, could not draw it either.
    constexpr long long X_LARGEST = 32767;
    const bool drawable = geometry.width <= X_LARGEST && geometry.height <= X_LARGEST;
    if (geometry.hasSize && drawable) {
        desktop.state.windowWidth = static_cast<int>(geometry.width);
        desktop.state.windowHeight = static_cast<int>(geometry.height);
    }
    glutInitWindowSize(desktop.state.windowWidth, desktop.state.windowHeight);
    if (!geometry.hasPlace) {
        glutInitWindowPosition(
            fitWindowPosition(PREFERRED_X, desktop.state.windowWidth, glutGet(GLUT_SCREEN_WIDTH)),
            fitWindowPosition(PREFERRED_Y, desktop.state.windowHeight,
                              glutGet(GLUT_SCREEN_HEIGHT)));
    }
    glutCreateWindow("ray-box collision");
    // Larger frames crash inside the GL driver or the X library, so nothing is drawn yet.
    GLint viewport[2] = {};
    GLint buffer = 0;
    glGetIntegerv(GL_MAX_VIEWPORT_DIMS, viewport);
    glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &buffer);
    const int most[2] = {std::min(viewport[0], buffer), std::min(viewport[1], buffer)};
    if (!drawable || desktop.state.windowWidth > most[0] || desktop.state.windowHeight > most[1]) {
        const bool typed = geometry.hasSize && !drawable;
        return "a window of " +
               (typed ? geometry.typedWidth : std::to_string(desktop.state.windowWidth)) + " x " +
               (typed ? geometry.typedHeight : std::to_string(desktop.state.windowHeight)) +
               " pixels is more than the GL can draw (at most " + std::to_string(most[0]) + " x " +
               std::to_string(most[1]) + ")";
    }
    requestSwapSync();
    initScene();

    glutDisplayFunc(onDisplay);
    glutMotionFunc(onMotion);
    glutKeyboardFunc(onKeyboard);
    glutSpecialFunc(onSpecial);
    glutMouseFunc(onMouse);
    glutReshapeFunc(onReshape);
    glutIdleFunc(onIdle);
    return {};
}

// freeglut gives a menu a window and a GL context of its own. Building it once the first
// frame is on screen keeps that work out of the way of the first frame.
void buildMenuOnce() {
    if (desktop.menuBuilt) {
        return;
    }
    desktop.menuBuilt = true;
    glutCreateMenu(onMenu);
    addMenuEntries();
    glutAttachMenu(GLUT_RIGHT_BUTTON);
    glutMenuStatusFunc(onMenuStatus);
}

// Black background, blended corner colours, the default scene and line set-up.
void initScene() {
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glShadeModel(GL_SMOOTH);
    createBox(desktop.state.scene);
    resetRay(desktop.state.scene);
    initLineDrawing();
}

// Keeps the ray's line width within what the GL can draw, and turns on smooth lines.
void initLineDrawing() {
    GLfloat range[2] = {1.0f, 1.0f};
    glGetFloatv(GL_LINE_WIDTH_RANGE, range);
    if (static_cast<float>(desktop.state.lineWidth) > range[1]) {
        desktop.state.lineWidth = static_cast<int>(range[1]);
    }
    glEnable(GL_LINE_SMOOTH);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glHint(GL_LINE_SMOOTH_HINT, GL_NICEST);
}

// One unit per window pixel from the bottom-left corner, as the frame's layout counts; a
// collapsed side still gets a valid one-pixel projection.
void applyPixelProjection(int width, int height) {
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluOrtho2D(0.0, width > 0 ? width : 1, 0.0, height > 0 ? height : 1);
    glMatrixMode(GL_MODELVIEW);
}

// Mesa's software renderer reads the window's size only once after each swap, at the next
// drawing call or change of current context. Opening or building the menu makes such a
// change, so a resize after it is not seen: the next frame would be drawn into a buffer of
// the old size, and the window would show its wrong part, often all black. The frame after
// a resize therefore starts with a swap of its own, which shows the last frame once more
// (the back buffer still holds it) and makes the new frame's drawing read the new size.
void onReshape(int width, int height) {
    desktop.resizePending = true;
    desktop.state.windowWidth = width;
    desktop.state.windowHeight = height;
    applyPixelProjection(width, height);
}
