// The 3D view as data, without a display: a known box projected under three turns, worked out
// by hand; the faces back to front; the framing of random scenes; nothing crossing a text;
// and the 2D view of a box with depth.
#include "app/view3d.h"
#include "tests/app_support.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <random>
#include <string>
#include <tuple>
#include <vector>

namespace {

// The cube from -1 to 1 with the ray starting at its middle, in the 3D view of a 640 x 480
// window: the picture is 419 px high under the status lines, its middle at (320, 209.5); a
// half field of 20 degrees makes the focal length 209.5 / tan 20 = 575.6 px, and the sphere
// through the corners (radius sqrt 3) is framed from 1.12 sqrt 3 / sin 20 = 5.672 away.
void cube(double azimuth, double elevation) {
    app = AppState{};
    applyOptions(parse("--ray 0,0,0,1,0,0,-1,-1,-1,1,1,1 --view 3d"), app);
    app.azimuth = azimuth;
    app.elevation = elevation;
}

// Unturned, the front face (z = 1) is a square 575.6 / 4.672 px from the middle each way and
// the back face one 575.6 / 6.672 px; turned 90 degrees, x = 1 is in front with z = -1 on the
// right; and a turn of 30 and 20 degrees.
TEST(Space, ProjectionWorkedByHand) {
    // The turn, and x and y of each corner, the corner's bits being x, y and z from the lowest.
    const std::tuple<double, double, std::array<double, 16>> turns[] = {
        {0,
         0,
         {233.73, 123.23, 406.27, 123.23, 233.73, 295.77, 406.27, 295.77, 196.8, 86.3, 443.2, 86.3,
          196.8, 332.7, 443.2, 332.7}},
        {90,
         0,
         {406.27, 123.23, 443.2, 86.3, 406.27, 295.77, 443.2, 332.7, 233.73, 123.23, 196.8, 86.3,
          233.73, 295.77, 196.8, 332.7}},
        {30,
         20,
         {291.13, 172.23, 443.67, 135.76, 288.14, 331.95, 458.58, 317.53, 181.33, 101.4, 364.54,
          38.3, 162.3, 303.53, 372.07, 276.71}},
    };
    for (const auto& [azimuth, elevation, corners] : turns) {
        cube(azimuth, elevation);
        const Camera camera = cameraOf(app);
        for (int i = 0; i < 8; ++i) {
            const double corner[3] = {(i & 1) != 0 ? 1.0 : -1.0, (i & 2) != 0 ? 1.0 : -1.0,
                                      (i & 4) != 0 ? 1.0 : -1.0};
            const Projected p = project(camera, corner);
            EXPECT_NEAR(p.x, corners[2 * i], 0.5) << azimuth << " corner " << i;
            EXPECT_NEAR(p.y, corners[2 * i + 1], 0.5) << azimuth << " corner " << i;
        }
    }
}

// For a table of turns, every triangle of a face turned away from the camera is painted before
// every one of a face turned to it; a triangle's face is the one whose projected corners it
// has (three corners of a cube lie on one face only).
TEST(Space, BackToFront) {
    for (const auto& [azimuth, elevation] :
         {std::pair{0.0, 0.0}, {30.0, 20.0}, {135.0, -40.0}, {250.0, 89.0}, {330.0, -89.0}}) {
        cube(azimuth, elevation);
        const Camera camera = cameraOf(app);
        const FrameLayout f = laidOut();
        ASSERT_EQ(f.triangles.size(), 12U);
        int lastBack = -1;
        int firstFront = 12;
        for (int t = 0; t < 12; ++t) {
            // The corners the triangle has, as bits of which corner of the cube they are.
            int all = 7;
            int none = 7;
            for (const auto& c : f.triangles[static_cast<std::size_t>(t)].corners) {
                for (int i = 0; i < 8; ++i) {
                    const double corner[3] = {(i & 1) != 0 ? 1.0 : -1.0, (i & 2) != 0 ? 1.0 : -1.0,
                                              (i & 4) != 0 ? 1.0 : -1.0};
                    const Projected p = project(camera, corner);
                    if (std::abs(p.x - c[0]) < 1e-6 && std::abs(p.y - c[1]) < 1e-6) {
                        all &= i;
                        none &= ~i;
                    }
                }
            }
            // The face is across the axis whose bit all its corners share, at max or min.
            const int bit = all != 0 ? all : none;
            const int axis = bit == 1 ? 0 : bit == 2 ? 1 : 2;
            const bool front = (all != 0 ? camera.eye[axis] : -camera.eye[axis]) > 1;
            (front ? firstFront = std::min(firstFront, t) : lastBack = std::max(lastBack, t));
        }
        EXPECT_LT(lastBack, firstFront) << azimuth << ", " << elevation;
    }
}

// In 1000 random scenes and turns of every method, the box's corners, the start and the entry
// point lie in the picture, and nothing crosses a text in the teaching view.
TEST(Space, FramedAndClearOfTexts) {
    const float values[] = {0, 5, -3, 10, 15, 25, -1, 0.5f, 1e-30f, 1e8f, -2e6f};
    std::mt19937 rng(41);
    const auto value = [&] {
        return rng() % 3 == 0 ? values[rng() % std::size(values)]
                              : static_cast<float>(static_cast<int>(rng() % 61) - 15) / 2;
    };
    for (const Method method :
         {Method{METHOD_CANDIDATE, {}}, Method{METHOD_SLAB, {}},
          Method{METHOD_SLAB, {false, true, SLAB_SIGN, false, true}}, Method{METHOD_EXACT, {}}}) {
        for (int n = 0; n < 1000; ++n) {
            teach("--view 3d", n % 5 == 0 ? 1000 : 640, n % 7 == 0 ? 700 : 480);
            app.method = method;
            for (float* v : {&app.scene.rayStart[0], &app.scene.rayStart[1], &app.scene.rayStart[2],
                             &app.scene.rayDir[0], &app.scene.rayDir[1], &app.scene.rayDir[2]}) {
                *v = value();
            }
            for (float& plane : app.scene.boxPlanes) {
                plane = value();
            }
            app.azimuth = rng() % 360;
            app.elevation = static_cast<double>(rng() % 179) - 89;
            app.walkStep = static_cast<int>(rng() % 8) - 1;
            const FrameLayout f = laidOut();
            ASSERT_EQ(crossings(f), "") << n;
            const Camera camera = cameraOf(app);
            std::vector<std::array<double, 3>> seen;
            for (int i = 0; i < 8; ++i) {
                const float* b = app.scene.boxPlanes;
                seen.push_back(
                    {b[(i & 1) != 0 ? 3 : 0], b[(i & 2) != 0 ? 4 : 1], b[(i & 4) != 0 ? 5 : 2]});
            }
            seen.push_back({app.scene.rayStart[0], app.scene.rayStart[1], app.scene.rayStart[2]});
            const Answer answer = sceneAnswer(app.scene, app.method);
            if (answer.result == RAY_HIT) {
                seen.push_back({answer.hit[0], answer.hit[1], answer.hit[2]});
            }
            for (const auto& point : seen) {
                const Projected p = project(camera, point.data());
                ASSERT_TRUE(p.depth > 0 && p.x >= 0 && p.x <= app.windowWidth &&
                            p.y >= f.bandBox.y1 && p.y <= app.windowHeight)
                    << methodName(method) << " scene " << n << ": " << p.x << ", " << p.y;
            }
        }
    }
    app = AppState{};
}

// The 2D view of a box with depth shows the plane z = 0 and says what it cuts; where it misses
// the box, no box is drawn.
TEST(Space, ThePlaneOfTheFlatView) {
    const std::tuple<const char*, const char*, bool> boxes[] = {
        {"", "", true},
        {"--box 5 10 -2 15 25 3", "the plane z = 0 cuts the box (z from -2 to 3)", true},
        {"--box 5 10 1 15 25 3", "the plane z = 0 misses the box (z from 1 to 3)", false},
    };
    for (const auto& [line, said, drawn] : boxes) {
        app = AppState{};
        applyOptions(parse(line), app);
        const FrameLayout f = laidOut();
        std::string texts;
        for (const TextItem& text : f.texts) {
            texts += text.text.rfind("the plane", 0) == 0 ? text.text : "";
        }
        EXPECT_EQ(texts, said) << line;
        EXPECT_EQ(f.boxWhole, drawn) << line;
    }
    app = AppState{};
}

} // namespace
