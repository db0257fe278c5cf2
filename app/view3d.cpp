// The 3D view's camera, and the turn and zoom the user gives it.
#include "app/view3d.h"

#include "app/layout_rooms.h"
#include "app/scene.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr double PI = 3.14159265358979323846;
// Half the picture's height takes this angle; the framed sphere keeps this much room round it.
constexpr double HALF_FIELD = 20.0 * PI / 180.0;
constexpr double FRAME_ROOM = 1.12;

double dot(const double a[3], const double b[3]) {
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}

} // namespace

Camera cameraOf(const AppState& state) {
    const Answer answer = sceneAnswer(state.scene, state.method);
    return cameraOf(state, answer.result == RAY_HIT ? answer.hit : nullptr);
}

Camera cameraOf(const AppState& state, const float* entry) {
    const Scene& scene = state.scene;
    constexpr double FAR = std::numeric_limits<double>::infinity();
    double low[3] = {FAR, FAR, FAR};
    double high[3] = {-FAR, -FAR, -FAR};
    const auto include = [&](const double p[3]) {
        if (std::isfinite(p[0]) && std::isfinite(p[1]) && std::isfinite(p[2])) {
            for (int i = 0; i < 3; ++i) {
                low[i] = std::min(low[i], p[i]);
                high[i] = std::max(high[i], p[i]);
            }
        }
    };
    std::vector<std::array<double, 3>> points;
    points.reserve(10);
    for (int corner = 0; corner < 8; ++corner) {
        points.push_back({scene.boxPlanes[(corner & 1) != 0 ? 3 : 0],
                          scene.boxPlanes[(corner & 2) != 0 ? 4 : 1],
                          scene.boxPlanes[(corner & 4) != 0 ? 5 : 2]});
    }
    points.push_back({scene.rayStart[0], scene.rayStart[1], scene.rayStart[2]});
    if (entry != nullptr) {
        points.push_back({entry[0], entry[1], entry[2]});
    }
    for (const auto& point : points) {
        include(point.data());
    }
    Camera camera{};
    double radius = 0.0;
    for (int i = 0; i < 3; ++i) {
        camera.middle[i] = low[i] <= high[i] ? low[i] / 2 + high[i] / 2 : 0.0;
    }
    for (const auto& point : points) {
        const double d[3] = {point[0] - camera.middle[0], point[1] - camera.middle[1],
                             point[2] - camera.middle[2]};
        if (std::isfinite(dot(d, d))) {
            radius = std::max(radius, std::sqrt(dot(d, d)));
        }
    }
    camera.radius = radius > 0.0 && std::isfinite(radius) ? radius : 1.0;
    // The picture lies over the number line of t and, where the window writes them, under the
    // status lines.
    const double bottom = layout::bandPlace(state).pictureBottom;
    const double top = state.textsInPage ? state.windowHeight
                                         : directionLineY(state.windowHeight) -
                                               layout::BELOW_BASELINE - layout::PICTURE_GAP;
    const double wide = std::max(state.windowWidth, 1);
    const double high2 = std::max(top - bottom, 1.0);
    camera.focal = high2 / 2 / std::tan(HALF_FIELD);
    camera.centreX = wide / 2;
    camera.centreY = bottom + high2 / 2;
    // The narrower of the picture's two half fields holds the framed sphere.
    const double half = std::min(HALF_FIELD, std::atan(wide / 2 / camera.focal));
    const double distance = camera.radius / std::sin(half) * FRAME_ROOM * state.zoom3d;
    const double az = state.azimuth * PI / 180;
    const double el = state.elevation * PI / 180;
    const double back[3] = {std::cos(el) * std::sin(az), std::sin(el), std::cos(el) * std::cos(az)};
    for (int i = 0; i < 3; ++i) {
        camera.eye[i] = camera.middle[i] + distance * back[i];
        camera.forward[i] = -back[i];
    }
    // right = forward x (0, 1, 0); up = right x forward.
    const double length = std::hypot(camera.forward[2], camera.forward[0]);
    camera.right[0] = -camera.forward[2] / length;
    camera.right[1] = 0.0;
    camera.right[2] = camera.forward[0] / length;
    camera.up[0] = camera.right[1] * camera.forward[2] - camera.right[2] * camera.forward[1];
    camera.up[1] = camera.right[2] * camera.forward[0] - camera.right[0] * camera.forward[2];
    camera.up[2] = camera.right[0] * camera.forward[1] - camera.right[1] * camera.forward[0];
    return camera;
}

Projected project(const Camera& camera, const double point[3]) {
    const double v[3] = {point[0] - camera.eye[0], point[1] - camera.eye[1],
                         point[2] - camera.eye[2]};
    const double depth = dot(v, camera.forward);
    return {camera.centreX + camera.focal * dot(v, camera.right) / depth,
            camera.centreY + camera.focal * dot(v, camera.up) / depth, depth};
}

void unproject(const Camera& camera, double x, double y, const double through[3], double out[3]) {
    const double v[3] = {through[0] - camera.eye[0], through[1] - camera.eye[1],
                         through[2] - camera.eye[2]};
    const double depth = dot(v, camera.forward);
    const double across = (x - camera.centreX) / camera.focal * depth;
    const double upward = (y - camera.centreY) / camera.focal * depth;
    for (int i = 0; i < 3; ++i) {
        out[i] = camera.eye[i] + depth * camera.forward[i] + across * camera.right[i] +
                 upward * camera.up[i];
    }
}

void turnView(AppState& state, double azimuth, double elevation) {
    state.azimuth = std::fmod(std::fmod(state.azimuth + azimuth, 360.0) + 360.0, 360.0);
    state.elevation = std::clamp(state.elevation + elevation, -MOST_ELEVATION, MOST_ELEVATION);
}

void resetTurn(AppState& state) {
    state.azimuth = DEFAULT_AZIMUTH;
    state.elevation = DEFAULT_ELEVATION;
    state.zoom3d = 1.0;
}
