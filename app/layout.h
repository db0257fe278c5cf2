// What one frame shows, laid out as data: the box, the hit segment, the teaching view's
// lines, marks, handles and texts, and the frame's own texts, each with its place and
// colour, every text with its box in window pixels. No GL: the painter only paints this,
// the pointer's hits on the ray's handles are answered from it, and tests read it.
//
// A painter's contract:
// - Units: window pixels from the bottom-left corner, everything; view says which part of
//   the scene they show, for those who need to know.
// - Order, each over the one before: clear to black; the box (corners red, green, blue,
//   yellow, blended smoothly); in the 3D view, backLines, then the triangles in the order
//   given (back to front), each corner's colour blended across it and the whole alpha-
//   blended over what is under it (alpha times its colour plus 1 - alpha times the colour
//   under it); the lines (the teaching view's, and in the 3D view the box's front edges,
//   the axes and the ray); the segment (yellow, segmentWidth pixels wide); the band of the
//   number line of t, when shown: a black plate of bandBox, then bandLines; the teaching
//   view's texts, each on a black plate of its box, so that it reads as well over the box
//   and the segment as beside them; the marks, the start dot and the arrow head
//   (arrowColour); the frame's own texts. Lines are drawn without antialiasing, so that
//   they never blend into a text's pixels.
// - Colours are each item's own, components from 0 to 1; texts in the 9 x 15 bitmap font
//   (or the page's 15 px monospace), baseline at (x, y).
#pragma once

#include "app/state.h"
#include "core/clip.h"

#include <array>
#include <string>
#include <vector>

// The shorter window side shows this many scene units in the usual view.
constexpr int SCENE_SPAN = 30;

// Size of a text's message buffer, terminator included: a longer text is cut.
constexpr int TEXT_BUFFER_SIZE = 200;

// Red, green and blue, each from 0 to 1.
struct Colour {
    float r;
    float g;
    float b;
};

// A rectangle of window pixels counted from the bottom-left corner: x0 <= x < x1 and
// y0 <= y < y1.
struct PixelBox {
    double x0;
    double y0;
    double x1;
    double y1;
};

// Whether two rectangles share any area.
bool overlaps(const PixelBox& a, const PixelBox& b);

// Which part of the frame a text belongs to; TEXT_BAND names the rows and the ticks of the
// number line of t.
enum TextRole { TEXT_FRAME, TEXT_STEP, TEXT_KEYS, TEXT_LABEL, TEXT_BAND };

// A text in the 9 x 15 bitmap font, its baseline starting at (x, y) window pixels.
struct TextItem {
    int x;
    int y;
    std::string text;
    Colour colour;
    TextRole role;
    PixelBox box; // the cells of its characters, from the lowest descender to the top
};

// A line between two points in window pixels, width pixels wide.
struct LineItem {
    double x0;
    double y0;
    double x1;
    double y1;
    float width;
    Colour colour;
};

// A square mark of size pixels centred on (x, y) window pixels.
struct MarkItem {
    double x;
    double y;
    float size;
    Colour colour;
};

// A triangle in window pixels, a colour at each corner, alpha-blended as a whole.
struct TriangleItem {
    std::array<std::array<double, 2>, 3> corners;
    std::array<Colour, 3> colours;
    float alpha;
};

// The fields go from the largest to the smallest, which keeps the struct compact.
struct FrameLayout {
    // What part of the scene the window shows.
    View view{};
    // The segment from the ray's start to the hit point, segmentWidth pixels wide.
    std::array<double, 2> segmentFrom{};
    std::array<double, 2> segmentTo{};
    // The teaching view: lines and texts go under the segment, marks and the ray's handles
    // over it.
    std::vector<LineItem> lines;
    // The 3D view: the lines behind the box's faces, dimmer, and the faces, slabs and planes
    // as triangles, back to front.
    std::vector<LineItem> backLines;
    std::vector<TriangleItem> triangles;
    std::vector<TextItem> teachingTexts;
    std::vector<MarkItem> marks;
    // The number line of t under the picture in the teaching view: its lines, over its plate;
    // its texts and marks are the teaching view's.
    std::vector<LineItem> bandLines;
    PixelBox bandBox{};
    // The frame's own texts, over everything, in the order they are drawn.
    std::vector<TextItem> texts;
    // The start dot, and the arrow head (its tip first) in its colour, when shown.
    MarkItem start{};
    std::array<std::array<double, 2>, 3> arrowHead{};
    Colour arrowColour{};
    // The box: the whole quad, corners red, green, blue and yellow from (minX, minY) round,
    // or, when it reaches far beyond the view, its pieces cut to a region around the view.
    std::array<Corner, 4> boxQuad{};
    BoxPieces boxPieces{};
    int width = 0;
    int height = 0;
    float segmentWidth = 1.0f;
    bool teaching = false; // the teaching view is laid out over the frame
    bool band = false;     // the number line of t is shown
    bool view3d = false;   // the scene in space, not the plane z = 0
    bool boxWhole = false;
    bool segment = false;
    bool startDot = false;
    bool arrow = false;
};

// The box a text of this many characters takes up at (x, y).
PixelBox textBox(int x, int y, std::size_t characters);

// A status line as the frame's text buffer holds it: "ray start = -1.000000 0.500000 ...".
std::string statusText(const char* name, const float v[3]);

// The direction status line's baseline, the lower of the two status lines, in a window
// this high.
int directionLineY(int windowHeight);

// Lays out the frame of the state's scene in its window for this record of the ray-box
// test: the plain frame, with the teaching view over it when that is on.
FrameLayout layoutFrame(const AppState& state, const RayTestRecord& record);

// The exact answer's intervals of t as the slab view draws a slab test's.
SlabTestRecord intervalsOf(const ExactRecord& exact);

// The view frames show: the usual one, or in the teaching view one framed on the scene or
// zoomed by the user.
View currentView(const AppState& state);

// Moves and scales the teaching view so that the box, the ray's start, its arrow head and
// the entry point are all in view with a margin; back to the usual view.
void frameScene(AppState& state);
void resetView(AppState& state);

// Scales the teaching view by factor about the pointer at (x, y) window pixels from the
// top left, keeping the scene point under it in place.
void zoomView(AppState& state, double factor, int x, int y);

// The step walk: the next step (past the last, all of them again), the previous one, all.
void nextStep(AppState& state);
void previousStep(AppState& state);
void showAllSteps(AppState& state);
// How many steps the walk has for the current scene, and the one it shows alone: -1 while
// it shows all of them, as it does for a step past the last.
int stepCount(const AppState& state);
int shownStep(const AppState& state);
