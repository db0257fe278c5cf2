// Helpers to run the program for real on a virtual X display: start Xvfb, start a child
// on pipes, find its window, read its pixels and send it pointer and key events.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// Xlib's own name for its connection type, declared here so Xlib.h stays out of users.
using Display =
    struct _XDisplay; // NOLINT(bugprone-reserved-identifier,cert-dcl37-c,cert-dcl51-cpp)

namespace xs {

using Clock = std::chrono::steady_clock;

// Polls until the condition holds or the timeout passes; returns the condition's last value.
bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout,
               std::chrono::milliseconds poll = std::chrono::milliseconds(5));

// An Xvfb server on a display number it picks itself; stopped when this is destroyed.
class VirtualDisplay {
  public:
    VirtualDisplay();
    ~VirtualDisplay();
    VirtualDisplay(const VirtualDisplay&) = delete;
    VirtualDisplay& operator=(const VirtualDisplay&) = delete;

    // The display name, for example ":3".
    [[nodiscard]] const std::string& name() const {
        return name_;
    }

  private:
    pid_t pid_ = -1;
    std::string name_;
};

// A child process with its standard input, output and error on pipes; killed when
// this is destroyed.
class ChildProcess {
  public:
    ChildProcess(const std::vector<std::string>& argv, const std::string& display);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    [[nodiscard]] pid_t pid() const {
        return pid_;
    }
    void writeInput(const std::string& text) const;
    // Waits until the standard output so far contains text.
    bool waitForOutput(const std::string& text, std::chrono::milliseconds timeout);
    // Everything read so far from standard output and standard error.
    const std::string& output();
    const std::string& errors();
    bool running();
    // Resident memory in KiB, from /proc.
    [[nodiscard]] long residentKiB() const;

  private:
    void drain();
    pid_t pid_ = -1;
    int input_ = -1;
    int output_ = -1;
    int errors_ = -1;
    std::string outputText_;
    std::string errorText_;
    bool exited_ = false;
};

// An RGB image with its origin at the top-left corner.
struct Image {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels; // 0xRRGGBB

    [[nodiscard]] std::uint32_t at(int x, int y) const {
        return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                      static_cast<std::size_t>(x)];
    }
};

struct WindowInfo {
    unsigned long id = 0;
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// An Xlib connection that looks at and drives windows on one display.
class XClient {
  public:
    explicit XClient(const std::string& display);
    ~XClient();
    XClient(const XClient&) = delete;
    XClient& operator=(const XClient&) = delete;

    // Waits for a mapped top-level window with this title.
    bool findWindow(const std::string& title, WindowInfo& info, std::chrono::milliseconds timeout);
    // Waits for a mapped pop-up (override-redirect) window, such as an open menu, or with
    // expectShown false, for none to be left.
    bool findPopup(WindowInfo& info, bool expectShown, std::chrono::milliseconds timeout);
    // Refreshes position and size of a window found before.
    WindowInfo describe(unsigned long window);
    Image capture(unsigned long window);
    // Waits until the window shows anything but black, which it does from its first frame
    // on, and keeps that capture in frame.
    bool waitForFirstFrame(unsigned long window, Image& frame, std::chrono::milliseconds timeout,
                           std::chrono::milliseconds poll);
    // Resizes a window directly; there is no window manager to ask.
    void resize(unsigned long window, int width, int height);
    // Pointer and keys through XTest; positions are on the root window.
    void movePointer(int x, int y);
    void button(unsigned int button, bool press);
    void key(const std::string& keysym);

  private:
    // Finds the first mapped child of the root window that matches.
    bool findTopLevel(const std::function<bool(unsigned long)>& matches, WindowInfo& info);
    Display* display_ = nullptr;
};

} // namespace xs
