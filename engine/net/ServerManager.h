#pragma once

#include "engine/net/FieldEncoding.h"
#include "engine/net/IServer.h"
#include "engine/net/MultiplayerManager.h"
#include "engine/net/ServerHandler.h"
#include "engine/net/WatchedObject.h"

#include <chrono>
#include <functional>
#include <string>
#include <unordered_set>
#include <vector>

namespace MPAPI {

class IServerListener;

// The server: one UDP port, up to 32 client slots, and the list of
// replicated objects that every slot's handler sends from. Every operation
// takes the manager lock, the ones the game could call unlocked too.
class ServerManager : public MultiplayerManager, public IServer {
public:
    static constexpr int kSlots = 32;
    static constexpr int32_t kFirstLevelId = 100;
    static constexpr uint32_t kFirstDynamicId = 0x80000000u;
    static constexpr float kSlotTimeOut = 200.0f;
    // A slot whose client never confirmed is freed sooner, so that a flood
    // of connect requests cannot hold every slot for long.
    static constexpr float kHandshakeTimeOut = 10.0f;
    // Likewise a confirmed client that answered none of this many pings
    // (about 10 s of them) never read a reply: it is closed, and its slot
    // is free again soon after. Counted in pings, each sent by a pass of its
    // own, so a pass that took long judges nobody.
    static constexpr int kUnansweredPings = 20;
    static constexpr float kQuickRelease = 2.0f;
    // A client the game has bound no player object to (one that has not
    // joined the game) is closed after this long, plus a second for every
    // kilobyte of the stream it acknowledged meanwhile (a level download).
    // A pass counts for at most kMaxPassCredit: while the server stalled
    // nobody could join.
    static constexpr float kJoinDeadline = 15.0f;
    static constexpr int kJoinCreditBytes = 1024;
    static constexpr float kMaxPassCredit = 1.0f;
    // No address holds more slots than this. Loopback peers are this
    // machine itself (a relay or proxy in front of the server, a local test
    // rig), which no outside peer can claim to be: they are not held to it.
    static constexpr int kSlotsPerAddress = 4;
    // A connected peer that asks to connect again has started over only if
    // its old session has gone quiet; a client retries every second.
    static constexpr float kRestartQuiet = 1.0f;
    static constexpr int kConnectLinesPerSecond = 10;

    ServerManager();
    ~ServerManager() override;

    void SetListener(IServerListener* listener) override;
    int SetMaxPlayers(int count) override;
    void SetUpstreamBandwidth(int bytesPerSecond) override;
    void SetPassword(const char16_t* password) override;
    int AddBan(uint32_t ip) override;
    void RemoveBan(uint32_t ip) override;
    IConnection* NextNewConnection() override;
    bool Listen(int port) override;
    void DisconnectAll() override;
    void Update(float seconds) override;
    void ResetObjectStreams() override;
    void AddObject(Object* object) override;
    void AddObjectUnlocked(Object* object) override;
    void RemoveObject(Object* object) override;
    void RemoveAllObjects() override;
    void SendNow(IConnection* connection, Object* object) override;

    void OnDatagram(const uint8_t* data, int length, uint32_t ip, int port) override;

    // The engine learns the port and forgets the server through these.
    void SetListenCallback(std::function<void(int)> callback) { onListen_ = std::move(callback); }
    void SetDestroyCallback(std::function<void()> callback) { onDestroy_ = std::move(callback); }

    // For the handlers, under the manager lock.
    IServerListener* GetListener() const { return listener_; }
    int GetShare() const { return share_; }
    void ShareBudget();
    // The handler got or lost its peer.
    void NotePeer(const ServerHandler& h);
    const std::vector<Object*>& GetObjects() const { return objects_; }
    bool SendToPeer(const uint8_t* data, int length, uint32_t ip, int port);
    // Inside Update's pass: what the pass read of the object in a replica
    // slot (null outside a pass or for a free slot).
    WatchedObject* PassWatched(uint32_t slot)
    {
        return inPass_ && slot < watched_.size() && !watched_[slot].values.empty() ? &watched_[slot] : nullptr;
    }
    const WatchedObject* GetWatched(uint32_t slot) const
    {
        return slot < watched_.size() && !watched_[slot].values.empty() ? &watched_[slot] : nullptr;
    }
    const uint32_t* PassValues(uint32_t slot)
    {
        WatchedObject* w = PassWatched(slot);
        return w ? w->values.data() : nullptr;
    }
    FieldEncoding& PassEncoding(uint32_t slot) { return watched_[slot].encoding; }
    uint64_t GetPass() const { return pass_; }
    // By replica slot: the pass that last found the object's values changed
    // (0 for none since it was listed); and the last pass that found any.
    const std::vector<uint64_t>& GetChangePasses() const { return changedIn_; }
    uint64_t GetLastChange() const { return lastChange_; }
    uint64_t ScalarsChangedIn(uint32_t slot) const { return watched_[slot].scalarsChanged; }

    // For tests and the benchmark.
    int GetPort() const { return port_; }
    // Update starts each pass with this; a test writing packets through a
    // handler itself calls it after changing objects.
    void NoteChanges()
    {
        std::lock_guard<std::recursive_mutex> lock(GetManagerMutex());
        NoteChangedObjects();
    }
    ServerHandler* GetSlot(int index) { return index >= 0 && index < kSlots ? &slots_[index] : nullptr; }

private:
    void UpdateSlots(float dt);
    bool JoinedInTime(ServerHandler& h, float dt);
    // Closes a connection the game has not welcomed; its slot is free soon.
    void Release(ServerHandler& h);
    void KeepObject(Object* object, const FieldLayout& layout);
    void NoteChangedObjects();
    ServerHandler* FindSlot(uint32_t ip, int port);
    // The reply to a connect request, or -1 for none.
    int TakeSlot(uint32_t ip, int port);
    void OnConnectRequest(const uint8_t* data, int length, uint32_t ip, int port);
    void Reply(uint8_t reply, uint32_t ip, int port);
    bool IsBanned(uint32_t ip) const;
    bool MayPrintConnectLine();

    ServerHandler slots_[kSlots];
    // Bit i: slot i has a peer. A pass reads the handlers of these only,
    // not a line of each of the 32.
    uint32_t withPeer_ = 0;
    IServerListener* listener_ = nullptr;
    int maxPlayers_ = kSlots;
    int budget_ = 0;
    int share_ = 0;
    std::u16string password_;
    std::vector<uint32_t> bans_;
    int port_ = 0;
    std::vector<Object*> objects_;
    // By replica slot.
    std::vector<WatchedObject> watched_;
    std::vector<uint64_t> changedIn_;
    uint64_t lastChange_ = 0;
    uint64_t pass_ = 0;
    bool inPass_ = false;
    // Listed objects by replica slot (null for a free one), and the free slots.
    std::vector<Object*> slotObjects_;
    std::vector<uint32_t> freeSlots_;
    std::unordered_set<uint32_t> dynamicIds_;
    std::vector<int32_t> removedLevelIds_;
    uint32_t nextDynamicId_ = kFirstDynamicId;
    int32_t nextLevelId_ = kFirstLevelId;
    std::function<void(int)> onListen_;
    std::function<void()> onDestroy_;
    std::chrono::steady_clock::time_point printWindow_{};
    int printsInWindow_ = 0;
};

} // namespace MPAPI
