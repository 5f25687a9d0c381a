#include "engine/physics/Physics.h"

#include "engine/core/Timer.h"
#include "platform/os/Os.h"

#include <algorithm>

namespace PhysicsSW {

namespace {
using WorldLock = std::lock_guard<std::recursive_mutex>;
} // namespace

Physics::Physics(ITimer* timer, Sleeper sleeper)
    : timer_(timer ? timer : new Timer()), sleeper_(sleeper ? std::move(sleeper) : Sleeper(&Os::SleepMs))
{
}

Physics::~Physics()
{
    Stop();
    {
        WorldLock hold(world_);
        bodies_.DeleteAll();
    }
    delete timer_;
}

void Physics::Clear()
{
    WorldLock hold(world_);
    bodies_.DeleteAll();
}

void Physics::RemoveObject(IPhysObject* body)
{
    auto* own = dynamic_cast<Object*>(body);
    if (!own)
        return;
    WorldLock hold(world_);
    // Only bodies of this world are ours to delete.
    if (bodies_.Remove(own))
        delete own;
}

IPhysObject* Physics::Append(Object* body)
{
    WorldLock hold(world_);
    bodies_.Add(body);
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

float Physics::RunPass(float dt)
{
    timer_->Reset();
    StepOnce(dt);
    float taken = timer_->GetElapsed();
    ++passes_;
    if (taken > dt)
        return taken;
    timer_->Reset();
    float wanted = std::max(dt - taken, kNominalStep);
    // Whole milliseconds; the small margin keeps 0.015 s from becoming 14 ms.
    int ms = int(wanted * 1000.0f + 0.001f);
    sleeper_(ms);
    float slept = timer_->GetElapsed();
    float next = kNominalStep + (slept - float(ms) / 1000.0f);
    return next > 0.0f ? next : 0.0f;
}

void Physics::StepOnce(float dt)
{
    WorldLock hold(world_);
    int count = bodies_.GetCount();
    for (int i = 0; i < count; ++i) {
        Object* body = bodies_.Get(i);
        if (body->kind_ == Object::kMoving && body->MovingUnlocked() && body->collides_)
            Collide(*body);
    }
    for (int i = 0; i < count; ++i) {
        Object* body = bodies_.Get(i);
        if (body->kind_ == Object::kMoving)
            body->Integrate(dt);
    }
}

void Physics::Collide(Object& a)
{
    contactCount_ = 0;
    int count = bodies_.GetCount();
    for (int i = 0; i < count && contactCount_ < kMaxContacts; ++i) {
        Object* b = bodies_.Get(i);
        if (b == &a || !b->collides_)
            continue;
        if (a.zoneRadius2_ > 0.0f && b->zoneExcludable_) {
            float dx = b->x_ - a.zoneX_, dy = b->y_ - a.zoneY_;
            if (dx * dx + dy * dy < a.zoneRadius2_)
                continue;
        }
        if (!a.BoundsOverlap(*b))
            continue;
        Object::Contact contact;
        bool found = false;
        bool bOutline = b->shape_ == Object::kBox || b->shape_ == Object::kPolygon;
        bool aOutline = a.shape_ == Object::kBox || a.shape_ == Object::kPolygon;
        if (a.shape_ == Object::kCircle && bOutline)
            found = b->CircleContact(a, true, outline_, contact);
        else if (aOutline && b->shape_ == Object::kCircle)
            // The normal must push the outline body, not the circle.
            found = a.CircleContact(*b, false, outline_, contact);
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
            float vx = a.vx_ - a.angular_ * ry;
            float vy = a.vy_ + a.angular_ * rx;
            float lever = rx * c.normalY - ry * c.normalX;
            float j = -(c.normalX * vx + c.normalY * vy) * (1.0f + a.restitution_) /
                      (a.inverseMass_ + a.inverseInertia_ * lever * lever);
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
