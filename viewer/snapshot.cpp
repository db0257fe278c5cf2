// Saves the first frame of the scene as a PNG and ends the program: a picture of any scene
// without anyone at the screen.
#include "scene.h"
#include "viewer.h"

#include <GL/glut.h>
#include <png.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

std::string snapshotPath;

// Writes 8-bit RGB rows, bottom row first as GL reads them, to path by way of a temporary
// file beside it, so that a failed write never leaves a truncated file under that name.
// Returns why it failed, or an empty text.
std::string writePng(const std::string& path, int width, int height,
                     const std::vector<unsigned char>& rgb) {
    std::string temporary = path + ".XXXXXX";
    const int fd = mkstemp(temporary.data());
    if (fd < 0) {
        return std::strerror(errno);
    }
    // mkstemp makes the file private; the picture gets what any new file would get.
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, 0666 & ~mask);
    std::FILE* file = fdopen(fd, "wb");
    std::string why;
    if (file == nullptr) {
        why = std::strerror(errno);
        close(fd);
    } else {
        png_image image{};
        image.version = PNG_IMAGE_VERSION;
        image.width = static_cast<png_uint_32>(width);
        image.height = static_cast<png_uint_32>(height);
        image.format = PNG_FORMAT_RGB;
        // A negative stride tells libpng that the first row in memory is the bottom one.
        if (png_image_write_to_stdio(&image, file, 0, rgb.data(), -width * 3, nullptr) == 0) {
            why = image.message;
        }
        if (std::fclose(file) != 0 && why.empty()) {
            why = std::strerror(errno);
        }
    }
    if (why.empty() && std::rename(temporary.c_str(), path.c_str()) != 0) {
        why = std::strerror(errno);
    }
    if (!why.empty()) {
        unlink(temporary.c_str());
    }
    return why;
}

// Draws the frame as the window would, reads it back before it is shown, and saves it.
void onSnapshotDisplay() {
    drawFrame();
    const int width = windowWidth;
    const int height = windowHeight;
    std::vector<unsigned char> rgb(static_cast<std::size_t>(width) * height * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    const std::string why = writePng(snapshotPath, width, height, rgb);
    if (!why.empty()) {
        std::fprintf(stderr, "ray-box-collision: cannot write snapshot '%s': %s\n",
                     snapshotPath.c_str(), why.c_str());
        std::exit(1);
    }
    std::printf("%s\n", snapshotPath.c_str());
    std::exit(0);
}

} // namespace

void takeSnapshotOfFirstFrame(const std::string& path) {
    snapshotPath = path;
    glutDisplayFunc(onSnapshotDisplay);
}
