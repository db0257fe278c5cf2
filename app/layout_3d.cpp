// The 3D view laid out as data: the box's translucent faces and its edges, the axes, the ray
// with its handles, the segment and the entry; in the teaching view, the candidate planes or
// the slabs with the ray's intervals. Projected by the camera, the faces back to front.
#include "app/layout_rooms.h"

#include "app/scene.h"
#include "app/scenes.h"
#include "app/view3d.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>

namespace layout {

namespace {

using Point = std::array<double, 3>;

constexpr Colour EDGE{0.85f, 0.85f, 0.85f};
constexpr Colour BACK_EDGE{0.4f, 0.4f, 0.4f};
constexpr float FACE_ALPHA = 0.3f;
constexpr float SLAB_ALPHA = 0.16f;
constexpr float PLANE_ALPHA = 0.2f;
constexpr float ENTRY_ALPHA = 0.3f;
// The corners of the box's faces, a corner's bits saying max (1) or min on x, y and z; the
// axis each face is across, min first.
constexpr int FACES[6][4] = {{0, 2, 6, 4}, {1, 3, 7, 5}, {0, 1, 5, 4},
                             {2, 3, 7, 6}, {0, 1, 3, 2}, {4, 5, 7, 6}};

// A corner's colour by its x and y, as the 2D box has them: red, green, blue and yellow from
// (minX, minY) round; the back face repeats the front face's.
Colour cornerColour(int corner) {
    constexpr Colour COLOURS[4] = {{1, 0, 0}, {0, 1, 0}, {1, 1, 0}, {0, 0, 1}};
    return COLOURS[corner & 3];
}

// The pieces of the 3D view before they are sorted and broken round the texts.
struct Space {
    const Camera& camera;
    double near;
    std::vector<std::pair<double, TriangleItem>> triangles; // each with its depth
    std::vector<LineItem> lines;
    std::vector<LineItem> backLines;

    // A quad of four scene points, a colour at each, as two triangles at its middle's depth;
    // left out where a corner lies behind the camera's near plane.
    void quad(const std::array<Point, 4>& points, const std::array<Colour, 4>& colours,
              float alpha) {
        std::array<Projected, 4> p{};
        double depth = 0;
        for (int i = 0; i < 4; ++i) {
            p[i] = project(camera, points[i].data());
            if (!(p[i].depth > near) || !std::isfinite(p[i].x + p[i].y)) {
                return;
            }
            depth += p[i].depth / 4;
        }
        for (const auto& [a, b, c] : {std::array{0, 1, 2}, std::array{0, 2, 3}}) {
            triangles.push_back({depth,
                                 {{{{p[a].x, p[a].y}, {p[b].x, p[b].y}, {p[c].x, p[c].y}}},
                                  {colours[a], colours[b], colours[c]},
                                  alpha}});
        }
    }

    // A scene segment as a line in pixels, cut at the camera's near plane.
    bool line(Point a, Point b, float width, Colour colour, std::vector<LineItem>& into) {
        Projected pa = project(camera, a.data());
        Projected pb = project(camera, b.data());
        if (!(pa.depth > near) && !(pb.depth > near)) {
            return false;
        }
        if (!(pa.depth > near) || !(pb.depth > near)) {
            const double f = (near * 1.001 - pa.depth) / (pb.depth - pa.depth);
            Point& moved = pa.depth > near ? b : a;
            for (int i = 0; i < 3; ++i) {
                moved[i] = a[i] + f * (b[i] - a[i]);
            }
            (pa.depth > near ? pb : pa) = project(camera, moved.data());
        }
        if (!std::isfinite(pa.x + pa.y + pb.x + pb.y)) {
            return false;
        }
        into.push_back({pa.x, pa.y, pb.x, pb.y, width, colour});
        return true;
    }
};

Point along(const Scene& scene, double t) {
    return {scene.rayStart[0] + t * scene.rayDir[0], scene.rayStart[1] + t * scene.rayDir[1],
            scene.rayStart[2] + t * scene.rayDir[2]};
}

// The ray as the 3D view draws it: from its start on past the framed scene, t up to reach.
struct RayInSpace {
    Point start;
    double length; // of the direction
    double reach;
    bool moves;
};

RayInSpace rayInSpace(const Scene& scene, const Camera& camera) {
    const double length = std::sqrt(static_cast<double>(scene.rayDir[0]) * scene.rayDir[0] +
                                    static_cast<double>(scene.rayDir[1]) * scene.rayDir[1] +
                                    static_cast<double>(scene.rayDir[2]) * scene.rayDir[2]);
    const Point start = along(scene, 0);
    const Point toMiddle = {camera.middle[0] - start[0], camera.middle[1] - start[1],
                            camera.middle[2] - start[2]};
    const double distance = std::sqrt(toMiddle[0] * toMiddle[0] + toMiddle[1] * toMiddle[1] +
                                      toMiddle[2] * toMiddle[2]);
    const double reach = (distance + 3 * camera.radius) / length;
    return {start, length, reach, length > 0 && std::isfinite(reach)};
}

// A label beside a point, at the first of a few places round it that lies within the window
// and clear of every text, label and mark so far; none if there is no such place.
void placeNear(FrameLayout& frame, double x, double y, const std::string& text, Colour colour,
               std::vector<PixelBox>& taken) {
    const int w = static_cast<int>(text.size()) * CHAR_PIXELS;
    const int px = static_cast<int>(std::floor(x));
    const int py = static_cast<int>(std::floor(y));
    for (const auto& [dx, dy] : {std::pair{6, 6},
                                 {6, -18},
                                 {-w - 6, 6},
                                 {-w - 6, -18},
                                 {6, 22},
                                 {-w - 6, 22},
                                 {6, -34},
                                 {-w - 6, -34}}) {
        const PixelBox box = textBox(px + dx, py + dy, text.size());
        if (within(frame, box) && clearOf(box, taken)) {
            taken.push_back(box);
            frame.teachingTexts.push_back(textAt(px + dx, py + dy, text, colour, TEXT_LABEL));
            return;
        }
    }
}

// The box's faces, its edges (dimmer where no face turned to the camera has them) and the
// selected plane's face outlined in white.
void boxInSpace(Space& space, const float* b, int selectedPlane) {
    std::array<Point, 8> corner{};
    for (int i = 0; i < 8; ++i) {
        corner[i] = {b[(i & 1) != 0 ? 3 : 0], b[(i & 2) != 0 ? 4 : 1], b[(i & 4) != 0 ? 5 : 2]};
    }
    bool front[6] = {};
    for (int f = 0; f < 6; ++f) {
        const int axis = f / 2;
        const double outward = (f % 2 == 0 ? -1.0 : 1.0) * (b[axis + 3] < b[axis] ? -1.0 : 1.0);
        front[f] = (space.camera.eye[axis] - corner[FACES[f][0]][axis]) * outward > 0;
        std::array<Point, 4> points{};
        std::array<Colour, 4> colours{};
        for (int k = 0; k < 4; ++k) {
            points[k] = corner[FACES[f][k]];
            colours[k] = cornerColour(FACES[f][k]);
        }
        space.quad(points, colours, FACE_ALPHA);
    }
    for (int i = 0; i < 8; ++i) {
        for (const int bit : {1, 2, 4}) {
            if ((i & bit) != 0) {
                continue;
            }
            bool shown = false;
            for (const int other : {1, 2, 4}) {
                const int axis = other == 1 ? 0 : other == 2 ? 1 : 2;
                shown = shown || (other != bit && front[2 * axis + ((i & other) != 0 ? 1 : 0)]);
            }
            space.line(corner[i], corner[i | bit], shown ? 1.5f : 1.0f, shown ? EDGE : BACK_EDGE,
                       shown ? space.lines : space.backLines);
        }
    }
    const int selectedFace[4] = {3, 2, 0, 1};
    if (static_cast<unsigned>(selectedPlane) < 4) {
        const int* f = FACES[selectedFace[selectedPlane]];
        for (int k = 0; k < 4; ++k) {
            space.line(corner[f[k]], corner[f[(k + 1) % 4]], 3.0f, WHITE, space.lines);
        }
    }
}

// The axes from the origin, each named at its end.
void axesInSpace(Space& space, FrameLayout& frame, std::vector<PixelBox>& taken) {
    const char* const NAMES[3] = {"x", "y", "z"};
    for (int axis = 0; axis < 3; ++axis) {
        Point end{};
        end[axis] = space.camera.radius * 0.5;
        if (space.line({0, 0, 0}, end, 1.0f, AXIS_COLOURS[axis], space.lines)) {
            const Projected p = project(space.camera, end.data());
            placeNear(frame, p.x, p.y, NAMES[axis], AXIS_COLOURS[axis], taken);
        }
    }
}

// The candidate planes the walk shows, across the box's extent a fifth wider, each labelled
// with its t, the entry plane white; where the ray crosses one ahead, a mark, unless the
// entry mark is there.
void candidatePlanesInSpace(Space& space, FrameLayout& frame, const Scene& scene,
                            const RayTestRecord& record, const Step* current, bool hit,
                            const RayInSpace& ray, std::vector<MarkItem>& marks,
                            std::vector<PixelBox>& taken) {
    const float* b = scene.boxPlanes;
    for (int axis = 0; axis < 3; ++axis) {
        const AxisStep& step = record.axes[axis];
        const bool entered = axis == record.entryAxis && record.entryT >= 0.0f;
        const bool shown = current == nullptr ||
                           (current->kind == STEP_AXIS && current->axis == axis) ||
                           (entered && afterEntry(current->kind));
        if (step.side == SIDE_BETWEEN || !shown) {
            continue;
        }
        const int u = (axis + 1) % 3;
        const int v = (axis + 2) % 3;
        const double du = (b[u + 3] - b[u]) * 0.2 + space.camera.radius * 0.05;
        const double dv = (b[v + 3] - b[v]) * 0.2 + space.camera.radius * 0.05;
        std::array<Point, 4> points{};
        for (int k = 0; k < 4; ++k) {
            points[k][axis] = step.candidate;
            points[k][u] = (k == 1 || k == 2) ? b[u + 3] + du : b[u] - du;
            points[k][v] = k >= 2 ? b[v + 3] + dv : b[v] - dv;
        }
        const Colour colour = entered ? WHITE : GREY;
        space.quad(points, {colour, colour, colour, colour}, entered ? ENTRY_ALPHA : PLANE_ALPHA);
        const Projected corner2 = project(space.camera, points[2].data());
        if (corner2.depth > space.near) {
            placeNear(frame, corner2.x, corner2.y, axisLabel(axis, step), colour, taken);
        }
        if (step.hasDistance && step.t >= 0.0f && std::isfinite(step.t) && ray.moves &&
            !(entered && hit)) {
            const Projected at = project(space.camera, along(scene, step.t).data());
            if (at.depth > space.near) {
                marks.push_back({at.x, at.y, 6.0f, CYAN});
            }
        }
    }
}

// Each axis's two planes as a slab in its colour and its interval of t on the ray; the
// overlap white and narrowest.
void slabsInSpace(Space& space, const Scene& scene, const SlabTestRecord& slab, const Step* current,
                  const RayInSpace& ray) {
    const float* b = scene.boxPlanes;
    const double margin = space.camera.radius * 0.15;
    const float widths[3] = {9.0f, 7.0f, 5.0f};
    const auto onRay = [&](double from, double to, float width, Colour colour) {
        if (ray.moves && from <= to) {
            space.line(along(scene, std::clamp(from, -ray.reach, ray.reach)),
                       along(scene, std::clamp(to, -ray.reach, ray.reach)), width, colour,
                       space.lines);
        }
    };
    const bool all = current == nullptr || current->kind != STEP_AXIS;
    for (int axis = 0; axis < (zShown(scene) ? 3 : 2); ++axis) {
        if (!all && current->axis != axis) {
            continue;
        }
        const int u = (axis + 1) % 3;
        const int v = (axis + 2) % 3;
        const Colour c = AXIS_COLOURS[axis];
        for (const float plane : {b[axis], b[axis + 3]}) {
            std::array<Point, 4> points{};
            for (int k = 0; k < 4; ++k) {
                points[k][axis] = plane;
                points[k][u] = (k == 1 || k == 2) ? std::max(b[u], b[u + 3]) + margin
                                                  : std::min(b[u], b[u + 3]) - margin;
                points[k][v] =
                    k >= 2 ? std::max(b[v], b[v + 3]) + margin : std::min(b[v], b[v + 3]) - margin;
            }
            space.quad(points, {c, c, c, c}, SLAB_ALPHA);
        }
        onRay(std::fmin(slab.axes[axis].toMin, slab.axes[axis].toMax),
              std::fmax(slab.axes[axis].toMin, slab.axes[axis].toMax), widths[axis], c);
    }
    if (current == nullptr || current->kind == STEP_ENTRY || current->kind == STEP_OUTCOME) {
        onRay(slab.tnear, slab.tfar, 3.0f, WHITE);
    }
}

// The pieces into the frame: the triangles back to front (each quad's two together), the
// marks clear of every text, the lines within the picture and broken round every text.
void intoFrame(Space& space, FrameLayout& frame, const std::vector<MarkItem>& marks,
               const Rect& picture, std::vector<PixelBox>& taken) {
    std::stable_sort(space.triangles.begin(), space.triangles.end(),
                     [](const auto& a, const auto& b) { return a.first > b.first; });
    for (auto& [depth, triangle] : space.triangles) {
        frame.triangles.push_back(triangle);
    }
    for (const MarkItem& mark : marks) {
        if (clearOf(markBox(mark), taken)) {
            frame.marks.push_back(mark);
            taken.push_back(markBox(mark));
        }
    }
    for (auto [from, into] :
         {std::pair{&space.lines, &frame.lines}, std::pair{&space.backLines, &frame.backLines}}) {
        for (const LineItem& piece : *from) {
            double p[2] = {piece.x0, piece.y0};
            double q[2] = {piece.x1, piece.y1};
            if (clipSegment(picture, p, q)) {
                addLineAround(*into, {p[0], p[1], q[0], q[1], piece.width, piece.colour}, taken);
            }
        }
    }
}

} // namespace

void Layouter::layoutSpace(FrameLayout& frame, const RayTestRecord& record,
                           const SlabTestRecord& slab, const Step* current,
                           std::vector<PixelBox>& taken) {
    frame.view3d = true;
    Space space{camera, camera.radius * 1e-3, {}, {}, {}};
    const Scene& scene = state.scene;
    boxInSpace(space, scene.boxPlanes, state.selectedPlane);
    axesInSpace(space, frame, taken);
    const RayInSpace ray = rayInSpace(scene, camera);
    if (ray.moves) {
        space.line(ray.start, along(scene, ray.reach), 1.0f, CYAN, space.lines);
    }
    // The segment to the entry and its mark, unless the outcome waits for a prediction.
    // The outcome and entry point of the method shown: the slab view's record holds the slab
    // test's, or the exact answer's.
    const bool candidate = state.method.kind == METHOD_CANDIDATE;
    const float* entryPoint = candidate ? record.hit : slab.hit;
    const bool hidden = outcomeHidden(state);
    const bool hit = (candidate ? record.result : slab.result) == RAY_HIT && !hidden;
    std::vector<LineItem> segment;
    if (hit && space.line(ray.start, {entryPoint[0], entryPoint[1], entryPoint[2]}, 1.0f, WHITE,
                          segment)) {
        frame.segment = true;
        frame.segmentWidth = static_cast<float>(state.lineWidth);
        frame.segmentFrom = {segment[0].x0, segment[0].y0};
        frame.segmentTo = {segment[0].x1, segment[0].y1};
    }
    std::vector<MarkItem> marks;
    const Projected entry =
        project(camera, std::array<double, 3>{entryPoint[0], entryPoint[1], entryPoint[2]}.data());
    if (hit && entry.depth > space.near &&
        (current == nullptr || afterEntry(current->kind) || current->kind == STEP_OUTCOME)) {
        marks.push_back({entry.x, entry.y, 11.0f, WHITE});
    }
    if (state.teachingView && !hidden) {
        if (state.method.kind == METHOD_CANDIDATE) {
            candidatePlanesInSpace(space, frame, scene, record, current, hit, ray, marks, taken);
        } else {
            slabsInSpace(space, scene, slab, current, ray);
        }
    }
    // Lines stay over the number line of t.
    intoFrame(space, frame, marks,
              {0, static_cast<double>(bandPlace(state).pictureBottom),
               std::max(frame.width, 1) * 1.0, std::max(frame.height, 1) * 1.0},
              taken);
    // The handles: the start dot, and the arrow head along the ray as the screen shows it.
    const Projected s = project(camera, ray.start.data());
    const Projected ahead = project(camera, along(scene, camera.radius * 1e-3 / ray.length).data());
    const bool aimed = ray.moves && ahead.depth > space.near;
    const double screen = std::hypot(ahead.x - s.x, ahead.y - s.y);
    if (s.depth > space.near && std::isfinite(s.x + s.y)) {
        placeHandles(frame, s.x, s.y, aimed ? (ahead.x - s.x) / screen : 0.0,
                     aimed ? (ahead.y - s.y) / screen : 0.0);
    }
}

} // namespace layout
