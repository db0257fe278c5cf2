// Program entry: reads the command line, then opens the ray-box collision window and runs
// the GLUT event loop, or saves its first frame.
#include "options.h"
#include "viewer.h"

#include <GL/glut.h>
#include <X11/Xlib.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace {

// A closed descriptor 0, 1 or 2 would be handed to the next file opened, the X connection
// among them, and console text would then go into it. /dev/null takes each free one first.
void openStandardStreams() {
    for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
        if (fcntl(fd, F_GETFD) == -1 && errno == EBADF) {
            open("/dev/null", fd == STDIN_FILENO ? O_RDONLY : O_WRONLY);
        }
    }
}

// A lost display ends the program at once. Xlib's own handler calls exit(), whose handlers
// include GLUT's clean-up, and that waits for ever on a GL lock still held by the drawing
// call the loss interrupted.
int onDisplayLost(Display*) {
    std::fputs("ray-box-collision: lost the connection to the display\n", stderr);
    _exit(1);
}

} // namespace

int main(int argc, char** argv) {
    openStandardStreams();
    // A console whose reader has gone loses the text; the window goes on.
    std::signal(SIGPIPE, SIG_IGN);

    const Options options = parseOptions(argc, argv);
    if (!options.error.empty()) {
        std::fprintf(stderr, "ray-box-collision: %s\nTry 'ray-box-collision --help'.\n",
                     options.error.c_str());
        return 2;
    }
    if (options.help) {
        printUsage(stdout);
        return 0;
    }
    XSetIOErrorHandler(onDisplayLost);
    startViewer(&argc, argv);
    applyOptions(options);
    if (!options.snapshot.empty()) {
        takeSnapshotOfFirstFrame(options.snapshot);
    }
    glutMainLoop();
    return 0;
}
