// The program's own texts: its version and licence, its usage, and the methods it knows.
#include "app/options.h"

#include "core/methods.h"

#include <cstdio>

void printVersion(std::FILE* out) {
    std::fputs("ray-box-collision " RAYBOX_VERSION "\n"
               "Copyright (c) The ray-box collision authors.\n"
               "MIT License: free to use, copy, change and hand on, with no warranty.\n",
               out);
}

namespace {

// What --help prints.
constexpr const char USAGE[] =
    "Usage: ray-box-collision [OPTION]...\n"
    "An interactive demonstration of a ray meeting an axis-aligned box. The window\n"
    "shows the box, the outcome of a ray-box test (the hit point, \"No Intersection\"\n"
    "or that the ray starts inside the box) and the ray's start and direction.\n"
    "\n"
    "Options (decimal numbers such as 3, -0.5 or 1e-3 that a float can hold, not 0\n"
    "when written with other digits; z stays 0):\n"
    "  --start X Y                the ray's start point (default -1 0.5)\n"
    "  --dir X Y                  the ray's direction (default 0.5 1); normalised to\n"
    "                             unit length when a component lies outside [-1, 1]\n"
    "  --box MINX MINY MAXX MAXY  the box's left, bottom, right and top planes\n"
    "                             (default 5 10 15 25); crossed planes are allowed;\n"
    "                             six numbers (MINX MINY MINZ MAXX MAXY MAXZ) give\n"
    "                             it depth\n"
    "  --view 2d|3d               the plane z = 0 (the default) or the scene in\n"
    "                             space\n"
    "  --turn AZIMUTH ELEVATION   with --view 3d, its turn in degrees (default 30\n"
    "                             20; elevation from -89 to 89)\n"
    "  --scene NAME               start on a named scene: hit, miss, inside,\n"
    "                             along-face, graze-edge, corner, crossed,\n"
    "                             face-along, face-in or rounding\n"
    "  --predict                  hold the outcome back until it is predicted\n"
    "  --about                    start with the about line shown\n"
    "  --snapshot FILE.png        draw the first frame, save it as a PNG, print\n"
    "                             FILE.png and exit (needs a display)\n"
    "  --print                    print the outcome the window would show and exit,\n"
    "                             with no window and no display\n"
    "  --explain                  show the test's steps: where the start lies on\n"
    "                             each axis, the candidate planes and their\n"
    "                             distances t, the entry plane and the checks at\n"
    "                             the entry point; printed first with --print,\n"
    "                             else drawn in the window (or snapshot), where\n"
    "                             the pointer can also drag the ray's start dot\n"
    "                             and its arrow head\n"
    "  --frame                    with --explain in the window, frame the scene: the\n"
    "                             box, the start and the entry point in view\n"
    "  --step N                   with --explain in the window, show step N alone\n"
    "  --method NAME              the method used: candidate (the default), slab,\n"
    "                             exact, or a slab variant such as slab+double+div\n"
    "                             (--methods lists them); where the candidate\n"
    "                             planes, the slab test and the exact answer\n"
    "                             disagree, the steps say so\n"
    "  --methods                  print every method's name and exit\n"
    "  --ray \"12 NUMBERS\"         the whole scene in 3D: origin, direction, box\n"
    "                             min and max, each x y z, in any float syntax of\n"
    "                             --rays; the direction is used as given\n"
    "  --rays FILE                answer every ray in FILE (- for standard input),\n"
    "                             12 numbers a line (origin, direction, box min\n"
    "                             and max, each x y z; decimal, hex, inf or nan),\n"
    "                             as CSV; the direction is used as given\n"
    "  --method both              with --rays, candidate and slab and whether they\n"
    "                             agree\n"
    "  --jobs N                   with --rays, N threads (default one a core)\n"
    "  --differ                   with --rays --method both, only disagreements\n"
    "  --classes                  with --rays, the class after a line's 12 numbers\n"
    "                             written as a last column\n"
    "  --line N                   with --rays FILE --print, line N of FILE alone\n"
    "  --compare ANSWERS          with --rays, judge your answers (CSV: line,\n"
    "                             outcome, t) against every method\n"
    "  --columns LIST             the answers' columns where they have no header\n"
    "  --inside-as hit|miss|inside  how your function answers for a start inside\n"
    "  --ulps N                   how far t may be off, where both say hit (0)\n"
    "  --expect METHOD            status 0 only if every answer agrees with METHOD\n"
    "  --corpus                   print rays that break ray-box tests, a class each\n"
    "  --help                     print this text and exit\n"
    "  --version                  print the version and licence and exit\n"
    "GLUT's own options, such as -display DISPLAY, are taken as well.\n"
    "\n"
    "Keys in the window: w, d, a and s select the top, bottom, left or right plane,\n"
    "and the arrow keys move it as a drag of one pixel would (ten with Shift);\n"
    "h prints help on the console; c turns from the candidate planes to the slab\n"
    "test and back; o turns predicting on and off, and 1, 2 and 3 predict a hit, a\n"
    "miss or a start inside. With --explain also: n and p walk the steps one at a\n"
    "time, Escape shows them all; f frames the scene, r returns to the usual\n"
    "view; the wheel zooms about the pointer. v turns to the 3D view and back;\n"
    "there a drag off the ray's handles and the arrow keys turn the view, the\n"
    "wheel zooms, f frames and r turns it back, and the plane keys and the menu\n"
    "select a plane without dragging it.\n"
    "Drag with the left or middle button to move the selected plane: 25 pixels move\n"
    "it one unit; upwards raises top and bottom, rightwards moves left and right to\n"
    "the right. Planes may cross.\n"
    "The right button opens the menu: select a plane, change the ray's start point\n"
    "or direction (both asked for on the console), toggle the about line, print\n"
    "help, turn to the other method, predict, turn to the 3D view.\n";

} // namespace

void printUsage(std::FILE* out) {
    std::fputs(USAGE, out);
}

void printMethods(std::FILE* out) {
    for (const Method& method : allMethods()) {
        std::fprintf(out, "%s\n", methodName(method).c_str());
    }
}
