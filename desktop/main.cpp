// Program entry: reads the command line, then opens the ray-box collision window and runs
// the GLUT event loop, or saves its first frame.
#include "app/options.h"
#include "desktop/viewer.h"
#include "files/output_file.h"
#include "oracle/compare.h"
#include "oracle/rays.h"

#include <GL/freeglut.h>
#include <GL/glx.h>
#include <X11/Xlibint.h>

#include <cerrno>
#include <csignal>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A snapshot that has no picture after this long never will: it says so and ends.
constexpr unsigned int SNAPSHOT_SECONDS = 10;

// A closed descriptor 0, 1 or 2 would be handed to the next file opened, the X connection
// among them, and console text would then go into it. /dev/null takes each free one first.
// Which of them were closed, one bit a descriptor.
unsigned openStandardStreams() {
    unsigned closed = 0;
    for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
        if (fcntl(fd, F_GETFD) == -1 && errno == EBADF) {
            closed |= 1U << fd;
            open("/dev/null", fd == STDIN_FILENO ? O_RDONLY : O_WRONLY);
        }
    }
    return closed;
}

// Whether this program file sits in a build tree of the project, beside its scripts.
bool inBuildTree() {
    char self[4096] = "";
    const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    std::string folder(self, n > 0 ? static_cast<std::size_t>(n) : 0);
    folder.resize(folder.rfind('/') + 1);
    return access((folder + "CMakeCache.txt").c_str(), F_OK) == 0 &&
           access((folder + "../scripts/run.sh").c_str(), X_OK) == 0;
}

// Ends at once with a line of its own. exit() would run GLUT's clean-up, which can wait
// for ever on a GL lock still held by a drawing call that the end interrupted.
[[noreturn]] void endNow(const char* why) {
    std::fputs(why, stderr);
    _exit(1);
}

int onDisplayLost(Display*) {
    endNow("ray-box-collision: lost the connection to the display\n");
}

// Any X error ends the program, as Xlib's own handler would, but in its own words; drawing
// into a window that another program destroyed is the common one.
int onXError(Display* display, XErrorEvent* error) {
    if (error->error_code == BadWindow || error->error_code == BadDrawable) {
        endNow("ray-box-collision: the window is gone\n");
    }
    char text[80] = "";
    XGetErrorText(display, error->error_code, text, sizeof text);
    std::fprintf(stderr, "ray-box-collision: X error: %s\n", text);
    _exit(1);
}

// The window the program lives in, while it lives; 0 once GLUT itself is closing it.
Window mainWindow = 0;
Bool (*convertEvent)(Display*, XEvent*, xEvent*) = nullptr;

// Sees every DestroyNotify as Xlib reads it: GLUT ignores them, so a window destroyed by
// another program would leave the process asleep in the event loop with nothing to show.
Bool onWireEvent(Display* display, XEvent* event, xEvent* wire) {
    const Bool converted = convertEvent(display, event, wire);
    if (event->type == DestroyNotify && event->xdestroywindow.window == mainWindow &&
        mainWindow != 0) {
        endNow("ray-box-collision: the window is gone\n");
    }
    return converted;
}

// GLUT closes the window itself on the way out; that is no loss to report.
void onClose() {
    mainWindow = 0;
}

// From here on the program ends with a line of its own when its window goes.
void endWithWindow() {
    Display* display = glXGetCurrentDisplay();
    mainWindow = glXGetCurrentDrawable();
    glutCloseFunc(onClose);
    XSetErrorHandler(onXError);
    convertEvent = XESetWireToEvent(display, DestroyNotify, onWireEvent);
    // A window destroyed before the hook was in place sent its news too early to be seen;
    // asking after it now makes the X error handler say so.
    XWindowAttributes attributes;
    XGetWindowAttributes(display, mainWindow, &attributes);
}

void onSnapshotTimeout(int) {
    constexpr char why[] = "ray-box-collision: no picture could be had in 10 seconds\n";
    static_assert(SNAPSHOT_SECONDS == 10, "the message names the time");
    [[maybe_unused]] const ssize_t said = write(STDERR_FILENO, why, sizeof why - 1);
    _exit(1);
}

// The -display option's value, if given; otherwise DISPLAY names the display.
std::string displayOption;

// Says which display could not be opened, and how to draw without a screen.
void reportNoDisplay() {
    const char* name = displayOption.empty() ? std::getenv("DISPLAY") : displayOption.c_str();
    if (name == nullptr) {
        std::fputs("ray-box-collision: cannot open a display: DISPLAY is not set\n", stderr);
    } else {
        std::fprintf(stderr, "ray-box-collision: cannot open the display '%s' named by %s\n",
                     shownWord(name).c_str(), displayOption.empty() ? "DISPLAY" : "-display");
    }
    std::fprintf(stderr,
                 "ray-box-collision: without a screen, 'xvfb-run -a ray-box-collision --snapshot "
                 "FILE.png'%s draws a picture\n",
                 inBuildTree() ? " or scripts/run.sh" : "");
}

// GLUT's fatal errors, in the program's words; GLUT cannot go on after one.
void onGlutError(const char* format, va_list args) {
    char text[200] = "";
    std::vsnprintf(text, sizeof text, format, args);
    if (std::strncmp(text, "failed to open display", 22) == 0) {
        reportNoDisplay();
    } else {
        std::fprintf(stderr, "ray-box-collision: %s\n", text);
    }
    _exit(1);
}

// A file the oracle reads, or standard input for "-"; null, having said why, if it cannot.
std::FILE* openInput(const std::string& path, unsigned closed) {
    if (path == "-") {
        if ((closed & (1U << STDIN_FILENO)) != 0) {
            std::fprintf(stderr, "ray-box-collision: standard input is closed\n");
            return nullptr;
        }
        return stdin;
    }
    std::FILE* in = std::fopen(path.c_str(), "rb");
    struct stat file {};
    const int error = in == nullptr                                            ? errno
                      : fstat(fileno(in), &file) == 0 && S_ISDIR(file.st_mode) ? EISDIR
                                                                               : 0;
    if (error != 0) {
        if (in != nullptr) {
            std::fclose(in);
        }
        std::fprintf(stderr, "ray-box-collision: cannot read '%s': %s\n", shownWord(path).c_str(),
                     std::strerror(error));
        return nullptr;
    }
    return in;
}

// --rays: the oracle on the file named, or with --compare a verdict on the answers named.
int answerRaysOf(const Options& options, unsigned closed) {
    std::FILE* in = openInput(options.rays, closed);
    std::FILE* answers =
        options.compare.empty() || in == nullptr ? nullptr : openInput(options.compare, closed);
    int status = 1;
    if (!options.compare.empty() && answers != nullptr) {
        CompareRun run;
        run.jobs = options.jobs;
        run.columns = options.columns;
        run.insideAs = options.insideAs;
        run.ulps = options.ulps;
        run.expect = options.hasExpect;
        run.expected = options.expect;
        status = compareAnswers(in, answers, stdout, stderr, run);
    } else if (options.compare.empty() && in != nullptr) {
        OracleRun run;
        run.method = options.method;
        run.both = options.bothMethods;
        run.jobs = options.jobs;
        run.differ = options.differ;
        run.classes = options.classes;
        status = answerRays(in, stdout, stderr, run);
    }
    for (std::FILE* file : {in, answers}) {
        if (file != nullptr && file != stdin) {
            std::fclose(file);
        }
    }
    const int flushed = finishOutput(stdout);
    return status != 0 ? status : flushed;
}

} // namespace

int main(int argc, char** argv) {
    const unsigned closed = openStandardStreams();
    // A console whose reader has gone loses the text; the window goes on.
    std::signal(SIGPIPE, SIG_IGN);

    const Options options = parseOptions(argc, argv);
    if (!options.error.empty()) {
        std::fprintf(stderr, "ray-box-collision: %s\nTry 'ray-box-collision --help'.\n",
                     options.error.c_str());
        return 2;
    }
    // These answer on standard output and nowhere else: without it, they cannot be done.
    // Nor can a snapshot into a closed stream, however its path spells it.
    const int snapshotStream = options.snapshot.empty() ? -1 : namedDescriptor(options.snapshot);
    const bool outputClosed = (closed & (1U << STDOUT_FILENO)) != 0;
    if ((outputClosed && (options.help || options.version || options.print || options.corpus ||
                          options.listMethods || !options.rays.empty())) ||
        (snapshotStream >= 0 && snapshotStream <= STDERR_FILENO &&
         (closed & (1U << snapshotStream)) != 0)) {
        const char* const names[] = {"input", "output", "error"};
        std::fprintf(stderr, "ray-box-collision: standard %s is closed\n",
                     names[snapshotStream < 0 ? STDOUT_FILENO : snapshotStream]);
        return 1;
    }
    if (options.help || options.version || options.corpus || options.listMethods) {
        const auto print = options.help      ? printUsage
                           : options.version ? printVersion
                           : options.corpus  ? printCorpus
                                             : printMethods;
        return writeOutput(stdout, written(print));
    }
    if (options.print) {
        bool answered = false;
        const std::string text =
            written([&](std::FILE* out) { answered = printAnswer(options, out); });
        const int status = writeOutput(stdout, text);
        return answered ? status : 1;
    }
    if (!options.rays.empty()) {
        return answerRaysOf(options, closed);
    }
    displayOption = options.display;
    glutInitErrorFunc(onGlutError);
    if (!options.snapshot.empty()) {
        std::signal(SIGALRM, onSnapshotTimeout);
        alarm(SNAPSHOT_SECONDS);
    }
    XSetIOErrorHandler(onDisplayLost);
    const std::string refused = startViewer(&argc, argv, options.geometry);
    if (!refused.empty()) {
        std::fprintf(stderr, "ray-box-collision: %s\n", refused.c_str());
        return 1;
    }
    applyOptions(options, desktop.state);
    if (!options.snapshot.empty()) {
        const int status = takeSnapshot(options.snapshot);
        return status != 0 ? status : finishOutput(stdout);
    }
    endWithWindow();
    glutMainLoop();
    return 0;
}
