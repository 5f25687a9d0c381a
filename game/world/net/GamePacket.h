#pragma once

#include <cstdint>

namespace MPAPI {
class IConnection;
}

// One game message being built or just received. The header and the payload
// lie back to back so that a message goes out as one block. A writer skips
// an item that does not fit whole; a reader leaves its destination as it was
// when fewer bytes remain, so short messages read as their defaults.
class GamePacket {
public:
    static constexpr int kHeaderSize = 4;
    static constexpr int kMaxPayload = 1020;

    virtual ~GamePacket() {}

    // Type set, length and read position 0.
    void Begin(uint16_t type);
    void Reset() { Begin(0); }

    bool WriteByte(uint8_t v);
    bool WriteBytes(const void* data, int count);
    bool Write16(uint16_t v);
    bool Write32(uint32_t v);
    bool WriteFloat(float v);
    bool WriteChars(const char16_t* text, int count); // count in code units

    bool ReadByte(uint8_t* v);
    bool ReadBytes(void* out, int count);
    bool Read16(uint16_t* v);
    bool Read32(uint32_t* v);
    bool ReadFloat(float* v); // the bits as sent: callers check finiteness
    bool ReadChars(char16_t* out, int count);
    bool Skip(int count);
    // The rest of the payload as text, at most maxUnits code units.
    int ReadRestChars(char16_t* out, int maxUnits);

    // Hands header and payload to the connection's reliable stream; false
    // when the stream had no room (the message is then lost).
    bool Send(MPAPI::IConnection* connection);
    // For messages a peer waits on: a lost one disconnects the peer, which
    // then notices, instead of waiting forever.
    bool SendOrDisconnect(MPAPI::IConnection* connection);

    uint16_t GetType() const { return type_; }
    int GetLength() const { return length_; }
    int GetReadPosition() const { return readPosition_; }
    int GetRemaining() const { return length_ - readPosition_; }
    const uint8_t* GetPayload() const { return block_ + kHeaderSize; }
    // The wire form: header followed by the payload, GetLength() + 4 bytes,
    // valid after Send or SealHeader.
    const uint8_t* GetBlock() const { return block_; }
    void SealHeader();

    // Receiving side: the payload buffer to fill, then the packet's state.
    uint8_t* PayloadBuffer() { return block_ + kHeaderSize; }
    void SetReceived(uint16_t type, int length);

private:
    bool Fits(int size) const { return size >= 0 && length_ + size <= kMaxPayload; }
    bool Has(int size) const { return size >= 0 && length_ - readPosition_ >= size; }

    int32_t length_ = 0;
    int32_t readPosition_ = 0;
    uint8_t block_[kHeaderSize + kMaxPayload] = {};
    uint16_t type_ = 0;
};
