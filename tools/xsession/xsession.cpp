// Virtual display, child process, window lookup, capture and XTest input.
#include "xsession.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <poll.h>
#include <stdexcept>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace xs {

namespace {

// Turns a list of strings into the null-terminated array that exec wants.
std::vector<char*> cArgs(const std::vector<std::string>& args) {
    std::vector<char*> result;
    result.reserve(args.size() + 1);
    std::transform(args.begin(), args.end(), std::back_inserter(result),
                   [](const std::string& arg) { return const_cast<char*>(arg.c_str()); });
    result.push_back(nullptr);
    return result;
}

// Sends SIGTERM, then SIGKILL if the process has not gone after a second, and reaps it.
void stopProcess(pid_t pid) {
    if (pid <= 0) {
        return;
    }
    kill(pid, SIGTERM);
    int status = 0;
    const bool gone =
        waitUntil([&] { return waitpid(pid, &status, WNOHANG) == pid; }, std::chrono::seconds(1));
    if (!gone) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
    }
}

// Reads whatever a non-blocking pipe holds into text; false once the pipe is closed.
bool readAvailable(int fd, std::string& text) {
    char buffer[4096];
    for (;;) {
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n > 0) {
            text.append(buffer, static_cast<std::size_t>(n));
        } else if (n == 0) {
            return false;
        } else {
            return errno == EAGAIN || errno == EINTR;
        }
    }
}

} // namespace

bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout,
               std::chrono::milliseconds poll) {
    const auto deadline = Clock::now() + timeout;
    while (!condition()) {
        if (Clock::now() >= deadline) {
            return condition();
        }
        std::this_thread::sleep_for(poll);
    }
    return true;
}

VirtualDisplay::VirtualDisplay() {
    int ready[2];
    if (pipe(ready) != 0) {
        throw std::runtime_error("pipe failed");
    }
    pid_ = fork();
    if (pid_ == 0) {
        // Xvfb goes with its parent, even if the parent is killed.
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        close(ready[0]);
        const int quiet = open("/dev/null", O_WRONLY);
        dup2(quiet, STDERR_FILENO);
        dup2(quiet, STDOUT_FILENO);
        const std::string fd = std::to_string(ready[1]);
        const std::vector<std::string> args = {"Xvfb",         "-displayfd", fd,    "-screen", "0",
                                               "2048x1536x24", "-nolisten",  "tcp", "-noreset"};
        std::vector<char*> argv = cArgs(args);
        execvp("Xvfb", argv.data());
        _exit(127);
    }
    close(ready[1]);
    // Xvfb writes its display number to the pipe once it accepts connections.
    std::string number;
    pollfd waitFor = {ready[0], POLLIN, 0};
    const auto deadline = Clock::now() + std::chrono::seconds(30);
    while (number.find('\n') == std::string::npos && Clock::now() < deadline) {
        if (poll(&waitFor, 1, 100) > 0) {
            char c[16];
            const ssize_t n = read(ready[0], c, sizeof c);
            if (n <= 0) {
                break;
            }
            number.append(c, static_cast<std::size_t>(n));
        }
    }
    close(ready[0]);
    if (number.find('\n') == std::string::npos) {
        stopProcess(pid_);
        throw std::runtime_error("Xvfb did not start (is the xvfb package installed?)");
    }
    name_ = ":" + number.substr(0, number.find('\n'));
}

VirtualDisplay::~VirtualDisplay() {
    stopProcess(pid_);
}

ChildProcess::ChildProcess(const std::vector<std::string>& argv, const std::string& display) {
    int in[2];
    int out[2];
    int err[2];
    if (pipe(in) != 0 || pipe(out) != 0 || pipe(err) != 0) {
        throw std::runtime_error("pipe failed");
    }
    std::vector<std::string> env;
    for (char** e = environ; *e != nullptr; ++e) {
        if (std::strncmp(*e, "DISPLAY=", 8) != 0) {
            env.emplace_back(*e);
        }
    }
    env.push_back("DISPLAY=" + display);
    std::vector<char*> args = cArgs(argv);
    std::vector<char*> envp = cArgs(env);
    pid_ = fork();
    if (pid_ == 0) {
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        dup2(in[0], STDIN_FILENO);
        dup2(out[1], STDOUT_FILENO);
        dup2(err[1], STDERR_FILENO);
        for (int fd : {in[0], in[1], out[0], out[1], err[0], err[1]}) {
            close(fd);
        }
        execve(args[0], args.data(), envp.data());
        _exit(127);
    }
    close(in[0]);
    close(out[1]);
    close(err[1]);
    input_ = in[1];
    output_ = out[0];
    errors_ = err[0];
    fcntl(output_, F_SETFL, O_NONBLOCK);
    fcntl(errors_, F_SETFL, O_NONBLOCK);
    // A child that stopped reading must not kill us with SIGPIPE.
    std::signal(SIGPIPE, SIG_IGN);
}

ChildProcess::~ChildProcess() {
    close(input_);
    if (!exited_) {
        stopProcess(pid_);
    }
    close(output_);
    close(errors_);
}

void ChildProcess::writeInput(const std::string& text) const {
    const ssize_t written = write(input_, text.data(), text.size());
    if (written != static_cast<ssize_t>(text.size())) {
        throw std::runtime_error("could not write to the child's input");
    }
}

void ChildProcess::drain() {
    readAvailable(output_, outputText_);
    readAvailable(errors_, errorText_);
}

bool ChildProcess::waitForOutput(const std::string& text, std::chrono::milliseconds timeout) {
    return waitUntil(
        [&] {
            drain();
            return outputText_.find(text) != std::string::npos;
        },
        timeout);
}

const std::string& ChildProcess::output() {
    drain();
    return outputText_;
}

const std::string& ChildProcess::errors() {
    drain();
    return errorText_;
}

bool ChildProcess::running() {
    if (!exited_) {
        int status = 0;
        exited_ = waitpid(pid_, &status, WNOHANG) == pid_;
    }
    return !exited_;
}

long ChildProcess::residentKiB() const {
    std::ifstream status("/proc/" + std::to_string(pid_) + "/status");
    std::string word;
    while (status >> word) {
        if (word == "VmRSS:") {
            long kib = -1;
            status >> kib;
            return kib;
        }
    }
    return -1;
}

XClient::XClient(const std::string& display) : display_(XOpenDisplay(display.c_str())) {
    if (display_ == nullptr) {
        throw std::runtime_error("cannot open display " + display);
    }
}

XClient::~XClient() {
    XCloseDisplay(display_);
}

bool XClient::findTopLevel(const std::function<bool(unsigned long)>& matches, WindowInfo& info) {
    Window root = 0;
    Window parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    if (XQueryTree(display_, DefaultRootWindow(display_), &root, &parent, &children, &count) == 0) {
        return false;
    }
    bool found = false;
    for (unsigned int i = 0; i < count && !found; ++i) {
        XWindowAttributes attributes;
        found = XGetWindowAttributes(display_, children[i], &attributes) != 0 &&
                attributes.map_state == IsViewable && matches(children[i]);
        if (found) {
            info = describe(children[i]);
        }
    }
    if (children != nullptr) {
        XFree(children);
    }
    return found;
}

bool XClient::findWindow(const std::string& title, WindowInfo& info,
                         std::chrono::milliseconds timeout) {
    const auto titled = [&](unsigned long window) {
        char* name = nullptr;
        if (XFetchName(display_, window, &name) == 0 || name == nullptr) {
            return false;
        }
        const bool same = title == name;
        XFree(name);
        return same;
    };
    return waitUntil([&] { return findTopLevel(titled, info); }, timeout,
                     std::chrono::milliseconds(20));
}

bool XClient::findPopup(WindowInfo& info, bool expectShown, std::chrono::milliseconds timeout) {
    const auto popup = [&](unsigned long window) {
        XWindowAttributes attributes;
        return XGetWindowAttributes(display_, window, &attributes) != 0 &&
               attributes.override_redirect;
    };
    return waitUntil([&] { return findTopLevel(popup, info) == expectShown; }, timeout,
                     std::chrono::milliseconds(10));
}

WindowInfo XClient::describe(unsigned long window) {
    XWindowAttributes attributes;
    XGetWindowAttributes(display_, window, &attributes);
    WindowInfo info;
    info.id = window;
    info.width = attributes.width;
    info.height = attributes.height;
    Window child = 0;
    XTranslateCoordinates(display_, window, DefaultRootWindow(display_), 0, 0, &info.x, &info.y,
                          &child);
    return info;
}

Image XClient::capture(unsigned long window) {
    const WindowInfo info = describe(window);
    Image image;
    XImage* x = XGetImage(display_, window, 0, 0, static_cast<unsigned>(info.width),
                          static_cast<unsigned>(info.height), AllPlanes, ZPixmap);
    if (x == nullptr) {
        return image;
    }
    image.width = info.width;
    image.height = info.height;
    image.pixels.reserve(static_cast<std::size_t>(info.width) *
                         static_cast<std::size_t>(info.height));
    for (int y = 0; y < info.height; ++y) {
        for (int px = 0; px < info.width; ++px) {
            image.pixels.push_back(static_cast<std::uint32_t>(XGetPixel(x, px, y) & 0xffffff));
        }
    }
    XDestroyImage(x);
    return image;
}

bool XClient::waitForFirstFrame(unsigned long window, Image& frame,
                                std::chrono::milliseconds timeout, std::chrono::milliseconds poll) {
    return waitUntil(
        [&] {
            frame = capture(window);
            return std::any_of(frame.pixels.begin(), frame.pixels.end(),
                               [](std::uint32_t p) { return p != 0; });
        },
        timeout, poll);
}

void XClient::resize(unsigned long window, int width, int height) {
    XResizeWindow(display_, window, static_cast<unsigned>(width), static_cast<unsigned>(height));
    XSync(display_, False);
}

void XClient::movePointer(int x, int y) {
    XTestFakeMotionEvent(display_, -1, x, y, CurrentTime);
    XSync(display_, False);
}

void XClient::button(unsigned int button, bool press) {
    XTestFakeButtonEvent(display_, button, press ? True : False, CurrentTime);
    XSync(display_, False);
}

void XClient::key(const std::string& keysym) {
    const KeyCode code = XKeysymToKeycode(display_, XStringToKeysym(keysym.c_str()));
    XTestFakeKeyEvent(display_, code, True, CurrentTime);
    XTestFakeKeyEvent(display_, code, False, CurrentTime);
    XSync(display_, False);
}

} // namespace xs
