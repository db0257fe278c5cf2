// Time per frame for a hit, a miss (with its repeated passes), a start inside the box and
// a drag, beside a frame that only clears and swaps.
#include "app/scene.h"
#include "desktop/viewer.h"
#include "ratio_reporter.h"

#include <GL/freeglut.h>

#include <algorithm>

namespace {

// Opens the viewer's window once, on the display in DISPLAY; scripts/bench.sh gives it a
// virtual one.
void openViewer() {
    static bool open = false;
    if (open) {
        return;
    }
    open = true;
    char program[] = "frame-bench";
    char* argv[] = {program, nullptr};
    int argc = 1;
    startViewer(&argc, argv);
    for (int i = 0; i < 50; ++i) {
        glutMainLoopEvent();
    }
}

// Puts the start-up scene back, then lets the caller change it.
template <typename Change> void drawFrames(benchmark::State& state, Change change) {
    openViewer();
    createBox(desktop.state.scene);
    resetRay(desktop.state.scene);
    desktop.state.selectedPlane = PLANE_NONE;
    desktop.state.teachingView = false;
    change();
    while (state.KeepRunning()) {
        onIdle();
        onDisplay();
        glFinish();
    }
    state.counters["result"] = desktop.state.lastResult;
}

void BM_ClearAndSwap(benchmark::State& state) {
    openViewer();
    while (state.KeepRunning()) {
        glClear(GL_COLOR_BUFFER_BIT);
        glutSwapBuffers();
        glFinish();
    }
}

void BM_FrameHit(benchmark::State& state) {
    drawFrames(state, [] {});
}

void BM_FrameMiss(benchmark::State& state) {
    drawFrames(state, [] { desktop.state.scene.rayDir[0] = -0.5f; });
}

void BM_FrameInside(benchmark::State& state) {
    drawFrames(state, [] {
        desktop.state.scene.rayStart[0] = 10.0f;
        desktop.state.scene.rayStart[1] = 20.0f;
    });
}

// The same hit and miss with the teaching view over them.
void BM_TeachingHit(benchmark::State& state) {
    drawFrames(state, [] { desktop.state.teachingView = true; });
}

void BM_TeachingMiss(benchmark::State& state) {
    drawFrames(state, [] {
        desktop.state.teachingView = true;
        desktop.state.scene.rayDir[0] = -0.5f;
    });
}

// The slab test's teaching frame, on the plane z = 0 and in the 3D view of a ray in space.
void slabScene(bool space) {
    desktop.state.teachingView = true;
    desktop.state.method = {METHOD_SLAB, {}};
    const float ray[12] = {0, 12, -5, 1, 0.25f, 1, 5, 10, -2, 15, 25, 3};
    std::copy(ray, ray + 3, desktop.state.scene.rayStart);
    std::copy(ray + 3, ray + 6, desktop.state.scene.rayDir);
    std::copy(ray + 6, ray + 12, desktop.state.scene.boxPlanes);
    desktop.state.view3d = space;
}

void BM_TeachingSlab(benchmark::State& state) {
    drawFrames(state, [] { slabScene(false); });
}

void BM_TeachingSlab3d(benchmark::State& state) {
    drawFrames(state, [] { slabScene(true); });
}

// A drag of one pixel up or down with the top plane selected, then the frame it asks for.
void BM_FrameDrag(benchmark::State& state) {
    openViewer();
    createBox(desktop.state.scene);
    resetRay(desktop.state.scene);
    desktop.state.selectedPlane = PLANE_TOP;
    onMouse(GLUT_LEFT_BUTTON, GLUT_DOWN, 100, 200);
    int y = 200;
    while (state.KeepRunning()) {
        y = y == 200 ? 199 : 200;
        onMotion(100, y);
        onIdle();
        onDisplay();
        glFinish();
    }
    desktop.state.selectedPlane = PLANE_NONE;
}

// Frames are drawn partly on the GL's own threads, so wall time is what counts.
#define FRAME_BENCHMARK(name)                                                                      \
    BENCHMARK(name)->UseRealTime()->Repetitions(7)->ReportAggregatesOnly(true)
FRAME_BENCHMARK(BM_ClearAndSwap);
FRAME_BENCHMARK(BM_FrameHit);
FRAME_BENCHMARK(BM_FrameMiss);
FRAME_BENCHMARK(BM_FrameInside);
FRAME_BENCHMARK(BM_FrameDrag);
FRAME_BENCHMARK(BM_TeachingHit);
FRAME_BENCHMARK(BM_TeachingMiss);
FRAME_BENCHMARK(BM_TeachingSlab);
FRAME_BENCHMARK(BM_TeachingSlab3d);

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter({{"BM_TeachingSlab3d", "BM_TeachingSlab"},
                            {"BM_FrameHit", "BM_ClearAndSwap"},
                            {"BM_FrameMiss", "BM_ClearAndSwap"},
                            {"BM_FrameInside", "BM_ClearAndSwap"},
                            {"BM_FrameDrag", "BM_ClearAndSwap"},
                            {"BM_TeachingHit", "BM_FrameHit"},
                            {"BM_TeachingMiss", "BM_FrameMiss"}});
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
