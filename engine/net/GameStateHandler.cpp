#include "engine/net/GameStateHandler.h"

#include "engine/core/StringKit.h"
#include "engine/net/Sequence.h"
#include "platform/os/Os.h"

#include <mutex>
#include <random>
#include <string>

namespace MPAPI {

using D = MpapiDatagram;

GameStateHandler::GameStateHandler() { ClearAll(); }

GameStateHandler::~GameStateHandler() = default;

uint8_t GameStateHandler::RandomByte()
{
    static std::mutex mutex;
    static std::mt19937 generator{std::random_device{}()};
    std::lock_guard<std::mutex> lock(mutex);
    return uint8_t(generator() >> 24);
}

double GameStateHandler::CounterSeconds() { return double(Os::CounterNow()) / double(Os::CounterFrequency()); }

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
    // A peer that never reads our pings cannot guess the first number.
    pingSequence_ = RandomByte();
    pingsSent_ = 0;
    pongGuessed_ = false;
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
    deliveredBytes_ = 0;
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

int GameStateHandler::GetPingsSent()
{
    ScopedLock lock(this);
    return pingsSent_;
}

int64_t GameStateHandler::GetDeliveredBytes()
{
    ScopedLock lock(this);
    return deliveredBytes_;
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

} // namespace MPAPI
