// Saves the first frame of the scene as a PNG and ends the program: a picture of any scene
// without anyone at the screen. The frame is drawn off-screen, so the window need never be
// shown, and the file is written without harming whatever is at the path.
#define GL_GLEXT_PROTOTYPES // framebuffer objects
#include "app/options.h"
#include "app/scene.h"
#include "desktop/viewer.h"
#include "files/output_file.h"
#include "files/png.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <csignal>
#include <cstdio>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

// Draws the frame into a framebuffer object of the window's size and reads it back: no
// expose event and no visible window are needed. Empty if the GL offers no such buffer.
std::vector<unsigned char> drawOffscreen(int width, int height) {
    GLuint framebuffer = 0;
    GLuint colour = 0;
    glGenFramebuffers(1, &framebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glGenRenderbuffers(1, &colour);
    glBindRenderbuffer(GL_RENDERBUFFER, colour);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, width, height);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colour);
    std::vector<unsigned char> rgb;
    if (glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE) {
        applyPixelProjection(width, height);
        drawFrame();
        rgb.resize(static_cast<std::size_t>(width) * height * 3);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadBuffer(GL_COLOR_ATTACHMENT0);
        glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    }
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glDeleteRenderbuffers(1, &colour);
    glDeleteFramebuffers(1, &framebuffer);
    return rgb;
}

} // namespace

int takeSnapshot(const std::string& path) {
    const std::vector<unsigned char> rgb =
        drawOffscreen(desktop.state.windowWidth, desktop.state.windowHeight);
    // The picture is had; writing it may wait, as for a pipe with its reader still to come.
    alarm(0);
    const std::vector<unsigned char> png =
        rgb.empty() ? rgb : encodePng(desktop.state.windowWidth, desktop.state.windowHeight, rgb);
    const std::string why =
        png.empty() ? "the frame could not be drawn off-screen" : writeOutputFile(path, png);
    if (!why.empty()) {
        std::fprintf(stderr, "ray-box-collision: cannot write snapshot '%s': %s\n",
                     shownWord(path).c_str(), why.c_str());
        return 1;
    }
    // Named on standard output, unless the picture itself went there.
    if (path != "-" && !opensOn(path, STDOUT_FILENO)) {
        std::printf("%s\n", path.c_str());
    }
    return 0;
}
