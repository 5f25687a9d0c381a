#pragma once

#include "engine/net/ClientManager.h"
#include "engine/net/IClientListener.h"
#include "engine/net/IServerListener.h"
#include "engine/net/Object.h"
#include "engine/net/ServerManager.h"
#include "platform/os/Os.h"

#include <atomic>
#include <cmath>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

namespace NetTest {

constexpr int kThingType = 42;
constexpr int kEffectType = 77;
constexpr float kNearRange = 1000.0f;

// A game-free replicated object with one field of every record type.
class Thing : public MPAPI::Object {
public:
    explicit Thing(int subType = 0) : subType_(subType) {}
    ~Thing() override
    {
        if (onGone)
            onGone(this);
    }

    const MPAPI::FieldRecord* GetFieldTable() override { return Table(this); }
    bool IsAlwaysRelevant() override { return always; }
    int GetTypeId() override { return kThingType; }
    int GetSubTypeId() override { return subType_; }
    float GetX() override { return x; }
    float GetY() override { return y; }
    bool IsNear(float vx, float vy, bool* far) override
    {
        bool nearBy = (vx - x) * (vx - x) + (vy - y) * (vy - y) <= kNearRange * kNearRange;
        if (far)
            *far = !nearBy;
        return nearBy;
    }
    void OnNetUpdate() override { ++updates; }
    void OnNetStale() override { ++stales; }
    void SetNetPosition(float px, float py, float dx, float dy) override
    {
        x = px + dx;
        y = py + dy;
    }

    static const MPAPI::FieldRecord* Table(const Thing* t)
    {
        static MPAPI::FieldRecord table[11];
        static std::once_flag once;
        std::call_once(once, [t] {
            using namespace MPAPI;
            FieldRecord r[11] = {
                {kHeaderReplicated, 0, 0, 0, 0},
                {kFieldByte, t->OffsetOf(&t->byteValue), 0, 0, 0},
                {kFieldInt16, t->OffsetOf(&t->shortValue), 0, 0, 0},
                {kFieldInt32, t->OffsetOf(&t->intValue), 0, 0, 0},
                {kFieldWord, t->OffsetOf(&t->initialOnly), 1, 0, 0},
                {kFieldBool, t->OffsetOf(&t->flag), 0, 0, 0},
                {kFieldFloat, t->OffsetOf(&t->health), 0, 0, 0},
                {kFieldVector, t->OffsetOf(&t->x), 0, 0, t->OffsetOf(&t->force)},
                {kFieldVector, t->OffsetOf(&t->y), 0, 0, 0},
                {kFieldVector, t->OffsetOf(&t->vx), 0, 0, 0},
                {kFieldVector, t->OffsetOf(&t->vy), 0, 0, 0},
            };
            for (int i = 0; i < 11; ++i)
                table[i] = r[i];
        });
        static MPAPI::FieldRecord full[12];
        static std::once_flag once2;
        std::call_once(once2, [] {
            for (int i = 0; i < 11; ++i)
                full[i] = table[i];
            full[11] = MPAPI::FieldRecord{0, 0, 0, 0, 0};
        });
        return full;
    }

    uint8_t byteValue = 0;
    int16_t shortValue = 0;
    int32_t intValue = 0;
    int32_t initialOnly = 0;
    bool flag = false;
    float health = 0;
    float x = 0, y = 0, vx = 0, vy = 0;
    bool force = false;
    bool always = false;
    std::atomic<int> updates{0};
    std::atomic<int> stales{0};
    std::function<void(Thing*)> onGone;

private:
    int subType_;
};

// A one-shot effect: header 2, a byte and a 32-bit value.
class Spark : public MPAPI::Object {
public:
    const MPAPI::FieldRecord* GetFieldTable() override
    {
        static MPAPI::FieldRecord table[4];
        static std::once_flag once;
        std::call_once(once, [this] {
            table[0] = {MPAPI::kHeaderEffect, 0, 0, 0, 0};
            table[1] = {MPAPI::kFieldByte, OffsetOf(&power), 0, 0, 0};
            table[2] = {MPAPI::kFieldInt32, OffsetOf(&colour), 0, 0, 0};
            table[3] = {0, 0, 0, 0, 0};
        });
        return table;
    }
    int GetTypeId() override { return kEffectType; }
    float GetX() override { return x; }
    float GetY() override { return y; }
    bool IsNear(float vx, float vy, bool* far) override
    {
        bool nearBy = std::fabs(vx - x) < kNearRange && std::fabs(vy - y) < kNearRange;
        if (far)
            *far = !nearBy;
        return nearBy;
    }
    void SetNetPosition(float, float, float, float) override {}

    uint8_t power = 0;
    int32_t colour = 0;
    float x = 0, y = 0;
};

// The game side of a client: makes things and sparks, and checks that the
// game-object calls arrive on the game thread.
class Listener : public MPAPI::IClientListener {
public:
    Listener() : gameThread_(std::this_thread::get_id()) {}
    ~Listener() override
    {
        for (MPAPI::Object* o : std::set<MPAPI::Object*>(ready_))
            delete o;
    }

    MPAPI::Object* CreateObject(int typeId, int subTypeId) override
    {
        if (typeId != kThingType)
            return nullptr;
        auto* t = new Thing(subTypeId);
        // Made far away, as the game does, until the first state arrives.
        t->x = t->y = -10000.0f;
        t->onGone = [this](Thing* gone) { Gone(gone); };
        return t;
    }
    MPAPI::Object* CreateEffectObject(int typeId, int) override
    {
        if (typeId != kEffectType)
            return nullptr;
        ++effectsMade;
        return new Spark();
    }
    void OnObjectReady(MPAPI::Object* object) override
    {
        if (std::this_thread::get_id() != gameThread_)
            ++wrongThread;
        if (!ready_.insert(object).second)
            ++readyTwice;
        if (object->GetTypeId() == kEffectType)
            ++effectsReady;
    }
    void Gone(MPAPI::Object* o)
    {
        if (std::this_thread::get_id() != gameThread_)
            ++wrongThread;
        ready_.erase(o);
    }
    int ReadyThings() const
    {
        int n = 0;
        for (MPAPI::Object* o : ready_)
            n += o->GetTypeId() == kThingType ? 1 : 0;
        return n;
    }

    std::set<MPAPI::Object*> ready_;
    std::atomic<int> effectsMade{0};
    int effectsReady = 0;
    int wrongThread = 0;
    int readyTwice = 0;

private:
    std::thread::id gameThread_;
};

class ServerListener : public MPAPI::IServerListener {
public:
    void OnClientFlagsChanged(MPAPI::IConnection* c) override
    {
        ++changes;
        lastFlags = c->GetClientFlags();
    }
    std::atomic<int> changes{0};
    std::atomic<int> lastFlags{0};
};

// Runs frames of the server and the clients with a short real sleep until
// done() holds or the frames run out; true when done() held.
inline bool Pump(MPAPI::ServerManager& server, const std::vector<MPAPI::ClientManager*>& clients,
                 const std::function<bool()>& done, int frames = 3000, float dt = 0.02f)
{
    for (int i = 0; i < frames; ++i) {
        server.Update(dt);
        for (MPAPI::ClientManager* c : clients)
            c->Update(dt);
        if (done())
            return true;
        Os::SleepMs(2);
    }
    return done();
}

inline bool SameValues(const Thing& a, const Thing& b)
{
    return a.byteValue == b.byteValue && a.shortValue == b.shortValue && a.intValue == b.intValue &&
           a.initialOnly == b.initialOnly && a.flag == b.flag && a.health == b.health && a.x == b.x && a.y == b.y;
}

} // namespace NetTest
