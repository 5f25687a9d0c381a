#pragma once

#include "engine/core/List.h"
#include "engine/physics/BroadPhase.h"
#include "engine/physics/IPhysics.h"
#include "engine/physics/Object.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

class ITimer;

namespace PhysicsSW {

// The software physics world. Its thread steps the bodies at a nominal
// 0.005 s, stretching the step after a pass that overran. A new world is
// paused; the engine starts its thread and stops it before deleting it.
class Physics : public IPhysics {
public:
    using Sleeper = std::function<void(int milliseconds)>;

    static constexpr float kNominalStep = 0.005f;
    // The longest step: after a stall the world goes on from where it was
    // rather than moving every body seconds at once.
    static constexpr float kMaxStep = 0.05f;
    static constexpr int kMaxContacts = 100;
    static constexpr int kMaxPasses = 100;

    // timer: owned, null for the steady clock; sleeper: null waits for the
    // time or for Pause or Stop, whichever comes first.
    explicit Physics(ITimer* timer = nullptr, Sleeper sleeper = nullptr);
    ~Physics() override;
    Physics(const Physics&) = delete;
    Physics& operator=(const Physics&) = delete;

    void Clear() override;
    void RemoveObject(IPhysObject* body) override;
    IPhysObject* AddStaticPolygon(int pointCount, const float* points) override;
    IPhysObject* AddStaticBox(const float* edges) override;
    IPhysObject* AddStaticCircle(const float* radius) override;
    IPhysObject* AddPolygonBody(int pointCount, const float* points) override;
    IPhysObject* AddBoxBody(const float* edges) override;
    IPhysObject* AddCircleBody(const float* radius) override;
    void SetParameter(float value) override;
    void Resume() override;
    void Pause() override;
    void Stop() override;

    // Starts the world's thread; once only, and not after Stop.
    void Start();

    // One collision step and integration by dt, under the world lock.
    void StepOnce(float dt);
    // One pass of the thread: a step by dt, then the wait that keeps the
    // nominal rate. Returns the next step time.
    float RunPass(float dt);

    float GetParameter() const { return parameter_; }
    int GetBodyCount();
    bool IsPaused() const { return pauseRequested_; }
    int64_t GetPassCount() const { return passes_; }

private:
    void ThreadMain();
    IPhysObject* Append(Object* body);
    void Forget(Object* body);
    void Collide(Object& body, const BroadPhase::Filed& filed);
    void Resolve(Object& body);
    // The wait between passes; false when Pause or Stop cut it short.
    bool Wait(int milliseconds);

    std::recursive_mutex world_;
    Util::List<Object> bodies_;
    // The moving bodies of bodies_, in its order: a step walks only these.
    std::vector<Object*> moving_;
    // Changes to the bodies that never move (added, removed, placed,
    // turned, switched), so that their filing is kept until one comes.
    uint64_t stillEdits_ = 0;
    uint64_t nextSerial_ = 1;
    ITimer* timer_;
    Sleeper sleeper_;
    std::atomic<float> parameter_{0.01f};

    // Pause and stop hand-shake with the thread.
    std::mutex control_;
    std::condition_variable changed_;
    std::atomic<bool> pauseRequested_{true};
    std::atomic<bool> parked_{true}; // the thread is not stepping
    std::atomic<bool> stop_{false};
    std::atomic<int64_t> passes_{0};
    std::mutex joinLock_;
    std::thread thread_;

    BroadPhase broadPhase_;
    Object::Contact contacts_[kMaxContacts];
    int contactCount_ = 0;
};

} // namespace PhysicsSW
