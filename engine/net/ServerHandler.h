#pragma once

#include "engine/net/FieldLayout.h"
#include "engine/net/GameStateHandler.h"
#include "engine/net/ServerEffectObject.h"
#include "engine/net/WatchedObject.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace MPAPI {

class ServerManager;

// The server's end of one client connection: which replicated objects this
// client knows, what it was last sent of each, and the effects queued for it.
// Everything runs under the manager lock.
class ServerHandler : public GameStateHandler {
public:
    // Replication entry flags.
    static constexpr int kOutOfRange = 1;
    static constexpr int kRemoved = 2;
    static constexpr int kCreateDue = 8;
    static constexpr int kNearOnly = 0x40;

    static constexpr float kRefreshInterval = 0.2f;
    static constexpr float kFullRefresh = 0.5f;
    static constexpr float kFormWait = 1.0f;
    static constexpr size_t kMaxEffects = 256;

    ServerHandler();
    ~ServerHandler() override;

    void Attach(ServerManager* manager) { manager_ = manager; }

    void Disconnect() override;
    uint32_t GetRemoteAddress() override { return peerAddress_; }
    int GetRemotePort() override { return peerPort_; }
    double GetTime() override { return CounterSeconds(); }
    void Lock() override;
    void Unlock() override;
    void Reset() override;
    void OnConnected() override;
    bool SendDatagram(const uint8_t* data, int length) override;
    int GetBandwidthShare() override;
    void Update(float seconds) override;
    bool HasPendingObjects() override;
    void ForgetObjectId(uint16_t sequence) override;
    void OnPacketAcked(uint16_t sequence) override;
    bool WriteObjects(PacketBuffer& packet, int room, uint16_t sequence, Object* object) override;
    bool WritePayload(PacketBuffer& packet, int room, uint16_t sequence) override;
    void ReadPayload(PacketBuffer& packet, uint16_t sequence) override;

    // For the manager, under its lock.
    // Update for the manager's pass, which holds the lock already.
    void Tick(float seconds);
    bool HasPeer() const { return peerAddress_ != 0 || peerPort_ != 0; }
    bool IsActive() const { return HasPeer() && !IsResetPending(); }
    void SetPeer(uint32_t ip, int port);
    void AddRemovedEntry(int32_t id);
    void OnObjectRemoved(Object* object);
    void RemoveAllEntries(bool keepRemoves);
    void QueueEffect(Object* effect, const FieldLayout& layout);
    void SetFirstRefresh() { firstRefresh_ = true; }
    void StopObjectStream();

    bool newConnection = false;
    float silence = 0;         // while handshaking or closing
    float quiet = 0;           // since the peer's last datagram
    bool quickRelease = false; // closed for never answering or never joining
    // Connected without a player object: how long, and the delivered bytes
    // counted from.
    float unjoined = 0;
    int64_t joinCreditFrom = 0;

    // For tests.
    int GetEntryCount()
    {
        ScopedLock lock(this);
        return int(entries_.size() - holes_);
    }
    int GetEffectCount()
    {
        ScopedLock lock(this);
        return int(effects_.size());
    }

private:
    // What was sent of a field record: its value and the packet that
    // carries it (0 none, 1 delivered).
    struct Sent {
        uint32_t value = 0;
        uint16_t packet = 0;
    };
    struct Entry {
        Object* object = nullptr;
        int flags = 0;
        int ackedFlags = 0;
        uint32_t slot = UINT32_MAX; // the object's replica slot while it has one
        int32_t id = 0;
        uint16_t formSequence = 0;
        bool removeSent = false;
        bool parked = false; // near-only, unsent and not near: looked at again by the next refresh
        // Its layout is the pass's record's, with every vector listed and
        // 64 change bits at most.
        bool motionLayout = false;
        // The pass that found every field outside the vectors delivered as
        // it is (0 none): until one of them changes or a packet carrying
        // them is lost, none of them goes.
        uint64_t scalarsQuietSince = 0;
        double since = 0;       // handler clock when the entry's timer last started
        std::vector<Sent> sent; // per field record
        size_t pos = 0;         // index in entries_
        FieldLayout layout;
    };
    enum class Written { Nothing, Something, NoRoom };
    // An entry a packet carried, and the field records it may have carried
    // of it: [first, end).
    struct Carried {
        Entry* entry;
        uint16_t first, end;
    };
    // What one packet in flight carried, so that its acknowledgement or
    // loss touches only those entries, and their acknowledgement only
    // those fields.
    struct SentPacket {
        uint16_t sequence = 0; // 0 free
        bool effects = false;
        std::vector<Carried> entries;
    };
    static constexpr int kSentRecords = kReliableSlots + 1;

    Entry* AddEntry(std::unique_ptr<Entry> entry);
    Entry* FindEntry(Object* object) const;
    void Unbind(Object* object);
    Entry* MakeEntry(Object* object, int flags);
    void MarkDirty(Entry& e) { dirty_[e.pos] = 1; }
    // Makes the entry at k dirty if its object changed since it was last
    // looked at; every reading of dirty_ comes after.
    void Fold(size_t k);
    bool ChangedSince(size_t k, const std::vector<uint64_t>& changed) const
    {
        uint32_t slot = slotAt_[k];
        return slot < changed.size() && changed[slot] > looked_[k];
    }
    // Whether every entry's change is folded already.
    bool AllFolded() const;
    void MarkAllDirty();
    bool VectorsPending(Entry& e);
    float Age(const Entry& e) const { return float(clock_ - e.since); }
    void RelevancePass();
    Written WriteEntry(PacketBuffer& p, Entry& e, uint16_t sequence, bool* settled);
    // The update of an entry of which only the vectors can be due, each
    // the same for every connection that chose the same of it: another
    // player's plain entry, read by the pass, whose other fields all went
    // and stayed. What WriteEntry does for it, with the entry's timer
    // restarted for a full refresh that went: kWrote, kNothing (deferred
    // set when something waits for a later packet), kNoRoom, or kNotMotion
    // for any other entry, left as it was.
    enum Motion { kNotMotion, kWrote, kNothing, kNoRoom };
    Motion WriteMotion(PacketBuffer& p, Entry& e, uint16_t sequence, bool* deferred);
    // With update set, the entry's head (its id and operation 0) goes first.
    bool WriteFields(PacketBuffer& p, Entry& e, bool update, bool fullRefresh, bool* carried, bool* deferred);
    // What goes of the vector at record i (FieldEncoding's choice), noting
    // what is sent.
    uint8_t ChooseVector(Entry& e, int i, const uint32_t* values, bool own, bool fullRefresh, bool* carried,
                         bool* deferred);
    void Send(int field, uint32_t value);
    void CommitFields(Entry& e, uint16_t sequence);
    // One packet's object section while it is written: full once an entry
    // or effect found no room.
    struct Section {
        PacketBuffer& p;
        uint16_t sequence;
        Object* only;
        SentPacket& record;
        const std::vector<uint64_t>& changed; // the manager's change passes
        uint64_t pass;
        bool full = false;
    };
    class EntryRollback;
    // False when an effect found no room.
    bool WriteEffects(PacketBuffer& p, uint16_t sequence, SentPacket& record);
    void PrefetchAhead(size_t k) const;
    void StopAt(Section& s, size_t k);
    // False when the entry is not one WriteMotion writes.
    bool VisitMotion(Section& s, Entry& e, size_t k);
    void VisitWhole(Section& s, Entry& e, size_t k);
    void VisitEntry(Section& s, size_t k);
    void VisitDirty(Section& s);
    void FreeEntries();
    SentPacket* FindSent(uint16_t sequence);
    SentPacket& StartSent(uint16_t sequence);
    void ForgetSent(SentPacket& record);
    void FreeEntry(Entry* e);
    void CompactEntries();

    ServerManager* manager_ = nullptr;
    uint32_t peerAddress_ = 0;
    int peerPort_ = 0;
    std::vector<std::unique_ptr<Entry>> entries_;
    // Per entry of entries_: 0 while nothing can be due for it until its
    // object changes, a packet of it is lost or acknowledged, or its flags
    // change. Most entries of a pass are settled, so a pass (and the
    // question of pending objects) reads this instead of every entry and
    // object.
    std::vector<uint8_t> dirty_;
    // Per entry of entries_: its object's replica slot (kNoSlot for none),
    // and the pass it was last looked at in. An entry whose object changed
    // since is as dirty, so a changed object costs nothing until a pass
    // comes to its entries. foldedAll_: every entry was looked at since
    // the pass of the last change before it.
    static constexpr uint32_t kNoSlot = UINT32_MAX;
    std::vector<uint32_t> slotAt_;
    std::vector<uint64_t> looked_;
    uint64_t foldedAll_ = 0;
    // Freed entries leave an empty place (never dirty) until a quarter of
    // the list is empty: the rest keep their order without a move per free.
    size_t holes_ = 0;
    Object* writtenFor_ = nullptr; // the player object settled entries were judged for
    double clock_ = 0;
    // Index in entries_ of the entry of the object in each replica slot
    // (kNoEntry for none), so that marking an entry dirty reads no entry.
    static constexpr uint32_t kNoEntry = UINT32_MAX;
    std::vector<uint32_t> bySlot_;
    std::vector<std::unique_ptr<ServerEffectObject>> effects_;
    uint32_t lastBlockSequence_ = 0;
    float refreshTimer_ = 0;
    bool refreshNow_ = false;
    bool firstRefresh_ = true;
    SentPacket sentPackets_[kSentRecords];
    // Where the next packet starts in the entry list, so every entry gets
    // its turn when they do not all fit.
    size_t cursor_ = 0;
    // The values written for the entry being written, by field record,
    // committed when it stays.
    int sentCount_ = 0;
    uint16_t sentField_[FieldLayout::kMaxRecords];
    uint32_t sentValue_[FieldLayout::kMaxRecords];
    // What the entry being written sends of each field (FieldEncoding's
    // choices), and its values when the pass has none read for it.
    uint8_t choices_[FieldLayout::kMaxRecords];
    std::vector<uint32_t> values_;
    // The entry's packets of its fields before a create or forced write
    // cleared them, for the roll-back.
    std::vector<uint16_t> savedChange_;
    bool changeSaved_ = false;
    std::vector<Entry*> freed_; // by the acknowledgement being read
};

} // namespace MPAPI
