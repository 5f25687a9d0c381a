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
    Object* player = PlayerObjectUnlocked();
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

void ServerHandler::Send(int field, uint32_t value)
{
    sentField_[sentCount_] = uint16_t(field);
    sentValue_[sentCount_++] = value;
}

uint8_t ServerHandler::ChooseVector(Entry& e, int i, const uint32_t* val, bool own, bool fullRefresh, bool* carried,
                                    bool* deferred)
{
    const FieldRecord& f = e.layout.GetFields()[i];
    bool withheld = own;
    if (own && f.extra >= 0) {
        bool force = false;
        std::memcpy(&force, e.object->MemberAt(f.extra), 1);
        withheld = !force && e.sent[size_t(i)].packet != 0;
    }
    if (withheld) {
        if (val[i + 2] != e.sent[size_t(i + 2)].value || val[i + 3] != e.sent[size_t(i + 3)].value)
            *deferred = true;
        return FieldEncoding::kVectorWithheld;
    }
    unsigned c = 0;
    for (int axis = 0; axis < 2; ++axis) {
        int pos = i + axis, vel = i + 2 + axis;
        if (e.sent[size_t(vel)].packet == 0 || val[vel] != e.sent[size_t(vel)].value) {
            c |= 1u << axis;
            Send(pos, val[pos]);
            Send(vel, val[vel]);
            *carried = true;
        }
    }
    for (int axis = 0; axis < 2; ++axis) {
        int pos = i + axis;
        if (c & (1u << axis))
            continue;
        float now = AsFloat(val[pos]);
        float before = AsFloat(e.sent[size_t(pos)].value);
        bool changed = e.sent[size_t(pos)].packet == 0 || val[pos] != e.sent[size_t(pos)].value;
        bool alone = (fullRefresh && changed) || std::fabs(before - now) >= 200.0f;
        if (changed && !alone)
            *deferred = true;
        if (alone) {
            c |= 4u << axis;
            Send(pos, val[pos]);
            *carried = true;
        }
    }
    return uint8_t(c);
}

ServerHandler::Motion ServerHandler::WriteMotion(PacketBuffer& p, Entry& e, uint16_t sequence, bool* deferred)
{
    // Nothing but an update can be due, and not of the own player's object.
    if (!e.motionLayout || (e.flags & (kRemoved | kOutOfRange | kNearOnly)) || (e.ackedFlags & kOutOfRange) ||
        ((e.flags & kCreateDue) && !(e.ackedFlags & kCreateDue)) || e.scalarsQuietSince == 0 || !e.object ||
        e.object == PlayerObjectUnlocked())
        return kNotMotion;
    WatchedObject* w = manager_->PassWatched(e.slot);
    if (!w || w->scalarsChanged >= e.scalarsQuietSince)
        return kNotMotion;
    if (e.parked)
        e.parked = false;
    const bool fullRefresh = Age(e) > kFullRefresh;
    // What ChooseVector chooses for another player's object.
    const FieldLayout& layout = w->layout;
    const uint32_t* val = w->values.data();
    Sent* sent = e.sent.data();
    const int vectors = layout.GetVectorCount();
    uint64_t key = 0;
    bool later = false;
    for (int k = 0; k < vectors; ++k) {
        const int i = layout.GetVectorAt(k);
        // A velocity not delivered as it is goes with its position.
        unsigned c = unsigned((sent[i + 2].packet == 0) | (val[i + 2] != sent[i + 2].value)) |
                     unsigned((sent[i + 3].packet == 0) | (val[i + 3] != sent[i + 3].value)) << 1;
        for (int axis = 0; axis < 2 && c != 3; ++axis) {
            int pos = i + axis;
            // Unchanged, its distance from what was sent is none.
            if ((c & (1u << axis)) || (sent[pos].packet != 0 && val[pos] == sent[pos].value))
                continue;
            if (fullRefresh || std::fabs(AsFloat(sent[pos].value) - AsFloat(val[pos])) >= 200.0f)
                c |= 4u << axis;
            else
                later = true;
        }
        key |= uint64_t(c) << (layout.GetVectorBitAt(k) & 63);
    }
    *deferred = later;
    if (key == 0) {
        // An update carrying nothing is still tried, and taken back: where
        // even that finds no room, the packet ends.
        const int bits = 34 + layout.GetScalarCount() + 4 * vectors;
        if (p.HasRoomFor(bits))
            return kNothing;
        uint8_t none[FieldLayout::kMaxRecords] = {};
        return FieldEncoding::Write(p, layout, val, none, false, &e.id) ? kNothing : kNoRoom;
    }
    if (!w->encoding.WriteVectorsKept(p, manager_->GetPass(), key, layout, val, e.id))
        return kNoRoom;
    // The values sent, noted.
    for (int k = 0; k < vectors; ++k) {
        const int i = layout.GetVectorAt(k);
        const unsigned c = unsigned(key >> (layout.GetVectorBitAt(k) & 63)) & 0xF;
        for (int axis = 0; axis < 2; ++axis) {
            int pos = i + axis, vel = i + 2 + axis;
            if (c & (1u << axis)) {
                sent[pos] = Sent{val[pos], sequence};
                sent[vel] = Sent{val[vel], sequence};
            } else if (c & (4u << axis)) {
                sent[pos] = Sent{val[pos], sequence};
            }
        }
    }
    if (fullRefresh)
        e.since = clock_;
    return kWrote;
}

// deferred: something differs from what was sent that this packet leaves
// for a later one (a full refresh, or the own player's vector).
bool ServerHandler::WriteFields(PacketBuffer& p, Entry& e, bool update, bool fullRefresh, bool* carried, bool* deferred)
{
    const FieldLayout& layout = e.layout;
    const FieldRecord* f = layout.GetFields();
    int n = layout.GetCount();
    Object* o = e.object;
    bool own = o == PlayerObjectUnlocked();
    uint32_t slot = o->GetReplicaSlot();
    const uint32_t* val = manager_->PassValues(slot);
    const bool inPass = val != nullptr;
    if (!val) {
        values_.resize(size_t(n));
        for (int i = 0; i < n; ++i)
            values_[size_t(i)] = FieldLayout::ReadMember(o, f[i]);
        val = values_.data();
    }
    // First what goes, as the bits that say so on the wire.
    uint64_t key = 0;
    int keyBits = layout.GetScalarCount() + 4 * layout.GetVectorCount();
    if (inPass && e.scalarsQuietSince != 0 && manager_->ScalarsChangedIn(slot) < e.scalarsQuietSince &&
        layout.GetVectorCount() <= FieldLayout::kMaxVectors) {
        // None of the fields outside the vectors goes: only those are looked at.
        std::memset(choices_, 0, size_t(n));
        for (int k = 0; k < layout.GetVectorCount(); ++k) {
            int i = layout.GetVectorAt(k);
            uint8_t c = ChooseVector(e, i, val, own, fullRefresh, carried, deferred);
            choices_[i] = c;
            key |= uint64_t(c & 0xF) << (layout.GetVectorBitAt(k) & 63);
        }
    } else {
        bool scalarsSent = false;
        int bit = 0;
        for (int i = 0; i < n; ++i) {
            int32_t type = f[i].type;
            if (type >= kFieldByte && type <= kFieldFloat) {
                uint32_t v = val[i];
                bool changed = e.sent[size_t(i)].packet == 0 || (v != e.sent[size_t(i)].value && f[i].flags == 0);
                choices_[i] = uint8_t(changed);
                key |= uint64_t(changed) << (bit++ & 63);
                if (changed) {
                    Send(i, v);
                    scalarsSent = true;
                    *carried = true;
                }
            } else if (type == kFieldVector) {
                uint8_t c = ChooseVector(e, i, val, own, fullRefresh, carried, deferred);
                choices_[i] = c;
                key |= uint64_t(c & 0xF) << (bit & 63);
                bit += 4;
                i += 3;
            }
        }
        // None of them was due: so it stays until one changes (these are
        // the pass's values) or a packet carrying them is lost.
        if (inPass && !scalarsSent)
            e.scalarsQuietSince = manager_->GetPass() + 1;
    }
    // Then the bits: the same for every connection that chose the same, so
    // kept for the pass, except for the own player's.
    const int32_t* head = update ? &e.id : nullptr;
    if (!own && keyBits <= 64 && inPass)
        return manager_->PassEncoding(slot).WriteKept(p, manager_->GetPass(), key, keyBits, layout, val, choices_,
                                                      head);
    return FieldEncoding::Write(p, layout, val, choices_, own, head);
}

void ServerHandler::CommitFields(Entry& e, uint16_t sequence)
{
    for (int k = 0; k < sentCount_; ++k) {
        e.sent[sentField_[k]] = Sent{sentValue_[k], sequence};
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
        Object* player = PlayerObjectUnlocked();
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
        savedChange_.resize(e.sent.size());
        for (size_t i = 0; i < e.sent.size(); ++i)
            savedChange_[i] = e.sent[i].packet;
        changeSaved_ = true;
    }
    sentCount_ = 0;
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
        for (Sent& f : e.sent)
            f.packet = 0;
        e.scalarsQuietSince = 0;
    }
    bool full = force || create;
    if (Age(e) > kFullRefresh) {
        e.since = clock_;
        full = true;
    }
    if (force) {
        for (Sent& f : e.sent)
            f.packet = 0;
        e.scalarsQuietSince = 0;
    }
    bool carried = create || force;
    bool deferred = false;
    // An update's head goes with its fields, which may be kept for the pass.
    if (!WriteFields(p, e, !create, full, &carried, &deferred))
        return Written::NoRoom;
    if (!carried) {
        *settled = !deferred;
        return Written::Nothing;
    }
    CommitFields(e, sequence);
    return Written::Something;
}

// The fields of an entry that writing it may change, put back unless the
// entry stays in the packet.
class ServerHandler::EntryRollback {
public:
    EntryRollback(ServerHandler& handler, Entry& e)
        : handler_(handler), e_(e), flags_(e.flags), ackedFlags_(e.ackedFlags), formSequence_(e.formSequence),
          removeSent_(e.removeSent), since_(e.since)
    {
        handler_.changeSaved_ = false;
    }
    EntryRollback(const EntryRollback&) = delete;
    EntryRollback& operator=(const EntryRollback&) = delete;
    ~EntryRollback()
    {
        if (kept_)
            return;
        e_.flags = flags_;
        e_.ackedFlags = ackedFlags_;
        e_.formSequence = formSequence_;
        e_.removeSent = removeSent_;
        e_.since = since_;
        if (!handler_.changeSaved_)
            return;
        const std::vector<uint16_t>& packets = handler_.savedChange_;
        for (size_t i = 0; i < e_.sent.size() && i < packets.size(); ++i)
            e_.sent[i].packet = packets[i];
    }
    void Keep() { kept_ = true; }

private:
    ServerHandler& handler_;
    Entry& e_;
    int flags_, ackedFlags_;
    uint16_t formSequence_;
    bool removeSent_;
    double since_;
    bool kept_ = false;
};

bool ServerHandler::WriteEffects(PacketBuffer& p, uint16_t sequence, SentPacket& record)
{
    for (size_t k = 0; k < effects_.size(); ++k) {
        ServerEffectObject& fx = *effects_[k];
        if (fx.sequence != 0)
            continue;
        if (!fx.Write(p))
            return false;
        fx.sequence = sequence;
        record.effects = true;
    }
    return true;
}

void ServerHandler::PrefetchAhead(size_t k) const
{
    // The entries ahead are most likely visited too: their memory is
    // asked for while this one is written.
    if (k + 4 < entries_.size() && entries_[k + 4])
        __builtin_prefetch(entries_[k + 4].get());
    // A removed object's entry has sent nothing: no end to point at.
    if (k + 2 < entries_.size() && entries_[k + 2] && !entries_[k + 2]->sent.empty()) {
        const Entry& next = *entries_[k + 2];
        __builtin_prefetch(next.sent.data());
        __builtin_prefetch(next.sent.data() + next.sent.size() - 1);
    }
}

void ServerHandler::StopAt(Section& s, size_t k)
{
    s.full = true;
    // The next packet starts with the entry that did not fit.
    if (!s.only)
        cursor_ = k;
}

bool ServerHandler::VisitMotion(Section& s, Entry& e, size_t k)
{
    s.p.SavePosition();
    bool deferred = false;
    switch (WriteMotion(s.p, e, s.sequence, &deferred)) {
    case kNotMotion:
        return false;
    case kWrote: {
        // Only its vector groups took this packet's number.
        const FieldLayout& layout = e.layout;
        const int last = layout.GetVectorAt(layout.GetVectorCount() - 1);
        s.record.entries.push_back(Carried{&e, uint16_t(layout.GetVectorAt(0)), uint16_t(last + 4)});
        dirty_[k] = 1;
        return true;
    }
    case kNothing:
        s.p.RollBack();
        if (!deferred)
            dirty_[k] = 0;
        return true;
    case kNoRoom:
        s.p.RollBack();
        StopAt(s, k);
        return true;
    }
    return false;
}

void ServerHandler::VisitWhole(Section& s, Entry& e, size_t k)
{
    EntryRollback rollback(*this, e);
    s.p.SavePosition();
    bool settled = false;
    Written w = WriteEntry(s.p, e, s.sequence, &settled);
    if (w == Written::Something) {
        rollback.Keep();
        s.record.entries.push_back(Carried{&e, 0, uint16_t(e.sent.size())});
        MarkDirty(e);
        return;
    }
    s.p.RollBack();
    if (settled || e.parked)
        dirty_[k] = 0;
    if (w == Written::NoRoom)
        StopAt(s, k);
}

void ServerHandler::VisitEntry(Section& s, size_t k)
{
    PrefetchAhead(k);
    if (ChangedSince(k, s.changed))
        dirty_[k] = 1;
    looked_[k] = s.pass;
    if (!entries_[k]) {
        dirty_[k] = 0;
        return;
    }
    Entry& e = *entries_[k];
    // Most entries of a busy pass.
    if (!VisitMotion(s, e, k))
        VisitWhole(s, e, k);
}

void ServerHandler::VisitDirty(Section& s)
{
    // The dirty entries from the cursor on, round to it: found a run of
    // clean ones at a time once every change is folded.
    const size_t n = entries_.size();
    const size_t start = n == 0 ? 0 : cursor_ % n;
    const uint8_t* dirty = dirty_.data();
    const bool folded = AllFolded();
    for (int part = 0; part < 2 && !s.full; ++part) {
        size_t at = part == 0 ? start : 0;
        const size_t end = part == 0 ? n : start;
        while (at < end && !s.full) {
            if (!dirty[at]) {
                if (!folded) {
                    if (!ChangedSince(at, s.changed)) {
                        ++at;
                        continue;
                    }
                } else {
                    const void* hit = std::memchr(dirty + at, 1, end - at);
                    if (!hit)
                        break;
                    at = size_t(static_cast<const uint8_t*>(hit) - dirty);
                }
            }
            VisitEntry(s, at++);
        }
    }
    if (!folded && !s.full)
        foldedAll_ = s.pass;
}

bool ServerHandler::WriteObjects(PacketBuffer& p, int, uint16_t sequence, Object* only)
{
    if (!IsStreaming()) {
        p.WriteU32(0);
        return false;
    }
    // Whether an entry is the own player's changes what is due for it.
    if (PlayerObjectUnlocked() != writtenFor_) {
        writtenFor_ = PlayerObjectUnlocked();
        MarkAllDirty();
    }
    if (!only && refreshNow_ && PlayerObjectUnlocked())
        RelevancePass();
    Section s{p, sequence, only, StartSent(sequence), manager_->GetChangePasses(), manager_->GetPass()};
    int limit = p.GetLimit();
    int startBits = p.GetBytePosition() * 8 + p.GetBitPosition();
    // Room for the terminator: a u32 needs its byte position 5 below the
    // limit once the last entry may have ended on a byte boundary.
    p.SetLimit(limit - 5);
    // Effects are few and one-shot; they go first so moving objects cannot
    // hold them back.
    s.full = !WriteEffects(p, sequence, s.record);
    if (only) {
        if (Entry* e = FindEntry(only); e && !s.full)
            VisitEntry(s, e->pos);
    } else {
        VisitDirty(s);
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
