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

ServerHandler::ServerHandler() = default;

ServerHandler::~ServerHandler() = default;

void ServerHandler::Lock() { manager_->GetManagerMutex().lock(); }

void ServerHandler::Unlock() { manager_->GetManagerMutex().unlock(); }

void ServerHandler::Disconnect()
{
    ScopedLock lock(this);
    if (HasPeer()) {
        Drop();
        return;
    }
    SetStateValue(kClosed);
    SetResetPending();
}

void ServerHandler::FreeEntries()
{
    entries_.clear();
    dirty_.clear();
    holes_ = 0;
    writtenFor_ = nullptr;
    bySlot_.clear();
    effects_.clear();
    for (SentPacket& r : sentPackets_) {
        r.sequence = 0;
        r.effects = false;
        r.entries.clear();
    }
    cursor_ = 0;
}

void ServerHandler::Reset()
{
    ScopedLock lock(this);
    FreeEntries();
    peerAddress_ = 0;
    peerPort_ = 0;
    newConnection = false;
    silence = 0;
    unanswered = 0;
    quiet = 0;
    quickRelease = false;
    lastBlockSequence_ = 0;
    refreshTimer_ = 0;
    refreshNow_ = false;
    firstRefresh_ = true;
    clock_ = 0;
    GameStateHandler::Reset();
    if (manager_)
        manager_->ShareBudget();
}

void ServerHandler::SetPeer(uint32_t ip, int port)
{
    peerAddress_ = ip;
    peerPort_ = port;
    silence = 0;
    SetConnecting();
}

void ServerHandler::OnConnected()
{
    ScopedLock lock(this);
    GameStateHandler::OnConnected();
    newConnection = true;
    lastBlockSequence_ = 0;
    firstRefresh_ = true;
}

bool ServerHandler::SendDatagram(const uint8_t* data, int length)
{
    return manager_->SendToPeer(data, length, peerAddress_, peerPort_);
}

int ServerHandler::GetBandwidthShare() { return manager_->GetShare(); }

void ServerHandler::Update(float seconds)
{
    ScopedLock lock(this);
    clock_ += seconds;
    refreshTimer_ += seconds;
    if (refreshTimer_ >= kRefreshInterval) {
        refreshTimer_ = 0;
        refreshNow_ = true;
    }
    GameStateHandler::Update(seconds);
}

bool ServerHandler::HasPendingObjects()
{
    // A settled entry's vectors equal what was sent.
    for (size_t k = 0; k < entries_.size(); ++k) {
        if (!dirty_[k] || !entries_[k])
            continue;
        Entry& e = *entries_[k];
        if (!e.object || (e.flags & (kRemoved | kOutOfRange)))
            continue;
        if ((e.flags & kCreateDue) && !(e.ackedFlags & kCreateDue))
            continue;
        const FieldRecord* f = e.layout.GetFields();
        for (int i = 0; i < e.layout.GetCount(); ++i) {
            if (f[i].type != kFieldVector)
                continue;
            if (FieldLayout::ReadMember(e.object, f[i + 2]) != e.shadow[size_t(i + 2)] ||
                FieldLayout::ReadMember(e.object, f[i + 3]) != e.shadow[size_t(i + 3)])
                return true;
            i += 3;
        }
    }
    return false;
}

ServerHandler::SentPacket* ServerHandler::FindSent(uint16_t sequence)
{
    if (sequence <= 1)
        return nullptr;
    for (SentPacket& r : sentPackets_)
        if (r.sequence == sequence)
            return &r;
    return nullptr;
}

ServerHandler::SentPacket& ServerHandler::StartSent(uint16_t sequence)
{
    SentPacket* r = FindSent(sequence);
    if (!r) {
        for (SentPacket& free : sentPackets_)
            if (free.sequence == 0) {
                r = &free;
                break;
            }
    }
    if (!r) {
        // Never with at most four packets in flight; if it were, the oldest
        // record counts as lost and its values are sent again.
        r = &sentPackets_[0];
        ForgetSent(*r);
    }
    r->sequence = sequence;
    r->effects = false;
    r->entries.clear();
    return *r;
}

void ServerHandler::ForgetSent(SentPacket& r)
{
    uint16_t sequence = r.sequence;
    for (Entry* e : r.entries) {
        MarkDirty(*e);
        for (uint16_t& c : e->change)
            if (c == sequence)
                c = 0;
        // A lost create, stale or remove form is written again.
        if (e->formSequence == sequence)
            e->formSequence = 0;
    }
    if (r.effects)
        for (auto& fx : effects_)
            if (fx->sequence == sequence)
                fx->sequence = 0;
    r.sequence = 0;
    r.effects = false;
    r.entries.clear();
}

void ServerHandler::ForgetObjectId(uint16_t sequence)
{
    if (SentPacket* r = FindSent(sequence))
        ForgetSent(*r);
}

void ServerHandler::FreeEntry(Entry* e)
{
    for (SentPacket& r : sentPackets_)
        r.entries.erase(std::remove(r.entries.begin(), r.entries.end(), e), r.entries.end());
    size_t pos = e->pos;
    entries_[pos].reset();
    dirty_[pos] = 0;
    if (++holes_ * 4 > entries_.size())
        CompactEntries();
}

void ServerHandler::CompactEntries()
{
    size_t kept = 0;
    for (size_t k = 0; k < entries_.size(); ++k) {
        if (!entries_[k])
            continue;
        if (kept != k) {
            entries_[kept] = std::move(entries_[k]);
            dirty_[kept] = dirty_[k];
        }
        Entry& e = *entries_[kept];
        e.pos = kept;
        if (e.object) {
            uint32_t slot = e.object->GetReplicaSlot();
            if (slot < bySlot_.size())
                bySlot_[slot] = uint32_t(kept);
        }
        ++kept;
    }
    entries_.erase(entries_.begin() + std::ptrdiff_t(kept), entries_.end());
    dirty_.resize(kept);
    holes_ = 0;
}

void ServerHandler::OnPacketAcked(uint16_t sequence)
{
    SentPacket* r = FindSent(sequence);
    if (!r)
        return;
    freed_.clear();
    for (Entry* ep : r->entries) {
        Entry& e = *ep;
        if (e.formSequence == sequence) {
            MarkDirty(e);
            e.formSequence = 0;
            if ((e.flags & kRemoved) && e.removeSent) {
                e.object = nullptr;
                e.id = 0;
                freed_.push_back(&e);
            } else {
                e.ackedFlags = e.flags;
            }
        }
        for (uint16_t& c : e.change)
            if (c == sequence)
                c = 1;
    }
    if (r->effects)
        effects_.erase(std::remove_if(effects_.begin(), effects_.end(),
                                      [sequence](const std::unique_ptr<ServerEffectObject>& fx) {
                                          return fx->sequence == sequence;
                                      }),
                       effects_.end());
    r->sequence = 0;
    r->effects = false;
    r->entries.clear();
    for (Entry* e : freed_)
        FreeEntry(e);
}

ServerHandler::Entry* ServerHandler::AddEntry(std::unique_ptr<Entry> entry)
{
    entry->pos = entries_.size();
    entry->since = clock_;
    Entry* raw = entry.get();
    entries_.push_back(std::move(entry));
    dirty_.push_back(1);
    return raw;
}

ServerHandler::Entry* ServerHandler::FindEntry(Object* object) const
{
    uint32_t slot = object->GetReplicaSlot();
    uint32_t pos = slot < bySlot_.size() ? bySlot_[slot] : kNoEntry;
    Entry* e = pos < entries_.size() ? entries_[pos].get() : nullptr;
    return e && e->object == object ? e : nullptr;
}

void ServerHandler::Unbind(Object* object)
{
    uint32_t slot = object->GetReplicaSlot();
    if (FindEntry(object))
        bySlot_[slot] = kNoEntry;
}

ServerHandler::Entry* ServerHandler::MakeEntry(Object* object, int flags)
{
    auto e = std::make_unique<Entry>();
    if (!e->layout.Parse(object->GetFieldTable()))
        return nullptr;
    e->object = object;
    e->id = object->GetNetworkId();
    e->flags = flags;
    e->change.assign(size_t(e->layout.GetCount()), 0);
    e->shadow.assign(size_t(e->layout.GetCount()), 0);
    Entry* raw = AddEntry(std::move(e));
    uint32_t slot = object->GetReplicaSlot();
    if (slot != UINT32_MAX) {
        if (slot >= bySlot_.size())
            bySlot_.resize(size_t(slot) + 1, kNoEntry);
        bySlot_[slot] = uint32_t(raw->pos);
    }
    return raw;
}

void ServerHandler::AddRemovedEntry(int32_t id)
{
    auto e = std::make_unique<Entry>();
    e->id = id;
    e->flags = kRemoved | kCreateDue;
    e->ackedFlags = kCreateDue;
    AddEntry(std::move(e));
}

void ServerHandler::OnObjectRemoved(Object* object)
{
    if (GetPlayerObject() == object)
        SetPlayerObject(nullptr);
    Entry* e = FindEntry(object);
    if (!e) {
        // A level object this client built itself but was never sent: it
        // must still hear of the removal.
        if (object->GetNetworkId() >= 0 && HasPeer())
            AddRemovedEntry(object->GetNetworkId());
        return;
    }
    Unbind(object);
    MarkDirty(*e);
    e->flags |= kRemoved;
    e->object = nullptr;
    e->layout = FieldLayout();
    e->change.clear();
    e->shadow.clear();
}

void ServerHandler::RemoveAllEntries(bool keepRemoves)
{
    if (!keepRemoves) {
        FreeEntries();
        return;
    }
    Object* player = GetPlayerObject();
    std::fill(dirty_.begin(), dirty_.end(), 1);
    for (auto& ep : entries_) {
        if (!ep)
            continue;
        Entry& e = *ep;
        if (player && e.object == player)
            SetPlayerObject(nullptr);
        e.flags |= kRemoved;
        e.object = nullptr;
        e.layout = FieldLayout();
        e.change.clear();
        e.shadow.clear();
    }
    bySlot_.clear();
    // The player object leaves with the rest of the objects.
    if (player && std::find(manager_->GetObjects().begin(), manager_->GetObjects().end(), player) !=
                      manager_->GetObjects().end())
        SetPlayerObject(nullptr);
}

void ServerHandler::QueueEffect(Object* effect, const FieldLayout& layout)
{
    if (!IsStreaming())
        return;
    if (effects_.size() >= kMaxEffects)
        effects_.erase(effects_.begin());
    effects_.push_back(std::make_unique<ServerEffectObject>(effect, layout));
}

void ServerHandler::OnObjectChanged(Object* object)
{
    // A stale index only costs the entry there a look.
    uint32_t slot = object->GetReplicaSlot();
    uint32_t pos = slot < bySlot_.size() ? bySlot_[slot] : kNoEntry;
    if (pos < dirty_.size())
        dirty_[pos] = 1;
}

void ServerHandler::StopObjectStream()
{
    SetOwnStream(false);
    FreeEntries();
}

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
