#include "engine/physics/Physics.h"
#include "support/EngineFakes.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

namespace {

using PhysicsSW::Object;
using PhysicsSW::Physics;
using namespace std::chrono_literals;

// Waits for a condition the thread should bring about; false after a long
// while. A wait, not a measurement.
template <typename F> bool WaitFor(F done)
{
    auto deadline = std::chrono::steady_clock::now() + 20s;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(1ms);
    }
    return true;
}

float X(IPhysObject* body)
{
    float x = 0, y = 0;
    body->GetPosition(&x, &y);
    return x;
}

// A fast body that would keep moving for a long time.
IPhysObject* Runner(Physics& world)
{
    const float radius = 5.0f;
    IPhysObject* body = world.AddCircleBody(&radius);
    body->ApplyImpulse(0.0f, 0.0f, 1.0e6f, 0.0f);
    return body;
}

// Readings for the thread: each pass takes `pass`, each sleep `slept`; with
// a growth, every pass takes that much longer than the one before.
ITimer* ScriptedClock(float pass, float slept, float growth = 0.0f)
{
    return new ScriptedTimer([=](int n) {
        return growth > 0.0f ? pass + growth * float(n) : n % 2 == 0 ? pass : slept;
    });
}

struct SleepLog {
    std::mutex lock;
    std::vector<int> sleeps;
    Physics::Sleeper Sleeper()
    {
        return [this](int ms) {
            std::lock_guard<std::mutex> hold(lock);
            sleeps.push_back(ms);
        };
    }
    std::vector<int> Taken()
    {
        std::lock_guard<std::mutex> hold(lock);
        return sleeps;
    }
};

TEST(PhysicsThread, NewWorldWaitsForResume)
{
    Physics world;
    IPhysObject* body = Runner(world);
    world.Start();
    EXPECT_TRUE(world.IsPaused());
    std::this_thread::sleep_for(30ms);
    EXPECT_EQ(world.GetPassCount(), 0);
    EXPECT_EQ(X(body), 0.0f);
    world.Pause(); // already parked: returns
    world.Resume();
    EXPECT_TRUE(WaitFor([&] { return X(body) > 0.0f; }));
    world.Stop();
}

TEST(PhysicsThread, NothingMovesOncePauseReturns)
{
    // Without sleeps and with many bodies the thread is nearly always inside
    // a step when Pause is called.
    Physics world(nullptr, [](int) {});
    IPhysObject* body = Runner(world);
    const float radius = 10.0f;
    for (int i = 0; i < 600; ++i) {
        IPhysObject* other = world.AddCircleBody(&radius);
        other->SetPosition(float(i % 30) * 5.0f, float(i / 30) * 5.0f);
        other->ApplyImpulse(0.0f, 0.0f, 1.0e6f, 1.0e6f);
    }
    world.Start();
    for (int round = 0; round < 100; ++round) {
        world.Resume();
        ASSERT_TRUE(WaitFor([&, n = world.GetPassCount()] { return world.GetPassCount() > n; }));
        world.Pause();
        int64_t passes = world.GetPassCount();
        float x = X(body);
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        ASSERT_EQ(world.GetPassCount(), passes) << "a pass ran on after Pause returned, round " << round;
        ASSERT_EQ(X(body), x) << "round " << round;
    }
}

TEST(PhysicsThread, NominalPassesSleepTheNominalStep)
{
    SleepLog log;
    Physics world(ScriptedClock(0.001f, 0.005f), log.Sleeper());
    Runner(world);
    world.Start();
    world.Resume();
    ASSERT_TRUE(WaitFor([&] { return world.GetPassCount() >= 50; }));
    world.Pause();
    std::vector<int> sleeps = log.Taken();
    ASSERT_GE(sleeps.size(), 50u);
    for (int ms : sleeps)
        ASSERT_EQ(ms, 5);
    EXPECT_EQ(int64_t(sleeps.size()), world.GetPassCount());
}

TEST(PhysicsThread, OverrunningPassesDoNotSleep)
{
    SleepLog log;
    Physics world(ScriptedClock(0.008f, 0.0f, 1.0e-6f), log.Sleeper());
    Runner(world);
    world.Start();
    world.Resume();
    ASSERT_TRUE(WaitFor([&] { return world.GetPassCount() >= 20; }));
    world.Pause();
    EXPECT_TRUE(log.Taken().empty());
}

TEST(PhysicsThread, StallsAreCappedAndPauseOrStopEndTheWait)
{
    // Every sleep seems to take 2 s, as when the process was stopped: each
    // pass then asks for the longest step, and the longest wait after it.
    Physics world(ScriptedClock(0.0f, 2.0f));
    IPhysObject* body = Runner(world);
    world.Start();
    auto waited = std::chrono::steady_clock::duration::zero();
    for (int round = 0; round < 10; ++round) {
        world.Resume();
        ASSERT_TRUE(WaitFor([&, n = world.GetPassCount()] { return world.GetPassCount() >= n + 2; }));
        auto start = std::chrono::steady_clock::now();
        if (round < 9)
            world.Pause();
        else
            world.Stop();
        waited += std::chrono::steady_clock::now() - start;
    }
    // Waiting the sleeps out would take about 10 x 50 ms.
    EXPECT_LT(waited, 200ms);
    // No step went further than the longest step allows (one 2 s step alone
    // would outrun them all).
    float speed = 1.0e6f * Object::kInverseMass;
    EXPECT_LE(X(body), speed * Physics::kMaxStep * float(world.GetPassCount()));
}

TEST(PhysicsThread, StopFromAnotherThread)
{
    Physics world;
    IPhysObject* body = Runner(world);
    world.Start();
    world.Resume();
    ASSERT_TRUE(WaitFor([&] { return X(body) > 0.0f; }));
    std::thread stopper([&] { world.Stop(); });
    stopper.join();
    int64_t passes = world.GetPassCount();
    std::this_thread::sleep_for(20ms);
    EXPECT_EQ(world.GetPassCount(), passes);
    world.Pause(); // the thread has ended: no wait
    world.Resume();
    world.Start(); // a stopped world stays stopped
    std::this_thread::sleep_for(20ms);
    EXPECT_EQ(world.GetPassCount(), passes);
    world.Stop();
}

TEST(PhysicsThread, StopWithoutStartAndDestroyWhileRunning)
{
    {
        Physics idle;
        idle.Stop();
        idle.Pause();
    }
    auto* running = new Physics();
    IPhysObject* body = Runner(*running);
    running->Start();
    running->Resume();
    ASSERT_TRUE(WaitFor([&] { return X(body) > 0.0f; }));
    delete running; // stops and joins before the bodies go
}

TEST(PhysicsThread, WorldOperationsFromOtherThreadsWhileRunning)
{
    Physics world;
    const float radius = 10.0f;
    const float edges[4] = {32, 0, 0, 32};
    for (int i = 0; i < 20; ++i) {
        IPhysObject* wall = world.AddStaticBox(edges);
        wall->SetPosition(float(i % 5) * 40.0f, float(i / 5) * 40.0f);
    }
    world.Start();
    world.Resume();
    std::atomic<bool> done{false};
    auto worker = [&](int seed) {
        std::vector<IPhysObject*> mine;
        for (int i = 0; i < 400; ++i) {
            IPhysObject* ball = world.AddCircleBody(&radius);
            ball->SetPosition(float((seed * 37 + i * 13) % 200), float((i * 7) % 160));
            ball->SetRestitution(0.4f);
            ball->SetExclusionZone(0.0f, 0.0f, 50.0f);
            ball->ApplyImpulse(0.0f, 0.0f, float(i % 11) * 300.0f, float(i % 7) * -300.0f);
            mine.push_back(ball);
            float x, y;
            mine[size_t(i) / 2]->GetPosition(&x, &y);
            mine[size_t(i) / 3]->SetRotation(float(i));
            mine[size_t(i) / 3]->ApplyFriction(1.0f);
            (void)mine[size_t(i) / 4]->IsMoving();
            (void)mine[size_t(i) / 4]->GetRotation();
            if (i % 3 == 0) {
                world.RemoveObject(mine.back());
                mine.pop_back();
            }
        }
    };
    std::thread a(worker, 1), b(worker, 2);
    std::thread pauser([&] {
        while (!done) {
            world.Pause();
            world.Resume();
            std::this_thread::sleep_for(1ms);
        }
    });
    a.join();
    b.join();
    EXPECT_EQ(world.GetBodyCount(), 20 + 2 * (400 - 134));
    world.Clear();
    done = true;
    pauser.join();
    EXPECT_EQ(world.GetBodyCount(), 0);
    world.Stop();
}

} // namespace
