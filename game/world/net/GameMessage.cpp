#include "game/world/net/GameMessage.h"

#include "engine/core/StringKit.h"

#include <cmath>
#include <cstring>

namespace GameMessages {

namespace {

void Begin(GamePacket& p, GameMessage type) { p.Begin(uint16_t(type)); }

size_t BoundedLength(const char16_t* text, size_t max)
{
    size_t n = 0;
    while (text && n < max && text[n])
        ++n;
    return n;
}

// The rest of the payload as text, refused when it is over maxBytes.
bool ReadRestText(GamePacket& p, int maxBytes, int maxUnits, std::u16string* out)
{
    if (p.GetRemaining() > maxBytes)
        return false;
    char16_t buffer[GamePacket::kMaxPayload / 2];
    int n = p.ReadRestChars(buffer, maxUnits);
    if (out)
        *out = Printable(buffer, size_t(n));
    return true;
}

} // namespace

std::u16string Printable(const char16_t* text, size_t count)
{
    std::u16string out;
    for (size_t i = 0; text && i < count; ++i)
        if (text[i] >= 0x20 && text[i] != 0x7F && !(text[i] >= 0x80 && text[i] < 0xA0))
            out.push_back(text[i]);
    return out;
}

void WriteEmpty(GamePacket& p, GameMessage type) { Begin(p, type); }

void WriteValue(GamePacket& p, GameMessage type, uint32_t value)
{
    Begin(p, type);
    p.Write32(value);
}

uint32_t ReadValue(GamePacket& p, uint32_t fallback)
{
    p.Read32(&fallback);
    return fallback;
}

void WritePair(GamePacket& p, GameMessage type, uint32_t a, uint32_t b)
{
    Begin(p, type);
    p.Write32(a);
    p.Write32(b);
}

void ReadPair(GamePacket& p, uint32_t* a, uint32_t* b)
{
    p.Read32(a);
    p.Read32(b);
}

void WriteFloats(GamePacket& p, GameMessage type, const float* values, int count)
{
    Begin(p, type);
    for (int i = 0; i < count; ++i)
        p.WriteFloat(values[i]);
}

bool ReadFloats(GamePacket& p, float* values, int count)
{
    bool finite = true;
    for (int i = 0; i < count; ++i) {
        p.ReadFloat(&values[i]);
        finite = finite && std::isfinite(values[i]);
    }
    return finite;
}

void WriteLevelStart(GamePacket& p, const char16_t* path)
{
    Begin(p, GameMessage::LevelStart);
    p.WriteChars(path, int(BoundedLength(path, GamePacket::kMaxPayload / 2)));
}

bool ReadLevelStart(GamePacket& p, std::u16string* path) { return ReadRestText(p, kPathUnits * 2, kPathUnits, path); }

void WriteJoin(GamePacket& p, const char16_t* uid, const char16_t* name, uint32_t flag)
{
    Begin(p, GameMessage::Join);
    uint8_t field[kUidBytes] = {};
    for (size_t i = 0, n = BoundedLength(uid, kUidBytes); i < n; ++i)
        field[i] = uint8_t(uid[i]);
    p.WriteBytes(field, kUidBytes);
    p.WriteChars(name, int(BoundedLength(name, kNameUnits)));
    p.Write32(flag);
}

bool ReadJoin(GamePacket& p, JoinRequest* out)
{
    int nameBytes = p.GetLength() - kJoinFixedBytes;
    // Too short for a uid, a name and the flag: nothing to accept.
    if (nameBytes < 0 || nameBytes > kNameUnits * 2)
        return false;
    p.ReadBytes(out->uid, kUidBytes);
    out->uid[kUidBytes] = 0;
    char16_t name[kNameUnits];
    p.ReadChars(name, nameBytes / 2);
    p.Skip(nameBytes % 2); // an odd byte belongs to no code unit
    out->name = Printable(name, size_t(nameBytes / 2));
    p.Read32(&out->flag);
    return true;
}

void WriteFlaggedText(GamePacket& p, GameMessage type, uint8_t flag, const char16_t* text)
{
    Begin(p, type);
    p.WriteByte(flag);
    p.WriteChars(text, int(BoundedLength(text, kTextUnits)));
}

bool ReadFlaggedText(GamePacket& p, uint8_t* flag, std::u16string* text)
{
    if (p.GetLength() > 511)
        return false;
    p.ReadByte(flag);
    return ReadRestText(p, 511, kTextUnits, text);
}

void WriteNotice(GamePacket& p, const char16_t* text)
{
    Begin(p, GameMessage::Notice);
    p.WriteChars(text, int(BoundedLength(text, kTextUnits)));
}

bool ReadNotice(GamePacket& p, std::u16string* text) { return ReadRestText(p, 510, kTextUnits, text); }

void WriteAmmoUpdate(GamePacket& p, uint32_t ammoType, int16_t amount)
{
    Begin(p, GameMessage::AmmoUpdate);
    p.Write32(ammoType);
    p.Write16(uint16_t(amount));
}

void ReadAmmoUpdate(GamePacket& p, uint32_t* ammoType, int16_t* amount)
{
    p.Read32(ammoType);
    uint16_t a = uint16_t(*amount);
    p.Read16(&a);
    *amount = int16_t(a);
}

void WriteWeaponUpdate(GamePacket& p, uint32_t weaponId, int16_t ammo, int16_t clip)
{
    Begin(p, GameMessage::WeaponUpdate);
    p.Write32(weaponId);
    p.Write16(uint16_t(ammo));
    p.Write16(uint16_t(clip));
}

void ReadWeaponUpdate(GamePacket& p, uint32_t* weaponId, int16_t* ammo, int16_t* clip)
{
    p.Read32(weaponId);
    uint16_t a = uint16_t(*ammo), c = uint16_t(*clip);
    p.Read16(&a);
    p.Read16(&c);
    *ammo = int16_t(a);
    *clip = int16_t(c);
}

void WritePlayerEntry(GamePacket& p, int32_t id, const char16_t* name)
{
    Begin(p, GameMessage::PlayerEntry);
    p.Write32(uint32_t(id));
    p.WriteChars(name, int(BoundedLength(name, kNameUnits)));
}

void ReadPlayerEntry(GamePacket& p, uint32_t* id, std::u16string* name)
{
    p.Read32(id);
    char16_t buffer[kNameUnits];
    int n = p.ReadRestChars(buffer, kNameUnits);
    *name = Printable(buffer, size_t(n));
}

void WritePlayerSlotUpdate(GamePacket& p, int32_t id, uint16_t value, uint16_t team)
{
    Begin(p, GameMessage::PlayerSlotUpdate);
    p.Write32(uint32_t(id));
    p.Write16(value);
    p.Write16(team);
}

void ReadPlayerSlotUpdate(GamePacket& p, SlotRecord* out)
{
    p.Read32(&out->id);
    p.Read16(&out->value);
    p.Read16(&out->team);
}

void WriteWallState(GamePacket& p, uint32_t start, uint32_t next, const uint8_t* data, int size)
{
    Begin(p, GameMessage::WallState);
    p.Write32(start);
    p.Write32(next);
    p.WriteBytes(data, size);
}

void ReadWallState(GamePacket& p, uint32_t* start, uint32_t* next, const uint8_t** data, int* size)
{
    p.Read32(start);
    p.Read32(next);
    *data = p.GetPayload() + p.GetReadPosition();
    *size = p.GetRemaining();
    p.Skip(*size);
}

void WriteThrowRequest(GamePacket& p, uint8_t power)
{
    Begin(p, GameMessage::ThrowRequest);
    p.WriteByte(power);
}

uint8_t ReadThrowRequest(GamePacket& p)
{
    uint8_t v = 0;
    p.ReadByte(&v);
    return v;
}

void WritePlayerStatus(GamePacket& p, const SlotRecord* records, int count)
{
    Begin(p, GameMessage::PlayerStatus);
    for (int i = 0; i < count && i < kMaxRecords; ++i) {
        p.Write32(records[i].id);
        p.WriteFloat(records[i].x);
        p.WriteFloat(records[i].y);
        p.Write16(records[i].value);
    }
}

int ReadPlayerStatus(GamePacket& p, SlotRecord* out)
{
    int n = 0;
    for (; n < kMaxRecords && p.GetRemaining() >= kStatusRecordBytes; ++n) {
        SlotRecord& r = out[n];
        r = SlotRecord();
        p.Read32(&r.id);
        p.ReadFloat(&r.x);
        p.ReadFloat(&r.y);
        p.Read16(&r.value);
        if (!std::isfinite(r.x) || !std::isfinite(r.y))
            r.x = r.y = -1000.0f;
    }
    return n;
}

void WritePlayerTable(GamePacket& p, const SlotRecord* records, int count)
{
    Begin(p, GameMessage::PlayerTable);
    for (int i = 0; i < count && i < kMaxRecords; ++i) {
        p.Write32(records[i].id);
        p.Write16(records[i].value);
        p.Write16(records[i].team);
    }
}

int ReadPlayerTable(GamePacket& p, SlotRecord* out)
{
    int n = 0;
    for (; n < kMaxRecords && p.GetRemaining() >= kTableRecordBytes; ++n) {
        out[n] = SlotRecord();
        p.Read32(&out[n].id);
        p.Read16(&out[n].value);
        p.Read16(&out[n].team);
    }
    return n;
}

void WriteFirstChunk(GamePacket& p, uint32_t total, const char16_t* name, const uint8_t* data, int size)
{
    Begin(p, GameMessage::FileChunk);
    p.Write32(total);
    size_t n = BoundedLength(name, 255);
    for (size_t i = 0; i < n; ++i)
        p.WriteByte(uint8_t(name[i]));
    p.WriteByte(0);
    int room = kChunkBytes - p.GetLength();
    p.WriteBytes(data, size < room ? (size < 0 ? 0 : size) : room);
}

bool ReadFirstChunk(GamePacket& p, FirstChunk* out)
{
    if (!p.Read32(&out->total))
        return false;
    const uint8_t* rest = p.GetPayload() + p.GetReadPosition();
    const void* end = std::memchr(rest, 0, size_t(p.GetRemaining()));
    if (!end)
        return false;
    int nameBytes = int(static_cast<const uint8_t*>(end) - rest);
    out->name = Util::Widen(reinterpret_cast<const char*>(rest), size_t(nameBytes));
    p.Skip(nameBytes + 1);
    ReadChunk(p, &out->data, &out->size);
    return true;
}

void ReadChunk(GamePacket& p, const uint8_t** data, int* size)
{
    *data = p.GetPayload() + p.GetReadPosition();
    *size = p.GetRemaining();
    p.Skip(*size);
}

void WriteChunk(GamePacket& p, const uint8_t* data, int size)
{
    Begin(p, GameMessage::FileChunk);
    p.WriteBytes(data, size < kChunkBytes ? size : kChunkBytes);
}

void WriteExplosion(GamePacket& p, float x, float y, uint8_t size)
{
    Begin(p, GameMessage::Explosion);
    p.WriteFloat(x);
    p.WriteFloat(y);
    p.WriteByte(size);
}

bool ReadExplosion(GamePacket& p, float* x, float* y, uint8_t* size)
{
    bool finite = ReadFloats(p, x, 1) & ReadFloats(p, y, 1);
    p.ReadByte(size);
    return finite;
}

} // namespace GameMessages
