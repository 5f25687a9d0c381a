// The transport of a connection: packets written into the reliable slots,
// resends, pings and statistics, and the datagrams read from the peer.
#include "engine/net/GameStateHandler.h"

#include "engine/core/ByteReader.h"
#include "engine/core/ConsoleLog.h"
#include "engine/net/Sequence.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace MPAPI {

using D = MpapiDatagram;

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
    UpdateUnlocked(seconds);
}

void GameStateHandler::UpdateUnlocked(float seconds)
{
    float dt = std::isfinite(seconds) && seconds > 0 ? seconds : 0.0f;

    silence_ += dt;
    if (silence_ > kTimeOut) {
        Util::ConsolePrint("Connection time out: %1.3f\n", double(silence_));
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
    // Until the peer answers one, pings go more often: only an answer to
    // one proves the peer reads what we send.
    if (pingTimer_ >= (peerAnswered_ ? kPingInterval : kFirstPingsInterval)) {
        pingTimer_ = 0;
        pingSendTime_ = GetTime();
        ++pingSequence_;
        pingsSent_ = std::min(pingsSent_ + 1, 256);
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
            Util::ConsolePrint("do_update=%s, updated=%s\n", due ? "true" : "false", written ? "true" : "false");
        else
            Util::ConsolePrint("No update.\n");
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
        int age = uint8_t(pingSequence_ - body[1]);
        if (age >= pingsSent_ && pingsSent_ < 256) {
            // An answer to a ping never sent: a guesser, whose later right
            // guess proves nothing.
            pongGuessed_ = true;
            return true;
        }
        if (age < kAnsweredPings && !pongGuessed_)
            peerAnswered_ = true;
        if (age == 0) {
            double ms = (GetTime() - pingSendTime_) * 1000.0;
            lastPing_ = !(ms > 0) ? 0 : (ms >= double(INT_MAX) ? INT_MAX : int(ms));
            float peer = Util::GetF32(body + 2);
            peerLoss_ = std::isfinite(peer) ? peer : 0.0f;
            silence_ = 0;
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
                if (s.chunkSequence != 0)
                    deliveredBytes_ += s.chunkLength;
                ClearSlot(s);
                OnPacketAcked(h.acks[i]);
                break;
            }
        }
    }
    if (h.packetSequence == 0)
        return true;
    bool acknowledge = true;
    if (h.chunkSequence != 0)
        acknowledge =
            receiveStream_.OfferChunk(h.chunkSequence, h.chunk, h.chunkLength) != ReceiveStream::Offer::Refused;
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
