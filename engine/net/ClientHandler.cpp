#include "engine/net/ClientHandler.h"

#include "engine/net/ClientManager.h"
#include "engine/net/IClientListener.h"
#include "engine/net/Sequence.h"
#include "platform/os/Os.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace MPAPI {

namespace {

float AsFloat(uint32_t bits)
{
    float f;
    std::memcpy(&f, &bits, 4);
    return f;
}

uint32_t AsBits(float f)
{
    uint32_t bits;
    std::memcpy(&bits, &f, 4);
    return bits;
}

float Bounded(float v, float limit) { return std::isfinite(v) ? std::clamp(v, -limit, limit) : 0.0f; }

} // namespace

ClientHandler::ClientHandler() = default;

ClientHandler::~ClientHandler() = default;

int64_t ClientHandler::Extend(uint16_t sequence)
{
    if (!IsRingSequence(sequence))
        return newest_ ? newest_ : kFirstExtended;
    if (!newest_) {
        newest_ = kFirstExtended + sequence;
        newestSequence_ = sequence;
        return newest_;
    }
    // Packets arrive within a few hundred of the newest one, never half a
    // ring apart, so the nearer reading of the distance is the true one.
    int d = SequenceDistance(newestSequence_, sequence);
    int64_t extended = d > kSequenceRing / 2 ? newest_ - (kSequenceRing - d) : newest_ + d;
    if (extended > newest_) {
        newest_ = extended;
        newestSequence_ = sequence;
    }
    return extended;
}

void ClientHandler::Lock() { manager_->GetManagerMutex().lock(); }

void ClientHandler::Unlock() { manager_->GetManagerMutex().unlock(); }

bool ClientHandler::SendDatagram(const uint8_t* data, int length) { return manager_->SendToServer(data, length); }

void ClientHandler::Disconnect()
{
    int state = PeekState();
    if (state != kConnecting && state != kClosed && state != kTimedOut && IsHandshakeDone()) {
        // Sleeps without the lock so that the answer can come in.
        for (int i = 0; i < GameStateHandler::kStreamingTries; ++i) {
            {
                ScopedLock lock(this);
                SendControl(MpapiDatagram::kDisconnect);
            }
            for (int waited = 0; waited < kStreamingWaitMs; waited += 10) {
                int now = PeekState();
                if (now == kClosed || now == kTimedOut)
                    break;
                Os::SleepMs(10);
            }
            int now = PeekState();
            if (now == kClosed || now == kTimedOut)
                break;
        }
    }
    ScopedLock lock(this);
    SetStateValue(kClosed);
    Reset();
}

void ClientHandler::FreeAll()
{
    entries_.clear();
    byId_.clear();
    nextLocalId_ = kFirstLocalId;
}

void ClientHandler::DeleteUndelivered()
{
    ScopedLock lock(this);
    for (auto& e : entries_) {
        if (e->object && e->owned && e->isNew) {
            Object* o = e->object;
            e->object = nullptr;
            delete o;
        }
    }
    std::vector<Object*> refused;
    refused.swap(refused_);
    for (Object* o : refused)
        delete o;
}

void ClientHandler::Reset()
{
    ScopedLock lock(this);
    DeleteUndelivered();
    FreeAll();
    blockSequence_ = 0;
    newest_ = 0;
    newestSequence_ = 0;
    GameStateHandler::Reset();
}

ClientHandler::Entry* ClientHandler::NewEntry(int32_t id, Object* object, bool effect, bool owned)
{
    auto e = std::make_unique<Entry>();
    e->id = id;
    e->object = object;
    e->effect = effect;
    e->owned = owned;
    Entry* raw = e.get();
    entries_.push_back(std::move(e));
    byId_[id] = raw;
    return raw;
}

bool ClientHandler::SetupFields(Entry& e)
{
    if (!e.object || !e.layout.Parse(e.object->GetFieldTable()))
        return false;
    size_t n = size_t(e.layout.GetCount());
    e.change.assign(n, 0);
    e.value.assign(n, 0);
    e.settled.assign(n, 0.0f);
    return true;
}

void ClientHandler::AddObject(Object* object)
{
    if (!object)
        return;
    ScopedLock lock(this);
    int32_t id = nextLocalId_++;
    object->SetNetworkId(id);
    auto it = byId_.find(id);
    if (it != byId_.end())
        byId_.erase(it);
    Entry* e = NewEntry(id, object, false, false);
    SetupFields(*e);
}

void ClientHandler::RemoveObject(Object* object)
{
    if (!object)
        return;
    ScopedLock lock(this);
    if (GetPlayerObject() == object)
        SetPlayerObject(nullptr);
    for (auto& e : entries_)
        if (e->object == object)
            e->object = nullptr;
}

void ClientHandler::RemoveAllObjects()
{
    ScopedLock lock(this);
    DeleteUndelivered();
    FreeAll();
}

bool ClientHandler::WritePayload(PacketBuffer& p, int, uint16_t)
{
    if (!IsStreaming())
        return false;
    blockSequence_ = ClientStateBlock::NextSequence(blockSequence_);
    return clientState_.Write(p, blockSequence_);
}

ClientHandler::Parse ClientHandler::ReadFields(PacketBuffer& p, int64_t sequence, Entry* e)
{
    const FieldRecord* f = e->layout.GetFields();
    if (!f)
        return Parse::Stop;
    int n = e->layout.GetCount();
    // Values from a packet older than the one that last changed a field
    // came late and are read but not kept.
    auto keep = [&](int i) { return e->object && sequence >= e->change[size_t(i)]; };
    for (int i = 0; i < n; ++i) {
        int32_t type = f[i].type;
        if (type >= kFieldByte && type <= kFieldFloat) {
            bool changed = p.ReadBit();
            if (!changed)
                continue;
            uint32_t v = type == kFieldBool
                             ? (p.ReadBit() ? 1u : 0u)
                             : (type == kFieldByte ? p.ReadU8() : (type == kFieldInt16 ? p.ReadU16() : p.ReadU32()));
            if (p.Overrun())
                return Parse::Stop;
            if (type == kFieldFloat && !std::isfinite(AsFloat(v)))
                continue; // the game keeps its last good value
            if (keep(i)) {
                e->change[size_t(i)] = sequence;
                e->value[size_t(i)] = v;
            }
            continue;
        }
        if (type != kFieldVector)
            continue;
        bool bits[4];
        for (int k = 0; k < 4; ++k) {
            bits[k] = p.ReadBit();
            // The first bit brings x and its velocity, the second y and its
            // velocity; the third and fourth x or y alone.
            int axis = k & 1;
            uint32_t pos = bits[k] ? p.ReadU32() : 0;
            uint32_t vel = bits[k] && k < 2 ? p.ReadU32() : 0;
            if (p.Overrun())
                return Parse::Stop;
            if (!bits[k])
                continue;
            float fp = AsFloat(pos), fv = AsFloat(vel);
            // A position that is not finite would poison every world query;
            // bounded ones keep the extrapolation finite too.
            if (!std::isfinite(fp) || !std::isfinite(fv))
                continue;
            pos = AsBits(std::clamp(fp, -kMaxCoordinate, kMaxCoordinate));
            vel = AsBits(std::clamp(fv, -kMaxSpeed, kMaxSpeed));
            if (keep(i + axis)) {
                e->change[size_t(i + axis)] = sequence;
                e->value[size_t(i + axis)] = pos;
                e->settled[size_t(i + axis)] = 0.0f;
                if (k < 2) {
                    e->change[size_t(i + 2 + axis)] = sequence;
                    e->value[size_t(i + 2 + axis)] = vel;
                }
            }
        }
        i += 3;
    }
    if (e->object && sequence >= e->lastSequence)
        e->lastSequence = sequence;
    return Parse::Ok;
}

ClientHandler::Parse ClientHandler::ReadCreate(PacketBuffer& p, int64_t sequence, int32_t id, Entry* e)
{
    int typeId = int(p.ReadU32());
    if (p.Overrun())
        return Parse::Stop;
    if (e && (e->tombstone || e->removed)) {
        if (sequence <= e->removeSequence || e->effect) {
            // A late or repeated create of what is gone: read it, keep nothing.
            if (!e->effect) {
                p.ReadU32();
                if (p.Overrun())
                    return Parse::Stop;
            }
            Object* kept = e->object;
            e->object = nullptr;
            Parse r = ReadFields(p, sequence, e);
            e->object = kept;
            return r;
        }
        // The id was given out again after the removal.
        byId_.erase(id);
        e = nullptr;
    }
    if (e) {
        if (!e->effect) {
            p.ReadU32();
            if (p.Overrun())
                return Parse::Stop;
        }
        e->updated = true;
        return ReadFields(p, sequence, e);
    }
    IClientListener* listener = manager_->GetListener();
    if (!listener)
        return Parse::Stop;
    Object* object = listener->CreateEffectObject(typeId, id);
    bool effect = false;
    bool owned = false;
    if (object) {
        FieldLayout layout;
        if (layout.Parse(object->GetFieldTable()) && layout.IsEffect()) {
            effect = true;
            owned = object->GetNetworkId() == 0;
        } else {
            // Deleted on the game thread; a live object found by id is the
            // game's own and never deleted here.
            if (object->GetNetworkId() == 0)
                refused_.push_back(object);
            object = nullptr;
        }
    }
    if (!effect) {
        int subTypeId = int(p.ReadU32());
        if (p.Overrun())
            return Parse::Stop;
        object = listener->CreateObject(typeId, subTypeId);
        owned = true;
        if (!object)
            return Parse::Stop; // its fields cannot be placed
    }
    object->SetNetworkId(id);
    Entry* n = NewEntry(id, object, effect, owned);
    n->isNew = true;
    n->updated = true;
    if (!SetupFields(*n)) {
        n->object = nullptr;
        refused_.push_back(object);
        byId_.erase(id);
        n->tombstone = true;
        return Parse::Stop;
    }
    return ReadFields(p, sequence, n);
}

void ClientHandler::ReadPayload(PacketBuffer& p, uint16_t packetSequence)
{
    int64_t sequence = Extend(packetSequence);
    for (int count = 0; count < kMaxEntriesPerPacket; ++count) {
        int32_t id = int32_t(p.ReadU32());
        if (p.Overrun() || id == 0)
            return;
        int op = p.Read2Bits();
        if (p.Overrun())
            return;
        auto it = byId_.find(id);
        Entry* e = it == byId_.end() ? nullptr : it->second;
        Parse r = Parse::Ok;
        switch (op) {
        case 1:
            r = ReadCreate(p, sequence, id, e);
            break;
        case 0:
            if (!e)
                return; // its field bits cannot be parsed
            if (!e->tombstone && !e->removed && e->object)
                e->updated = true;
            {
                Object* kept = e->object;
                if (e->tombstone || e->removed)
                    e->object = nullptr;
                r = ReadFields(p, sequence, e);
                e->object = kept;
            }
            break;
        case 2:
            if (e && e->object && !e->tombstone && !e->removed && e->lastSequence < sequence)
                e->stale = true;
            break;
        case 3:
            if (e && !e->tombstone && !e->removed) {
                e->removed = true;
                e->removeSequence = sequence;
            }
            break;
        }
        if (r == Parse::Stop)
            return;
    }
}

void ClientHandler::Bury(Entry& e)
{
    e.object = nullptr;
    e.tombstone = true;
    e.tombstoneAge = 0;
    e.removed = false;
    e.isNew = false;
}

void ClientHandler::ApplyVector(Entry& e, int i, float dt)
{
    const FieldRecord* f = e.layout.GetFields();
    Object* o = e.object;
    float member[2], offset[2] = {0, 0};
    for (int axis = 0; axis < 2; ++axis) {
        size_t pos = size_t(i + axis), vel = size_t(i + 2 + axis);
        float m = AsFloat(FieldLayout::ReadMember(o, f[pos]));
        float mv = Bounded(AsFloat(FieldLayout::ReadMember(o, f[vel])), kMaxSpeed);
        float target = AsFloat(e.value[pos]);
        float rv = AsFloat(e.value[vel]);
        if (!std::isfinite(m))
            m = target;
        if (e.change[pos] != 0 && e.settled[pos] == 0.0f) {
            float err = std::fabs(m - target);
            if (err > 100.0f || err < 3.0f) {
                m = target;
                e.settled[pos] = 1.0f;
            } else {
                float k = (std::fabs(rv) < 0.001f ? 15.0f : 3.0f) * dt;
                k = std::min(k, 1.0f);
                m = (1.0f - k) * m + k * target;
            }
        }
        if (rv == 0.0f)
            mv = 0.0f;
        // However long the frame, the extrapolated position stays inside
        // the bounds of anything the server can send.
        float step = dt * mv;
        if (e.settled[pos] == 0.0f)
            m = Bounded(m + step, kMaxCoordinate);
        else
            offset[axis] = Bounded(m + step, kMaxCoordinate) - m;
        m = Bounded(m, kMaxCoordinate);
        member[axis] = m;
        FieldLayout::WriteMember(o, f[pos], AsBits(m));
        FieldLayout::WriteMember(o, f[vel], AsBits(mv));
    }
    o->SetNetPosition(member[0], member[1], offset[0], offset[1]);
    for (int axis = 0; axis < 2; ++axis) {
        size_t pos = size_t(i + axis), vel = size_t(i + 2 + axis);
        float m = AsFloat(FieldLayout::ReadMember(o, f[pos]));
        if (std::fabs(m - AsFloat(e.value[pos])) < 100.0f) {
            FieldLayout::WriteMember(o, f[vel], e.value[vel]);
        } else {
            FieldLayout::WriteMember(o, f[vel], 0);
            e.value[vel] = 0;
        }
    }
}

void ClientHandler::Apply(Entry& e, float dt)
{
    Object* o = e.object;
    if (e.stale) {
        e.stale = false;
        o->OnNetStale();
    }
    if (e.updated) {
        e.updated = false;
        o->OnNetUpdate();
    }
    if (e.isNew) {
        e.isNew = false;
        if (IClientListener* listener = manager_->GetListener())
            listener->OnObjectReady(o);
    }
    const FieldRecord* f = e.layout.GetFields();
    int n = e.layout.GetCount();
    bool all = true;
    for (int i = 0; i < n; ++i) {
        int32_t type = f[i].type;
        if (type == kFieldVector) {
            for (int k = 0; k < 4; ++k)
                all = all && e.change[size_t(i + k)] != 0;
            if (e.change[size_t(i)] != 0 || e.change[size_t(i + 1)] != 0)
                ApplyVector(e, i, dt);
            i += 3;
            continue;
        }
        if (type < kFieldByte || type > kFieldFloat)
            continue;
        if (e.change[size_t(i)] == 0) {
            all = false;
            continue;
        }
        if (f[i].flags != 0 && e.complete)
            continue;
        FieldLayout::WriteMember(o, f[i], e.value[size_t(i)]);
    }
    e.complete = all;
}

void ClientHandler::Update(float seconds)
{
    ScopedLock lock(this);
    GameStateHandler::Update(seconds);
    float dt = std::isfinite(seconds) && seconds > 0 ? seconds : 0.0f;
    {
        std::vector<Object*> refused;
        refused.swap(refused_);
        for (Object* o : refused)
            delete o;
    }
    // Indexes, not iterators: the game may add objects from these calls.
    for (size_t k = 0; k < entries_.size(); ++k) {
        Entry& e = *entries_[k];
        if (e.tombstone) {
            e.tombstoneAge += dt;
            continue;
        }
        if (e.removed) {
            Object* o = e.object;
            Bury(e);
            delete o;
            continue;
        }
        if (!e.object || !e.layout.GetFields())
            continue;
        Apply(e, dt);
        if (e.effect)
            Bury(e);
    }
    auto expired = [this](const std::unique_ptr<Entry>& e) {
        if (!e->tombstone || e->tombstoneAge < kTombstoneSeconds)
            return false;
        auto it = byId_.find(e->id);
        if (it != byId_.end() && it->second == e.get())
            byId_.erase(it);
        return true;
    };
    entries_.erase(std::remove_if(entries_.begin(), entries_.end(), expired), entries_.end());
}

int ClientHandler::GetLiveEntryCount()
{
    ScopedLock lock(this);
    int n = 0;
    for (auto& e : entries_)
        n += (!e->tombstone && !e->removed && e->object) ? 1 : 0;
    return n;
}

Object* ClientHandler::FindObject(int32_t id)
{
    ScopedLock lock(this);
    auto it = byId_.find(id);
    if (it == byId_.end() || it->second->tombstone || it->second->isNew)
        return nullptr;
    return it->second->object;
}

} // namespace MPAPI
