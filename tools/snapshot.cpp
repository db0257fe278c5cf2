// Starts the program on a virtual display, saves its first frame as a PNG and prints
// the file's path: a way to see the demo on a machine without a screen.
#include "xsession.h"

#include <cstdio>
#include <exception>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s PROGRAM OUTPUT.png\n", argv[0]);
        return 2;
    }
    try {
        xs::VirtualDisplay display;
        xs::ChildProcess program({argv[1]}, display.name());
        xs::XClient client(display.name());
        xs::WindowInfo window;
        if (!client.findWindow("ray-box collision", window, std::chrono::seconds(30))) {
            std::fprintf(stderr, "no window appeared: %s\n", program.errors().c_str());
            return 1;
        }
        xs::Image frame;
        const bool drawn = client.waitForFirstFrame(window.id, frame, std::chrono::seconds(30),
                                                    std::chrono::milliseconds(20));
        if (!drawn || !xs::writePng(frame, argv[2])) {
            std::fprintf(stderr, "could not save the first frame\n");
            return 1;
        }
        std::printf("%s\n", argv[2]);
        return 0;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
}
