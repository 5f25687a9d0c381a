#include "game/world/net/GamePacket.h"

#include "engine/net/IConnection.h"

#include <cstring>

void GamePacket::Begin(uint16_t type)
{
    type_ = type;
    length_ = 0;
    readPosition_ = 0;
}

bool GamePacket::WriteByte(uint8_t v) { return WriteBytes(&v, 1); }

bool GamePacket::WriteBytes(const void* data, int count)
{
    if (!Fits(count) || (count > 0 && !data))
        return false;
    if (count > 0)
        std::memcpy(PayloadBuffer() + length_, data, size_t(count));
    length_ += count;
    return true;
}

bool GamePacket::Write16(uint16_t v)
{
    uint8_t b[2] = {uint8_t(v), uint8_t(v >> 8)};
    return WriteBytes(b, 2);
}

bool GamePacket::Write32(uint32_t v)
{
    uint8_t b[4] = {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)};
    return WriteBytes(b, 4);
}

bool GamePacket::WriteFloat(float v)
{
    uint32_t bits;
    std::memcpy(&bits, &v, 4);
    return Write32(bits);
}

bool GamePacket::WriteChars(const char16_t* text, int count)
{
    if (count < 0 || !Fits(count * 2) || (count > 0 && !text))
        return false;
    for (int i = 0; i < count; ++i)
        Write16(uint16_t(text[i]));
    return true;
}

bool GamePacket::ReadByte(uint8_t* v) { return ReadBytes(v, 1); }

bool GamePacket::ReadBytes(void* out, int count)
{
    if (!Has(count) || !out)
        return false;
    std::memcpy(out, GetPayload() + readPosition_, size_t(count));
    readPosition_ += count;
    return true;
}

bool GamePacket::Skip(int count)
{
    if (!Has(count))
        return false;
    readPosition_ += count;
    return true;
}

bool GamePacket::Read16(uint16_t* v)
{
    uint8_t b[2];
    if (!v || !ReadBytes(b, 2))
        return false;
    *v = uint16_t(b[0] | (b[1] << 8));
    return true;
}

bool GamePacket::Read32(uint32_t* v)
{
    uint8_t b[4];
    if (!v || !ReadBytes(b, 4))
        return false;
    *v = uint32_t(b[0]) | (uint32_t(b[1]) << 8) | (uint32_t(b[2]) << 16) | (uint32_t(b[3]) << 24);
    return true;
}

bool GamePacket::ReadFloat(float* v)
{
    uint32_t bits;
    if (!v || !Read32(&bits))
        return false;
    std::memcpy(v, &bits, 4);
    return true;
}

bool GamePacket::ReadChars(char16_t* out, int count)
{
    if (count < 0 || !Has(count * 2) || !out)
        return false;
    for (int i = 0; i < count; ++i) {
        uint16_t u = 0;
        Read16(&u);
        out[i] = char16_t(u);
    }
    return true;
}

int GamePacket::ReadRestChars(char16_t* out, int maxUnits)
{
    int n = GetRemaining() / 2;
    if (n > maxUnits)
        n = maxUnits;
    if (n < 0 || !ReadChars(out, n))
        return 0;
    return n;
}

void GamePacket::SealHeader()
{
    block_[0] = uint8_t(type_);
    block_[1] = uint8_t(type_ >> 8);
    block_[2] = uint8_t(length_);
    block_[3] = uint8_t(length_ >> 8);
}

bool GamePacket::Send(MPAPI::IConnection* connection)
{
    SealHeader();
    return connection && connection->Send(block_, length_ + kHeaderSize);
}

bool GamePacket::SendOrDisconnect(MPAPI::IConnection* connection)
{
    if (!connection)
        return false;
    if (Send(connection))
        return true;
    connection->Disconnect();
    return false;
}

void GamePacket::SetReceived(uint16_t type, int length)
{
    type_ = type;
    length_ = length < 0 ? 0 : (length > kMaxPayload ? kMaxPayload : length);
    readPosition_ = 0;
}
