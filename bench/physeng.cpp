// Queries of the game's physics world on a 128 x 128-tile level: one 32 x 32
// body per wall cell and 500 object bodies. The yardstick visits every body
// in list order, as a world without an index must.
#include "game/world/phys/BoxHull.h"
#include "game/world/phys/IntersectionPacket.h"
#include "game/world/phys/PhysicsEngine.h"
#include "game/world/phys/PolygonHull.h"
#include "game/world/phys/StaticObject.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <random>
#include <vector>

namespace {

constexpr int kTiles = 128;
constexpr float kSize = kTiles * 32.0f;

struct Level {
    PhysEng::PhysicsEngine world;
    std::vector<float> segments; // x0, y0, x1, y1
    std::vector<float> moves;    // x, y, dx, dy

    Level()
    {
        world.SetArea(kSize, kSize);
        std::mt19937 rng(2026);
        std::uniform_int_distribution<int> percent(0, 99);
        for (int ty = 0; ty < kTiles; ++ty)
            for (int tx = 0; tx < kTiles; ++tx)
                if (tx == 0 || ty == 0 || tx == kTiles - 1 || ty == kTiles - 1 || percent(rng) < 20)
                    Add(new PhysEng::BoxHull(32, 32), tx * 32.0f, ty * 32.0f, 0);
        std::uniform_real_distribution<float> pos(32, kSize - 64), angle(0, 360), unit(-1, 1);
        const float outline[] = {0, 0, 40, 8, 36, 30, 4, 24};
        for (int i = 0; i < 500; ++i) {
            PhysEng::Hull* hull;
            if (i % 2) {
                hull = new PhysEng::BoxHull(24, 40);
            } else {
                auto* polygon = new PhysEng::PolygonHull();
                polygon->SetPoints(outline, 4);
                hull = polygon;
            }
            Add(hull, pos(rng), pos(rng), angle(rng));
        }
        for (int i = 0; i < 1024; ++i) {
            float x = pos(rng), y = pos(rng), dx = unit(rng), dy = unit(rng);
            float length = std::max(0.01f, std::hypot(dx, dy));
            segments.insert(segments.end(), {x, y, x + dx / length * 256, y + dy / length * 256});
            moves.insert(moves.end(), {x, y, dx * 5, dy * 5});
        }
    }

    void Add(PhysEng::Hull* hull, float x, float y, float angle)
    {
        PhysEng::StaticObject* body = world.NewStaticObject();
        body->ResetPose(x, y);
        body->Attach(hull);
        body->SetAngle(angle);
    }
};

Level& TheLevel()
{
    static Level level;
    return level;
}

void BM_SegmentQuery(benchmark::State& state)
{
    Level& level = TheLevel();
    size_t i = 0;
    for (auto _ : state) {
        const float* s = &level.segments[(i++ % 1024) * 4];
        bool hit = level.world.IntersectSegment(nullptr, s[0], s[1], s[2], s[3], level.world.NewPacket(), nullptr);
        benchmark::DoNotOptimize(hit);
    }
}

void BM_SegmentQueryAcrossLevel(benchmark::State& state)
{
    Level& level = TheLevel();
    for (auto _ : state) {
        bool hit =
            level.world.IntersectSegment(nullptr, 40, 40, kSize - 40, kSize - 50, level.world.NewPacket(), nullptr);
        benchmark::DoNotOptimize(hit);
    }
}

void BM_Sweep(benchmark::State& state)
{
    Level& level = TheLevel();
    size_t i = 0;
    for (auto _ : state) {
        const float* m = &level.moves[(i++ % 1024) * 4];
        float dx = m[2], dy = m[3], sx, sy;
        level.world.MoveCircle(m[0], m[1], &dx, &dy, 10.0f, true, true, false, &sx, &sy, level.world.NewPacket());
        benchmark::DoNotOptimize(dx);
    }
}

// Yardsticks: every body visited in list order with the same tests.
void BM_SegmentScanAll(benchmark::State& state)
{
    Level& level = TheLevel();
    const Util::List<PhysEng::Object>& bodies = level.world.GetBodies();
    size_t i = 0;
    for (auto _ : state) {
        const float* s = &level.segments[(i++ % 1024) * 4];
        PhysEng::IntersectionPacket packet = PhysEng::IntersectionPacket();
        float x0 = std::min(s[0], s[2]), y0 = std::min(s[1], s[3]), x1 = std::max(s[0], s[2]),
              y1 = std::max(s[1], s[3]);
        for (int b = 0; b < bodies.GetCount(); ++b) {
            PhysEng::Object* body = bodies[b];
            if (body->IsEnabled() && body->OverlapsRegion(x0, y0, x1, y1))
                body->IntersectSegment(s[0], s[1], s[2], s[3], &packet);
        }
        benchmark::DoNotOptimize(packet.hit);
    }
}

void BM_SweepScanAll(benchmark::State& state)
{
    Level& level = TheLevel();
    const Util::List<PhysEng::Object>& bodies = level.world.GetBodies();
    size_t i = 0;
    for (auto _ : state) {
        const float* m = &level.moves[(i++ % 1024) * 4];
        PhysEng::IntersectionPacket packet = PhysEng::IntersectionPacket();
        for (int b = 0; b < bodies.GetCount(); ++b)
            if (bodies[b]->IsEnabled())
                bodies[b]->IntersectCircle(m[0], m[1], m[2], m[3], 10.0f, &packet);
        benchmark::DoNotOptimize(packet.hit);
    }
}

} // namespace

BENCHMARK(BM_SegmentQuery);
BENCHMARK(BM_SegmentQueryAcrossLevel);
BENCHMARK(BM_SegmentScanAll);
BENCHMARK(BM_Sweep);
BENCHMARK(BM_SweepScanAll);
BENCHMARK_MAIN();
