// The rooms of the layout share these: the font's and the frame's measures, the colours,
// the helpers that place things, and the Layouter, which lays out one frame of a state.
// Nothing outside app/layout*.cpp, view.cpp and walk.cpp includes it.
#pragma once

#include "app/layout.h"
#include "app/view3d.h"
#include "core/explain.h"

#include <array>
#include <string>
#include <vector>

namespace layout {

// The 9 x 15 font: characters 9 px wide, lines 15 px apart. A character's cell reaches 4 px
// below the baseline and 11 above it.
constexpr int CHAR_PIXELS = 9;
constexpr int LINE_PIXELS = 15;
constexpr int BELOW_BASELINE = 4;
constexpr int ABOVE_BASELINE = 12;
// The result line's place; the about line sits one text line (20 px) above it.
constexpr int RESULT_X = 34;
constexpr int RESULT_Y = 34;
constexpr int ABOUT_Y = 54;
// The inside message starts five eighths of the way across the window.
constexpr double INSIDE_X_FRACTION = 0.625;
// The start line sits at 20/21 of the window height, the direction line 30 px below it.
constexpr double STATUS_Y_FRACTION = 0.9523809523809523;
constexpr double STATUS_LINE_GAP = 30.0;
// The teaching view's keys line, at the bottom left.
constexpr int KEYS_X = 4;
constexpr int KEYS_Y = 8;
// The steps: their first baseline this far below the direction line's, their last no lower
// than STEPS_BOTTOM (clear of the about line); a column narrower than MIN_COLUMNS
// characters would break them into fragments.
constexpr int STEPS_GAP = 18;
constexpr int STEPS_BOTTOM = 76;
constexpr int STEPS_MARGIN = 12;
constexpr int MIN_COLUMNS = 24;
// A step's continuation lines start this many characters in.
constexpr std::size_t CONTINUATION = 2;
// An x plane's label is tried first at this baseline, where it has always been.
constexpr int LABEL_Y = 72;
// The arrow head's tip sits this far along the ray from its start, and is this long; the
// start dot is this wide. Larger where a finger works the picture.
constexpr double ARROW_PIXELS = 48.0;
constexpr double ARROW_LENGTH = 12.0;
constexpr float START_DOT = 9.0f;
constexpr double TOUCH_SCALE = 5.0 / 3.0;
// A framed view keeps this many pixels round what it frames: room for the arrow head.
constexpr double FRAME_MARGIN = 64.0;

constexpr Colour RED{1.0f, 0.0f, 0.0f};
constexpr Colour GREEN{0.0f, 1.0f, 0.0f};
constexpr Colour YELLOW{1.0f, 1.0f, 0.0f};
constexpr Colour WHITE{1.0f, 1.0f, 1.0f};
constexpr Colour GREY{0.6f, 0.6f, 0.6f};
constexpr Colour CYAN{0.0f, 1.0f, 1.0f};
constexpr Colour STEPS{0.7f, 0.9f, 1.0f};
// Steps other than the walk's current one: dimmer, still 5:1 against black.
constexpr Colour DIM_STEPS{0.4f, 0.5f, 0.55f};
constexpr Colour BOUNDS{1.0f, 0.6f, 0.2f};
constexpr Colour FAILED{1.0f, 0.3f, 0.3f};
// The slab view's axes: each slab's planes and its interval of t along the ray.
constexpr Colour SLAB_X{1.0f, 0.55f, 0.55f};
constexpr Colour SLAB_Y{0.5f, 0.75f, 1.0f};
constexpr Colour SLAB_Z{0.55f, 1.0f, 0.55f};
constexpr Colour AXIS_COLOURS[3] = {SLAB_X, SLAB_Y, SLAB_Z};
// The line that says where the two methods disagree.
constexpr Colour DISAGREE{1.0f, 0.6f, 0.2f};
// A prediction confirmed, or corrected.
constexpr Colour RIGHT{0.4f, 1.0f, 0.4f};
constexpr Colour WRONG{1.0f, 0.45f, 0.45f};

const char* const KEYS = "w d a s: plane  n p Esc: steps  f r: view  c: method  h: help";
const char* const KEYS_3D = "drag, arrows: turn  n p: steps  f r: view  c: method  v: 2D";
const char* const ENLARGE = "enlarge the window to see the steps";

// The number line of t: whether the teaching view shows it in a window of this state's size,
// its band in window pixels, and where the picture over it begins (0 where it is not shown).
struct BandPlace {
    bool shown;
    PixelBox box;
    int pictureBottom;
};
BandPlace bandPlace(const AppState& state);
// Whether z is worth showing: an axis the ray does not move along, its start within the
// slab, holds every t, as z does in a flat scene.
bool zShown(const Scene& scene);
// The picture keeps this many pixels clear over the band.
constexpr int PICTURE_GAP = 4;

// The ray's line in window pixels: the points (X, Y) with a X + b Y = k. It is worked out
// from the start and the direction as floats, whose products a double holds exactly, so
// that a start far outside the view still puts the line where the ray crosses the view.
struct RayLine {
    double a;
    double b;
    double k;
    bool valid;
};

// A scene coordinate as window pixels from the left and from the bottom.
double pixelX(const View& view, double x);
double pixelY(const View& view, double y);

// A text at (x, y) with its box.
TextItem textAt(int x, int y, std::string text, Colour colour, TextRole role);

// Adds a line in the pieces that keep clear of every box by half its width and a pixel.
void addLineAround(std::vector<LineItem>& lines, const LineItem& line,
                   const std::vector<PixelBox>& boxes);

// The box a mark covers, with a pixel round it.
PixelBox markBox(const MarkItem& mark);

// Whether a box overlaps none of those taken, and whether it lies within the window.
bool clearOf(const PixelBox& box, const std::vector<PixelBox>& taken);
bool within(const FrameLayout& frame, const PixelBox& box);

// Splits a line into pieces of at most width characters, at phrase boundaries where it can
// and never between a name and its value; each piece after the first starts with indent
// spaces.
std::vector<std::string> wrap(const std::string& line, std::size_t width, std::size_t indent);

// A candidate plane's label: its axis, value and t.
std::string axisLabel(int axis, const AxisStep& step);

// Whether a kind of step is about the entry plane and what follows from it.
bool afterEntry(StepKind kind);

// The boxes of all the texts laid out so far.
std::vector<PixelBox> textBoxes(const FrameLayout& frame);

// Where the ray crosses the plane at `at` on the axis (0 for x, 1 for y), in pixels.
std::array<double, 2> crossing(const View& view, const RayLine& line, int axis, double at);

// A candidate plane's label beside its line, at the first place along it that lies within
// the window and clear of every text, label and mark so far; none if there is no such place.
void placeLabel(FrameLayout& frame, int axis, double at, std::string text, Colour colour,
                std::vector<PixelBox>& taken);

// Lays out one frame of the state it is given.
struct Layouter {
    const AppState& state;
    // The baseline of the status lines' lowest line, once they are laid out.
    int statusBottom = 0;
    // The 3D view's camera, once the frame knows the entry point of the method shown.
    Camera camera{};

    [[nodiscard]] View usualView() const;
    // The outcome, the ray's start and direction in red near the top, the about line when it
    // is on, and "No Intersection" again last unless the ray hits, as the frame has always
    // drawn them; where the outcome is held back for a prediction, how to predict it.
    void layoutFrameTexts(const RayTestRecord& record, std::vector<TextItem>& texts);
    // The box whole when it lies within the region, else cut to it; in pixels in a moved view.
    void layoutBox(FrameLayout& frame, const Rect& region);
    // The segment from the start to the hit point, cut to the region if it reaches beyond.
    void layoutSegment(FrameLayout& frame, const RayTestRecord& record, const Rect& region);
    // The ray's line in this view.
    RayLine rayLine(const View& view);
    // The part of the ray within the window, from its start (or where it enters) onwards.
    bool guideSegment(const FrameLayout& frame, const RayLine& line, double p[2], double q[2]);
    // The account of the current scene's test by the method shown, as the teaching view
    // words it.
    std::vector<Step> sceneSteps();
    // The steps, wrapped, on the emptier side of the box between the status lines and the
    // about line: left of the box when there is more room there, over the whole width when
    // neither side has a readable column; over them the verdict on a prediction, and under
    // them the note, if any. When they do not fit, a line asks for more room.
    void layoutSteps(FrameLayout& frame, const std::vector<Step>& steps, int walk,
                     const std::string& note);
    // The ray's handles: the start dot and the arrow head, where they lie near the window.
    void layoutHandles(FrameLayout& frame);
    // The handles for a start at (sx, sy) pixels and a direction (dx, dy) on the screen, of
    // unit length (no arrow head where it is not finite).
    void placeHandles(FrameLayout& frame, double sx, double sy, double dx, double dy) const;
    // Marks on their planes where the ray's line crosses them ahead of the start, and a hit's
    // entry point, larger, where the test reports it; in a walk, those of the current step, a
    // failing check's entry point red. A mark that would cover a text is left out.
    void layoutMarks(FrameLayout& frame, const RayTestRecord& record, const Step* current,
                     std::vector<PixelBox>& taken);
    // The candidate planes on x and y as lines across the view, each labelled with its axis and
    // t; the entry plane white and wider, the others grey. In a walk, those of the current
    // step, and an axis's step or check also shows the axis's two bounds.
    void layoutPlanes(FrameLayout& frame, const RayTestRecord& record, const Step* current,
                      std::vector<LineItem>& lines, std::vector<PixelBox>& taken);
    // The selected plane as a white edge of the box, so that a drag's target shows.
    void layoutSelectedPlane(const FrameLayout& frame, std::vector<LineItem>& lines);
    // The method over the frame: the steps and the keys, then the marks, then the planes and
    // their labels, then the planes, the selected edge and the ray as lines broken round every
    // text; the handles. In a walk, only what the current step is about.
    void layoutTeaching(FrameLayout& frame, const RayTestRecord& record,
                        const SlabTestRecord& slab);
    // The slab test over the frame: each axis's slab as its two planes, its interval of t
    // as a bar on the ray in the axis's colour (x wider than y), their overlap white and
    // narrowest, with an arrow where one leaves the window, the entry marked; the bars are
    // left to the number line of t where it is shown. In a walk, an axis's step shows that
    // axis alone, the overlap and the outcome all.
    void layoutSlab(FrameLayout& frame, const SlabTestRecord& slab, const Step* current,
                    std::vector<LineItem>& lines, std::vector<PixelBox>& taken);
    // The number line of t under the picture, where the window has room for it: each axis's
    // row with its candidate t (the candidate planes) or its interval of t (the slab test and
    // the exact answer), infinite ends as arrows, NaN ends named; under them the entry, or
    // the overlap with tnear and tfar; the line of t with round ticks and t = 0 marked. In a
    // walk, the current axis in its colour and the others grey. Its texts are taken.
    void layoutBand(FrameLayout& frame, const RayTestRecord& record, const SlabTestRecord& slab,
                    const Step* current, std::vector<PixelBox>& taken);
    // The scene in space, in place of the plane z = 0: the box's faces (translucent, back to
    // front) and edges (dimmer behind a face), the axes, the ray with its handles, the segment
    // and the entry mark; in the teaching view the candidate planes with their labels and
    // where the ray crosses them, or each axis's slab in its colour with its interval of t
    // on the ray and their overlap white; in a walk, what the current step is about.
    void layoutSpace(FrameLayout& frame, const RayTestRecord& record, const SlabTestRecord& slab,
                     const Step* current, std::vector<PixelBox>& taken);
    FrameLayout layoutFrame(const RayTestRecord& record);
};

} // namespace layout
