// Physics steps: 1,000 bodies in a small room, and 500 to 4,000 over a
// whole level, beside the yardstick of the least a step can cost: moving
// as many plain bodies by their velocities, as the integration does.
#include "engine/physics/Physics.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

namespace {

// 200 static walls and 800 moving balls among them.
void BM_PhysicsStep1000Bodies(benchmark::State& state)
{
    PhysicsSW::Physics world;
    const float edges[4] = {32, 0, 0, 32};
    const float radius = 10.0f;
    for (int i = 0; i < 200; ++i)
        world.AddStaticBox(edges)->SetPosition(float(i % 20) * 64.0f, float(i / 20) * 64.0f);
    std::vector<IPhysObject*> balls;
    for (int i = 0; i < 800; ++i) {
        IPhysObject* ball = world.AddCircleBody(&radius);
        ball->SetRestitution(0.4f);
        balls.push_back(ball);
    }
    auto scatter = [&] {
        for (size_t i = 0; i < balls.size(); ++i) {
            balls[i]->SetPosition(float(i % 40) * 32.0f + 40.0f, float(i / 40) * 32.0f + 40.0f);
            balls[i]->ApplyFriction(1e9f);
            float angle = float(i) * 0.7f;
            balls[i]->ApplyImpulse(0, 0, std::cos(angle) * 3000.0f, std::sin(angle) * 3000.0f);
        }
    };
    scatter();
    int64_t steps = 0;
    for (auto _ : state) {
        world.StepOnce(PhysicsSW::Physics::kNominalStep);
        if (++steps % 100 == 0) {
            state.PauseTiming();
            scatter();
            state.ResumeTiming();
        }
    }
}
BENCHMARK(BM_PhysicsStep1000Bodies)->Unit(benchmark::kMicrosecond);

// A 100 x 100-tile level (3,200 px square): a quarter of the bodies are
// 32 x 32 walls on pseudo-random tiles, the rest balls running among them.
// Time per body should stay about the same from row to row.
void BM_PhysicsStepLevel(benchmark::State& state)
{
    const int total = int(state.range(0));
    const int walls = total / 4;
    PhysicsSW::Physics world;
    const float edges[4] = {32, 0, 0, 32};
    const float radius = 10.0f;
    uint32_t seed = 12345;
    auto next = [&seed](int below) {
        seed = seed * 1103515245u + 12345u;
        return int((seed >> 8) % uint32_t(below));
    };
    for (int i = 0; i < walls; ++i)
        world.AddStaticBox(edges)->SetPosition(float(next(100)) * 32.0f, float(next(100)) * 32.0f);
    std::vector<IPhysObject*> balls;
    for (int i = walls; i < total; ++i) {
        IPhysObject* ball = world.AddCircleBody(&radius);
        ball->SetRestitution(0.4f);
        balls.push_back(ball);
    }
    auto scatter = [&] {
        for (size_t i = 0; i < balls.size(); ++i) {
            balls[i]->SetPosition(float(next(3200)), float(next(3200)));
            balls[i]->ApplyFriction(1e9f);
            float angle = float(next(628)) * 0.01f;
            balls[i]->ApplyImpulse(0, 0, std::cos(angle) * 3000.0f, std::sin(angle) * 3000.0f);
        }
    };
    scatter();
    int64_t steps = 0;
    for (auto _ : state) {
        world.StepOnce(PhysicsSW::Physics::kNominalStep);
        if (++steps % 100 == 0) {
            state.PauseTiming();
            scatter();
            state.ResumeTiming();
        }
    }
    state.counters["per_body"] = benchmark::Counter(double(total) * double(state.iterations()),
                                                    benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_PhysicsStepLevel)->Arg(500)->Arg(1000)->Arg(2000)->Arg(4000)->Unit(benchmark::kMicrosecond);

} // namespace

namespace {

// The yardstick: the integration's own arithmetic (friction, move, turn)
// over as many bodies, each an allocation of its own, and nothing else.
void BM_MovePlainBodies(benchmark::State& state)
{
    struct Body {
        float x, y, vx, vy, angle, angular, cos, sin;
    };
    const int total = int(state.range(0));
    std::vector<std::unique_ptr<Body>> bodies;
    for (int i = 0; i < total; ++i)
        bodies.push_back(std::make_unique<Body>(Body{float(i), float(i), 400.0f, 300.0f, 0.0f, 50.0f, 1.0f, 0.0f}));
    const float dt = PhysicsSW::Physics::kNominalStep;
    for (auto _ : state) {
        for (auto& b : bodies) {
            float speed = std::sqrt(b->vx * b->vx + b->vy * b->vy);
            float slower = std::max(speed - dt * 2000.0f * 0.0667f, 0.0f);
            float scale = speed > 0.0f ? slower / speed : 0.0f;
            b->vx *= scale;
            b->vy *= scale;
            b->x += dt * b->vx;
            b->y += dt * b->vy;
            b->angle += dt * b->angular;
            b->cos = std::cos(b->angle * 0.0174533f);
            b->sin = std::sin(b->angle * 0.0174533f);
            if (slower == 0.0f)
                b->vx = 400.0f, b->vy = 300.0f;
        }
        benchmark::DoNotOptimize(bodies.data());
    }
    state.counters["per_body"] = benchmark::Counter(double(total) * double(state.iterations()),
                                                    benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_MovePlainBodies)->Arg(500)->Arg(4000)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
