// The frame's layout, without a display: nothing crosses a text, every mark on its plane,
// the steps where a learner reads them, the walk, the views and the slab view.
#include "app/controls.h"
#include "app/words.h"
#include "core/clip.h"
#include "tests/app_support.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <random>
#include <string>
#include <tuple>
#include <vector>

namespace {

// Scenes where planes, labels, marks and the ray crossed the texts.
const std::pair<const char*, std::pair<int, int>> CROWDED[] = {
    {"--start 10 1 --dir 0.1 1 --box 5 2 15 25", {640, 480}},
    {"", {640, 100}},
    {"--start 2 3.5 --dir 1 0.2", {160, 120}},
    {"--box 5 10 15 26.613 --start 10.3 29.1 --dir 0.123 -0.97", {640, 480}},
    {"--box 5 0.3 15 25 --start 10 0.1 --dir 0.3 1", {640, 480}},
    {"--about", {300, 200}},
    {"--box 0 5 3 25 --start 20 2 --dir -1 0.25", {640, 480}},
    {"--start 20 28 --dir 1 1", {640, 480}},
    {"--start 0 5 --dir 1 1", {640, 480}},
    {"--box 15 10 5 25 --start 0 12 --dir 1 0", {640, 480}},
    {"--start 10 5", {640, 480}},
    {"--dir 1e-45 1e-45", {640, 480}},
    {"", {200, 150}},
    {"", {100, 480}},
};

// Nothing the teaching view draws crosses a text: in the scenes where it did, and in random
// scenes, windows, selections, walks, framed and zoomed views.
TEST(Layout, NothingCrossesAText) {
    for (const auto& [line, size] : CROWDED) {
        EXPECT_EQ(crossings(teach(line, size.first, size.second)), "") << line;
    }
    const float values[] = {0, 5, 10, 15, 25, -1, 0.5f, 1e-45f, 3.4e38f, -3.4e38f, -1e20f, 1e8f};
    const std::pair<int, int> sizes[] = {{160, 120}, {200, 150}, {640, 100}, {100, 480},
                                         {640, 480}, {300, 200}, {1000, 700}};
    std::mt19937 rng(18);
    const auto value = [&] {
        return rng() % 2 == 0 ? values[rng() % std::size(values)]
                              : static_cast<float>(static_cast<int>(rng() % 61) - 15) / 2;
    };
    for (int n = 0; n < 3000; ++n) {
        const auto [width, height] = n % 3 == 0 ? std::pair(static_cast<int>(rng() % 900 + 1),
                                                            static_cast<int>(rng() % 700 + 1))
                                                : sizes[rng() % std::size(sizes)];
        teach("", width, height);
        for (float* v : {&app.scene.boxPlanes[0], &app.scene.boxPlanes[1], &app.scene.boxPlanes[3],
                         &app.scene.boxPlanes[4], &app.scene.rayStart[0], &app.scene.rayStart[1],
                         &app.scene.rayDir[0], &app.scene.rayDir[1]}) {
            *v = value();
        }
        app.aboutShown = static_cast<int>(rng() % 2);
        app.selectedPlane = static_cast<int>(rng() % 5) - 1;
        app.walkStep = static_cast<int>(rng() % 10) - 1;
        // The candidate planes, the slab test, a variant or the exact answer.
        const Method methods[] = {{METHOD_CANDIDATE, {}},
                                  {METHOD_SLAB, {}},
                                  {METHOD_SLAB, {true, true, SLAB_SIGN, true, true}},
                                  {METHOD_EXACT, {}}};
        app.method = methods[rng() % 4];
        if (rng() % 4 == 0) {
            frameScene(app);
        }
        if (rng() % 4 == 0) {
            zoomView(app, rng() % 2 == 0 ? 0.1 : 7.0, static_cast<int>(rng() % 640), 100);
        }
        const RayTestRecord record = testScene(app.scene);
        const FrameLayout f = layoutFrame(app, record);
        ASSERT_EQ(crossings(f), "") << n;
        // A painter is never handed a coordinate that is not finite.
        for (const LineItem& l : f.lines) {
            ASSERT_TRUE(std::isfinite(l.x0 + l.y0 + l.x1 + l.y1)) << n;
        }
        for (const MarkItem& mark : f.marks) {
            ASSERT_TRUE(std::isfinite(mark.x + mark.y)) << n;
        }
        // Every mark sits on a candidate plane's line. (The slab test's entry point is where
        // its rounded t puts it, which with huge values may be off its plane.)
        for (const MarkItem& mark :
             app.method.kind != METHOD_CANDIDATE ? std::vector<MarkItem>{} : pictureMarks(f)) {
            bool onPlane = false;
            for (int axis = 0; axis < 2; ++axis) {
                const double origin = axis == 0 ? f.view.originX : f.view.originY;
                const double at = (record.axes[axis].candidate - origin) / f.view.units;
                onPlane = onPlane || (record.axes[axis].side != SIDE_BETWEEN &&
                                      std::abs((axis == 0 ? mark.x : mark.y) - at) <= 1);
            }
            ASSERT_TRUE(onPlane) << n << ": " << mark.x << ", " << mark.y;
        }
    }
    app.teachingView = false;
    app.method = {};
}

// Scenes far outside the view: the entry mark on its plane, the ray's guide where it crosses.
TEST(Layout, MarksWhereTheyBelong) {
    // A scene, and the part of the view its guide covers, in pixels: from its start, or the
    // edge where it enters, to the edge it leaves by.
    const std::tuple<const char*, bool, double> scenes[] = {
        {"--start 3 6 --dir 1 0", true, 640},
        {"--start -1e8 15 --dir 1 0", false, 640},
        {"--start 3.4e38 3.4e38 --dir -1 -1", false, 330}, // the picture is 330 px high
        {"--start -1e20 -1e20 --dir 1 1 --box 5 5 15 25", false, 330},
        {"--start -1e20 15 --dir 1 0", false, 640},
    };
    for (const auto& [line, fromStart, x1] : scenes) {
        double from = 1e9;
        double to = -1e9;
        const FrameLayout f = teach(line);
        const double x0 = fromStart ? f.start.x : 0;
        for (const LineItem& piece : f.lines) {
            if (piece.colour.r == 0 && piece.colour.b == 1) { // the ray's cyan guide
                from = std::min({from, piece.x0, piece.x1});
                to = std::max({to, piece.x0, piece.x1});
            }
        }
        EXPECT_TRUE(std::abs(from - x0) <= 1 && to >= x1 - 1)
            << line << ": " << from << " to " << to;
    }
    // A plane behind the start has no mark.
    EXPECT_TRUE(pictureMarks(teach("--start 0 12 --dir -1 0")).empty());
    // The entry mark, large, where the test says the ray enters: (5, 15).
    const FrameLayout f = teach("--start -1e8 15 --dir 1 0");
    const auto [ex, ey] = pixelOf(f, 5, 15);
    EXPECT_TRUE(std::any_of(f.marks.begin(), f.marks.end(), [&](const MarkItem& m) {
        return m.size > 10 && std::abs(m.x - ex) <= 1 && std::abs(m.y - ey) <= 1;
    }));
    app.teachingView = false;
}

// Where the steps go, what the labels say, the walk through the steps and the framed view.
TEST(Layout, TheTeachingViewFollowsTheLearner) {
    const auto steps = [](const FrameLayout& f) {
        std::vector<TextItem> lines;
        std::copy_if(f.teachingTexts.begin(), f.teachingTexts.end(), std::back_inserter(lines),
                     [](const TextItem& text) { return text.role == TEXT_STEP; });
        return lines;
    };
    // Left of a box right of the middle; a note, not a fragment, in a window too small.
    const std::vector<TextItem> left = steps(teach("--box 25 10 35 25 --start 0 12 --dir 1 0"));
    EXPECT_TRUE(std::all_of(left.begin(), left.end(),
                            [](const TextItem& text) { return text.box.x1 <= 400; }));
    std::string small;
    for (const TextItem& text : steps(teach("", 300, 200))) {
        small += text.text + " ";
    }
    EXPECT_EQ(small, "enlarge the window to see the steps ");
    // A zero direction's planes have no t to show.
    for (const TextItem& text : teach("--start 2 5 --dir 0 0").teachingTexts) {
        EXPECT_TRUE(text.role != TEXT_LABEL || text.text.find("t =") == std::string::npos);
    }
    // n walks the default scene's seven steps, each alone in white, the outcome too, then
    // all of them again. Steps break where a phrase ends, their continuations indented.
    const std::size_t all = steps(teach("")).size();
    std::string walked;
    for (int n = 0; n < 7; ++n) {
        nextStep(app);
        for (const TextItem& text : steps(laidOut())) {
            walked += text.colour.b == 1 && text.colour.r == 1 ? text.text + "|" : "";
        }
        walked += steps(laidOut()).size() == all ? "\n" : "(+)\n";
    }
    EXPECT_EQ(walked, "x: start -1 is below minX 5:|  candidate plane x = 5 at t = 12|\n"
                      "y: start 0.5 is below minY 10:|  candidate plane y = 10 at t = 9.5|\n"
                      "z: start 0 is within [0, 0]: no candidate|\n"
                      "entry: x = 5 at t = 12, the largest t|\n"
                      "y = 12.5 at t = 12 is within [10, 25]|\n"
                      "z = 0 at t = 12 is within [0, 0]|\n"
                      "Collision at { X = 5.000000; Y = 12.500000;|  Z = 0.000000 }|(+)\n");
    nextStep(app);
    EXPECT_EQ(app.walkStep, -1);
    // Framed, the box, the start and its arrow head are in view; r puts the view back.
    frameScene(app);
    const FrameLayout framed = laidOut();
    EXPECT_TRUE(framed.startDot && framed.start.x > 0 && framed.start.y > 0);
    EXPECT_TRUE(framed.arrow && framed.arrowHead[0][0] < 640 && framed.arrowHead[0][1] < 480);
    const std::array<double, 4> box = {
        (app.scene.boxPlanes[3] - framed.view.originX) / framed.view.units,
        (app.scene.boxPlanes[4] - framed.view.originY) / framed.view.units};
    EXPECT_TRUE(box[0] < 640 && box[1] < 480);
    resetView(app);
    EXPECT_EQ(currentView(app).units, 30.0 / 330) << "the picture over the line of t";
    // Narrower, a name keeps its value and a bracket stays whole.
    std::string narrow;
    for (const TextItem& text : steps(teach("--start 20 30 --dir 0.3 -1", 330, 480))) {
        narrow += text.text + "|";
    }
    EXPECT_EQ(narrow, "x: start 20 is above maxX 15:|  candidate plane x = 15|  at t = -16.666666|"
                      "y: start 30 is above maxY 25:|  candidate plane y = 25 at t = 5|"
                      "z: start 0 is within [0, 0]:|  no candidate|"
                      "entry: y = 25 at t = 5,|  the largest t|"
                      "x = 21.5 at t = 5 is above maxX 15:|  the ray misses the box|");
    // The slab view walks its axes, the overlap and the outcome; its bars lie along the
    // ray in each axis's colour; a start on the box's face says where the methods part.
    teach("--method slab");
    std::string slabWalk;
    for (int n = 0; n < 5; ++n) {
        nextStep(app);
        for (const TextItem& text : steps(laidOut())) {
            slabWalk += text.colour.b == 1 && text.colour.r == 1 ? text.text + "|" : "";
        }
    }
    EXPECT_EQ(slabWalk.substr(0, 70),
              "x: slab [5, 15]: t from 12 to 32|y: slab [10, 25]: t from 9.5 to 24.5|");
    // Its pieces, joined again at the spaces they broke at, are the whole line.
    std::string parted;
    for (const TextItem& text : steps(teach("--method slab --start 5 12 --dir 0 1"))) {
        parted += text.colour.g == 0.6f
                      ? (parted.empty() ? "" : " ") + text.text.substr(parted.empty() ? 0 : 2)
                      : "";
    }
    EXPECT_EQ(parted, "the methods disagree: candidate planes inside, slab test miss, the exact "
                      "answer inside (a start on a face plane with a zero direction component: 0 "
                      "* inf is NaN)");
    app.teachingView = false;
}

// Details a learner reads the picture by: where labels, marks and the guide go, which side
// the steps take, what a failing check looks like, and what the wheel and the arrow head do.
TEST(Layout, TheDetailsALearnerReads) {
    const FrameLayout start = teach("");
    // The entry plane's label lies right of its line at x = 5, inside the box.
    const auto label = std::find_if(start.teachingTexts.begin(), start.teachingTexts.end(),
                                    [](const TextItem& t) { return t.text == "x = 5, t = 12"; });
    ASSERT_NE(label, start.teachingTexts.end());
    EXPECT_GE(label->box.x0, pixelOf(start, 5, 0)[0]);
    // Walked, a failing check's mark is red: y = 5 at t = 5 is not within [10, 25].
    teach("--start 0 5 --dir 1 0");
    int red = 0;
    for (app.walkStep = 0; app.walkStep < 8; ++app.walkStep) {
        for (const MarkItem& mark : pictureMarks(laidOut())) {
            red += mark.colour.r == 1 && mark.colour.g < 0.5f && mark.colour.b < 0.5f ? 1 : 0;
        }
    }
    EXPECT_EQ(red, 1);
    // Where both sides of the box have room, the steps take the wider one: here the right.
    const FrameLayout narrowBox = teach("--box 30 10 32 25 --start 0 12 --dir 1 0", 1400, 480);
    for (const TextItem& text : narrowBox.teachingTexts) {
        EXPECT_TRUE(text.role != TEXT_STEP || text.box.x0 >= pixelOf(narrowBox, 32, 0)[0])
            << text.text;
    }
    // The wheel keeps the scene point under the pointer where it is, off the middle row too.
    teach("");
    const auto under = [](int x, int y) {
        const View v = currentView(app);
        return std::array{v.originX + x * v.units, v.originY + (app.windowHeight - y) * v.units};
    };
    const auto point = under(100, 50);
    const double units = currentView(app).units;
    EXPECT_TRUE(pressPointer(app, 4, true, 100, 50));
    EXPECT_NE(currentView(app).units, units);
    EXPECT_EQ(under(100, 50), point);
    // Aimed by its arrow head, a direction once normalised is the direction as given.
    const FrameLayout aimed = teach("--dir 3 4");
    const auto& head = aimed.arrowHead;
    const int hx = static_cast<int>((2 * head[0][0] + head[1][0] + head[2][0]) / 4);
    const int hy = 480 - static_cast<int>((2 * head[0][1] + head[1][1] + head[2][1]) / 4);
    ASSERT_TRUE(grabRay(app, hx, hy));
    moveRay(app, hx + 40, hy);
    releaseRay(app);
    EXPECT_EQ(givenDirection(app.scene), nullptr);
    app.teachingView = false;
}

// The picture at a page's size: where it is too small for them, the frame's own texts, the
// steps and the keys are left to the page beside it, the labels stay; the handles grow for a
// finger; status lines stay within the window, whole, however wide their numbers.
TEST(Layout, ThePictureAtAnySize) {
    teach("--explain", 429, 322);
    app.textsInPage = true;
    app.touchHandles = true;
    const FrameLayout small = laidOut();
    EXPECT_TRUE(small.texts.empty());
    EXPECT_TRUE(textsOf(small, TEXT_STEP).empty() && textsOf(small, TEXT_KEYS).empty());
    EXPECT_EQ(textsOf(small, TEXT_LABEL).size(), 2U);
    EXPECT_EQ(small.start.size, 15.0f);
    // Status lines at a width, with a start: each line within the window, the direction's
    // below the start's; and, where no number is wider than the window, together the whole
    // line, the start's on this many lines.
    const std::tuple<int, const char*, int> statuses[] = {
        {640, "-1 0.5", 1},     {480, "-1 0.5", 1},          {330, "-1 0.5", 2},
        {640, "-3.4e38 12", 2}, {200, "-3.4e38 -3.4e38", 0},
    };
    for (const auto& [width, start, lines] : statuses) {
        teach(std::string("--start ") + start, width, 480);
        app.teachingView = false;
        std::string whole;
        int startLines = 0;
        int lowest = 480;
        for (const TextItem& text : laidOut().texts) {
            if (text.y > 300) {
                EXPECT_TRUE(text.box.x0 >= 0 && text.box.x1 <= width) << text.text;
                EXPECT_LT(text.y, lowest) << text.text;
                lowest = text.y;
                startLines +=
                    whole.find("ray dir") == std::string::npos && text.text.rfind("ray dir", 0) != 0
                        ? 1
                        : 0;
                whole +=
                    (whole.empty() ? "" : " ") + text.text.substr(text.text.find_first_not_of(' '));
            }
        }
        if (lines > 0) {
            EXPECT_EQ(whole, statusText("ray start", app.scene.rayStart) + " " +
                                 statusText("ray dir", app.scene.rayDir))
                << width << " " << start;
            EXPECT_EQ(startLines, lines) << width << " " << start;
        }
    }
    // The arrow head clear of the outcome it would have covered; a label clear of the segment
    // where it has room beside it.
    const FrameLayout up = teach("--explain --start 5 0 --dir 0 1");
    const double head = std::min({up.arrowHead[0][1], up.arrowHead[1][1], up.arrowHead[2][1]});
    EXPECT_GT(head, 34 + 12) << "above the outcome's line";
    const FrameLayout hit = teach("--explain");
    for (const TextItem& label : textsOf(hit, TEXT_LABEL)) {
        double a[2] = {hit.segmentFrom[0], hit.segmentFrom[1]};
        double b[2] = {hit.segmentTo[0], hit.segmentTo[1]};
        EXPECT_FALSE(clipSegment(
            {label.box.x0 - 4, label.box.y0 - 4, label.box.x1 + 4, label.box.y1 + 4}, a, b))
            << label.text;
    }
}

// The frame in words follows every change: the box always, the walk's current step as it
// now reads after a drag.
TEST(Layout, TheFrameInWords) {
    teach("--explain");
    nextStep(app);
    nextStep(app);
    EXPECT_EQ(frameWords(app).box, "box: x from 5 to 15, y from 10 to 25");
    pressKey(app, 'd', stdout);
    pressPointer(app, 0, true, 100, 300);
    movePointer(app, 100, 200);
    const FrameWords words = frameWords(app);
    EXPECT_EQ(words.current, 1);
    EXPECT_EQ(words.steps[1], "y: start 0.5 is below minY 14: candidate plane y = 14 at t = 13.5");
    EXPECT_EQ(words.box, "box: x from 5 to 15, y from 14 to 25");
    EXPECT_EQ(words.outcome, "Collision at { X = 5.750000; Y = 14.000000; Z = 0.000000 }");
}

} // namespace
