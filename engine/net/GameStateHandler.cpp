#include "engine/net/GameStateHandler.h"

#include "engine/core/ByteReader.h"
#include "engine/core/StringKit.h"
#include "engine/net/Sequence.h"
#include "platform/os/Os.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <string>

namespace MPAPI {

using D = MpapiDatagram;

GameStateHandler::GameStateHandler() { ClearAll(); }

GameStateHandler::~GameStateHandler() = default;

double GameStateHandler::CounterSeconds()
{
    return double(Os::CounterNow()) / double(Os::CounterFrequency());
}

void GameStateHandler::ClearSlot(Slot& slot)
{
    slot.inFlight = false;
    slot.time = 0;
    slot.sequence = 0;
    slot.chunkSequence = 0;
    slot.chunkLength = 0;
}

void GameStateHandler::ClearAll()
{
    if (state_ != kTimedOut)
        state_ = kClosed;
    // A reset connection has neither a handshake nor a reset still to come,
    // so a manager can connect it again at once.
    handshakeDone_ = false;
    resetPending_ = false;
    ownStream_ = false;
    peerStream_ = false;
    for (Slot& s : slots_) {
        ClearSlot(s);
        s.ackCount = 0;
        s.packet.Clear();
    }
    nextPacketSequence_ = kFirstSequence;
    nextChunkSequence_ = kFirstSequence;
    sendStream_.Clear();
    receiveStream_.Reset();
    sendTimer_ = 0;
    pingTimer_ = 0;
    pingSequence_ = 0;
    pingSendTime_ = 0;
    lastPing_ = 0;
    lossTimer_ = 0;
    loss_ = 0;
    peerLoss_ = 0;
    resends_ = 0;
    silence_ = 0;
    rateTimer_ = 0;
    bytesOut_ = bytesIn_ = 0;
    rateOut_ = rateIn_ = 0;
    packetsSent_ = packetsReceived_ = 0;
    peerAnswered_ = false;
    clientState_.Clear();
    lastFlags_ = 0;
    playerObject_ = nullptr;
}

void GameStateHandler::Reset()
{
    ScopedLock lock(this);
    ClearAll();
}

int GameStateHandler::GetState()
{
    ScopedLock lock(this);
    int state = state_;
    if (state == kClosed || state == kTimedOut)
        OnDisconnected();
    if (resetPending_) {
        resetPending_ = false;
        handshakeDone_ = false;
        Reset();
    }
    return state_;
}

void GameStateHandler::SetConnecting()
{
    ScopedLock lock(this);
    state_ = kConnecting;
}

void GameStateHandler::OnConnected()
{
    ScopedLock lock(this);
    state_ = kConnected;
    handshakeDone_ = true;
}

void GameStateHandler::Drop()
{
    ScopedLock lock(this);
    SendControl(D::kDisconnect);
    state_ = kClosed;
    resetPending_ = true;
}

bool GameStateHandler::SetStreaming(bool on)
{
    {
        ScopedLock lock(this);
        int state = state_;
        if (state == kConnecting || state == kClosed || state == kTimedOut || !handshakeDone_) {
            ownStream_ = on;
            return true;
        }
    }
    // Sleeps without the lock, so the receive thread can take the answer.
    for (int attempt = 0; attempt < kStreamingTries; ++attempt) {
        {
            ScopedLock lock(this);
            SendControl(on ? D::kStartStream : D::kStopStream);
        }
        for (int waited = 0; waited < kStreamingWaitMs; waited += 10) {
            if (peerStream_ == on) {
                ownStream_ = on;
                return true;
            }
            Os::SleepMs(10);
        }
    }
    if (peerStream_ == on) {
        ownStream_ = on;
        return true;
    }
    return false;
}

int GameStateHandler::GetPing()
{
    ScopedLock lock(this);
    return lastPing_;
}

void GameStateHandler::GetDebugText(char16_t* buffer, int size)
{
    if (!buffer || size <= 0)
        return;
    ScopedLock lock(this);
    std::u16string text;
    int sending = 0;
    for (int i = 0; i < kReliableSlots; ++i) {
        const Slot& s = slots_[i];
        if (!s.inFlight)
            continue;
        ++sending;
        text += Util::Format(u"Packet %d time out: %1.3f, responses: %d\n", i, double(s.time), s.ackCount);
    }
    text += Util::Format(u"Sending %d packets\n", sending);
    text += Util::Format(u"Connect time out: %1.3f\n", double(silence_));
    Util::StrCopy(buffer, size_t(size), text.c_str());
}

bool GameStateHandler::ToggleDebug()
{
    ScopedLock lock(this);
    debug_ = !debug_;
    return debug_;
}

int GameStateHandler::GetPacketsSent()
{
    ScopedLock lock(this);
    return packetsSent_;
}

int GameStateHandler::GetPacketsReceived()
{
    ScopedLock lock(this);
    return packetsReceived_;
}

float GameStateHandler::GetBytesOutPerSecond()
{
    ScopedLock lock(this);
    return rateOut_;
}

float GameStateHandler::GetBytesInPerSecond()
{
    ScopedLock lock(this);
    return rateIn_;
}

float GameStateHandler::GetPacketLoss()
{
    ScopedLock lock(this);
    return loss_ + peerLoss_;
}

void GameStateHandler::SetClientFlags(int flags)
{
    ScopedLock lock(this);
    clientState_.flags = flags;
    if (flags != lastFlags_) {
        lastFlags_ = flags;
        RequestSend();
    }
}

int GameStateHandler::GetClientFlags()
{
    ScopedLock lock(this);
    return clientState_.flags;
}

float GameStateHandler::GetClientX()
{
    ScopedLock lock(this);
    return clientState_.x;
}

float GameStateHandler::GetClientY()
{
    ScopedLock lock(this);
    return clientState_.y;
}

void GameStateHandler::SetClientValue(float value)
{
    ScopedLock lock(this);
    clientState_.value = value;
}

float GameStateHandler::GetClientValue()
{
    ScopedLock lock(this);
    return clientState_.value;
}

void GameStateHandler::SetClientIntA(int value)
{
    ScopedLock lock(this);
    clientState_.intA = value;
}

int GameStateHandler::GetClientIntA()
{
    ScopedLock lock(this);
    return clientState_.intA;
}

void GameStateHandler::SetClientIntB(int value)
{
    ScopedLock lock(this);
    clientState_.intB = value;
}

int GameStateHandler::GetClientIntB()
{
    ScopedLock lock(this);
    return clientState_.intB;
}

void GameStateHandler::SetClientPoint(float u, float v)
{
    ScopedLock lock(this);
    clientState_.u = u;
    clientState_.v = v;
}

void GameStateHandler::GetClientPoint(float* u, float* v)
{
    ScopedLock lock(this);
    if (u)
        *u = clientState_.u;
    if (v)
        *v = clientState_.v;
}

void GameStateHandler::SetClientPosition(float x, float y)
{
    ScopedLock lock(this);
    clientState_.x = x;
    clientState_.y = y;
}

void GameStateHandler::SetPlayerObject(Object* object)
{
    ScopedLock lock(this);
    playerObject_ = object;
}

Object* GameStateHandler::GetPlayerObject()
{
    ScopedLock lock(this);
    return playerObject_;
}

bool GameStateHandler::Send(const void* data, int length)
{
    ScopedLock lock(this);
    return sendStream_.Append(data, length);
}

int GameStateHandler::GetSendSpace()
{
    ScopedLock lock(this);
    return sendStream_.GetSpace();
}

int GameStateHandler::Receive(void* buffer, int length)
{
    ScopedLock lock(this);
    if (length <= 0 || !receiveStream_.CopyOut(buffer, 0, length))
        return 0;
    receiveStream_.Consume(length);
    return length;
}

int GameStateHandler::PeekAt(void* buffer, int offset, int length)
{
    ScopedLock lock(this);
    if (length <= 0 || !receiveStream_.CopyOut(buffer, offset, length))
        return 0;
    return length;
}

int GameStateHandler::Peek(void* buffer, int length) { return PeekAt(buffer, 0, length); }

bool GameStateHandler::Skip(int length)
{
    ScopedLock lock(this);
    return receiveStream_.Consume(length);
}

int GameStateHandler::GetReceivedSize()
{
    ScopedLock lock(this);
    return receiveStream_.GetUnread();
}

int GameStateHandler::GetSlotsInFlight()
{
    ScopedLock lock(this);
    int n = 0;
    for (const Slot& s : slots_)
        n += s.inFlight ? 1 : 0;
    return n;
}

int GameStateHandler::GetWaitingChunks()
{
    ScopedLock lock(this);
    return receiveStream_.GetWaitingChunks();
}

void GameStateHandler::StartSequencesAt(uint16_t packetSequence, uint16_t chunkSequence)
{
    ScopedLock lock(this);
    if (IsRingSequence(packetSequence))
        nextPacketSequence_ = packetSequence;
    if (IsRingSequence(chunkSequence)) {
        nextChunkSequence_ = chunkSequence;
        receiveStream_.SetExpected(chunkSequence);
    }
}

void GameStateHandler::Transmit(const uint8_t* data, int length)
{
    ++packetsSent_;
    bytesOut_ += length;
    SendDatagram(data, length);
}

void GameStateHandler::SendControl(uint8_t code)
{
    uint8_t d[2];
    Transmit(d, D::WriteControl(d, code));
}

void GameStateHandler::SendAcksOnly(Slot& slot)
{
    uint8_t d[4 + 2 * D::kMaxAcks];
    Transmit(d, D::WriteAcksOnly(d, slot.acks, slot.ackCount));
    slot.ackCount = 0;
}

void GameStateHandler::QueueAck(uint16_t sequence)
{
    for (Slot& s : slots_) {
        if (!s.inFlight && s.ackCount < D::kMaxAcks) {
            s.acks[s.ackCount++] = sequence;
            return;
        }
    }
    for (Slot& s : slots_) {
        if (s.inFlight && s.ackCount < D::kMaxAcks) {
            s.acks[s.ackCount++] = sequence;
            return;
        }
    }
    SendAcksOnly(slots_[0]);
    slots_[0].acks[slots_[0].ackCount++] = sequence;
}

bool GameStateHandler::WritePacket(Slot& slot, bool takeChunk, bool objectsNow, Object* object)
{
    PacketBuffer& p = slot.packet;
    p.Clear();
    p.WriteU8(D::kData);
    uint16_t sequence = nextPacketSequence_;
    if (!IsServerSide() && sendStream_.GetSize() == 0 && slot.chunkSequence == 0)
        sequence = 1;
    int acks = slot.ackCount;
    p.WriteU8(uint8_t(acks));
    for (int i = 0; i < acks; ++i)
        p.WriteU16(slot.acks[i]);
    slot.ackCount = 0;
    p.WriteU16(sequence);

    int budget;
    if (slot.chunkSequence == 0) {
        int queued = sendStream_.GetSize();
        budget = std::max(D::kMaxSize - queued, 700);
        int take = std::min({D::kMaxChunk, D::kMaxSize - p.GetBytePosition() - 10, queued});
        if (takeChunk && take > 0) {
            slot.chunkLength = sendStream_.TakeFront(slot.chunk, take);
            slot.chunkSequence = nextChunkSequence_;
            nextChunkSequence_ = NextSequence(nextChunkSequence_);
        }
    } else {
        budget = D::kMaxSize - slot.chunkLength;
    }
    if (slot.chunkSequence != 0) {
        p.WriteU16(slot.chunkSequence);
        p.WriteU16(uint16_t(slot.chunkLength));
        p.WriteBytes(slot.chunkLength, slot.chunk);
    } else {
        p.WriteU16(0);
    }

    bool wrote = false;
    if (budget > 10) {
        int room = budget - 10;
        p.SetLimit(int(std::min<int64_t>(D::kMaxSize, int64_t(p.GetBytePosition()) + room)));
        wrote = objectsNow ? WriteObjects(p, room, sequence, object) : WritePayload(p, room, sequence);
        p.SetLimit(D::kMaxSize);
    }
    if (!wrote && slot.chunkSequence == 0 && acks == 0)
        return false;
    nextPacketSequence_ = NextSequence(nextPacketSequence_);
    p.Finish();
    Transmit(p.GetData(), p.GetSize());
    slot.time = 0;
    slot.sequence = sequence;
    slot.inFlight = sequence != 1;
    if (!slot.inFlight) {
        slot.chunkSequence = 0;
        slot.chunkLength = 0;
    }
    return true;
}

bool GameStateHandler::SendObjectNow(Object* object)
{
    ScopedLock lock(this);
    for (Slot& s : slots_) {
        if (!s.inFlight)
            return WritePacket(s, false, true, object);
    }
    return false;
}

void GameStateHandler::Update(float seconds)
{
    ScopedLock lock(this);
    float dt = std::isfinite(seconds) && seconds > 0 ? seconds : 0.0f;

    silence_ += dt;
    if (silence_ > kTimeOut) {
        std::printf("Connection time out: %1.3f", double(silence_));
        std::fflush(stdout);
        state_ = kTimedOut;
        resetPending_ = true;
        return;
    }

    for (Slot& s : slots_) {
        if (!s.inFlight)
            continue;
        s.time += dt;
        if (s.time < kResendAfter)
            continue;
        s.time = 0;
        ForgetObjectId(s.sequence);
        // A packet with nothing left to carry gives its slot back instead
        // of sitting in flight for good.
        if (WritePacket(s, false, false, nullptr))
            ++resends_;
        else
            ClearSlot(s);
    }

    pingTimer_ += dt;
    if (pingTimer_ >= kPingInterval) {
        pingTimer_ = 0;
        pingSendTime_ = GetTime();
        ++pingSequence_;
        uint8_t d[D::kPingSize];
        Transmit(d, D::WritePing(d, pingSequence_));
    }

    lossTimer_ += dt;
    if (lossTimer_ >= 1.0f) {
        loss_ = 0.2f * float(resends_) + 0.8f * loss_;
        resends_ = 0;
        lossTimer_ = 0;
    }

    rateTimer_ += dt;
    if (rateTimer_ >= 2.0f) {
        float out = float(bytesOut_) / rateTimer_;
        float in = float(bytesIn_) / rateTimer_;
        rateOut_ = out > rateOut_ ? out : 0.8f * rateOut_ + 0.2f * out;
        rateIn_ = in > rateIn_ ? in : 0.8f * rateIn_ + 0.2f * in;
        bytesOut_ = bytesIn_ = 0;
        rateTimer_ = 0;
    }

    bool due = sendTimer_ >= kSendInterval || HasPendingObjects();
    if (due)
        sendTimer_ = 0;
    bool written = false;
    bool first = true;
    for (Slot& s : slots_) {
        if (s.inFlight)
            continue;
        if (first) {
            first = false;
            if (due) {
                WritePacket(s, true, false, nullptr);
                written = true;
            }
            continue;
        }
        if (s.ackCount > 0)
            SendAcksOnly(s);
    }
    if (!written)
        sendTimer_ = kSendInterval;
    if (debug_) {
        if (due || written)
            std::printf("do_update=%s, updated=%s\n", due ? "true" : "false", written ? "true" : "false");
        else
            std::printf("No update.\n");
    }
}

bool GameStateHandler::HandleControl(uint8_t code, const uint8_t* body, int length)
{
    switch (code) {
    case D::kPing: {
        if (length < D::kPingSize - 1)
            return false;
        uint8_t d[D::kPongSize];
        Transmit(d, D::WritePong(d, body[1], loss_));
        return true;
    }
    case D::kPong: {
        if (length != D::kPongSize - 1)
            return false;
        if (body[1] == pingSequence_) {
            double ms = (GetTime() - pingSendTime_) * 1000.0;
            lastPing_ = !(ms > 0) ? 0 : (ms >= double(INT_MAX) ? INT_MAX : int(ms));
            float peer = Util::GetF32(body + 2);
            peerLoss_ = std::isfinite(peer) ? peer : 0.0f;
            silence_ = 0;
            if (pingSequence_ != 0)
                peerAnswered_ = true;
        }
        return true;
    }
    case D::kDisconnect:
        Drop();
        return true;
    case D::kStartStream:
        ownStream_ = true;
        SendControl(D::kStartAcknowledged);
        return true;
    case D::kStartAcknowledged:
        peerStream_ = true;
        return true;
    case D::kStopStream:
        ownStream_ = false;
        SendControl(D::kStopAcknowledged);
        return true;
    case D::kStopAcknowledged:
        peerStream_ = false;
        return true;
    default:
        return false;
    }
}

bool GameStateHandler::OnDataDatagram(const uint8_t* body, int length)
{
    ScopedLock lock(this);
    if (!body || length < 1 || length >= D::kMaxSize || resetPending_)
        return false;
    ++packetsReceived_;
    bytesIn_ += length + 1;
    uint8_t code = body[0];
    if (code >= D::kFirstIgnoredCode)
        return false;
    if (code > D::kMaxAcks)
        return HandleControl(code, body, length);

    D::DataHeader h;
    if (!D::ParseDataBody(body, length, &h))
        return false;
    // Only a packet still in flight is worth an acknowledgement: one never
    // sent, or already acknowledged or resent, costs nothing further.
    for (int i = 0; i < h.ackCount; ++i) {
        for (Slot& s : slots_) {
            if (s.inFlight && s.sequence == h.acks[i]) {
                ClearSlot(s);
                peerAnswered_ = true;
                OnPacketAcked(h.acks[i]);
                break;
            }
        }
    }
    if (h.packetSequence == 0)
        return true;
    bool acknowledge = true;
    if (h.chunkSequence != 0)
        acknowledge = receiveStream_.OfferChunk(h.chunkSequence, h.chunk, h.chunkLength) !=
                      ReceiveStream::Offer::Refused;
    if (acknowledge && h.packetSequence != 1)
        QueueAck(h.packetSequence);
    if (h.payloadOffset < length) {
        reader_.SetupReader(body, length);
        reader_.SkipBytes(h.payloadOffset);
        ReadPayload(reader_, h.packetSequence);
    }
    return true;
}

} // namespace MPAPI
