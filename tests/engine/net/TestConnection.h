#pragma once

#include "engine/net/ClientStateBlock.h"
#include "engine/net/GameStateHandler.h"
#include "engine/net/PacketBuffer.h"

#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

namespace NetTest {

using Datagram = std::vector<uint8_t>;

// A connection end for the tests: what it sends goes to a hook (by default
// an outbox), its clock is set by hand, and it carries the client-state
// block as the two real handlers do (the client writes it while its object
// stream is on, the server reads it).
class TestConnection : public MPAPI::GameStateHandler {
public:
    explicit TestConnection(bool serverSide, std::recursive_mutex* managerMutex = nullptr)
        : serverSide_(serverSide), mutex_(managerMutex ? managerMutex : &ownMutex_)
    {
    }

    std::function<void(const uint8_t*, int)> sink;
    std::vector<Datagram> outbox;
    double clock = 0;
    bool realClock = false;
    int blocksRead = 0;
    uint32_t lastBlockSequence = 0;
    std::vector<uint16_t> acked;
    std::vector<uint16_t> forgotten;

    double GetTime() override { return realClock ? CounterSeconds() : clock; }
    void Lock() override { mutex_->lock(); }
    void Unlock() override { mutex_->unlock(); }
    bool SendDatagram(const uint8_t* data, int length) override
    {
        if (sink)
            sink(data, length);
        else
            outbox.emplace_back(data, data + length);
        return true;
    }
    int GetBandwidthShare() override { return 0; }
    void Disconnect() override { Drop(); }
    uint32_t GetRemoteAddress() override { return 0; }
    int GetRemotePort() override { return 0; }
    bool IsServerSide() override { return serverSide_; }

    void Reset() override
    {
        ScopedLock lock(this);
        blockSequence_ = 0;
        lastBlockSequence = 0;
        GameStateHandler::Reset();
    }

    bool WritePayload(MPAPI::PacketBuffer& packet, int, uint16_t) override
    {
        if (serverSide_ || !IsStreaming())
            return false;
        uint32_t next = MPAPI::ClientStateBlock::NextSequence(blockSequence_);
        if (!clientState_.Write(packet, next))
            return false;
        blockSequence_ = next;
        return true;
    }

    void ReadPayload(MPAPI::PacketBuffer& packet, uint16_t) override
    {
        if (!serverSide_)
            return;
        uint32_t sequence = 0;
        MPAPI::ClientStateBlock block;
        if (!MPAPI::ClientStateBlock::Read(packet, &sequence, &block))
            return;
        if (MPAPI::ClientStateBlock::IsStale(sequence, lastBlockSequence))
            return;
        lastBlockSequence = sequence;
        clientState_ = block;
        ++blocksRead;
        if (block.flags != lastFlags_) {
            lastFlags_ = block.flags;
            RequestSend();
        }
    }

    void OnPacketAcked(uint16_t sequence) override { acked.push_back(sequence); }
    void ForgetObjectId(uint16_t sequence) override { forgotten.push_back(sequence); }

    // A whole datagram as a manager hands it on: data datagrams only.
    bool Deliver(const uint8_t* data, int length)
    {
        if (length < 2 || data[0] != 0x40)
            return false;
        return OnDataDatagram(data + 1, length - 1);
    }
    bool Deliver(const Datagram& d) { return Deliver(d.data(), int(d.size())); }

    using GameStateHandler::RequestSend;
    using GameStateHandler::SetStateValue;

private:
    bool serverSide_;
    std::recursive_mutex ownMutex_;
    std::recursive_mutex* mutex_;
    uint32_t blockSequence_ = 0;
};

} // namespace NetTest
