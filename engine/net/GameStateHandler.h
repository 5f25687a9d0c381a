#pragma once

#include "engine/net/ClientStateBlock.h"
#include "engine/net/IConnection.h"
#include "engine/net/MpapiDatagram.h"
#include "engine/net/PacketBuffer.h"
#include "engine/net/ReceiveStream.h"
#include "engine/net/SendStream.h"

#include <atomic>
#include <cstdint>

namespace MPAPI {

// One end of a connection: the reliable stream in both directions carried
// in four reliable packet slots, keep-alive pings with a time-out, link
// statistics and the client-state block. The client and server handlers
// derive from it and add the replicated objects.
//
// Every operation takes Lock (the manager's recursive mutex), so the receive
// thread (OnDataDatagram) and the game thread (Update and the stream calls)
// never meet inside a connection. SetStreaming sleeps without the lock.
class GameStateHandler : public IConnection {
public:
    static constexpr int kReliableSlots = 4;
    static constexpr float kSendInterval = 0.05f;
    static constexpr float kResendAfter = 1.0f;
    static constexpr float kPingInterval = 2.0f;
    static constexpr float kFirstPingsInterval = 0.5f;
    // An answer to any of this many latest pings shows a reading peer.
    static constexpr int kAnsweredPings = 8;
    static constexpr float kTimeOut = 200.0f;
    static constexpr int kStreamingTries = 10;
    static constexpr int kStreamingWaitMs = 500;

    GameStateHandler();
    ~GameStateHandler() override;

    int GetState() override;
    bool SetStreaming(bool on) override;
    void ReservedSlot1(int) override {}
    int GetPing() override;
    bool IsValid() override { return true; }
    void GetDebugText(char16_t* buffer, int size) override;
    bool ToggleDebug() override;
    int GetPacketsSent() override;
    int GetPacketsReceived() override;
    float GetBytesOutPerSecond() override;
    float GetBytesInPerSecond() override;
    float GetPacketLoss() override;
    int ReservedSlot2() override { return 0; }
    void SetClientFlags(int flags) override;
    int GetClientFlags() override;
    float GetClientX() override;
    float GetClientY() override;
    void SetClientValue(float value) override;
    float GetClientValue() override;
    void SetClientIntA(int value) override;
    int GetClientIntA() override;
    void SetClientIntB(int value) override;
    int GetClientIntB() override;
    void SetClientPoint(float u, float v) override;
    void GetClientPoint(float* u, float* v) override;
    void SetPlayerObject(Object* object) override;
    Object* GetPlayerObject() override;
    bool Send(const void* data, int length) override;
    int GetSendSpace() override;
    int Receive(void* buffer, int length) override;
    int PeekAt(void* buffer, int offset, int length) override;
    int Peek(void* buffer, int length) override;
    bool Skip(int length) override;
    int GetReceivedSize() override;

    // Seconds of a monotonic clock; only differences count.
    virtual double GetTime() = 0;
    virtual void Lock() = 0;
    virtual void Unlock() = 0;
    virtual void Reset();
    virtual void SetClientPosition(float x, float y);
    virtual void OnConnected();
    virtual void OnDisconnected() {}
    // Delivers one datagram to the peer. The connection itself counts what
    // it sends, so an override only delivers.
    virtual bool SendDatagram(const uint8_t* data, int length) = 0;
    virtual int GetBandwidthShare() = 0;
    // Called by the manager once a frame, with the seconds since the last.
    virtual void Update(float seconds);
    virtual void ReservedSlot3(int, int) {}
    virtual void ReservedSlot4(int) {}
    virtual bool IsServerSide() { return true; }
    virtual void Drop();
    virtual bool HasPendingObjects() { return false; }
    virtual void ForgetObjectId(uint16_t) {}
    virtual void OnPacketAcked(uint16_t) {}
    // Payload writers write with the packet's limit narrowed to their room
    // and tell whether they wrote anything.
    virtual bool WriteObjects(PacketBuffer&, int, uint16_t, Object*) { return false; }
    virtual bool WritePayload(PacketBuffer&, int, uint16_t) { return false; }
    virtual void ReadPayload(PacketBuffer&, uint16_t) {}

    // Entry point of the receive thread for a data datagram: the bytes after
    // its 0x40. False when the datagram was dropped as malformed (or while a
    // reset is pending); the connection goes on either way.
    bool OnDataDatagram(const uint8_t* body, int length);
    // Writes and sends one packet at once in the first free slot, carrying
    // no new stream chunk and the objects WriteObjects gives for object;
    // false when every slot is in flight or nothing was sent.
    bool SendObjectNow(Object* object);

    // For the managers' handshakes.
    void SetConnecting();
    bool IsHandshakeDone() const { return handshakeDone_.load(); }
    bool IsResetPending() const { return resetPending_.load(); }
    int PeekState() const { return state_.load(); }
    bool IsStreaming() const { return ownStream_.load(); }
    bool IsPeerStreaming() const { return peerStream_.load(); }
    // The peer answered one of our latest pings, whose numbers start at
    // random: it reads what we send, so it is more than a spoofed source
    // address. Packet numbers start at 2, so an acknowledgement proves
    // nothing.
    bool HasPeerAnswered() const { return peerAnswered_.load(); }
    // Pings sent since the last reset (counted up to 256).
    int GetPingsSent();
    // Bytes of the outgoing stream the peer acknowledged since the last reset.
    int64_t GetDeliveredBytes();
    // The same for a caller that holds the manager lock already (a pass of
    // the manager over every connection), which need not take it again.
    int PingsSentUnlocked() const { return pingsSent_; }
    int64_t DeliveredBytesUnlocked() const { return deliveredBytes_; }
    Object* PlayerObjectUnlocked() const { return playerObject_; }

    int GetSlotsInFlight();
    int GetWaitingChunks();
    // Lets tests start the packet and chunk sequences (the expected chunk
    // too) anywhere on the ring, to cross the wrap without 65,000 chunks.
    void StartSequencesAt(uint16_t packetSequence, uint16_t chunkSequence);

protected:
    class ScopedLock {
    public:
        explicit ScopedLock(GameStateHandler* h) : h_(h) { h_->Lock(); }
        ~ScopedLock() { h_->Unlock(); }
        ScopedLock(const ScopedLock&) = delete;
        ScopedLock& operator=(const ScopedLock&) = delete;

    private:
        GameStateHandler* h_;
    };

    static double CounterSeconds();
    static uint8_t RandomByte();
    void SendControl(uint8_t code);
    void SetStateValue(int state) { state_ = state; }
    void SetResetPending() { resetPending_ = true; }
    void SetOwnStream(bool on) { ownStream_ = on; }
    // The next Update writes a packet.
    void RequestSend() { sendTimer_ = kSendInterval; }
    // Update's work, for a caller that holds the lock.
    void UpdateUnlocked(float seconds);

    ClientStateBlock clientState_;
    int lastFlags_ = 0;

private:
    struct Slot {
        PacketBuffer packet;
        bool inFlight;
        float time;
        uint16_t sequence;
        uint16_t chunkSequence; // 0 = no chunk
        int chunkLength;
        uint8_t chunk[MpapiDatagram::kMaxChunk];
        int ackCount;
        uint16_t acks[MpapiDatagram::kMaxAcks];
    };

    void ClearAll();
    void ClearSlot(Slot& slot);
    void Transmit(const uint8_t* data, int length);
    bool WritePacket(Slot& slot, bool takeChunk, bool objectsNow, Object* object);
    void SendAcksOnly(Slot& slot);
    void QueueAck(uint16_t sequence);
    bool HandleControl(uint8_t code, const uint8_t* body, int length);

    std::atomic<int> state_{kClosed};
    std::atomic<bool> handshakeDone_{false};
    std::atomic<bool> resetPending_{false};
    std::atomic<bool> ownStream_{false};
    std::atomic<bool> peerStream_{false};
    std::atomic<bool> peerAnswered_{false};
    bool debug_ = false;

    Slot slots_[kReliableSlots];
    uint16_t nextPacketSequence_ = 2;
    uint16_t nextChunkSequence_ = 2;
    SendStream sendStream_;
    ReceiveStream receiveStream_;
    PacketBuffer reader_;

    float sendTimer_ = 0;
    float pingTimer_ = 0;
    uint8_t pingSequence_ = 0;
    int pingsSent_ = 0;
    bool pongGuessed_ = false;
    double pingSendTime_ = 0;
    int lastPing_ = 0;
    float lossTimer_ = 0;
    float loss_ = 0;
    float peerLoss_ = 0;
    int resends_ = 0;
    float silence_ = 0;
    float rateTimer_ = 0;
    int bytesOut_ = 0;
    int bytesIn_ = 0;
    float rateOut_ = 0;
    float rateIn_ = 0;
    int packetsSent_ = 0;
    int packetsReceived_ = 0;
    int64_t deliveredBytes_ = 0;
    Object* playerObject_ = nullptr;
};

} // namespace MPAPI
