#pragma once

#include "engine/net/FieldLayout.h"
#include "engine/net/GameStateHandler.h"

#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

namespace MPAPI {

class ClientManager;
class IClientListener;

// The client's connection: it reads the server's object sections into local
// copies of the replicated objects and applies them on the game thread.
//
// The receive thread only makes objects through the listener and fills the
// entries; every call on a game object (ready, update, stale, position,
// deletion) happens in Update on the game thread.
class ClientHandler : public GameStateHandler {
public:
    static constexpr int kMaxEntriesPerPacket = 10000;
    static constexpr int32_t kFirstLocalId = 100;
    // How long the id of a removed object or delivered effect is remembered,
    // so that a late or repeated create does not bring it back.
    static constexpr float kTombstoneSeconds = 10.0f;
    // Far beyond any level and any speed: received positions and
    // velocities are held inside these, and so is every extrapolation.
    static constexpr float kMaxCoordinate = 1.0e6f;
    static constexpr float kMaxSpeed = 1.0e5f;

    ClientHandler();
    ~ClientHandler() override;

    void Attach(ClientManager* manager) { manager_ = manager; }

    void Disconnect() override;
    uint32_t GetRemoteAddress() override { return 0; }
    int GetRemotePort() override { return 0; }
    double GetTime() override { return CounterSeconds(); }
    void Lock() override;
    void Unlock() override;
    void Reset() override;
    bool SendDatagram(const uint8_t* data, int length) override;
    int GetBandwidthShare() override { return 0; }
    void Update(float seconds) override;
    bool IsServerSide() override { return false; }
    bool WritePayload(PacketBuffer& packet, int room, uint16_t sequence) override;
    void ReadPayload(PacketBuffer& packet, uint16_t sequence) override;

    virtual void AddObject(Object* object);
    virtual void RemoveObject(Object* object);
    virtual void RemoveAllObjects();

    // Deletes what the game never got: objects made for entries not yet
    // announced and objects the listener made but the reader refused.
    void DeleteUndelivered();

    // For tests: objects already handed to the game.
    int GetLiveEntryCount();
    Object* FindObject(int32_t id);

private:
    struct Entry {
        int32_t id = 0;
        Object* object = nullptr;
        FieldLayout layout;
        bool isNew = false;
        bool removed = false;
        bool effect = false;
        bool complete = false;
        bool owned = false;   // made by the listener for this entry
        bool updated = false; // OnNetUpdate due
        bool stale = false;   // OnNetStale due
        bool tombstone = false;
        float tombstoneAge = 0;
        // Packet sequences counted without the wrap (see Extend); 0 never.
        int64_t lastSequence = 0;
        int64_t removeSequence = 0;
        std::vector<int64_t> change;
        std::vector<uint32_t> value;
        std::vector<float> settled; // per vector record: x at i, y at i + 1
    };
    enum class Parse { Ok, Stop };

    Entry* NewEntry(int32_t id, Object* object, bool effect, bool owned);
    bool SetupFields(Entry& e);
    // The packet sequence as a count that never wraps, so the age of a
    // value stays right however long the match runs.
    int64_t Extend(uint16_t sequence);
    Parse ReadCreate(PacketBuffer& p, int64_t sequence, int32_t id, Entry* e);
    Parse ReadFields(PacketBuffer& p, int64_t sequence, Entry* e);
    void Apply(Entry& e, float dt);
    void ApplyVector(Entry& e, int i, float dt);
    void Bury(Entry& e);
    void FreeAll();

    ClientManager* manager_ = nullptr;
    std::vector<std::unique_ptr<Entry>> entries_;
    std::unordered_map<int32_t, Entry*> byId_;
    std::vector<Object*> refused_;
    int32_t nextLocalId_ = kFirstLocalId;
    uint32_t blockSequence_ = 0;
    static constexpr int64_t kFirstExtended = int64_t(1) << 20;
    int64_t newest_ = 0;
    uint16_t newestSequence_ = 0;
};

} // namespace MPAPI
