// Throughput of the ray-box test beside a branchless slab test, on 4096 seeded rays
// around the start-up box.
#include "app/scene.h"
#include "ratio_reporter.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <vector>

namespace {

constexpr int RAYS = 4096;

struct Ray {
    float origin[3];
    float dir[3];
    float inverse[3]; // 1 / dir, for the slab test
};

const float BOX_MIN[3] = {5.0f, 10.0f, 0.0f};
const float BOX_MAX[3] = {15.0f, 25.0f, 0.0f};

// Origins spread over the window around the box, directions all round: about a third of
// the rays hit, a few start inside, the rest miss, in no particular order.
std::vector<Ray> makeRays() {
    std::mt19937 rng(4096);
    std::uniform_real_distribution<float> x(-10.0f, 30.0f);
    std::uniform_real_distribution<float> y(-5.0f, 40.0f);
    std::uniform_real_distribution<float> angle(0.0f, 6.2831853f);
    std::vector<Ray> rays(RAYS);
    for (Ray& r : rays) {
        const float a = angle(rng);
        r.origin[0] = x(rng);
        r.origin[1] = y(rng);
        r.origin[2] = 0.0f;
        r.dir[0] = std::cos(a);
        r.dir[1] = std::sin(a);
        r.dir[2] = 0.0f;
        for (int i = 0; i < 3; ++i) {
            r.inverse[i] = 1.0f / r.dir[i];
        }
    }
    return rays;
}

// The usual slab test: the ray is within every slab for t in [enter, exit]. Written so a
// NaN slab (a zero direction on an axis whose bounds the origin sits on) is ignored.
// Out of line like the project's test, which lives in another translation unit.
__attribute__((noinline)) int slabIntersect(const float boxMin[3], const float boxMax[3],
                                            const float origin[3], const float dir[3],
                                            const float inverse[3], float hit[3]) {
    float enter = -std::numeric_limits<float>::infinity();
    float exit = std::numeric_limits<float>::infinity();
    for (int i = 0; i < 3; ++i) {
        const float t1 = (boxMin[i] - origin[i]) * inverse[i];
        const float t2 = (boxMax[i] - origin[i]) * inverse[i];
        enter = std::max(enter, std::min(t1, t2));
        exit = std::min(exit, std::max(t1, t2));
    }
    for (int i = 0; i < 3; ++i) {
        hit[i] = origin[i] + enter * dir[i];
    }
    const int inside = enter <= 0.0f ? RAY_INSIDE : RAY_HIT;
    return exit >= std::max(enter, 0.0f) ? inside : RAY_MISS;
}

// Runs a test over every ray; test(ray, hit) calls the function being measured.
template <typename Test> void runOverRays(benchmark::State& state, Test test) {
    const std::vector<Ray> rays = makeRays();
    int hits = 0;
    while (state.KeepRunning()) {
        for (const Ray& ray : rays) {
            float hit[3];
            const int result = test(ray, hit);
            hits += result == RAY_HIT ? 1 : 0;
            benchmark::DoNotOptimize(hit);
        }
    }
    benchmark::DoNotOptimize(hits);
    state.counters["ns_per_test"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * RAYS,
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["hit_share"] =
        static_cast<double>(hits) / (static_cast<double>(state.iterations()) * RAYS);
}

void BM_RayBoxIntersect(benchmark::State& state) {
    runOverRays(state, [](const Ray& ray, float hit[3]) {
        return rayBoxIntersect(BOX_MIN, BOX_MAX, ray.origin, ray.dir, hit);
    });
}
void BM_SlabPeer(benchmark::State& state) {
    runOverRays(state, [](const Ray& ray, float hit[3]) {
        return slabIntersect(BOX_MIN, BOX_MAX, ray.origin, ray.dir, ray.inverse, hit);
    });
}
BENCHMARK(BM_RayBoxIntersect)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_SlabPeer)->Repetitions(5)->ReportAggregatesOnly(true);

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter({std::make_pair("BM_RayBoxIntersect", "BM_SlabPeer")});
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
