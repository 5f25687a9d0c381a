#pragma once

#include "game/world/net/GamePacket.h"

#include <cstdint>
#include <string>

// The type numbers of the game protocol.
enum class GameMessage : uint16_t {
    LevelStart = 1,
    Join = 2,
    PlayerId = 3,
    Message = 4,
    Chat = 5,
    AmmoUpdate = 6,
    WeaponUpdate = 7,
    PlayerEntry = 8,
    PlayerSlotUpdate = 9,
    PlayerRemoved = 10,
    Blast = 11,
    WallStateRequest = 12,
    WallState = 13,
    InventoryClear = 14,
    ThrowRequest = 16,
    SelectWeapon = 17,
    RemoveWeapon = 18,
    PlayerStatus = 19,
    Notice = 20,
    TeamChange = 21,
    LevelCheck = 22,
    LevelReady = 23,
    FileChunk = 24,
    DownloadAbort = 25,
    LevelMismatch = 26,
    MissionItemTaken = 27,
    MissionItemRemoved = 28,
    MissionItemsDropped = 29,
    PlayerTable = 30,
    Countdown = 31,
    Explosion = 1000,
    Blood = 1001,
    Smoke = 1002,
    ObjectNotice = 1003, // no sender; consumed without effect
    GameModeTime = 2001,
    GameModeData = 2002,
    GameModeCapture = 2004,
};

// Each message's layout, written and read in one place. Readers return false
// when the receiver must ignore the message: a text over its limit or a float
// that is not finite. Missing trailing fields keep the defaults the caller
// put in the destination.
namespace GameMessages {

constexpr int kNameUnits = 63;
constexpr int kTextUnits = 255;
constexpr int kPathUnits = 512; // a longer level path is ignored
constexpr int kUidBytes = 64;
constexpr int kJoinFixedBytes = 68;
constexpr int kMaxRecords = 64;
constexpr int kStatusRecordBytes = 14;
constexpr int kTableRecordBytes = 8;
constexpr int kChunkBytes = 1000;
constexpr uint16_t kNoTeam = 65535;

struct JoinRequest {
    char uid[kUidBytes + 1] = {};
    std::u16string name;
    uint32_t flag = 0;
};

// A player-status (x, y, value) or player-table (value, team) record.
struct SlotRecord {
    uint32_t id = 0;
    float x = -1000.0f;
    float y = -1000.0f;
    uint16_t value = 0;
    uint16_t team = kNoTeam;
};

struct FirstChunk {
    uint32_t total = 0;
    std::u16string name;
    const uint8_t* data = nullptr;
    int size = 0;
};

// Control characters are dropped from names and texts: the dedicated server
// prints them on its terminal.
std::u16string Printable(const char16_t* text, size_t count);

// Messages of one uint32 (or nothing).
void WriteEmpty(GamePacket& p, GameMessage type);
void WriteValue(GamePacket& p, GameMessage type, uint32_t value);
uint32_t ReadValue(GamePacket& p, uint32_t fallback = 0);
void WritePair(GamePacket& p, GameMessage type, uint32_t a, uint32_t b);
void ReadPair(GamePacket& p, uint32_t* a, uint32_t* b);
// Messages of float32 fields only.
void WriteFloats(GamePacket& p, GameMessage type, const float* values, int count);
bool ReadFloats(GamePacket& p, float* values, int count);

void WriteLevelStart(GamePacket& p, const char16_t* path);
bool ReadLevelStart(GamePacket& p, std::u16string* path);
// The uid is narrowed to 8 bits and padded; the name is cut to 63 units so
// that the server never ignores the join.
void WriteJoin(GamePacket& p, const char16_t* uid, const char16_t* name, uint32_t flag);
bool ReadJoin(GamePacket& p, JoinRequest* out);
// Message (4) and Chat (5): flag byte, then the text.
void WriteFlaggedText(GamePacket& p, GameMessage type, uint8_t flag, const char16_t* text);
bool ReadFlaggedText(GamePacket& p, uint8_t* flag, std::u16string* text);
void WriteNotice(GamePacket& p, const char16_t* text);
bool ReadNotice(GamePacket& p, std::u16string* text);
void WriteAmmoUpdate(GamePacket& p, uint32_t ammoType, int16_t amount);
void ReadAmmoUpdate(GamePacket& p, uint32_t* ammoType, int16_t* amount);
void WriteWeaponUpdate(GamePacket& p, uint32_t weaponId, int16_t ammo, int16_t clip);
void ReadWeaponUpdate(GamePacket& p, uint32_t* weaponId, int16_t* ammo, int16_t* clip);
void WritePlayerEntry(GamePacket& p, int32_t id, const char16_t* name);
void ReadPlayerEntry(GamePacket& p, uint32_t* id, std::u16string* name);
void WritePlayerSlotUpdate(GamePacket& p, int32_t id, uint16_t value, uint16_t team);
void ReadPlayerSlotUpdate(GamePacket& p, SlotRecord* out);
void WriteWallState(GamePacket& p, uint32_t start, uint32_t next, const uint8_t* data, int size);
void ReadWallState(GamePacket& p, uint32_t* start, uint32_t* next, const uint8_t** data, int* size);
void WriteThrowRequest(GamePacket& p, uint8_t power);
uint8_t ReadThrowRequest(GamePacket& p);
void WritePlayerStatus(GamePacket& p, const SlotRecord* records, int count);
// Non-finite positions read as "no position".
int ReadPlayerStatus(GamePacket& p, SlotRecord* out);
void WritePlayerTable(GamePacket& p, const SlotRecord* records, int count);
int ReadPlayerTable(GamePacket& p, SlotRecord* out);
// The first chunk carries the total and the file name (8-bit, low bytes);
// its data is cut so that the payload stays within 1000 bytes.
void WriteFirstChunk(GamePacket& p, uint32_t total, const char16_t* name, const uint8_t* data, int size);
bool ReadFirstChunk(GamePacket& p, FirstChunk* out);
void WriteChunk(GamePacket& p, const uint8_t* data, int size);
// The rest of the payload, taken.
void ReadChunk(GamePacket& p, const uint8_t** data, int* size);
void WriteExplosion(GamePacket& p, float x, float y, uint8_t size);
bool ReadExplosion(GamePacket& p, float* x, float* y, uint8_t* size);

inline void WritePlayerId(GamePacket& p, int32_t id) { WriteValue(p, GameMessage::PlayerId, uint32_t(id)); }
inline void WritePlayerRemoved(GamePacket& p, int32_t id) { WriteValue(p, GameMessage::PlayerRemoved, uint32_t(id)); }
inline void WriteWallStateRequest(GamePacket& p, uint32_t start)
{
    WriteValue(p, GameMessage::WallStateRequest, start);
}
inline void WriteSelectWeapon(GamePacket& p, int32_t id) { WriteValue(p, GameMessage::SelectWeapon, uint32_t(id)); }
inline void WriteRemoveWeapon(GamePacket& p, int32_t id) { WriteValue(p, GameMessage::RemoveWeapon, uint32_t(id)); }
inline void WriteTeamChange(GamePacket& p, uint32_t choice) { WriteValue(p, GameMessage::TeamChange, choice); }
inline void WriteLevelCheck(GamePacket& p, uint32_t check) { WriteValue(p, GameMessage::LevelCheck, check); }
inline void WriteLevelReady(GamePacket& p, uint32_t lighting) { WriteValue(p, GameMessage::LevelReady, lighting); }
// 0 noon, 1 evening, 2 night; anything else reads as noon.
inline uint32_t ReadLevelReady(GamePacket& p)
{
    uint32_t v = ReadValue(p);
    return v <= 2 ? v : 0;
}
inline void WriteMissionItemTaken(GamePacket& p, int32_t player, int32_t item)
{
    WritePair(p, GameMessage::MissionItemTaken, uint32_t(player), uint32_t(item));
}
inline void WriteMissionItemRemoved(GamePacket& p, int32_t player, int32_t item)
{
    WritePair(p, GameMessage::MissionItemRemoved, uint32_t(player), uint32_t(item));
}
inline void WriteMissionItemsDropped(GamePacket& p, int32_t player)
{
    WriteValue(p, GameMessage::MissionItemsDropped, uint32_t(player));
}
inline void WriteBlast(GamePacket& p, float x, float y, float power, float radius)
{
    const float v[4] = {x, y, power, radius};
    WriteFloats(p, GameMessage::Blast, v, 4);
}
inline void WriteCountdown(GamePacket& p, float seconds) { WriteFloats(p, GameMessage::Countdown, &seconds, 1); }
inline void WriteBlood(GamePacket& p, float x, float y, float amount)
{
    const float v[3] = {x, y, amount};
    WriteFloats(p, GameMessage::Blood, v, 3);
}
inline void WriteSmoke(GamePacket& p, float x, float y, float angle)
{
    const float v[3] = {x, y, angle};
    WriteFloats(p, GameMessage::Smoke, v, 3);
}
inline void WriteGameModeTime(GamePacket& p, float left) { WriteFloats(p, GameMessage::GameModeTime, &left, 1); }
inline void WriteGameModeData(GamePacket& p, int32_t fragLimit, int32_t teamFragLimit)
{
    WritePair(p, GameMessage::GameModeData, uint32_t(fragLimit), uint32_t(teamFragLimit));
}
inline void WriteGameModeCapture(GamePacket& p, int32_t team)
{
    WriteValue(p, GameMessage::GameModeCapture, uint32_t(team));
}

} // namespace GameMessages
