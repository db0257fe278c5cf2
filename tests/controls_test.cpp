// Keys, drags, fingers and menu picks as every front end hands them over, with no window.
#include "app/controls.h"
#include "app/scenes.h"
#include "app/view3d.h"
#include "app/words.h"
#include "tests/app_support.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <string>
#include <tuple>
#include <utility>

namespace {

// What pressing these keys writes on the console; none of them has anything to draw.
std::string typed(const std::string& keys) {
    return written([&](std::FILE* out) {
        for (const char key : keys) {
            EXPECT_FALSE(pressKey(app, static_cast<unsigned char>(key), out)) << key;
        }
    });
}

// Keys, drags and menu picks as every front end hands them over, with no window: keys, a drag
// with this button over two motions, and the box after it. Capitals and the menu's own
// letters do nothing; 25 px of travel is one unit, upwards or rightwards.
TEST(Controls, KeysDragsAndMenu) {
    createBox(app.scene);
    resetRay(app.scene);
    app.teachingView = false;
    app.selectedPlane = PLANE_NONE;
    const std::tuple<const char*, int, int, int, int, int, std::array<float, 4>> drags[] = {
        {"WDASHMmprnf\x1b", 0, 300, 300, 200, 100, {5, 10, 15, 25}}, // nothing selected
        {"w", 0, 300, 300, 300, 275, {5, 10, 15, 26}},
        {"a", 1, 100, 200, 150, 200, {7, 10, 15, 26}},
        {"d", 0, 100, 150, 100, 175, {7, 9, 15, 26}},
        {"s", 0, 200, 100, 175, 100, {7, 9, 14, 26}},
    };
    for (const auto& [keys, button, x0, y0, x1, y1, box] : drags) {
        EXPECT_EQ(typed(keys), "") << keys;
        EXPECT_FALSE(pressPointer(app, button, true, x0, y0));
        movePointer(app, (x0 + x1) / 2, (y0 + y1) / 2);
        movePointer(app, x1, y1);
        pressPointer(app, button, false, x1, y1);
        EXPECT_EQ((std::array{app.scene.boxPlanes[0], app.scene.boxPlanes[1],
                              app.scene.boxPlanes[3], app.scene.boxPlanes[4]}),
                  box)
            << keys;
    }
    const std::string help = written([](std::FILE* out) { printHelp(out); });
    EXPECT_EQ(typed("h"), help);
    // Each menu entry in its place: a plane, the about line, help, or a dialogue to run.
    const std::tuple<int, int, int, int> picks[] = {
        {0, PLANE_TOP, 0, 0},     {1, PLANE_BOTTOM, 0, 0}, {2, PLANE_LEFT, 0, 0},
        {3, PLANE_RIGHT, 0, 0},   {4, PLANE_RIGHT, 0, 0},  {5, PLANE_RIGHT, 0, 'p'},
        {6, PLANE_RIGHT, 0, 'r'}, {8, PLANE_RIGHT, 1, 0},  {8, PLANE_RIGHT, 0, 0},
    };
    for (const auto& [entry, plane, about, dialogue] : picks) {
        EXPECT_EQ(pickMenuEntry(app, MENU_ENTRIES[entry].value, stdout), dialogue) << entry;
        EXPECT_EQ(std::pair(app.selectedPlane, app.aboutShown), std::pair(plane, about)) << entry;
    }
    EXPECT_EQ(written([](std::FILE* out) { pickMenuEntry(app, 'h', out); }), help);
}

// The frame's own outcome texts, and the first step the teaching view shows, if any.
std::string outcomeAndFirstStep(const FrameLayout& f) {
    std::string shown;
    for (const TextItem& text : f.texts) {
        shown += text.text.rfind("ray ", 0) == 0 ? "" : text.text + "|";
    }
    for (const TextItem& text : f.teachingTexts) {
        if (text.role == TEXT_STEP) {
            return shown + text.text.substr(0, text.text.find(':'));
        }
    }
    return shown;
}

// What each key changes in the frame as a whole, one after the other from a command line's
// scene: whether it redraws, the walk's step and the framed view after it, and the frame's
// outcome with its first step.
TEST(Controls, WhatEachKeyChangesInTheFrame) {
    const std::string hit = std::string(HIT_TEXT) + "|";
    const std::tuple<const char*, const char*, bool, int, bool, std::string> keys[] = {
        // The method key turns the whole frame to the other test, the walk to all its steps.
        {"--start 5 12 --dir 0 1", "c", true, -1, false, "No Intersection|"},
        {nullptr, "c", true, -1, false, "start point is inside box.|No Intersection|"},
        {"--explain --step 3", "c", true, -1, false, hit + "x"},
        {nullptr, "c", true, -1, false, hit + "x"},
        // The walk of the start-up scene's seven steps, and the framed view.
        {"--explain", "n", true, 0, false, hit + "x"},
        {nullptr, "n", true, 1, false, hit + "x"},
        {nullptr, "p", true, 0, false, hit + "x"},
        {nullptr, "p", true, -1, false, hit + "x"},
        {nullptr, "p", true, 6, false, hit + "x"},
        {nullptr, "f", true, 6, true, hit + "x"},
        {nullptr, "\x1b", true, -1, true, hit + "x"},
        {nullptr, "r", true, -1, false, hit + "x"},
        // A step past the last shows all of them; the walk goes on from there.
        {"--explain --step 99", "n", true, 0, false, hit + "x"},
        {"--explain --step 99", "p", true, 6, false, hit + "x"},
        // Outside the teaching view, a plane key redraws nothing: nothing shows it.
        {"", "w", false, -1, false, hit},
        {nullptr, "n", false, -1, false, hit},
    };
    for (const auto& [line, key, redraws, step, framed, frame] : keys) {
        if (line != nullptr) {
            teach(line);
            app.teachingView = std::string(line).find("--explain") != std::string::npos;
        }
        const std::string before = outcomeAndFirstStep(laidOut());
        EXPECT_EQ(pressKey(app, static_cast<unsigned char>(key[0]), stdout), redraws) << key;
        EXPECT_EQ(std::pair(app.walkStep, app.viewMoved), std::pair(step, framed)) << key;
        EXPECT_EQ(outcomeAndFirstStep(laidOut()), frame) << key << " after " << before;
    }
    // The slab test's steps, after the method key.
    teach("--explain");
    pressKey(app, METHOD_KEY, stdout);
    const FrameLayout slab = laidOut();
    EXPECT_TRUE(std::any_of(slab.teachingTexts.begin(), slab.teachingTexts.end(),
                            [](const TextItem& t) { return t.text.rfind("x: slab", 0) == 0; }));
    app.teachingView = false;
    app.method = {};
}

// The arrow keys move the selected plane as a drag of one pixel (Shift: ten) would, along
// its own axis only, each press rounded to float once: the key, the arrow, and the box's
// left, bottom, right and top after it.
TEST(Controls, ArrowKeysMoveTheSelectedPlane) {
    app = AppState{};
    const std::tuple<char, int, int, bool, bool, std::array<float, 4>> presses[] = {
        {'x', 0, 1, false, false, {5, 10, 15, 25}}, // nothing selected
        {'w', 0, 1, false, true, {5, 10, 15, 25.04f}},
        {'w', 0, -1, true, true, {5, 10, 15, 24.6400013f}},
        {'w', 1, 0, false, false, {5, 10, 15, 24.6400013f}}, // not along its axis
        {'d', 0, 1, true, true, {5, 10.3999996f, 15, 24.6400013f}},
        {'a', 1, 0, false, true, {5.03999996f, 10.3999996f, 15, 24.6400013f}},
        {'s', -1, 0, true, true, {5.03999996f, 10.3999996f, 14.6000004f, 24.6400013f}},
    };
    for (const auto& [key, right, up, shift, moves, box] : presses) {
        pressKey(app, static_cast<unsigned char>(key), stdout);
        EXPECT_EQ(pressArrow(app, right, up, shift), moves) << key;
        const float* b = app.scene.boxPlanes;
        EXPECT_EQ((std::array{b[0], b[1], b[3], b[4]}), box) << key;
    }
}

// A finger takes hold of the nearest of the start dot, the arrow head and the box's edges
// within reach, whether it lands on them or 10 or 20 px off; on nothing it moves nothing,
// never the plane selected before. Then it drags what it holds: the options, where the
// finger lands, and what a drag 32 px right and up moves.
TEST(Controls, AFingerTakesTheNearestWithinReach) {
    const char* const slanted = "--explain --start 3 6 --dir 1 0";
    // Where the finger lands: off the start dot ('d'), the arrow head's middle ('h'), a scene
    // point ('s') by so many pixels right and down; or at window pixels ('p'). The start is
    // at (3, 6), its arrow head 42 px right of it; the left edge at x = 5 from y = 10 to 25.
    const std::tuple<const char*, char, float, float, int, int, const char*> fingers[] = {
        {slanted, 'd', 0, 0, 0, 0, "start"},
        {slanted, 'd', 0, 0, 10, 0, "start"},
        {slanted, 'd', 0, 0, 0, 20, "start"},
        {slanted, 'd', 0, 0, 18, 0, "start"},
        {slanted, 'h', 0, 0, 0, 0, "direction"},
        {slanted, 'h', 0, 0, 10, 10, "direction"},
        {slanted, 'h', 0, 0, 0, -20, "direction"},
        {slanted, 's', 5, 17.5, 0, 0, "left"},
        {slanted, 's', 5, 17.5, 10, 0, "left"},
        {slanted, 's', 5, 17.5, 20, 0, "left"},
        {slanted, 's', 10, 10, 0, 0, "bottom"},
        {slanted, 's', 10, 10, 0, 20, "bottom"},
        {slanted, 's', 10, 14.4f, 0, 0, "nothing"},
        {slanted, 's', 18.75f, 1.9f, 0, 0, "nothing"},
        // Without the teaching view, the ray has no handles: only the edges take hold.
        {"", 'p', 48, 384, 0, 0, "nothing"},
        {"", 'p', 240, 300, 0, 0, "right"},
        {"", 'p', 225, 80, 0, 0, "top"},
        {"", 'p', 60, 200, 0, 0, "left"},
    };
    for (const auto& [line, anchor, ax, ay, dx, dy, moved] : fingers) {
        const FrameLayout f = teach(line);
        const auto& head = f.arrowHead;
        const std::array<double, 2> at =
            anchor == 'd'   ? std::array{f.start.x, f.start.y}
            : anchor == 'h' ? std::array{(2 * head[0][0] + head[1][0] + head[2][0]) / 4,
                                         (2 * head[0][1] + head[1][1] + head[2][1]) / 4}
            : anchor == 's' ? pixelOf(f, ax, ay)
                            : std::array<double, 2>{ax, 480.0 - ay};
        const int x = static_cast<int>(std::lround(at[0])) + dx;
        const int y = 480 - static_cast<int>(std::lround(at[1])) + dy;
        app.teachingView = std::string(line).find("--explain") != std::string::npos;
        app.selectedPlane = PLANE_TOP;
        const AppState before = app;
        touchPointer(app, x, y, 22);
        movePointer(app, x + 32, y - 32);
        releaseRay(app);
        const float* b = app.scene.boxPlanes;
        const float* o = before.scene.boxPlanes;
        const std::string what = app.scene.rayStart[0] != before.scene.rayStart[0] ? "start"
                                 : app.scene.rayDir[1] != before.scene.rayDir[1]   ? "direction"
                                 : b[0] != o[0]                                    ? "left"
                                 : b[1] != o[1]                                    ? "bottom"
                                 : b[3] != o[3]                                    ? "right"
                                 : b[4] != o[4]                                    ? "top"
                                                                                   : "nothing";
        EXPECT_EQ(what, moved) << line << " at " << x << ", " << y;
    }
}

// Each named scene is what its name says, by each method: the two where the float methods
// part, and the one where rounding decides against the exact answer.
TEST(Scenes, WhatTheirNamesSay) {
    const std::tuple<const char*, int, int, int> scenes[] = {
        {"hit", RAY_HIT, RAY_HIT, RAY_HIT},
        {"miss", RAY_MISS, RAY_MISS, RAY_MISS},
        {"inside", RAY_INSIDE, RAY_INSIDE, RAY_INSIDE},
        {"along-face", RAY_HIT, RAY_MISS, RAY_HIT},
        {"graze-edge", RAY_HIT, RAY_HIT, RAY_HIT},
        {"corner", RAY_HIT, RAY_HIT, RAY_HIT},
        {"crossed", RAY_HIT, RAY_HIT, RAY_MISS},
        {"face-along", RAY_INSIDE, RAY_MISS, RAY_INSIDE},
        {"face-in", RAY_INSIDE, RAY_HIT, RAY_INSIDE},
        {"rounding", RAY_HIT, RAY_HIT, RAY_MISS},
    };
    const std::string help = written(printUsage);
    ASSERT_EQ(std::size(scenes), std::size(NAMED_SCENES));
    for (const auto& [name, candidate, slab, exact] : scenes) {
        app = AppState{};
        applyOptions(parse(std::string("--scene ") + name), app);
        EXPECT_EQ(sceneNamed(app.scene), findScene(name));
        const int outcomes[] = {candidate, slab, exact};
        for (const MethodKind kind : {METHOD_CANDIDATE, METHOD_SLAB, METHOD_EXACT}) {
            EXPECT_EQ(sceneAnswer(app.scene, {kind, {}}).result, outcomes[kind]) << name << kind;
        }
        EXPECT_NE(help.find(name), std::string::npos) << "--help names " << name;
    }
}

// Predicting: before the pick nothing tells the outcome, in the picture or in words; a pick
// reveals it at the walk's first step and is confirmed or corrected; a changed scene is held
// back again. Keys 1, 2 and 3 do nothing unless something is held back.
TEST(Scenes, PredictThenSee) {
    teach("--scene face-in --predict", 640, 480);
    app.teachingView = false;
    const auto nothingTold = [](const FrameLayout& f) {
        std::string said;
        for (const TextItem& text : f.texts) {
            said += text.text;
        }
        const FrameWords words = frameWords(app);
        return said.find("predict:") != std::string::npos && !f.segment &&
               textsOf(f, TEXT_STEP).empty() && textsOf(f, TEXT_BAND).size() <= 1 &&
               pictureMarks(f).empty() && words.outcome.rfind("predict:", 0) == 0 &&
               words.steps.empty() && words.disagreement.empty() && words.verdict.empty();
    };
    EXPECT_TRUE(nothingTold(laidOut()));
    EXPECT_TRUE(laidOut().startDot) << "the ray is shown";
    teach("--predict", 640, 480); // the start-up scene, as a prediction's own record starts
    EXPECT_TRUE(nothingTold(laidOut()));
    teach("--scene face-in --predict", 640, 480);
    app.teachingView = true;
    EXPECT_TRUE(nothingTold(laidOut()));
    const std::tuple<unsigned char, const char*, bool> picks[] = {
        {'1', "You said hit, but it starts inside.", false},
        {'3', "You said inside, and it starts inside.", true},
    };
    for (const auto& [key, said, right] : picks) {
        EXPECT_TRUE(nothingTold(laidOut()));
        EXPECT_TRUE(pressKey(app, key, stdout));
        EXPECT_FALSE(pressKey(app, key, stdout)) << "once";
        EXPECT_EQ(frameWords(app).verdict, said);
        EXPECT_EQ(frameWords(app).outcome, "start point is inside box.");
        EXPECT_EQ(app.walkStep, 0);
        const std::vector<TextItem> steps = textsOf(laidOut(), TEXT_STEP);
        ASSERT_FALSE(steps.empty());
        EXPECT_EQ(steps[0].text, said);
        EXPECT_EQ(steps[0].colour.g == 1.0f, right);
        app.scene.rayStart[1] += 1; // a changed scene is held back again
    }
    EXPECT_TRUE(pressKey(app, PREDICT_KEY, stdout));
    EXPECT_FALSE(app.predict);
    EXPECT_FALSE(pressKey(app, '1', stdout));
    app = AppState{};
}

// The 3D view by keys, drags, the wheel and a finger: v turns to it and back; arrow keys turn
// it 5 degrees, the elevation no further than 89; a drag off the handles turns it half a degree
// a pixel (right turns it left, down looks from higher), the wheel zooms, f frames and r turns
// it back; the start dot drags in the plane that
// faces the viewer, and a finger on nothing turns the view.
TEST(Controls, TheViewInSpace) {
    teach("--view 3d --explain");
    const auto turn = [] { return std::array{app.azimuth, app.elevation, app.zoom3d}; };
    const std::tuple<std::string, std::array<double, 3>> steps[] = {
        {"right", {35, 20, 1}},    {"drag", {25, 30, 1}},   {"wheel", {25, 30, 0.8}},
        {"f", {25, 30, 1}},        {"finger", {15, 40, 1}}, {"up x20", {15, 89, 1}},
        {"left x8", {335, 89, 1}}, {"r", {30, 20, 1}},
    };
    for (const auto& [what, after] : steps) {
        if (what == "right" || what == "left x8" || what == "up x20") {
            for (int n = what == "right" ? 1 : what == "left x8" ? 8 : 20; n > 0; --n) {
                EXPECT_TRUE(pressArrow(app,
                                       what == "up x20"  ? 0
                                       : what == "right" ? 1
                                                         : -1,
                                       what == "up x20" ? 1 : 0, false));
            }
        } else if (what == "drag" || what == "finger") {
            // Off the handles, 20 px right and down: the view turns left and looks down more.
            what == "drag" ? (void)pressPointer(app, 0, true, 600, 40)
                           : (void)touchPointer(app, 600, 40, 22);
            movePointer(app, 620, 60);
            releaseRay(app);
        } else if (what == "wheel") {
            EXPECT_TRUE(pressPointer(app, 3, true, 300, 200));
        } else {
            EXPECT_TRUE(pressKey(app, static_cast<unsigned char>(what[0]), stdout));
        }
        EXPECT_EQ(turn(), after) << what;
    }
    // The start dot, dragged 30 px right, stays in the plane through it that faces the viewer.
    const FrameLayout f = laidOut();
    const Camera camera = cameraOf(app);
    const std::array<float, 3> before = {app.scene.rayStart[0], app.scene.rayStart[1],
                                         app.scene.rayStart[2]};
    const int x = static_cast<int>(std::lround(f.start.x));
    const int y = 480 - static_cast<int>(std::lround(f.start.y));
    ASSERT_TRUE(grabRay(app, x, y));
    movePointer(app, x + 30, y);
    releaseRay(app);
    double along = 0;
    for (int i = 0; i < 3; ++i) {
        along += (app.scene.rayStart[i] - before[i]) * camera.forward[i];
    }
    EXPECT_NEAR(along, 0, 1e-4);
    EXPECT_NE(app.scene.rayStart[0], before[0]);
    EXPECT_TRUE(pressKey(app, VIEW_KEY, stdout));
    EXPECT_FALSE(app.view3d);
    app = AppState{};
}

} // namespace
