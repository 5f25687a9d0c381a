#include "engine/net/ClientManager.h"

#include "engine/net/ClientSocket.h"
#include "engine/net/MpapiDatagram.h"
#include "engine/net/Socket.h"
#include "platform/os/Os.h"
#include "platform/os/StopSignals.h"

namespace MPAPI {

using D = MpapiDatagram;
using Guard = std::lock_guard<std::recursive_mutex>;

ClientManager::ClientManager() { handler_.Attach(this); }

ClientManager::~ClientManager()
{
    StopReceiveThread();
    handler_.DeleteUndelivered();
}

void ClientManager::SetListener(IClientListener* listener)
{
    Guard lock(GetManagerMutex());
    listener_ = listener;
}

bool ClientManager::SendToServer(const uint8_t* data, int length)
{
    Guard lock(GetSocketMutex());
    Socket* s = GetSocket();
    return s && s->SendTo(data, length, serverAddress_, serverPort_) > 0;
}

IConnection* ClientManager::Connect(const char16_t* host, int port, const char16_t* password)
{
    waiting_ = false;
    SetSocket(nullptr);
    handler_.Reset();
    reply_ = -1;
    handler_.SetConnecting();
    auto* socket = new ClientSocket();
    if (!socket->Open(host, port)) {
        delete socket;
        handler_.Reset();
        return nullptr;
    }
    {
        Guard lock(GetManagerMutex());
        serverAddress_ = socket->GetServerAddress();
        serverPort_ = socket->GetServerPort();
    }
    SetSocket(socket);
    StartReceiveThread();

    uint8_t request[3 + D::kMaxPassword];
    int requestLength = D::WriteConnectRequest(request, password);
    waiting_ = true;
    int reply = -1;
    // A player who asked the game to stop is not kept waiting for an answer.
    for (int attempt = 0; attempt < kAttempts && reply < 0 && !Os::StopRequested(); ++attempt) {
        SendToServer(request, requestLength);
        for (int poll = 0; poll < kPolls && reply < 0 && !Os::StopRequested(); ++poll) {
            Os::SleepMs(kPollMs);
            reply = reply_.load();
        }
    }
    waiting_ = false;
    reply = reply_.load();
    switch (reply) {
    case D::kReplyAccepted: {
        // A lost confirmation would leave the server waiting; send a few.
        uint8_t confirm[2];
        int n = D::WriteConfirm(confirm);
        for (int i = 0; i < kConfirmCopies; ++i) {
            if (i > 0)
                Os::SleepMs(kPollMs);
            SendToServer(confirm, n);
        }
        status_ = kStatusConnected;
        return &handler_;
    }
    case D::kReplyFull:
        status_ = kStatusFull;
        break;
    case D::kReplyWrongVersion:
        status_ = kStatusWrongVersion;
        break;
    case D::kReplyWrongPassword:
        status_ = kStatusWrongPassword;
        break;
    case D::kReplyBanned:
        status_ = kStatusBanned;
        break;
    default:
        status_ = kStatusNoAnswer;
        break;
    }
    // A late reply must not revive a link the game gave up on.
    handler_.Reset();
    return nullptr;
}

IConnection* ClientManager::ConnectDefaultPort(const char16_t* host, const char16_t* password)
{
    return Connect(host, kDefaultPort, password);
}

void ClientManager::Disconnect()
{
    status_ = kStatusNoAnswer;
    handler_.Disconnect();
}

void ClientManager::Update(float seconds)
{
    Guard lock(GetManagerMutex());
    if (handler_.IsHandshakeDone() && !handler_.IsResetPending())
        handler_.Update(seconds);
}

void ClientManager::AddObject(Object* object) { handler_.AddObject(object); }

void ClientManager::RemoveObject(Object* object)
{
    if (!object || object->GetNetworkId() == 0)
        return;
    handler_.RemoveObject(object);
}

void ClientManager::RemoveAllObjects() { handler_.RemoveAllObjects(); }

void ClientManager::SetClientState(int flags, float x, float y, float value, int intA, int intB, float u, float v)
{
    handler_.SetClientFlags(flags);
    handler_.SetClientPosition(x, y);
    handler_.SetClientValue(value);
    handler_.SetClientIntA(intA);
    handler_.SetClientIntB(intB);
    handler_.SetClientPoint(u, v);
}

void ClientManager::OnDatagram(const uint8_t* data, int length, uint32_t ip, int port)
{
    if (!data || length < 1 || ip != serverAddress_ || port != serverPort_)
        return;
    if (!handler_.IsHandshakeDone() || handler_.IsResetPending()) {
        if (length != 1 || !waiting_ || reply_ >= 0)
            return;
        uint8_t r = data[0];
        if (r > D::kReplyBanned)
            return;
        if (r == D::kReplyAccepted)
            handler_.OnConnected();
        reply_ = r;
        return;
    }
    if (length >= 2 && data[0] == D::kData)
        handler_.OnDataDatagram(data + 1, length - 1);
}

} // namespace MPAPI
