#pragma once

#include <cstdint>
#include <cstring>

namespace MPAPI {

// One record of a field table: {type, member offset, flags, 0, extra}. The
// member offset counts from the MPAPI::Object base of the object.
struct FieldRecord {
    int32_t type;
    int32_t member;
    int32_t flags; // not 0: sent until delivered once, applied until complete
    int32_t zero;
    int32_t extra; // type 9, first record: offset of a bool that forces the vector, -1 none
};

// Record type codes.
constexpr int32_t kFieldEnd = 0;
constexpr int32_t kHeaderReplicated = 1;
constexpr int32_t kHeaderEffect = 2;
constexpr int32_t kFieldByte = 3;
constexpr int32_t kFieldInt16 = 4;
constexpr int32_t kFieldInt32 = 5;
constexpr int32_t kFieldWord = 6;
constexpr int32_t kFieldBool = 7;
constexpr int32_t kFieldFloat = 8;
constexpr int32_t kFieldVector = 9; // four records: x, y, x velocity, y velocity

// The replication face of a game object: the networking layer reads and
// writes its members by its field table without knowing the game's types.
class Object {
public:
    virtual const FieldRecord* GetFieldTable() = 0;
    virtual ~Object() {}
    // Tables of absolute addresses cannot exist on a 64-bit system; no class
    // has one and the replication layer ignores it.
    virtual const FieldRecord* GetAbsoluteFieldTable() { return nullptr; }
    virtual bool NoOpTrue() { return true; }
    virtual bool IsAlwaysRelevant() { return false; }
    virtual int GetTypeId() = 0;
    virtual int GetSubTypeId() { return 0; }
    virtual int NoOpZero() { return 0; }
    virtual int GetExtraDataSize() { return 0; }
    virtual void NoOpA(int) {}
    virtual void NoOpB(int) {}
    virtual float GetX() = 0;
    virtual float GetY() = 0;
    virtual bool IsNear(float viewerX, float viewerY, bool* far) = 0;
    virtual void OnNetUpdate() {}
    virtual void OnNetStale() {}
    virtual void SetNetPosition(float x, float y, float dx, float dy) = 0;

    int32_t GetNetworkId() const { return networkId_; }
    void SetNetworkId(int32_t id) { networkId_ = id; }
    // The server's index of the object while it is listed for replication,
    // so that its connections find their entry for it without a search.
    uint32_t GetReplicaSlot() const { return replicaSlot_; }
    void SetReplicaSlot(uint32_t slot) { replicaSlot_ = slot; }

    // Offset of a member of this object from its MPAPI::Object base, for
    // building field tables.
    int32_t OffsetOf(const void* member) const
    {
        return int32_t(static_cast<const char*>(member) - reinterpret_cast<const char*>(this));
    }
    uint8_t* MemberAt(int32_t offset) { return reinterpret_cast<uint8_t*>(this) + offset; }

protected:
    int32_t networkId_ = 0;
    uint32_t replicaSlot_ = UINT32_MAX;
};

} // namespace MPAPI
