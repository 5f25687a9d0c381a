#include "engine/physics/Physics.h"

#include "engine/core/Timer.h"

#include <algorithm>
#include <chrono>

namespace PhysicsSW {

namespace {
using WorldLock = std::lock_guard<std::recursive_mutex>;
// Turn per unit of angular impulse, in radians per second.
constexpr float kTurnPerImpulse = Object::kAngularImpulseFactor * Object::kDegreesToRadians;
} // namespace

Physics::Physics(ITimer* timer, Sleeper sleeper) : timer_(timer ? timer : new Timer()), sleeper_(std::move(sleeper)) {}

Physics::~Physics()
{
    Stop();
    {
        WorldLock hold(world_);
        bodies_.DeleteAll();
        moving_.clear();
    }
    delete timer_;
}

void Physics::Clear()
{
    WorldLock hold(world_);
    bodies_.DeleteAll();
    moving_.clear();
    ++stillEdits_;
}

void Physics::RemoveObject(IPhysObject* body)
{
    auto* own = dynamic_cast<Object*>(body);
    if (!own)
        return;
    WorldLock hold(world_);
    // Only bodies of this world are ours to delete.
    if (bodies_.Remove(own)) {
        Forget(own);
        delete own;
    }
}

void Physics::Forget(Object* body)
{
    if (body->kind_ == Object::kMoving)
        moving_.erase(std::find(moving_.begin(), moving_.end(), body));
    else
        ++stillEdits_;
}

IPhysObject* Physics::Append(Object* body)
{
    WorldLock hold(world_);
    body->stillEdits_ = &stillEdits_;
    body->serial_ = nextSerial_++;
    bodies_.Add(body);
    if (body->kind_ == Object::kMoving)
        moving_.push_back(body);
    else
        ++stillEdits_;
    return body;
}

IPhysObject* Physics::AddStaticPolygon(int pointCount, const float* points)
{
    return Append(Object::MakePolygon(&world_, Object::kStatic, pointCount, points));
}

IPhysObject* Physics::AddStaticBox(const float* edges)
{
    return edges ? Append(Object::MakeBox(&world_, Object::kStatic, edges)) : nullptr;
}

IPhysObject* Physics::AddStaticCircle(const float* radius)
{
    return radius ? Append(Object::MakeCircle(&world_, Object::kStatic, *radius)) : nullptr;
}

IPhysObject* Physics::AddPolygonBody(int pointCount, const float* points)
{
    return Append(Object::MakePolygon(&world_, Object::kMoving, pointCount, points));
}

IPhysObject* Physics::AddBoxBody(const float* edges)
{
    return edges ? Append(Object::MakeBox(&world_, Object::kMoving, edges)) : nullptr;
}

IPhysObject* Physics::AddCircleBody(const float* radius)
{
    return radius ? Append(Object::MakeCircle(&world_, Object::kMoving, *radius)) : nullptr;
}

void Physics::SetParameter(float value) { parameter_ = value; }

int Physics::GetBodyCount()
{
    WorldLock hold(world_);
    return bodies_.GetCount();
}

void Physics::Resume()
{
    std::lock_guard<std::mutex> hold(control_);
    pauseRequested_ = false;
    changed_.notify_all();
}

void Physics::Pause()
{
    std::unique_lock<std::mutex> hold(control_);
    pauseRequested_ = true;
    changed_.notify_all();
    // parked_ is set by the thread only between steps (and when it ends or
    // never ran), so the world is still once this returns.
    changed_.wait(hold, [this] { return parked_.load(); });
}

void Physics::Stop()
{
    {
        std::lock_guard<std::mutex> hold(control_);
        stop_ = true;
        pauseRequested_ = false;
        changed_.notify_all();
    }
    std::lock_guard<std::mutex> join(joinLock_);
    if (thread_.joinable() && thread_.get_id() != std::this_thread::get_id())
        thread_.join();
}

void Physics::Start()
{
    std::lock_guard<std::mutex> join(joinLock_);
    if (thread_.joinable() || stop_)
        return;
    thread_ = std::thread(&Physics::ThreadMain, this);
}

void Physics::ThreadMain()
{
    float dt = kNominalStep;
    std::unique_lock<std::mutex> hold(control_);
    while (!stop_) {
        if (pauseRequested_) {
            parked_ = true;
            changed_.notify_all();
            changed_.wait(hold, [this] { return !pauseRequested_ || stop_; });
            continue;
        }
        parked_ = false;
        hold.unlock();
        dt = RunPass(dt);
        hold.lock();
    }
    parked_ = true;
    changed_.notify_all();
}

bool Physics::Wait(int milliseconds)
{
    if (sleeper_) {
        sleeper_(milliseconds);
        return true;
    }
    std::unique_lock<std::mutex> hold(control_);
    return !changed_.wait_for(hold, std::chrono::milliseconds(milliseconds),
                              [this] { return pauseRequested_ || stop_; });
}

float Physics::RunPass(float dt)
{
    timer_->Reset();
    StepOnce(dt);
    float taken = timer_->GetElapsed();
    ++passes_;
    if (taken > dt)
        return std::min(taken, kMaxStep);
    timer_->Reset();
    float wanted = std::max(dt - taken, kNominalStep);
    // Whole milliseconds; the small margin keeps 0.015 s from becoming 14 ms.
    int ms = int(wanted * 1000.0f + 0.001f);
    if (!Wait(ms))
        return kNominalStep; // cut short: the next pass is a fresh start
    float slept = timer_->GetElapsed();
    float next = kNominalStep + (slept - float(ms) / 1000.0f);
    return std::min(std::max(next, 0.0f), kMaxStep);
}

void Physics::StepOnce(float dt)
{
    WorldLock hold(world_);
    const int count = int(moving_.size());
    bool filed = false;
    for (int i = 0; i < count; ++i) {
        Object* body = moving_[size_t(i)];
        if (body->MovingUnlocked() && body->collides_) {
            // Positions hold still until the integration: one filing serves
            // every body of the step.
            if (!filed) {
                broadPhase_.FileStill(bodies_.GetItems(), bodies_.GetCount(), stillEdits_);
                broadPhase_.FileMoving(moving_.data(), count);
                filed = true;
            }
            Collide(*body, broadPhase_.Moving(i));
        }
    }
    for (Object* body : moving_)
        body->Integrate(dt);
}

void Physics::Collide(Object& a, const BroadPhase::Filed& own)
{
    contactCount_ = 0;
    // Only the bodies a can touch, in the order of the list; the filing
    // found them enabled, other than a, and within its bounds.
    for (const BroadPhase::Filed* filed : broadPhase_.Candidates(own)) {
        if (contactCount_ >= kMaxContacts)
            break;
        Object* b = filed->body;
        if (a.zoneRadius2_ > 0.0f && b->zoneExcludable_) {
            float dx = b->x_ - a.zoneX_, dy = b->y_ - a.zoneY_;
            if (dx * dx + dy * dy < a.zoneRadius2_)
                continue;
        }
        Object::Contact contact;
        bool found = false;
        if (a.shape_ == Object::kCircle) {
            found = Object::CircleContact(broadPhase_.Outline(*filed), filed->corners, a, true, contact);
        } else {
            // The normal must push the outline body, not the circle.
            found = Object::CircleContact(broadPhase_.Outline(own), own.corners, *b, false, contact);
        }
        if (found)
            contacts_[contactCount_++] = contact;
    }
    if (contactCount_ > 0)
        Resolve(a);
}

void Physics::Resolve(Object& a)
{
    for (int pass = 0; pass < kMaxPasses; ++pass) {
        bool applied = false;
        for (int i = 0; i < contactCount_; ++i) {
            const Object::Contact& c = contacts_[i];
            float rx = c.x - a.x_, ry = c.y - a.y_;
            // The turn rate is in degrees and an impulse turns the body by
            // 0.3 of its inverse inertia: the point's speed and the body's
            // answer to j must count both, or a body hit off-centre soaks
            // the impulse up in a turn it never makes and goes on.
            float turn = a.angular_ * Object::kDegreesToRadians;
            float vx = a.vx_ - turn * ry;
            float vy = a.vy_ + turn * rx;
            float lever = rx * c.normalY - ry * c.normalX;
            float j = -(c.normalX * vx + c.normalY * vy) * (1.0f + a.restitution_) /
                      (a.inverseMass_ + kTurnPerImpulse * a.inverseInertia_ * lever * lever);
            // A zero impulse changes nothing and must not keep the passes going.
            if (j > 0.0f) {
                a.ImpulseUnlocked(c.x, c.y, j * c.normalX, j * c.normalY);
                applied = true;
            }
        }
        if (!applied)
            break;
    }
}

} // namespace PhysicsSW
