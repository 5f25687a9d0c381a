#pragma once

#include <cstdint>

namespace MPAPI {

// The wire forms of the transport. A datagram is at most kMaxSize bytes and
// its first byte tells the kind: kHandshake, kData, or a single reply byte.
class MpapiDatagram {
public:
    static constexpr int kMaxSize = 1400;
    static constexpr int kMaxChunk = 1300;
    static constexpr int kMaxAcks = 16;
    static constexpr int kMaxPassword = 65;

    static constexpr uint8_t kHandshake = 0xB2;
    static constexpr uint8_t kData = 0x40;
    static constexpr uint8_t kProtocolVersion = 0x0A;

    // Second byte of a handshake datagram.
    static constexpr uint8_t kConnect = 0x60;
    static constexpr uint8_t kConnectWithPassword = 0x61;
    static constexpr uint8_t kConfirm = 0x39;
    static constexpr uint8_t kIgnored = 0x17;

    // The server's one-byte replies.
    static constexpr uint8_t kReplyFull = 0;
    static constexpr uint8_t kReplyAccepted = 1;
    static constexpr uint8_t kReplyWrongVersion = 2;
    static constexpr uint8_t kReplyWrongPassword = 3;
    static constexpr uint8_t kReplyBanned = 4;

    // Code byte of a data datagram: 0..kMaxAcks acknowledgements, then the
    // control forms; kFirstIgnoredCode and above are ignored.
    static constexpr uint8_t kPing = 0x11;
    static constexpr uint8_t kPong = 0x12;
    static constexpr uint8_t kDisconnect = 0x13;
    static constexpr uint8_t kStartStream = 0x14;
    static constexpr uint8_t kStartAcknowledged = 0x15;
    static constexpr uint8_t kStopStream = 0x16;
    static constexpr uint8_t kStopAcknowledged = 0x17;
    static constexpr uint8_t kFirstIgnoredCode = 24;

    static constexpr int kPingSize = 3;
    static constexpr int kPongSize = 7;

    // The byte-aligned head of a data datagram body (the bytes after 0x40).
    struct DataHeader {
        int ackCount;
        uint16_t acks[kMaxAcks];
        uint16_t packetSequence; // 0 acknowledgements only, 1 not to be acknowledged
        uint16_t chunkSequence;  // 0 no chunk
        int chunkLength;
        const uint8_t* chunk; // into the parsed body
        int payloadOffset;    // first payload byte in the body
    };

    // Parses the packet form of a data body. False, with nothing to act on,
    // for a control or ignored code, a truncated field, a chunk sequence off
    // the ring or a chunk length outside 1..kMaxChunk or past the body.
    static bool ParseDataBody(const uint8_t* body, int length, DataHeader* out);

    // Writers; each returns the datagram's length. Buffers are kMaxSize.
    // The password is optional: its low bytes, at most kMaxPassword.
    static int WriteConnectRequest(uint8_t* out, const char16_t* password);
    static int WriteConfirm(uint8_t* out);
    static int WriteReply(uint8_t* out, uint8_t reply);
    static int WritePing(uint8_t* out, uint8_t sequence);
    static int WritePong(uint8_t* out, uint8_t sequence, float loss);
    static int WriteControl(uint8_t* out, uint8_t code);
    static int WriteAcksOnly(uint8_t* out, const uint16_t* acks, int count);

    // A connect request as received; the password points into the datagram.
    struct ConnectRequest {
        bool withPassword;
        uint8_t version;
        const uint8_t* password;
        int passwordLength;
    };
    // B2 60 of exactly 3 bytes, or B2 61 of 3 bytes or more.
    static bool ParseConnectRequest(const uint8_t* data, int length, ConnectRequest* out);
    static bool IsConfirm(const uint8_t* data, int length);
};

} // namespace MPAPI
