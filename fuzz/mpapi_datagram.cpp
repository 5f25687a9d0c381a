// Arbitrary datagrams fed straight into a connection's datagram entry point,
// in every connection state, with a frame update between them.
#include "engine/net/ClientStateBlock.h"
#include "engine/net/GameStateHandler.h"
#include "engine/net/MpapiDatagram.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>

namespace {

class FuzzConnection : public MPAPI::GameStateHandler {
public:
    explicit FuzzConnection(bool serverSide) : serverSide_(serverSide) {}

    double GetTime() override { return clock; }
    void Lock() override { mutex_.lock(); }
    void Unlock() override { mutex_.unlock(); }
    bool SendDatagram(const uint8_t* data, int length) override
    {
        if (!data || length < 1 || length > MPAPI::MpapiDatagram::kMaxSize)
            __builtin_trap();
        return true;
    }
    int GetBandwidthShare() override { return 0; }
    void Disconnect() override { Drop(); }
    uint32_t GetRemoteAddress() override { return 0; }
    int GetRemotePort() override { return 0; }
    bool IsServerSide() override { return serverSide_; }

    bool WritePayload(MPAPI::PacketBuffer& packet, int, uint16_t) override
    {
        return !serverSide_ && IsStreaming() && clientState_.Write(packet, 1);
    }
    void ReadPayload(MPAPI::PacketBuffer& packet, uint16_t) override
    {
        uint32_t sequence;
        MPAPI::ClientStateBlock block;
        if (serverSide_ && MPAPI::ClientStateBlock::Read(packet, &sequence, &block))
            clientState_ = block;
    }

    using GameStateHandler::SetStateValue;
    double clock = 0;

private:
    bool serverSide_;
    std::recursive_mutex mutex_;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    // First byte: side, state and stream set-up; then records of a length
    // byte pair and that many bytes (the rest when it runs short).
    uint8_t mode = data[0];
    auto c = std::make_unique<FuzzConnection>((mode & 1) != 0);
    int state = (mode >> 1) & 3;
    if (state != 2)
        c->OnConnected();
    if (state == 1)
        c->SetStateValue(MPAPI::IConnection::kConnecting);
    if (state == 3)
        c->SetStateValue(MPAPI::IConnection::kTimedOut);
    if (mode & 0x08) {
        const uint8_t on[1] = {MPAPI::MpapiDatagram::kStartStream};
        c->OnDataDatagram(on, 1);
    }
    if (mode & 0x10) {
        static uint8_t queued[6000];
        c->Send(queued, sizeof queued);
    }
    if (mode & 0x20)
        c->StartSequencesAt(0xFFF8, 0xFFFC);

    size_t pos = 1;
    for (int records = 0; records < 64 && pos < size; ++records) {
        size_t length = data[pos];
        if (pos + 1 < size)
            length |= size_t(data[pos + 1]) << 8;
        pos += 2;
        if (pos > size)
            break;
        if (length > size - pos)
            length = size - pos;
        const uint8_t* d = data + pos;
        pos += length;

        MPAPI::MpapiDatagram::ConnectRequest request;
        MPAPI::MpapiDatagram::ParseConnectRequest(d, int(length), &request);
        MPAPI::MpapiDatagram::IsConfirm(d, int(length));
        if (length >= 2 && d[0] == MPAPI::MpapiDatagram::kData)
            c->OnDataDatagram(d + 1, int(length) - 1);
        else
            c->OnDataDatagram(d, int(length));

        c->clock += 0.3;
        c->Update(0.3f);
        uint8_t out[2048];
        int waiting = c->GetReceivedSize();
        if (waiting < 0 || waiting > 13000 || c->GetSendSpace() < 0 || c->GetSendSpace() > 13000)
            __builtin_trap();
        c->Peek(out, 4);
        c->PeekAt(out, 2, 2);
        c->Receive(out, waiting > int(sizeof out) ? int(sizeof out) : waiting);
        if (records % 8 == 7)
            c->GetState();
    }
    return 0;
}
