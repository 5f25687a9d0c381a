#include "engine/net/ServerHandler.h"

#include "engine/net/ServerManager.h"

#include <algorithm>
#include <cstring>

namespace MPAPI {

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
    slotAt_.clear();
    looked_.clear();
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
    quiet = 0;
    quickRelease = false;
    unjoined = 0;
    joinCreditFrom = 0;
    lastBlockSequence_ = 0;
    refreshTimer_ = 0;
    refreshNow_ = false;
    firstRefresh_ = true;
    clock_ = 0;
    GameStateHandler::Reset();
    if (manager_) {
        manager_->NotePeer(*this);
        manager_->ShareBudget();
    }
}

void ServerHandler::SetPeer(uint32_t ip, int port)
{
    peerAddress_ = ip;
    peerPort_ = port;
    silence = 0;
    if (manager_)
        manager_->NotePeer(*this);
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
    Tick(seconds);
}

void ServerHandler::Tick(float seconds)
{
    clock_ += seconds;
    refreshTimer_ += seconds;
    if (refreshTimer_ >= kRefreshInterval) {
        refreshTimer_ = 0;
        refreshNow_ = true;
    }
    UpdateUnlocked(seconds);
}

bool ServerHandler::VectorsPending(Entry& e)
{
    if (!e.object || (e.flags & (kRemoved | kOutOfRange)))
        return false;
    if ((e.flags & kCreateDue) && !(e.ackedFlags & kCreateDue))
        return false;
    const FieldLayout& layout = e.layout;
    const FieldRecord* f = layout.GetFields();
    auto differs = [&](int i) {
        return FieldLayout::ReadMember(e.object, f[i + 2]) != e.sent[size_t(i + 2)].value ||
               FieldLayout::ReadMember(e.object, f[i + 3]) != e.sent[size_t(i + 3)].value;
    };
    if (layout.GetVectorCount() <= FieldLayout::kMaxVectors) {
        for (int k = 0; k < layout.GetVectorCount(); ++k)
            if (differs(layout.GetVectorAt(k)))
                return true;
        return false;
    }
    for (int i = 0; i < layout.GetCount(); ++i) {
        if (f[i].type != kFieldVector)
            continue;
        if (differs(i))
            return true;
        i += 3;
    }
    return false;
}

void ServerHandler::Fold(size_t k)
{
    if (ChangedSince(k, manager_->GetChangePasses()))
        dirty_[k] = 1;
    looked_[k] = manager_->GetPass();
}

bool ServerHandler::AllFolded() const { return manager_->GetLastChange() <= foldedAll_; }

bool ServerHandler::HasPendingObjects()
{
    // A settled entry's vectors equal what was sent: only the dirty ones
    // are looked at.
    const size_t n = dirty_.size();
    if (!AllFolded()) {
        for (size_t k = 0; k < n; ++k) {
            Fold(k);
            if (dirty_[k] && entries_[k] && VectorsPending(*entries_[k]))
                return true;
        }
        foldedAll_ = manager_->GetPass();
        return false;
    }
    const uint8_t* dirty = dirty_.data();
    for (size_t at = 0; at < n; ++at) {
        const void* hit = std::memchr(dirty + at, 1, n - at);
        if (!hit)
            break;
        at = size_t(static_cast<const uint8_t*>(hit) - dirty);
        if (entries_[at] && VectorsPending(*entries_[at]))
            return true;
    }
    return false;
}

void ServerHandler::MarkAllDirty() { std::fill(dirty_.begin(), dirty_.end(), 1); }

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
    for (const Carried& c : r.entries) {
        Entry* e = c.entry;
        MarkDirty(*e);
        e->scalarsQuietSince = 0;
        for (Sent& f : e->sent)
            if (f.packet == sequence)
                f.packet = 0;
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
        r.entries.erase(
            std::remove_if(r.entries.begin(), r.entries.end(), [e](const Carried& c) { return c.entry == e; }),
            r.entries.end());
    size_t pos = e->pos;
    entries_[pos].reset();
    dirty_[pos] = 0;
    slotAt_[pos] = kNoSlot;
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
            slotAt_[kept] = slotAt_[k];
            looked_[kept] = looked_[k];
        }
        Entry& e = *entries_[kept];
        e.pos = kept;
        if (e.object && e.slot < bySlot_.size())
            bySlot_[e.slot] = uint32_t(kept);
        ++kept;
    }
    entries_.erase(entries_.begin() + std::ptrdiff_t(kept), entries_.end());
    dirty_.resize(kept);
    slotAt_.resize(kept);
    looked_.resize(kept);
    holes_ = 0;
}

void ServerHandler::OnPacketAcked(uint16_t sequence)
{
    SentPacket* r = FindSent(sequence);
    if (!r)
        return;
    freed_.clear();
    for (const Carried& c : r->entries) {
        Entry& e = *c.entry;
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
        Sent* f = e.sent.data();
        for (size_t i = c.first, end = std::min<size_t>(c.end, e.sent.size()); i < end; ++i)
            if (f[i].packet == sequence)
                f[i].packet = 1;
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
    slotAt_.push_back(raw->object ? raw->slot : kNoSlot);
    looked_.push_back(manager_->GetPass());
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
    e->slot = object->GetReplicaSlot();
    e->id = object->GetNetworkId();
    e->flags = flags;
    const FieldLayout& layout = e->layout;
    const WatchedObject* watched = manager_->GetWatched(object->GetReplicaSlot());
    e->motionLayout = watched && watched->layout.GetFields() == layout.GetFields() &&
                      watched->layout.GetCount() == layout.GetCount() &&
                      layout.GetVectorCount() <= FieldLayout::kMaxVectors &&
                      layout.GetScalarCount() + 4 * layout.GetVectorCount() <= 64;
    e->sent.assign(size_t(e->layout.GetCount()), Sent{});
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
    if (PlayerObjectUnlocked() == object)
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
    slotAt_[e->pos] = kNoSlot;
    e->flags |= kRemoved;
    e->object = nullptr;
    e->slot = UINT32_MAX;
    e->layout = FieldLayout();
    e->sent.clear();
}

void ServerHandler::RemoveAllEntries(bool keepRemoves)
{
    if (!keepRemoves) {
        FreeEntries();
        return;
    }
    Object* player = PlayerObjectUnlocked();
    MarkAllDirty();
    std::fill(slotAt_.begin(), slotAt_.end(), kNoSlot);
    for (auto& ep : entries_) {
        if (!ep)
            continue;
        Entry& e = *ep;
        if (player && e.object == player)
            SetPlayerObject(nullptr);
        e.flags |= kRemoved;
        e.object = nullptr;
        e.slot = UINT32_MAX;
        e.layout = FieldLayout();
        e.sent.clear();
    }
    bySlot_.clear();
    // The player object leaves with the rest of the objects.
    if (player &&
        std::find(manager_->GetObjects().begin(), manager_->GetObjects().end(), player) != manager_->GetObjects().end())
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

void ServerHandler::StopObjectStream()
{
    SetOwnStream(false);
    FreeEntries();
}

} // namespace MPAPI
