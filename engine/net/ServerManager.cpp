#include "engine/net/ServerManager.h"

#include "engine/core/ConsoleLog.h"
#include "engine/net/MpapiDatagram.h"
#include "engine/net/ServerSocket.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>

namespace MPAPI {

using D = MpapiDatagram;
using Guard = std::lock_guard<std::recursive_mutex>;

namespace {

void PrintAddress(const char* format, uint32_t ip)
{
    const uint8_t* b = reinterpret_cast<const uint8_t*>(&ip);
    Util::ConsolePrint(format, b[0], b[1], b[2], b[3]);
}

// Reads the object's replicated values into values; true when any differs
// from what values held, and scalars too when one outside the vectors does.
bool ReadValues(Object* object, const FieldLayout& layout, std::vector<uint32_t>& values, bool* scalars = nullptr)
{
    const FieldRecord* f = layout.GetFields();
    const int n = layout.GetCount();
    bool changed = false;
    if (values.size() < size_t(n)) {
        values.assign(size_t(n), 0);
        changed = true;
    }
    uint32_t differ = 0, differScalar = 0;
    size_t at = size_t(n); // the next force byte's place
    const uint8_t* base = object->MemberAt(0);
    for (int i = 0; i < n; ++i) {
        if (f[i].type != kFieldVector) {
            uint32_t now = FieldLayout::ReadMember(object, f[i]);
            differScalar |= now ^ values[size_t(i)];
            values[size_t(i)] = now;
            continue;
        }
        // A vector group: four 32-bit members, and maybe the byte forcing it.
        for (int k = 0; k < 4; ++k) {
            uint32_t now;
            if (f[i + k].type == kFieldVector)
                std::memcpy(&now, base + f[i + k].member, 4);
            else
                now = FieldLayout::ReadMember(object, f[i + k]);
            differ |= now ^ values[size_t(i + k)];
            values[size_t(i + k)] = now;
        }
        if (f[i].extra >= 0) {
            uint32_t force = *object->MemberAt(f[i].extra);
            if (at == values.size()) {
                values.push_back(force);
                changed = true;
            } else {
                differ |= force ^ values[at];
                values[at] = force;
            }
            ++at;
        }
        i += 3;
    }
    if (scalars)
        *scalars = changed || differScalar != 0;
    return changed || differ != 0 || differScalar != 0;
}

} // namespace

ServerManager::ServerManager()
{
    for (ServerHandler& h : slots_)
        h.Attach(this);
}

ServerManager::~ServerManager()
{
    StopReceiveThread();
    if (onDestroy_)
        onDestroy_();
}

void ServerManager::SetListener(IServerListener* listener)
{
    Guard lock(GetManagerMutex());
    listener_ = listener;
}

int ServerManager::SetMaxPlayers(int count)
{
    Guard lock(GetManagerMutex());
    maxPlayers_ = std::min(std::max(count, 1), kSlots);
    return maxPlayers_;
}

void ServerManager::SetUpstreamBandwidth(int bytesPerSecond)
{
    Guard lock(GetManagerMutex());
    budget_ = bytesPerSecond;
    ShareBudget();
}

void ServerManager::SetPassword(const char16_t* password)
{
    Guard lock(GetManagerMutex());
    password_.clear();
    for (int i = 0; password && password[i] && i < D::kMaxPassword; ++i)
        password_.push_back(password[i]);
}

int ServerManager::AddBan(uint32_t ip)
{
    Guard lock(GetManagerMutex());
    auto it = std::find(bans_.begin(), bans_.end(), ip);
    if (it != bans_.end())
        return int(it - bans_.begin());
    bans_.push_back(ip);
    return int(bans_.size()) - 1;
}

void ServerManager::RemoveBan(uint32_t ip)
{
    Guard lock(GetManagerMutex());
    bans_.erase(std::remove(bans_.begin(), bans_.end(), ip), bans_.end());
}

bool ServerManager::IsBanned(uint32_t ip) const { return std::find(bans_.begin(), bans_.end(), ip) != bans_.end(); }

void ServerManager::NotePeer(const ServerHandler& h)
{
    uint32_t bit = 1u << (&h - slots_);
    withPeer_ = h.HasPeer() ? withPeer_ | bit : withPeer_ & ~bit;
}

IConnection* ServerManager::NextNewConnection()
{
    Guard lock(GetManagerMutex());
    // Only a slot with a peer has a connection, new or not.
    for (uint32_t left = withPeer_; left; left &= left - 1) {
        ServerHandler& h = slots_[__builtin_ctz(left)];
        if (h.newConnection) {
            h.newConnection = false;
            return &h;
        }
    }
    return nullptr;
}

bool ServerManager::Listen(int port)
{
    Util::ConsolePrint("Create socket.\n");
    auto* socket = new ServerSocket();
    if (!socket->Open(port)) {
        delete socket;
        return false;
    }
    Util::ConsolePrint("Socket created.\n");
    SetSocket(socket);
    port_ = socket->GetLocalPort();
    StartReceiveThread();
    if (onListen_)
        onListen_(port_);
    return true;
}

void ServerManager::DisconnectAll()
{
    Guard lock(GetManagerMutex());
    for (ServerHandler& h : slots_) {
        if (!h.HasPeer())
            continue;
        h.Disconnect();
        h.Reset();
    }
}

void ServerManager::ShareBudget()
{
    int active = 0;
    for (ServerHandler& h : slots_)
        active += h.IsActive() ? 1 : 0;
    share_ = std::max(active > 0 ? budget_ / active : budget_, 0);
}

bool ServerManager::SendToPeer(const uint8_t* data, int length, uint32_t ip, int port)
{
    Guard lock(GetSocketMutex());
    Socket* s = GetSocket();
    return s && s->SendTo(data, length, ip, port) > 0;
}

void ServerManager::Reply(uint8_t reply, uint32_t ip, int port)
{
    uint8_t d[1];
    SendToPeer(d, D::WriteReply(d, reply), ip, port);
}

void ServerManager::Update(float seconds)
{
    Guard lock(GetManagerMutex());
    if (seconds > 10.0f) {
        Util::ConsolePrint("Tick overflow: %1.3f\n", double(seconds));
    }
    float dt = std::isfinite(seconds) && seconds > 0 ? seconds : 0.0f;
    // Every client's packet of this pass leaves in one batch.
    Socket* socket = GetSocket();
    if (socket) {
        Guard sending(GetSocketMutex());
        socket->BeginBatch();
    }
    NoteChangedObjects();
    inPass_ = true;
    UpdateSlots(dt);
    inPass_ = false;
    if (socket) {
        Guard sending(GetSocketMutex());
        socket->EndBatch();
    }
}

void ServerManager::NoteChangedObjects()
{
    ++pass_;
    // With nobody to tell, the values may wait: the first pass with a peer
    // reads them all again.
    if (!withPeer_)
        return;
    // The handlers look at a changed object's entries when they next come
    // to them.
    for (Object* object : objects_) {
        uint32_t slot = object->GetReplicaSlot();
        WatchedObject& w = watched_[slot];
        bool scalars = false;
        if (!ReadValues(object, w.layout, w.values, &scalars))
            continue;
        changedIn_[slot] = pass_;
        lastChange_ = pass_;
        if (scalars)
            w.scalarsChanged = pass_;
    }
}

void ServerManager::UpdateSlots(float dt)
{
    // In slot order; a slot's pass only ever takes its own peer away.
    for (uint32_t left = withPeer_; left; left &= left - 1) {
        ServerHandler& h = slots_[__builtin_ctz(left)];
        if (!h.HasPeer())
            continue;
        h.quiet += dt;
        if (!h.IsHandshakeDone() || h.IsResetPending()) {
            h.silence += dt;
            float limit = h.quickRelease
                              ? kQuickRelease
                              : (h.IsHandshakeDone() || h.IsResetPending() ? kSlotTimeOut : kHandshakeTimeOut);
            if (h.silence > limit) {
                PrintAddress("Connection reset: %d.%d.%d.%d\n", h.GetRemoteAddress());
                h.Reset();
            }
            continue;
        }
        h.Tick(dt);
        if (h.IsResetPending())
            continue;
        if (!h.HasPeerAnswered() && h.PingsSentUnlocked() >= kUnansweredPings)
            Release(h);
        else if (!JoinedInTime(h, dt))
            Release(h);
    }
}

bool ServerManager::JoinedInTime(ServerHandler& h, float dt)
{
    int64_t delivered = h.DeliveredBytesUnlocked();
    if (h.PlayerObjectUnlocked()) {
        h.unjoined = 0;
        h.joinCreditFrom = delivered;
        return true;
    }
    h.unjoined += std::min(dt, kMaxPassCredit);
    double allowed = double(kJoinDeadline) + double(delivered - h.joinCreditFrom) / kJoinCreditBytes;
    return h.unjoined <= allowed;
}

void ServerManager::Release(ServerHandler& h)
{
    // Closed the usual way, so the game sees it go at GetState.
    h.Drop();
    h.silence = 0;
    h.quickRelease = true;
    ShareBudget();
}

void ServerManager::ResetObjectStreams()
{
    Guard lock(GetManagerMutex());
    for (ServerHandler& h : slots_)
        if (h.HasPeer())
            h.StopObjectStream();
}

void ServerManager::AddObject(Object* object)
{
    if (!object)
        return;
    Guard lock(GetManagerMutex());
    FieldLayout layout;
    if (!layout.Parse(object->GetFieldTable()))
        return;
    uint32_t id = nextDynamicId_;
    while (dynamicIds_.count(id))
        id = id == 0xFFFFFFFFu ? kFirstDynamicId : id + 1;
    nextDynamicId_ = id == 0xFFFFFFFFu ? kFirstDynamicId : id + 1;
    object->SetNetworkId(int32_t(id));
    if (layout.IsEffect()) {
        for (ServerHandler& h : slots_) {
            if (!h.IsActive() || !h.IsHandshakeDone())
                continue;
            Object* player = h.PlayerObjectUnlocked();
            bool far = false;
            if (player && object->IsNear(player->GetX(), player->GetY(), &far))
                h.QueueEffect(object, layout);
        }
        return;
    }
    dynamicIds_.insert(id);
    KeepObject(object, layout);
}

// An always-relevant object reaches every client with its next refresh.
void ServerManager::KeepObject(Object* object, const FieldLayout& layout)
{
    uint32_t slot = object->GetReplicaSlot();
    if (slot >= slotObjects_.size() || slotObjects_[slot] != object) {
        if (freeSlots_.empty()) {
            slot = uint32_t(slotObjects_.size());
            slotObjects_.push_back(object);
        } else {
            slot = freeSlots_.back();
            freeSlots_.pop_back();
            slotObjects_[slot] = object;
        }
        object->SetReplicaSlot(slot);
        if (watched_.size() < slotObjects_.size()) {
            watched_.resize(slotObjects_.size());
            changedIn_.resize(slotObjects_.size());
        }
        changedIn_[slot] = 0;
        WatchedObject& w = watched_[slot];
        w.layout = layout;
        w.values.clear();
        w.encoding.Forget();
        w.scalarsChanged = pass_ + 1;
        ReadValues(object, layout, w.values);
    }
    objects_.push_back(object);
    if (object->IsAlwaysRelevant())
        for (ServerHandler& h : slots_)
            h.SetFirstRefresh();
}

void ServerManager::AddObjectUnlocked(Object* object)
{
    if (!object)
        return;
    // Locked all the same: the receive thread reads the list too.
    Guard lock(GetManagerMutex());
    FieldLayout layout;
    if (!layout.Parse(object->GetFieldTable()))
        return;
    object->SetNetworkId(nextLevelId_++);
    KeepObject(object, layout);
}

void ServerManager::RemoveObject(Object* object)
{
    if (!object)
        return;
    Guard lock(GetManagerMutex());
    auto it = std::find(objects_.begin(), objects_.end(), object);
    if (it == objects_.end())
        return;
    int32_t id = object->GetNetworkId();
    if (id >= 0)
        removedLevelIds_.push_back(id);
    else
        dynamicIds_.erase(uint32_t(id));
    for (ServerHandler& h : slots_)
        h.OnObjectRemoved(object);
    objects_.erase(it);
    uint32_t slot = object->GetReplicaSlot();
    if (slot < slotObjects_.size() && slotObjects_[slot] == object &&
        std::find(objects_.begin(), objects_.end(), object) == objects_.end()) {
        slotObjects_[slot] = nullptr;
        watched_[slot].values.clear();
        watched_[slot].encoding.Forget();
        freeSlots_.push_back(slot);
    }
}

void ServerManager::RemoveAllObjects()
{
    Guard lock(GetManagerMutex());
    for (ServerHandler& h : slots_)
        if (h.HasPeer())
            h.RemoveAllEntries(true);
    objects_.clear();
    watched_.clear();
    changedIn_.clear();
    slotObjects_.clear();
    freeSlots_.clear();
    dynamicIds_.clear();
    removedLevelIds_.clear();
    nextLevelId_ = kFirstLevelId;
}

void ServerManager::SendNow(IConnection* connection, Object* object)
{
    Guard lock(GetManagerMutex());
    for (ServerHandler& h : slots_) {
        if (&h == connection) {
            if (h.IsActive() && h.IsHandshakeDone())
                h.SendObjectNow(object);
            return;
        }
    }
}

ServerHandler* ServerManager::FindSlot(uint32_t ip, int port)
{
    for (ServerHandler& h : slots_)
        if (h.IsActive() && h.GetRemoteAddress() == ip && h.GetRemotePort() == port)
            return &h;
    return nullptr;
}

int ServerManager::TakeSlot(uint32_t ip, int port)
{
    if (ServerHandler* h = FindSlot(ip, port)) {
        if (!h->IsHandshakeDone())
            return D::kReplyAccepted;
        // A late or duplicated copy of the first request while the link is
        // alive changes nothing.
        if (h->quiet < kRestartQuiet)
            return -1;
        // The client started over: close the old link; its next request
        // gets a fresh slot.
        h->Drop();
        ShareBudget();
        return -1;
    }
    int active = 0;
    int fromAddress = 0;
    for (ServerHandler& h : slots_) {
        active += h.IsActive() ? 1 : 0;
        fromAddress += h.IsActive() && h.GetRemoteAddress() == ip ? 1 : 0;
    }
    const bool loopback = reinterpret_cast<const uint8_t*>(&ip)[0] == 127;
    if (active >= maxPlayers_ || (fromAddress >= kSlotsPerAddress && !loopback))
        return D::kReplyFull;
    for (ServerHandler& h : slots_) {
        if (h.HasPeer() || h.IsResetPending())
            continue;
        h.Reset();
        h.SetPeer(ip, port);
        for (int32_t id : removedLevelIds_)
            h.AddRemovedEntry(id);
        ShareBudget();
        return D::kReplyAccepted;
    }
    return D::kReplyFull;
}

bool ServerManager::MayPrintConnectLine()
{
    // A flood of requests must not turn into a flood of console writes.
    auto now = std::chrono::steady_clock::now();
    if (now - printWindow_ >= std::chrono::seconds(1)) {
        printWindow_ = now;
        printsInWindow_ = 0;
    }
    return printsInWindow_++ < kConnectLinesPerSecond;
}

void ServerManager::OnConnectRequest(const uint8_t* data, int length, uint32_t ip, int port)
{
    if (IsBanned(ip)) {
        Reply(D::kReplyBanned, ip, port);
        return;
    }
    int reply = -1;
    if (data[1] == D::kConnectWithPassword) {
        if (length < 3)
            return;
        if (data[2] != D::kProtocolVersion) {
            reply = D::kReplyWrongVersion;
        } else if (!password_.empty()) {
            bool ok = size_t(length - 3) == password_.size();
            for (size_t i = 0; ok && i < password_.size(); ++i)
                ok = data[3 + i] == uint8_t(password_[i]);
            reply = ok ? TakeSlot(ip, port) : D::kReplyWrongPassword;
        } else {
            reply = TakeSlot(ip, port);
        }
    } else {
        if (MayPrintConnectLine())
            PrintAddress("Connection packet from %d.%d.%d.%d\n", ip);
        if (length != 3)
            return;
        if (data[2] != D::kProtocolVersion)
            reply = D::kReplyWrongVersion;
        else if (!password_.empty())
            reply = D::kReplyWrongPassword;
        else
            reply = TakeSlot(ip, port);
    }
    if (reply >= 0)
        Reply(uint8_t(reply), ip, port);
}

void ServerManager::OnDatagram(const uint8_t* data, int length, uint32_t ip, int port)
{
    if (!data || length < 1 || length > D::kMaxSize)
        return;
    bool isData = length > 1 && data[0] == D::kData;
    bool isConfirm = D::IsConfirm(data, length);
    if (isData || isConfirm) {
        ServerHandler* h = FindSlot(ip, port);
        if (!h)
            return;
        h->quiet = 0;
        if (!h->IsHandshakeDone()) {
            if (isConfirm) {
                h->OnConnected();
                return;
            }
            // A lost confirmation must not leave the link dead: the first
            // well-formed data datagram confirms as well.
            const uint8_t* body = data + 1;
            int n = length - 1;
            D::DataHeader header;
            bool valid = (body[0] > D::kMaxAcks && body[0] < D::kFirstIgnoredCode) ||
                         (body[0] <= D::kMaxAcks && D::ParseDataBody(body, n, &header));
            if (!valid)
                return;
            h->OnConnected();
        }
        if (isData)
            h->OnDataDatagram(data + 1, length - 1);
        return;
    }
    if (length >= 2 && data[0] == D::kHandshake && (data[1] == D::kConnect || data[1] == D::kConnectWithPassword))
        OnConnectRequest(data, length, ip, port);
}

} // namespace MPAPI
