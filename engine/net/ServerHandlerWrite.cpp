// The object section a server handler writes into each packet for its
// client, and the client-state block it reads back.
#include "engine/net/ServerHandler.h"

#include "engine/net/IServerListener.h"
#include "engine/net/ServerManager.h"

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

} // namespace

void ServerHandler::RelevancePass()
{
    Object* player = GetPlayerObject();
    float px = player->GetX();
    float py = player->GetY();
    for (Object* o : manager_->GetObjects()) {
        Entry* e = FindEntry(o);
        if (!o->IsAlwaysRelevant()) {
            bool far = false;
            if (o->IsNear(px, py, &far)) {
                if (!e) {
                    MakeEntry(o, kCreateDue);
                } else if (e->flags & kOutOfRange) {
                    e->flags &= ~kOutOfRange;
                    MarkDirty(*e);
                }
            } else if (far && e && !(e->flags & kOutOfRange)) {
                e->flags |= kOutOfRange;
                MarkDirty(*e);
            }
        } else if (firstRefresh_ && !e) {
            MakeEntry(o, kCreateDue | kNearOnly);
        } else if (e && e->parked) {
            e->parked = false;
            MarkDirty(*e);
        }
    }
    refreshNow_ = false;
    firstRefresh_ = false;
}

// deferred: something differs from what was sent that this packet leaves
// for a later one (a full refresh, or the own player's vector).
bool ServerHandler::WriteFields(PacketBuffer& p, Entry& e, bool fullRefresh, bool* carried, bool* deferred)
{
    const FieldRecord* f = e.layout.GetFields();
    int n = e.layout.GetCount();
    Object* o = e.object;
    bool own = o == GetPlayerObject();
    for (int i = 0; i < n; ++i) {
        int32_t type = f[i].type;
        if (type >= kFieldByte && type <= kFieldFloat) {
            uint32_t v = FieldLayout::ReadMember(o, f[i]);
            bool unchanged = e.change[size_t(i)] != 0 && (v == e.shadow[size_t(i)] || f[i].flags != 0);
            if (!p.WriteBit(!unchanged))
                return false;
            if (!unchanged) {
                if (!p.WriteBits(FieldLayout::WireBits(type), v))
                    return false;
                sent_[size_t(i)] = 1;
                sentValue_[size_t(i)] = v;
                *carried = true;
            }
            continue;
        }
        if (type != kFieldVector)
            continue;
        uint32_t val[4];
        for (int k = 0; k < 4; ++k)
            val[k] = FieldLayout::ReadMember(o, f[i + k]);
        bool send = !own;
        if (own && f[i].extra >= 0) {
            bool force = false;
            std::memcpy(&force, o->MemberAt(f[i].extra), 1);
            send = force || e.change[size_t(i)] == 0;
        }
        if (!send) {
            if (!p.WriteBits(4, 0))
                return false;
            if (val[2] != e.shadow[size_t(i + 2)] || val[3] != e.shadow[size_t(i + 3)])
                *deferred = true;
            i += 3;
            continue;
        }
        for (int axis = 0; axis < 2; ++axis) {
            size_t pos = size_t(i + axis), vel = size_t(i + 2 + axis);
            bool changed = e.change[vel] == 0 || val[2 + axis] != e.shadow[vel];
            if (!p.WriteBit(changed))
                return false;
            if (changed) {
                if (!p.WriteU32(val[axis]) || !p.WriteU32(own ? 0u : val[2 + axis]))
                    return false;
                sent_[pos] = sent_[vel] = 1;
                sentValue_[pos] = val[axis];
                sentValue_[vel] = val[2 + axis];
                *carried = true;
            }
        }
        for (int axis = 0; axis < 2; ++axis) {
            size_t pos = size_t(i + axis);
            bool alone = false;
            if (!sent_[pos]) {
                float now = AsFloat(val[axis]);
                float before = AsFloat(e.shadow[pos]);
                bool changed = e.change[pos] == 0 || val[axis] != e.shadow[pos];
                alone = (fullRefresh && changed) || std::fabs(before - now) >= 200.0f;
                if (changed && !alone)
                    *deferred = true;
            }
            if (!p.WriteBit(alone))
                return false;
            if (alone) {
                if (!p.WriteU32(val[axis]))
                    return false;
                sent_[pos] = 1;
                sentValue_[pos] = val[axis];
                *carried = true;
            }
        }
        i += 3;
    }
    return true;
}

void ServerHandler::CommitFields(Entry& e, uint16_t sequence)
{
    for (size_t i = 0; i < e.change.size(); ++i) {
        if (!sent_[i])
            continue;
        e.change[i] = sequence;
        e.shadow[i] = sentValue_[i];
    }
}

// settled: Nothing was written and nothing will be until the entry's
// object, packets or flags change.
ServerHandler::Written ServerHandler::WriteEntry(PacketBuffer& p, Entry& e, uint16_t sequence, bool* settled)
{
    *settled = false;
    e.parked = false;
    bool waiting = e.formSequence > 1 && Age(e) < kFormWait;
    if (e.flags & kRemoved) {
        if (waiting)
            return Written::Nothing;
        if (!p.WriteU32(uint32_t(e.id)) || !p.WriteBits(2, 3))
            return Written::NoRoom;
        e.formSequence = sequence;
        e.removeSent = true;
        e.since = clock_;
        return Written::Something;
    }
    Object* o = e.object;
    if (!o)
        return Written::Nothing;
    bool createPending = (e.flags & kCreateDue) && !(e.ackedFlags & kCreateDue);
    if (e.flags & kNearOnly) {
        bool far = false;
        Object* player = GetPlayerObject();
        if (!player || !o->IsNear(player->GetX(), player->GetY(), &far)) {
            // Never sent, so nothing else can be due: the relevance
            // refresh looks again, as it does for every other object.
            e.parked = createPending;
            return Written::Nothing;
        }
    }
    if (e.flags & kOutOfRange) {
        if ((e.ackedFlags & kOutOfRange) || createPending) {
            *settled = true;
            return Written::Nothing;
        }
        if (waiting)
            return Written::Nothing;
        if (!p.WriteU32(uint32_t(e.id)) || !p.WriteBits(2, 2))
            return Written::NoRoom;
        e.since = clock_;
        e.formSequence = sequence;
        return Written::Something;
    }
    bool force = false;
    bool create = false;
    if (e.ackedFlags & kOutOfRange) {
        if (waiting)
            return Written::Nothing;
        e.since = clock_;
        e.ackedFlags &= kCreateDue;
        e.formSequence = sequence;
        force = true;
    }
    if ((force || createPending) && !waiting) {
        savedChange_ = e.change;
        changeSaved_ = true;
    }
    std::fill(sent_.begin(), sent_.end(), 0);
    sent_.resize(e.change.size(), 0);
    sentValue_.resize(e.change.size(), 0);
    if (createPending) {
        if (waiting)
            return Written::Nothing;
        if (!p.WriteU32(uint32_t(e.id)) || !p.WriteBits(2, 1) || !p.WriteU32(uint32_t(o->GetTypeId())) ||
            !p.WriteU32(uint32_t(o->GetSubTypeId())))
            return Written::NoRoom;
        e.since = clock_;
        e.formSequence = sequence;
        create = true;
        // Every value goes with the create.
        std::fill(e.change.begin(), e.change.end(), 0);
    } else if (!p.WriteU32(uint32_t(e.id)) || !p.WriteBits(2, 0)) {
        return Written::NoRoom;
    }
    bool full = force || create;
    if (Age(e) > kFullRefresh) {
        e.since = clock_;
        full = true;
    }
    if (force)
        std::fill(e.change.begin(), e.change.end(), 0);
    bool carried = create || force;
    bool deferred = false;
    if (!WriteFields(p, e, full, &carried, &deferred))
        return Written::NoRoom;
    if (!carried) {
        *settled = !deferred;
        return Written::Nothing;
    }
    CommitFields(e, sequence);
    return Written::Something;
}

bool ServerHandler::WriteObjects(PacketBuffer& p, int, uint16_t sequence, Object* only)
{
    if (!IsStreaming()) {
        p.WriteU32(0);
        return false;
    }
    // Whether an entry is the own player's changes what is due for it.
    if (GetPlayerObject() != writtenFor_) {
        writtenFor_ = GetPlayerObject();
        std::fill(dirty_.begin(), dirty_.end(), 1);
    }
    if (!only && refreshNow_ && GetPlayerObject())
        RelevancePass();
    SentPacket& record = StartSent(sequence);
    int limit = p.GetLimit();
    int startBits = p.GetBytePosition() * 8 + p.GetBitPosition();
    // Room for the terminator: a u32 needs its byte position 5 below the
    // limit once the last entry may have ended on a byte boundary.
    p.SetLimit(limit - 5);
    bool full = false;
    // Effects are few and one-shot; they go first so moving objects cannot
    // hold them back.
    for (size_t k = 0; k < effects_.size(); ++k) {
        ServerEffectObject& fx = *effects_[k];
        if (fx.sequence != 0)
            continue;
        if (!fx.Write(p)) {
            full = true;
            break;
        }
        fx.sequence = sequence;
        record.effects = true;
    }
    size_t n = entries_.size();
    size_t k = n == 0 ? 0 : cursor_ % n;
    size_t count = n;
    if (only) {
        Entry* e = FindEntry(only);
        count = e ? 1 : 0;
        k = e ? e->pos : 0;
    }
    for (size_t visited = 0; visited < count && !full; ++visited, k = k + 1 == n ? 0 : k + 1) {
        if (!only && !dirty_[k])
            continue;
        if (!entries_[k]) {
            dirty_[k] = 0;
            continue;
        }
        Entry& e = *entries_[k];
        struct {
            int flags, ackedFlags;
            uint16_t formSequence;
            bool removeSent;
            double since;
        } saved{e.flags, e.ackedFlags, e.formSequence, e.removeSent, e.since};
        p.SavePosition();
        changeSaved_ = false;
        bool settled = false;
        Written w = WriteEntry(p, e, sequence, &settled);
        if (w == Written::Something) {
            record.entries.push_back(&e);
            dirty_[k] = 1;
            continue;
        }
        p.RollBack();
        e.flags = saved.flags;
        e.ackedFlags = saved.ackedFlags;
        e.formSequence = saved.formSequence;
        e.removeSent = saved.removeSent;
        e.since = saved.since;
        if (changeSaved_)
            e.change.swap(savedChange_);
        if (settled || e.parked)
            dirty_[k] = 0;
        if (w == Written::NoRoom) {
            full = true;
            // The next packet starts with the entry that did not fit.
            if (!only)
                cursor_ = k;
        }
    }
    p.SetLimit(limit);
    int bits = p.GetBytePosition() * 8 + p.GetBitPosition() - startBits;
    p.WriteU32(0);
    return bits > 32;
}

bool ServerHandler::WritePayload(PacketBuffer& p, int room, uint16_t sequence)
{
    return WriteObjects(p, room, sequence, nullptr);
}

void ServerHandler::ReadPayload(PacketBuffer& p, uint16_t)
{
    uint32_t sequence = 0;
    ClientStateBlock block;
    if (!ClientStateBlock::Read(p, &sequence, &block))
        return;
    if (ClientStateBlock::IsStale(sequence, lastBlockSequence_))
        return;
    lastBlockSequence_ = sequence;
    clientState_ = block;
    if (block.flags != lastFlags_) {
        lastFlags_ = block.flags;
        RequestSend();
        if (IServerListener* listener = manager_->GetListener())
            listener->OnClientFlagsChanged(this);
    }
}

} // namespace MPAPI
