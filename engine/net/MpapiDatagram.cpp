#include "engine/net/MpapiDatagram.h"

#include "engine/core/ByteReader.h"
#include "engine/net/Sequence.h"

#include <cstring>

namespace MPAPI {

bool MpapiDatagram::ParseDataBody(const uint8_t* body, int length, DataHeader* out)
{
    if (!body || length <= 0 || length >= kMaxSize || !out)
        return false;
    Util::ByteReader r(body, size_t(length));
    DataHeader h;
    h.ackCount = r.U8();
    if (!r.Ok() || h.ackCount > kMaxAcks)
        return false;
    if (!r.Count(uint32_t(h.ackCount), 2))
        return false;
    for (int i = 0; i < h.ackCount; ++i)
        h.acks[i] = r.U16();
    h.packetSequence = r.U16();
    h.chunkSequence = 0;
    h.chunkLength = 0;
    h.chunk = nullptr;
    // 0xFFFF is off the ring: no peer of ours sends it.
    if (!r.Ok() || h.packetSequence == 0xFFFF)
        return false;
    if (h.packetSequence != 0) {
        h.chunkSequence = r.U16();
        if (!r.Ok())
            return false;
        if (h.chunkSequence != 0) {
            if (!IsRingSequence(h.chunkSequence))
                return false;
            h.chunkLength = r.U16();
            if (!r.Ok() || h.chunkLength < 1 || h.chunkLength > kMaxChunk || !r.Has(size_t(h.chunkLength)))
                return false;
            h.chunk = r.Here();
            r.Skip(size_t(h.chunkLength));
        }
    }
    h.payloadOffset = int(r.Position());
    *out = h;
    return true;
}

int MpapiDatagram::WriteConnectRequest(uint8_t* out, const char16_t* password)
{
    out[0] = kHandshake;
    out[2] = kProtocolVersion;
    if (!password || !*password) {
        out[1] = kConnect;
        return 3;
    }
    out[1] = kConnectWithPassword;
    int n = 0;
    while (password[n] && n < kMaxPassword) {
        out[3 + n] = uint8_t(password[n] & 0xFF);
        ++n;
    }
    return 3 + n;
}

int MpapiDatagram::WriteConfirm(uint8_t* out)
{
    out[0] = kHandshake;
    out[1] = kConfirm;
    return 2;
}

int MpapiDatagram::WriteReply(uint8_t* out, uint8_t reply)
{
    out[0] = reply;
    return 1;
}

int MpapiDatagram::WritePing(uint8_t* out, uint8_t sequence)
{
    out[0] = kData;
    out[1] = kPing;
    out[2] = sequence;
    return kPingSize;
}

int MpapiDatagram::WritePong(uint8_t* out, uint8_t sequence, float loss)
{
    out[0] = kData;
    out[1] = kPong;
    out[2] = sequence;
    Util::PutF32(out + 3, loss);
    return kPongSize;
}

int MpapiDatagram::WriteControl(uint8_t* out, uint8_t code)
{
    out[0] = kData;
    out[1] = code;
    return 2;
}

int MpapiDatagram::WriteAcksOnly(uint8_t* out, const uint16_t* acks, int count)
{
    if (count < 0)
        count = 0;
    if (count > kMaxAcks)
        count = kMaxAcks;
    out[0] = kData;
    out[1] = uint8_t(count);
    for (int i = 0; i < count; ++i)
        Util::PutU16(out + 2 + 2 * i, acks[i]);
    Util::PutU16(out + 2 + 2 * count, 0);
    return 4 + 2 * count;
}

bool MpapiDatagram::ParseConnectRequest(const uint8_t* data, int length, ConnectRequest* out)
{
    if (!data || length < 3 || data[0] != kHandshake || !out)
        return false;
    if (data[1] == kConnect) {
        if (length != 3)
            return false;
        *out = ConnectRequest{false, data[2], nullptr, 0};
        return true;
    }
    if (data[1] == kConnectWithPassword) {
        *out = ConnectRequest{true, data[2], data + 3, length - 3};
        return true;
    }
    return false;
}

bool MpapiDatagram::IsConfirm(const uint8_t* data, int length)
{
    return data && length == 2 && data[0] == kHandshake && data[1] == kConfirm;
}

} // namespace MPAPI
