// In-process viewer harness: a virtual display, the viewer's window and GL read-back.
#include "glut_window.h"

#include "scene.h"
#include "viewer.h"
#include "xsession.h"

#include <GL/freeglut.h>
#include <GL/glu.h>
#include <GL/glx.h>

#include <dlfcn.h>
#include <link.h>

#include <cstring>
#include <memory>

namespace harness {

namespace {

// The bitmap font's cells are 9 px wide; glyphs reach 4 px below the baseline and
// 11 px above it.
constexpr int CELL_WIDTH = 9;
constexpr int CELL_BELOW = 4;
constexpr int CELL_ABOVE = 12;

std::unique_ptr<xs::VirtualDisplay> display;
std::unique_ptr<xs::XClient> client;
int framesDrawn = 0;

void countingDisplay() {
    ++framesDrawn;
    onDisplay();
}

// Processes window events until the condition holds.
bool pumpUntil(const std::function<bool()>& condition) {
    return xs::waitUntil(
        [&] {
            glutMainLoopEvent();
            return condition();
        },
        std::chrono::seconds(20), std::chrono::milliseconds(2));
}

Frame readPixels(GLenum buffer) {
    glFinish();
    Frame frame;
    frame.width = windowWidth;
    frame.height = windowHeight;
    std::vector<unsigned char> rgb(static_cast<std::size_t>(frame.width * frame.height) * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(buffer);
    glReadPixels(0, 0, frame.width, frame.height, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    frame.pixels.resize(rgb.size() / 3);
    for (std::size_t i = 0; i < frame.pixels.size(); ++i) {
        frame.pixels[i] =
            static_cast<std::uint32_t>(rgb[i * 3] << 16 | rgb[i * 3 + 1] << 8 | rgb[i * 3 + 2]);
    }
    return frame;
}

// Mesa unloads its DRI driver when the display closes at exit, before the leak checker
// runs, so the driver's own leaks would be reported from an unknown module. Pinning the
// loaded driver keeps its name on those reports, where a suppression can name it.
void pinGlDriver() {
    dl_iterate_phdr(
        [](dl_phdr_info* info, std::size_t, void*) {
            if (std::strstr(info->dlpi_name, "_dri.so") != nullptr) {
                dlopen(info->dlpi_name, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
            }
            return 0;
        },
        nullptr);
}

// What the window shows on the display, as a person would see it.
Frame captureWindow() {
    glFinish();
    XSync(glXGetCurrentDisplay(), False);
    const xs::Image image = client->capture(glXGetCurrentDrawable());
    Frame frame;
    frame.width = image.width;
    frame.height = image.height;
    frame.pixels.resize(image.pixels.size());
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            frame.pixels[static_cast<std::size_t>(y * image.width + x)] =
                image.at(x, image.height - 1 - y);
        }
    }
    return frame;
}

} // namespace

std::uint32_t Frame::at(int x, int y) const {
    return pixels[static_cast<std::size_t>(y * width + x)];
}

int Frame::count(std::uint32_t colour, int x0, int y0, int x1, int y1) const {
    int n = 0;
    for (int y = std::max(y0, 0); y < std::min(y1, height); ++y) {
        for (int x = std::max(x0, 0); x < std::min(x1, width); ++x) {
            n += at(x, y) == colour ? 1 : 0;
        }
    }
    return n;
}

void openViewer() {
    if (!display) {
        display = std::make_unique<xs::VirtualDisplay>();
        std::string name = display->name();
        char program[] = "viewer-test";
        char option[] = "-display";
        char* argv[] = {program, option, name.data(), nullptr};
        int argc = 3;
        startViewer(&argc, argv);
        pinGlDriver();
        client = std::make_unique<xs::XClient>(name);
        glutDisplayFunc(countingDisplay);
        if (!pumpUntil([] { return framesDrawn > 0; })) {
            throw std::runtime_error("the viewer's window was never drawn");
        }
    }
    resetScene();
}

void resetScene() {
    createBox();
    resetRay();
    selectedPlane = PLANE_NONE;
    aboutShown = 0;
    lastResult = RAY_MISS;
    lastMouseX = 0;
    lastMouseY = 0;
    sweepParam = 1.0f;
    resizeWindow(640, 480);
    pendingRedraws();
}

void resizeWindow(int width, int height) {
    if (windowWidth == width && windowHeight == height) {
        return;
    }
    glutReshapeWindow(width, height);
    if (!pumpUntil([&] { return windowWidth == width && windowHeight == height; })) {
        throw std::runtime_error("the window was not resized");
    }
}

Frame drawFrame() {
    onIdle();
    onDisplay();
    return captureWindow();
}

Frame readBackBuffer() {
    return readPixels(GL_BACK);
}

int pendingRedraws() {
    const int before = framesDrawn;
    glutMainLoopEvent();
    glutMainLoopEvent();
    return framesDrawn - before;
}

std::vector<bool> referenceText(int x, int y, const std::string& text) {
    glViewport(0, 0, windowWidth, windowHeight);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluOrtho2D(0, windowWidth, 0, windowHeight);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDrawBuffer(GL_BACK);
    glClear(GL_COLOR_BUFFER_BIT);
    glColor3f(1.0f, 1.0f, 1.0f);
    glRasterPos2i(x, y);
    for (char c : text) {
        glutBitmapCharacter(GLUT_BITMAP_9_BY_15, static_cast<unsigned char>(c));
    }
    const Frame rendered = readPixels(GL_BACK);
    applySceneProjection(windowWidth, windowHeight);
    std::vector<bool> lit(rendered.pixels.size());
    for (std::size_t i = 0; i < lit.size(); ++i) {
        lit[i] = rendered.pixels[i] == 0xffffff;
    }
    return lit;
}

::testing::AssertionResult hasText(const Frame& frame, int x, int y, const std::string& text,
                                   std::uint32_t colour) {
    const std::vector<bool> lit = referenceText(x, y, text);
    int glyphPixels = 0;
    for (int py = std::max(y - CELL_BELOW, 0); py < std::min(y + CELL_ABOVE, frame.height); ++py) {
        const int right = x + CELL_WIDTH * static_cast<int>(text.size());
        for (int px = std::max(x, 0); px < std::min(right, frame.width); ++px) {
            const bool expected = lit[static_cast<std::size_t>(py * frame.width + px)];
            glyphPixels += expected ? 1 : 0;
            if (expected != (frame.at(px, py) == colour)) {
                return ::testing::AssertionFailure()
                       << "\"" << text << "\" differs at (" << px << ", " << py << "): pixel "
                       << std::hex << frame.at(px, py);
            }
        }
    }
    if (glyphPixels == 0) {
        return ::testing::AssertionFailure() << "\"" << text << "\" has no visible pixels";
    }
    return ::testing::AssertionSuccess();
}

} // namespace harness
