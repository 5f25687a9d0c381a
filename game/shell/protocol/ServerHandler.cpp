#include "game/shell/protocol/ServerHandler.h"

#include "engine/core/IEngine.h"
#include "engine/core/StringKit.h"
#include "engine/files/IFile.h"
#include "engine/files/IFileManager.h"
#include "engine/net/IConnection.h"
#include "engine/net/IServer.h"
#include "game/world/net/GameMessage.h"
#include "game/world/net/IPlayerRoster.h"
#include "game/world/settings/IGameOptions.h"
#include "game/world/state/WorldServices.h"
#include "game/world/system/GameSystem.h"

namespace {

constexpr size_t kTextUnits = 255;
constexpr int kMessageList = 0;
constexpr int kNoticeList = 2;

std::u16string Cut(const char16_t* text, size_t units)
{
    std::u16string s = text ? text : u"";
    if (s.size() > units)
        s.resize(units);
    return s;
}

} // namespace

ServerHandler::ServerHandler(GameSystem* game) : MultiplayerHandler(game) {}

ServerHandler::~ServerHandler()
{
    uploads_.clear();
    peers_.clear();
    delete server_;
}

void ServerHandler::SetServer(MPAPI::IServer* server)
{
    if (server == server_)
        return;
    delete server_;
    server_ = server;
    peers_.clear();
    uploads_.clear();
}

void ServerHandler::Print(const std::u16string& line)
{
    if (printer_)
        printer_(line);
}

ServerHandler::Peer* ServerHandler::FindPeer(MPAPI::IConnection* connection)
{
    for (Peer& peer : peers_)
        if (peer.connection == connection)
            return &peer;
    return nullptr;
}

Player* ServerHandler::PlayerOf(MPAPI::IConnection* connection)
{
    IPlayerRoster* roster = GetRoster();
    return connection && roster ? roster->PlayerOf(connection->GetPlayerObject()) : nullptr;
}

MPAPI::IConnection* ServerHandler::ConnectionOf(int32_t playerId)
{
    IPlayerRoster* roster = GetRoster();
    if (!roster || playerId == 0)
        return nullptr;
    for (Peer& peer : peers_) {
        Player* player = PlayerOf(peer.connection);
        if (player && roster->GetPlayerId(player) == playerId)
            return peer.connection;
    }
    return nullptr;
}

// ---- replication ----------------------------------------------------------

void ServerHandler::RemoveObject(MPAPI::Object* object)
{
    if (server_)
        server_->RemoveObject(object);
}

void ServerHandler::AddObject(MPAPI::Object* object)
{
    if (server_)
        server_->AddObject(object);
}

void ServerHandler::AddLevelObject(MPAPI::Object* object)
{
    if (server_)
        server_->AddObjectUnlocked(object);
}

void ServerHandler::Broadcast(GamePacket* packet, MPAPI::IConnection* except)
{
    if (!server_ || !packet)
        return;
    for (Peer& peer : peers_)
        if (peer.connection != except)
            packet->Send(peer.connection);
}

void ServerHandler::BroadcastBlast(float x, float y, float power, float radius)
{
    if (!server_)
        return;
    GameMessages::WriteBlast(outgoing_, x, y, power, radius);
    Broadcast(&outgoing_, nullptr);
}

void ServerHandler::ResetObjects()
{
    if (IEngine* engine = Services().engine)
        engine->FlushScores();
    if (server_)
        server_->RemoveAllObjects();
}

// ---- player table ---------------------------------------------------------

bool ServerHandler::RemovePlayer(int32_t id)
{
    bool removed = MultiplayerHandler::RemovePlayer(id);
    if (server_) {
        GameMessages::WritePlayerRemoved(outgoing_, id);
        Broadcast(&outgoing_, nullptr);
    }
    return removed;
}

void ServerHandler::SendPlayerList(MPAPI::IConnection* connection)
{
    if (!server_ || !connection)
        return;
    for (const PlayerSlot& s : slots_) {
        if (s.id == 0)
            continue;
        GameMessages::WritePlayerEntry(outgoing_, s.id, s.name);
        outgoing_.Send(connection);
    }
}

void ServerHandler::SendPlayerTable(MPAPI::IConnection* connection)
{
    if (!server_ || !connection)
        return;
    GameMessages::SlotRecord records[kSlotCount];
    int n = 0;
    for (const PlayerSlot& s : slots_) {
        if (s.id == 0)
            continue;
        records[n].id = uint32_t(s.id);
        records[n].value = s.value;
        records[n].team = uint16_t(s.team);
        ++n;
    }
    GameMessages::WritePlayerTable(outgoing_, records, n);
    outgoing_.Send(connection);
}

void ServerHandler::AddPlayer(int32_t id, const char16_t* name, MPAPI::IConnection* connection)
{
    MultiplayerHandler::AddPlayer(id, name, connection);
    if (!server_)
        return;
    GameMessages::WritePlayerEntry(outgoing_, id, name ? name : u"");
    Broadcast(&outgoing_, connection);
}

void ServerHandler::UpdatePlayer(int32_t id, float x, float y, int value, int team, MPAPI::IConnection* connection)
{
    MultiplayerHandler::UpdatePlayer(id, x, y, value, team, connection);
    const PlayerSlot* s = nullptr;
    for (const PlayerSlot& slot : slots_)
        if (slot.id == id)
            s = &slot;
    if (!server_ || !s)
        return;
    GameMessages::WritePlayerSlotUpdate(outgoing_, id, s->value, uint16_t(s->team));
    Broadcast(&outgoing_, connection);
}

uint32_t ServerHandler::GetPlayerAddress(int32_t id)
{
    MPAPI::IConnection* c = server_ ? ConnectionOf(id) : nullptr;
    return c ? c->GetRemoteAddress() : 0;
}

int ServerHandler::GetPlayerPort(int32_t id)
{
    MPAPI::IConnection* c = server_ ? ConnectionOf(id) : nullptr;
    return c ? c->GetRemotePort() : 0;
}

// ---- administration -------------------------------------------------------

void ServerHandler::KickPlayer(int32_t id)
{
    IPlayerRoster* roster = GetRoster();
    if (!server_ || !roster || id == 0)
        return;
    for (Peer& peer : peers_) {
        Player* player = PlayerOf(peer.connection);
        if (player && roster->GetPlayerId(player) == id)
            peer.connection->Disconnect();
    }
}

bool ServerHandler::BanPlayer(const char16_t* name)
{
    if (!server_ || !name)
        return false;
    int32_t id = FindPlayerIdByName(name);
    MPAPI::IConnection* connection = id != 0 ? ConnectionOf(id) : nullptr;
    if (!connection)
        return false;
    uint32_t address = connection->GetRemoteAddress();
    server_->AddBan(address);
    if (IGameOptions* options = Settings())
        options->AddBan(GetPlayerName(id), address);
    return true;
}

bool ServerHandler::UnbanPlayer(const char16_t* name)
{
    IGameOptions* options = Settings();
    if (!server_ || !name || !options)
        return false;
    bool matched = false;
    for (int32_t i = 0; i < options->GetBanCount(); ++i) {
        const char16_t* entry = options->GetBanName(i);
        if (entry && Util::StrCompareNoCase(entry, name) == 0) {
            server_->RemoveBan(options->GetBanAddress(i));
            matched = true;
        }
    }
    options->RemoveBan(name);
    return matched;
}

void ServerHandler::BanAddress(uint32_t address)
{
    if (server_)
        server_->AddBan(address);
}

void ServerHandler::SetMaxPlayers(int count)
{
    if (server_)
        server_->SetMaxPlayers(count);
}

void ServerHandler::SetPassword(const char16_t* password)
{
    if (server_)
        server_->SetPassword(password);
}

void ServerHandler::Stop()
{
    if (!server_)
        return;
    server_->DisconnectAll();
    uploads_.clear();
    peers_.clear();
    delete server_;
    server_ = nullptr;
}

bool ServerHandler::IsLevelReadable(const char16_t* path)
{
    IEngine* engine = Services().engine;
    IFileManager* files = engine ? engine->GetFileManager() : nullptr;
    IFile* file = files && path ? files->Open(path, kOpenRead, kOpenNoPackage) : nullptr;
    if (!file)
        return false;
    char line[512];
    bool any = file->ReadLine(line, int(sizeof line));
    delete file;
    return any;
}

// ---- players --------------------------------------------------------------

void ServerHandler::ChangeTeam(Player* player, int team)
{
    IPlayerRoster* roster = GetRoster();
    if (!server_ || !player || !roster)
        return;
    // The rules refresh the player table whenever they move a player.
    roster->SetTeam(player, team, true, true);
}

void ServerHandler::RequestTeamChange(int team)
{
    IPlayerRoster* roster = GetRoster();
    Player* own = GetOwnPlayer();
    if (!server_ || !own)
        return;
    roster->SetTeam(own, team, true, false);
}

void ServerHandler::SendPlayerAction(int power)
{
    Player* own = GetOwnPlayer();
    if (server_ && own)
        GetRoster()->RequestThrow(own, power);
}

void ServerHandler::SetClientState(int flags, float, float, float value, int a, int b, float u, float v)
{
    Player* own = GetOwnPlayer();
    if (server_ && own)
        GetRoster()->SetInput(own, flags, value, a, b, u, v);
}

void ServerHandler::SendInventoryClear(Player* player)
{
    IPlayerRoster* roster = GetRoster();
    MPAPI::IConnection* c = server_ && player && roster ? ConnectionOf(roster->GetPlayerId(player)) : nullptr;
    if (!c)
        return;
    GameMessages::WriteEmpty(outgoing_, GameMessage::InventoryClear);
    outgoing_.Send(c);
}

// ---- texts ----------------------------------------------------------------

void ServerHandler::SendMessageTo(Player* player, const char16_t* text)
{
    IPlayerRoster* roster = GetRoster();
    if (!server_ || !player || !roster)
        return;
    std::u16string line = Cut(text, kTextUnits);
    if (player == GetOwnPlayer()) {
        if (game_)
            game_->Messages(kMessageList).AddMessage(line.c_str(), false);
        return;
    }
    if (MPAPI::IConnection* c = ConnectionOf(roster->GetPlayerId(player))) {
        GameMessages::WriteFlaggedText(outgoing_, GameMessage::Message, 0, line.c_str());
        outgoing_.Send(c);
    }
}

void ServerHandler::BroadcastMessage(const char16_t* text, int team, bool notice, bool teamOnly)
{
    if (!server_)
        return;
    IPlayerRoster* roster = GetRoster();
    std::u16string line = Cut(text, kTextUnits);
    if (notice)
        GameMessages::WriteNotice(outgoing_, line.c_str());
    else
        GameMessages::WriteFlaggedText(outgoing_, GameMessage::Message, team != -1 ? 1 : 0, line.c_str());
    for (Peer& peer : peers_) {
        Player* player = team == -1 ? nullptr : PlayerOf(peer.connection);
        if (team == -1 || (player && roster->GetFigures(player).team == team))
            outgoing_.Send(peer.connection);
    }
    Print(line + u"\n");
    if (!game_)
        return;
    if (notice) {
        game_->Messages(kNoticeList).AddMessage(line.c_str(), false);
        return;
    }
    Player* own = GetOwnPlayer();
    if (teamOnly && own && roster->GetFigures(own).team != team)
        return;
    game_->Messages(kMessageList).AddMessage(line.c_str(), teamOnly);
}

void ServerHandler::SendChat(const char16_t* text, bool teamOnly)
{
    if (Player* own = GetOwnPlayer())
        HandleChat(text, own, teamOnly);
}
