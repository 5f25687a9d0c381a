// The per-frame network work of the serving side: greeting connections,
// their messages, lost connections and the level uploads.
#include "game/shell/protocol/ServerHandler.h"

#include "engine/core/IEngine.h"
#include "engine/core/StringKit.h"
#include "engine/files/IFile.h"
#include "engine/files/IFileManager.h"
#include "engine/net/IConnection.h"
#include "engine/net/IServer.h"
#include "game/world/map/World.h"
#include "game/world/modes/GameMod.h"
#include "game/world/net/GameMessage.h"
#include "game/world/net/IPlayerRoster.h"
#include "game/world/settings/IGameOptions.h"
#include "game/world/state/WorldServices.h"
#include "game/world/system/GameSystem.h"

#include <algorithm>

void ServerHandler::Update(float dt)
{
    if (levelRetryWait_ > 0.0f && dt > 0.0f)
        levelRetryWait_ = std::max(0.0f, levelRetryWait_ - dt);
    // Sound sources are played and expired by the game state's own update.
    if (IPlayerRoster* roster = GetRoster()) {
        inMatchUpdate_ = true;
        roster->UpdateMatch(dt);
        inMatchUpdate_ = false;
    }
    if (!server_)
        return;
    RefillBudgets(dt);
    AdvanceUploads();
    server_->Update(dt);
    IEngine* engine = Services().engine;
    if (MPAPI::IConnection* connection = server_->NextNewConnection()) {
        AcceptConnection(connection);
        if (engine)
            engine->ForceHeartbeat();
    }
    IGameOptions* options = Settings();
    if (engine && options && game_) {
        // The list shows the players as they come and go, not as they were
        // at the last minute's announcement.
        const int players = CountPlayers();
        if (players != announcedPlayers_)
            engine->ForceHeartbeat();
        announcedPlayers_ = players;
        engine->MasterServerTick(dt, options->GetServerName(), game_->GetLevelTitle(), game_->GetLevelGameMode(),
                                 players, options->GetServerMaxPlayers());
    }
}

void ServerHandler::AcceptConnection(MPAPI::IConnection* connection)
{
    if (!connection)
        return;
    if (levelPath_.empty()) {
        Print(u"No level. Player dropped.\n");
        connection->Disconnect();
        return;
    }
    if (FindPeer(connection))
        return;
    peers_.push_back(Peer{connection, connection->GetRemoteAddress()});
    SendLevelStart(peers_.back());
}

void ServerHandler::SendLevelStart(Peer& peer)
{
    peer.awaitingCheck = true;
    peer.ready = false;
    GameMessages::WriteLevelStart(outgoing_, levelPath_.c_str());
    outgoing_.SendOrDisconnect(peer.connection);
}

void ServerHandler::SendLevelReady(MPAPI::IConnection* connection)
{
    if (Peer* peer = FindPeer(connection))
        peer->ready = true;
    int lighting = 0;
    if (World* world = Services().world)
        lighting = world->GetLighting();
    else if (IGameOptions* options = Settings())
        lighting = options->GetServerLighting();
    GameMessages::WriteLevelReady(outgoing_, uint32_t(lighting));
    outgoing_.SendOrDisconnect(connection);
}

bool ServerHandler::ProcessNetwork()
{
    if (!server_)
        return false;
    for (size_t i = 0; i < peers_.size(); ++i) {
        // Reading a lost connection's state resets it, its player object
        // with it: the player must be known before.
        MPAPI::Object* object = peers_[i].connection->GetPlayerObject();
        int state = peers_[i].connection->GetState();
        if (state != MPAPI::IConnection::kClosed && state != MPAPI::IConnection::kTimedOut) {
            HandleMessages(peers_[i].connection);
            continue;
        }
        // One loss a frame; the rest wait for the next.
        DropLostConnection(i, object);
        break;
    }
    return false;
}

void ServerHandler::DropLostConnection(size_t index, MPAPI::Object* object)
{
    MPAPI::IConnection* connection = peers_[index].connection;
    const uint32_t a = peers_[index].address;
    peers_.erase(peers_.begin() + long(index));
    // Its slot may be reused by the next client: the upload must not follow.
    DropUploadsOf(connection);
    const bool closed = connection->GetState() == MPAPI::IConnection::kClosed;
    IPlayerRoster* roster = GetRoster();
    IEngine* engine = Services().engine;
    if (Player* player = roster ? roster->PlayerOf(object) : nullptr) {
        roster->DropMissionItems(player);
        int32_t id = roster->GetPlayerId(player);
        std::u16string name = GetPlayerName(id);
        BroadcastMessage(
            Util::Format(closed ? u"Player %s disconnected." : u"Player %s dropped.", name.c_str()).c_str(), -1, false,
            false);
        RemovePlayer(id);
        if (engine)
            engine->RemovePlayer(id);
    } else if (!object) {
        Print(Util::Format(closed ? u"Player from %d.%d.%d.%d disconnected.\n" : u"Player from %d.%d.%d.%d dropped.\n",
                           int(a & 0xFF), int((a >> 8) & 0xFF), int((a >> 16) & 0xFF), int(a >> 24)));
    }
    if (object) {
        connection->SetPlayerObject(nullptr);
        if (roster)
            roster->DeleteObject(object);
    }
    if (engine)
        engine->ForceHeartbeat();
}

void ServerHandler::HandleMessages(MPAPI::IConnection* connection)
{
    IPlayerRoster* roster = GetRoster();
    // Looked up per message: a command run from chat may change the list or
    // stop the server, which deletes the connections.
    for (Peer* peer = FindPeer(connection); peer; peer = FindPeer(connection)) {
        GamePacket* packet = ReceiveNext(connection);
        if (!packet)
            return;
        Player* player = PlayerOf(connection);
        switch (GameMessage(packet->GetType())) {
        case GameMessage::Join:
            // Only a client that was told its level is ready may join.
            if (peer && peer->ready)
                HandleJoinMessage(packet, connection);
            break;
        case GameMessage::Chat:
            // Every line goes to every client: a flood would fill all streams.
            if (player && peer->chat.Take())
                HandleChatMessage(packet, player);
            break;
        case GameMessage::WallStateRequest:
            // Only the latest waits: a client asks for the next part after
            // each answer, so one outstanding request is all it needs.
            if (player) {
                peer->wallStateStart = GameMessages::ReadValue(*packet);
                peer->wallStatePending = true;
                AnswerWallState(*peer);
            }
            break;
        case GameMessage::ThrowRequest:
            if (player)
                roster->RequestThrow(player, GameMessages::ReadThrowRequest(*packet));
            break;
        case GameMessage::TeamChange:
            if (player && peer->teamChange.Take())
                ChangeTeam(player, int(GameMessages::ReadValue(*packet)));
            break;
        case GameMessage::LevelCheck:
            // One answer per level start: repeats would start repeated uploads.
            if (peer && peer->awaitingCheck) {
                HandleLevelCheck(*peer, GameMessages::ReadValue(*packet));
                if (connection->GetState() == MPAPI::IConnection::kClosed)
                    return;
            }
            break;
        default:
            // The rules of the match read what the protocol does not.
            if (GameMod* mode = game_ ? game_->GetGameMode() : nullptr)
                mode->HandleMessage2(connection, packet);
            break;
        }
    }
}

void ServerHandler::AnswerWallState(Peer& peer)
{
    World* world = Services().world;
    if (!peer.wallStatePending || !world || !PlayerOf(peer.connection))
        return;
    // The answer must leave room for the game's own traffic to that client.
    if (peer.connection->GetSendSpace() < kUploadSendSpace || !peer.wallState.Take())
        return;
    peer.wallStatePending = false;
    uint8_t encoded[World::kWallDamageBytes];
    int next = 0;
    int n = world->EncodeWallDamage(int(peer.wallStateStart), encoded, &next);
    GameMessages::WriteWallState(outgoing_, peer.wallStateStart, uint32_t(next), encoded, n);
    outgoing_.Send(peer.connection);
}

void ServerHandler::RefillBudgets(float dt)
{
    for (Peer& peer : peers_) {
        peer.wallState.Refill(dt);
        peer.teamChange.Refill(dt);
        peer.chat.Refill(dt);
        AnswerWallState(peer);
    }
}

void ServerHandler::HandleLevelCheck(Peer& peer, uint32_t check)
{
    peer.awaitingCheck = false;
    if (check != 0 && int32_t(check) == levelCheckValue_) {
        SendLevelReady(peer.connection);
        return;
    }
    IGameOptions* options = Settings();
    if (!options || !options->GetServerUploading()) {
        peer.connection->Disconnect();
        return;
    }
    if (StartUpload(peer.connection, levelPath_.c_str()))
        return;
    // Unreadable: the client stops waiting and leaves.
    GameMessages::WriteEmpty(outgoing_, GameMessage::LevelMismatch);
    outgoing_.SendOrDisconnect(peer.connection);
}

bool ServerHandler::StartUpload(MPAPI::IConnection* connection, const char16_t* path)
{
    if (!connection || !path || Util::StrLen(path) > size_t(kMaxPathUnits))
        return false;
    auto upload = std::make_unique<UploadInfo>();
    upload->connection = connection;
    if (levelPath_ == path && !levelFile_.empty()) {
        upload->data = levelFile_;
    } else {
        IEngine* engine = Services().engine;
        IFileManager* files = engine ? engine->GetFileManager() : nullptr;
        IFile* file = files ? files->Open(path, kOpenRead, 0) : nullptr;
        if (!file)
            return false;
        int size = file->GetSize();
        bool read = size >= 0;
        if (read) {
            upload->data.resize(size_t(size));
            read = size == 0 || file->Read(upload->data.data(), size) == size;
        }
        delete file;
        if (!read)
            return false;
    }
    const int size = int(upload->data.size());
    upload->totalSize = size;
    DropUploadsOf(connection);
    GameMessages::WriteFirstChunk(outgoing_, uint32_t(size), path, upload->data.data(), size);
    const int nameBytes = int(std::min(Util::StrLen(path), size_t(kMaxPathUnits))) + 1;
    upload->bytesSent = std::max(0, outgoing_.GetLength() - 4 - nameBytes);
    outgoing_.SendOrDisconnect(connection);
    uploads_.push_back(std::move(upload));
    return true;
}

void ServerHandler::AdvanceUploads()
{
    for (size_t i = 0; i < uploads_.size(); ++i) {
        UploadInfo& upload = *uploads_[i];
        if (upload.connection->GetSendSpace() < kUploadSendSpace)
            continue;
        const int remaining = upload.totalSize - upload.bytesSent;
        if (remaining > 0) {
            const int n = std::min(kChunkBytes, remaining);
            GameMessages::WriteChunk(outgoing_, upload.data.data() + upload.bytesSent, n);
            if (!outgoing_.Send(upload.connection))
                continue;
            upload.bytesSent += n;
        }
        if (upload.bytesSent < upload.totalSize)
            continue;
        SendLevelReady(upload.connection);
        uploads_.erase(uploads_.begin() + long(i));
        return;
    }
}

void ServerHandler::DropUploadsOf(MPAPI::IConnection* connection)
{
    uploads_.erase(
        std::remove_if(uploads_.begin(), uploads_.end(),
                       [connection](const std::unique_ptr<UploadInfo>& u) { return u->connection == connection; }),
        uploads_.end());
}

void ServerHandler::AbortUploads()
{
    while (!uploads_.empty()) {
        GameMessages::WriteEmpty(outgoing_, GameMessage::DownloadAbort);
        outgoing_.Send(uploads_.back()->connection);
        uploads_.pop_back();
    }
}
