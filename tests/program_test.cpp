// The built program as a console and a screen see it: its refusals, its statuses, what it
// writes where, its snapshots, its window's place and its end.
#include "tests/window_support.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <tuple>

namespace {

const std::string TRY = "\nTry 'ray-box-collision --help'.\n";
// The program names scripts/run.sh only where it sits in a build tree beside the scripts.
const fs::path BUILT = fs::path(RAYBOX_PROGRAM).parent_path();
const std::string NO_SCREEN =
    std::string("ray-box-collision: without a screen, 'xvfb-run -a ray-box-collision --snapshot "
                "FILE.png'") +
    (fs::exists(BUILT / "CMakeCache.txt") &&
             access((BUILT / "../scripts/run.sh").c_str(), X_OK) == 0
         ? " or scripts/run.sh"
         : "") +
    " draws a picture\n";

TEST(Program, CommandLine) {
    const fs::path dir = scratch("devices-");
    // A device like /dev/full of the test's own: every write fails for want of space.
    ASSERT_EQ(mknod((dir / "full").c_str(), S_IFCHR | 0666, makedev(1, 7)), 0);
    const std::string full = " >" + (dir / "full").string();
    // Each without a display: a program that needed one would fail otherwise.
    const std::pair<std::string, std::string> refusals[] = {
        {"--start 1", "option '--start' needs 2 numbers"},
        {"--dir 1 x", "option '--dir': 'x' is not a decimal number"},
        {"--start 1 -1e-50", "option '--start': '-1e-50' is out of a float's range"},
        {"--snapshot --explain", "option '--snapshot' needs a file name, not the option "
                                 "'--explain' (for a file of that name, write './--explain')"},
        {"--bogus", "unknown option '--bogus'"},
        {"--about --start 1 2 --about", "option '--about' given twice"},
        {"--snapshot", "option '--snapshot' needs a file name"},
        {"--print --snapshot x.png", "option '--snapshot' cannot go with '--print'"},
        {"--print --about",
         "option '--about' cannot go with '--print': there is no window to show its line in"},
        {"--print -geometry 1x1", "option '-geometry' cannot go with '--print'"},
        {"--step 3", "option '--step' needs '--explain' and a window"},
        {"--explain --frame --step 1.5",
         "option '--step' needs a step number from 1 to 99, not '1.5'"},
        {"-geometry 0x10", "option '-geometry': '0x10' is not a geometry such as 640x480, +10+20 "
                           "or 640x480-0+0"},
        {"--method slabs", "option '--method' needs a method (candidate, exact, slab or a slab "
                           "variant that --methods lists, or both), not 'slabs'"},
        {"--print --expect slab", "options '--columns', '--inside-as', '--ulps' and '--expect' "
                                  "need '--compare'"},
        {"--rays --jobs", "option '--rays' needs a file name, not the option '--jobs' (for a "
                          "file of that name, write './--jobs')"},
        {"--rays - --compare a --method slab",
         "option '--rays' cannot go with '--compare' and '--method'"},
        {"--rays - --compare a --inside-as maybe",
         "option '--inside-as' needs hit, miss or inside, not 'maybe'"},
        {"--compare a", "option '--compare' needs '--rays'"},
        {"--rays a --line 2", "option '--rays' cannot go with '--line' without '--print'"},
        {"--ray '1 2 3'", "option '--ray' needs 12 numbers in one word (origin, direction, box min "
                          "and max), not '1 2 3': 3 numbers, not 12"},
        {"--ray '1 2 3 4 5 6 7 8 9 10 11 12' --dir 1 0",
         "option '--ray' cannot go with '--start', '--dir', '--box', '--ray' or '--scene'"},
        {"--methods --print", "option '--methods' cannot go with '--print'"},
        {"--method both --print", "option '--method both' needs '--rays'"},
        {"--rays - --print", "option '--rays' cannot go with '--print'"},
        {"--rays - --start 1 2", "option '--rays' cannot go with '--start'"},
        {"--rays - --method both --differ --jobs 0",
         "option '--jobs' needs a number of jobs from 1 to 1024, not '0'"},
        {"--rays - --differ", "option '--differ' needs '--method both'"},
        {"--differ", "option '--differ' needs '--rays'"},
        {"--corpus --method slab", "option '--corpus' cannot go with '--method'"},
        // Empty and zero values, however they are given.
        {"--snapshot ''", "option '--snapshot' needs a file name"},
        {"--rays ''", "option '--rays' needs a file name, or - for standard input"},
        {"--explain --step 0", "option '--step' needs a step number from 1 to 99, not '0'"},
        {"--method ''", "option '--method' needs a method (candidate, exact, slab or a slab "
                        "variant that --methods lists, or both), not ''"},
        {"--rays - --compare - --ulps ''",
         "option '--ulps' needs a number of units in the last place from 0 to 1073741824, not ''"},
        {"--start '' 1", "option '--start': '' is not a decimal number"},
        {"-geometry ''", "option '-geometry': '' is not a geometry such as 640x480, +10+20 or "
                         "640x480-0+0"},
    };
    for (const auto& [options, why] : refusals) {
        EXPECT_EQ(run(options, false), Outcome(2, "", "ray-box-collision: " + why + TRY));
    }
    // Output with nowhere to go is a failure, with its cause, short or long; output its
    // reader stopped reading is not. However a snapshot names a standard stream that is
    // closed, it has nowhere to go.
    for (const char* answer :
         {"--help", "--version", "--print", "--corpus", "--methods", "--rays /dev/null"}) {
        EXPECT_EQ(run(answer + full, false),
                  Outcome(1, "",
                          "ray-box-collision: cannot write the output: No space left on "
                          "device\n"))
            << answer;
    }
    const int inputClosed = std::system(RAYBOX_PROGRAM " --rays - <&- >/dev/null 2>&1");
    EXPECT_EQ(WEXITSTATUS(inputClosed), 1) << "standard input closed";
    EXPECT_EQ(run("--rays /nonexistent", false),
              Outcome(1, "",
                      "ray-box-collision: cannot read '/nonexistent': No such file or "
                      "directory\n"));
    EXPECT_EQ(run("--rays / --compare -", false),
              Outcome(1, "", "ray-box-collision: cannot read '/': Is a directory\n"));
    for (const char* answer : {"--help", "--version", "--print", "--snapshot -",
                               "--snapshot /dev/stdout", "--snapshot /proc/self/fd/1",
                               "--snapshot /dev/fd/1", "--corpus", "--methods", "--rays -"}) {
        EXPECT_EQ(run(answer + std::string(" >&-"), false),
                  Outcome(1, "", "ray-box-collision: standard output is closed\n"));
        EXPECT_EQ(run(answer + std::string(" >&") + std::to_string(GONE)), Outcome(0, "", ""))
            << answer;
    }
    const int errorClosed = std::system(RAYBOX_PROGRAM " --snapshot /dev/stderr 2>&-");
    EXPECT_EQ(WEXITSTATUS(errorClosed), 1) << "standard error closed";
    EXPECT_EQ(
        run("", false),
        Outcome(1, "",
                "ray-box-collision: cannot open a display: DISPLAY is not set\n" + NO_SCREEN));
    // Installed, away from a build tree, it names no script of the project's.
    const fs::path installed = scratch("installed-") / "ray-box-collision";
    fs::copy_file(RAYBOX_PROGRAM, installed, fs::copy_options::overwrite_existing);
    EXPECT_EQ(std::get<2>(run("", false, installed)),
              "ray-box-collision: cannot open a display: DISPLAY is not set\n"
              "ray-box-collision: without a screen, 'xvfb-run -a ray-box-collision --snapshot "
              "FILE.png' draws a picture\n");
    // A window larger than the GL can draw ends with a word, not a crash.
    // Sizes as typed, however many digits they have.
    for (const auto& [size, typed] : {std::pair{"65535x65535 --snapshot x.png", "65535 x 65535"},
                                      {"32767x100", "32767 x 100"},
                                      {"4294967295x1", "4294967295 x 1"},
                                      {"1x4294967295", "1 x 4294967295"},
                                      {"99999999999x100", "99999999999 x 100"}}) {
        const auto [status, out, err] = run(std::string("-geometry ") + size);
        EXPECT_EQ(std::pair(status, err.substr(0, err.find(" pixels"))),
                  std::pair(1, "ray-box-collision: a window of " + std::string(typed)));
    }
    // --version, like --help, answers unless a refusal comes first.
    const auto [version, text, none] = run("--version --bogus", false);
    EXPECT_EQ(std::pair(version, text.substr(0, text.find('\n'))),
              std::pair(0, std::string("ray-box-collision " RAYBOX_VERSION)));
    EXPECT_EQ(std::get<0>(run("--bogus --version", false)), 2);
}

TEST(Program, Snapshots) {
    openViewer(); // draws the reference text
    const fs::path dir = scratch("snapshots-");
    const auto at = [&](const char* name) { return (dir / name).string(); };
    const std::string inside = at("inside.png");
    EXPECT_EQ(run("--start 10 20 --snapshot " + inside), Outcome(0, inside + "\n", ""));
    EXPECT_TRUE(hasText(readPng(slurp(inside)), 400, 34, "start point is inside box.", YELLOW));
    EXPECT_EQ(fs::status(inside).permissions(), fs::perms(0644)) << "as any new file, umask 022";
    EXPECT_EQ(std::get<0>(run("--explain --start 10 20 --snapshot " + inside)), 0);
    EXPECT_TRUE(hasText(readPng(slurp(inside)), 177, 409, "x: start 10 is within [5, 15]:",
                        STEPS)); // the teaching view's steps
    // Without a window on screen: a screen too small to show it, and a window kept iconic.
    const std::string small = "timeout 20 xvfb-run -a -s '-screen 0 400x300x24' " RAYBOX_PROGRAM;
    for (const std::string& command :
         {small + " --snapshot " + at("small.png"),
          std::string(RAYBOX_PROGRAM) + " -iconic --snapshot " + at("small.png")}) {
        EXPECT_EQ(std::system(command.c_str()), 0) << command;
        EXPECT_TRUE(hasText(readPng(slurp(at("small.png"))), 34, 34, HIT, RED));
    }
    // What is at the path is written as the file-writing tests say; the program reports
    // a failure with the system's reason.
    ASSERT_EQ(mknod(at("full").c_str(), S_IFCHR | 0666, makedev(1, 7)), 0);
    EXPECT_EQ(run("--snapshot " + at("full")),
              Outcome(1, "",
                      "ray-box-collision: cannot write snapshot '" + at("full") +
                          "': No space left on device\n"));
    EXPECT_EQ(
        run("--snapshot " + at("x.png") + " >" + at("full")),
        Outcome(1, "", "ray-box-collision: cannot write the output: No space left on device\n"));
    // Standard output itself ("-") takes the picture, and nothing else.
    EXPECT_TRUE(hasText(readPng(std::get<1>(run("--snapshot -"))), 34, 34, HIT, RED));

    // Standard output, whatever is behind it, takes the picture at its offset: what the shell
    // wrote there before and writes after stays.
    const std::string file = at("out");
    ASSERT_EQ(std::system(
                  ("echo PRE >" + file +
                   "; (echo HEAD; " RAYBOX_PROGRAM " --snapshot /dev/stdout; echo TAIL) >>" + file)
                      .c_str()),
              0);
    const std::string bytes = slurp(file);
    EXPECT_EQ(bytes.substr(0, 9) + bytes.substr(bytes.size() - 5), "PRE\nHEAD\nTAIL\n");
    EXPECT_EQ(readPng(bytes.substr(9, bytes.size() - 14)).width, 640);
}

// Starts the built program in the background: its process id, and its shell, which says
// the program's exit status when it ends.
std::pair<int, std::FILE*> launch(const std::string& options) {
    std::FILE* shell =
        popen((RAYBOX_PROGRAM " " + options + " & echo $!; wait $!; echo $?").c_str(), "r");
    int pid = 0;
    EXPECT_EQ(std::fscanf(shell, "%d", &pid), 1);
    return {pid, shell};
}

// The launched program's exit status once it has ended; -1 if it is still running after 10 s,
// and is then killed.
int exitStatus(const std::pair<int, std::FILE*>& launched) {
    pollfd ended{fileno(launched.second), POLLIN, 0};
    if (poll(&ended, 1, 10000) != 1) {
        kill(launched.first, SIGKILL);
    }
    int status = -1;
    const bool said = std::fscanf(launched.second, "%d", &status) == 1;
    pclose(launched.second);
    return said && ended.revents != 0 ? status : -1;
}

TEST(Program, WindowPlaceAndEnd) {
    // -geometry is the user's; a window that another program destroys ends the program,
    // whether it sleeps on a hit or redraws on a miss.
    const std::string err = scratch("window-") / "err";
    for (const auto& [options, place, size] :
         {std::tuple{"-geometry 320x240+10+20", std::pair{10, 20}, std::pair{320u, 240u}},
          {"--dir -0.5 1", {500, 500}, {640u, 480u}}}) {
        const auto launched = launch(options + std::string(" 2>") + err);
        const Window window = findWindow("^ray-box collision$");
        int x = 0;
        int y = 0;
        unsigned int width = 0;
        unsigned int height = 0;
        xdo_get_window_location(xdo, window, &x, &y, nullptr);
        xdo_get_window_size(xdo, window, &width, &height);
        EXPECT_EQ(std::pair(x, y), place) << options;
        EXPECT_EQ(std::pair(width, height), size) << options;
        XDestroyWindow(xdo->xdpy, window);
        XFlush(xdo->xdpy);
        EXPECT_EQ(exitStatus(launched), 1) << options;
        EXPECT_EQ(slurp(err), "ray-box-collision: the window is gone\n") << options;
    }
}

TEST(Program, OutlivesItsConsoleNotItsDisplay) {
    // Output to that pipe, output closed, input closed, errors closed; and a miss, which
    // redraws all the time, so that the display goes while it draws. A closed descriptor
    // is /dev/null's, never the X connection's.
    for (const auto& [streams, closed] : {std::pair{">&9 </dev/null", -1},
                                          {">&- </dev/null", 1},
                                          {"<&- >/dev/null", 0},
                                          {"2>&- </dev/null >/dev/null", 2},
                                          {"--dir -0.5 1 </dev/null >/dev/null", -1}}) {
        SCOPED_TRACE(streams);
        const auto launched = launch(streams);
        const Window window = findWindow("^ray-box collision$");
        findWindow("^freeglut menu$", true, false); // made after the first frame
        if (closed >= 0) {
            const std::string fd =
                "/proc/" + std::to_string(launched.first) + "/fd/" + std::to_string(closed);
            EXPECT_EQ(fs::read_symlink(fd), "/dev/null");
        }
        type(window, "hh");
        pick(window, 6); // the direction prompt reads standard input
        // Still there and still answering: the menu opens.
        pointTo(window, 100, 100);
        button(3, true);
        EXPECT_NE(findWindow("^freeglut menu$"), 0u);
        button(3, false);
        // Cut off from its display, it ends.
        xdo_kill_window(xdo, window);
        XFlush(xdo->xdpy);
        EXPECT_EQ(exitStatus(launched), 1);
    }
}

} // namespace
