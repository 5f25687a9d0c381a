#include "game/shell/protocol/MultiplayerHandler.h"

#include "engine/core/IEngine.h"
#include "engine/core/StringKit.h"
#include "engine/net/IConnection.h"
#include "engine/web/IPlayerScores.h"
#include "game/world/net/GameMessage.h"
#include "game/world/net/IPlayerRoster.h"
#include "game/world/settings/IGameOptions.h"
#include "game/world/state/WorldServices.h"
#include "game/world/system/GameSystem.h"

#include <climits>

namespace {

constexpr const char16_t* kUnknown = u"Unknown";
constexpr size_t kChatLineUnits = 511;

} // namespace

MultiplayerHandler::MultiplayerHandler(GameSystem* game) : game_(game) { ClearPlayerSlots(); }

MultiplayerHandler* ActiveHandlerOf(GameSystem* game)
{
    return game ? static_cast<MultiplayerHandler*>(game->GetActiveHandler()) : nullptr;
}

// ---- messages -------------------------------------------------------------

GamePacket* MultiplayerHandler::ReceiveNext(MPAPI::IConnection* connection)
{
    if (!connection)
        return nullptr;
    uint8_t h[GamePacket::kHeaderSize];
    if (connection->Peek(h, 2) != 2 || connection->PeekAt(h + 2, 2, 2) != 2)
        return nullptr;
    uint16_t type = uint16_t(h[0] | (h[1] << 8));
    int length = h[2] | (h[3] << 8);
    // Checked before waiting for the payload: a bogus length would otherwise
    // hold the stream until the peer times out.
    if (length > GamePacket::kMaxPayload) {
        connection->Skip(GamePacket::kHeaderSize);
        connection->Disconnect();
        return nullptr;
    }
    if (connection->GetReceivedSize() < length + GamePacket::kHeaderSize)
        return nullptr;
    if (!connection->Skip(GamePacket::kHeaderSize))
        return nullptr;
    if (length > 0 && connection->Receive(incoming_.PayloadBuffer(), length) != length) {
        connection->Disconnect();
        return nullptr;
    }
    incoming_.SetReceived(type, length);
    return &incoming_;
}

// ---- player slots ---------------------------------------------------------

void MultiplayerHandler::ClearPlayerSlots()
{
    for (PlayerSlot& s : slots_)
        s = PlayerSlot();
}

PlayerSlot* MultiplayerHandler::GetOrAddPlayerSlot(int32_t id)
{
    for (PlayerSlot& s : slots_)
        if (s.id == id)
            return &s;
    for (PlayerSlot& s : slots_) {
        if (s.id == 0) {
            s = PlayerSlot();
            s.id = id;
            return &s;
        }
    }
    return nullptr;
}

void MultiplayerHandler::AddPlayer(int32_t id, const char16_t* name, MPAPI::IConnection*)
{
    if (PlayerSlot* s = GetOrAddPlayerSlot(id))
        Util::StrCopy(s->name, 64, name ? name : u"");
}

void MultiplayerHandler::UpdatePlayer(int32_t id, float x, float y, int value, int team, MPAPI::IConnection*)
{
    PlayerSlot* s = GetOrAddPlayerSlot(id);
    if (!s)
        return;
    if (x > PlayerSlot::kNoPosition)
        s->x = x;
    if (y > PlayerSlot::kNoPosition)
        s->y = y;
    if (value == -1)
        return;
    s->value = uint16_t(value < 0 ? 0 : (value > 9999 ? 9999 : value));
    s->team = team == -1 ? PlayerSlot::kNoTeam : team;
}

bool MultiplayerHandler::RemovePlayer(int32_t id)
{
    for (PlayerSlot& s : slots_) {
        if (s.id == id) {
            s.id = 0;
            return true;
        }
    }
    return false;
}

const char16_t* MultiplayerHandler::GetPlayerName(int32_t id)
{
    for (const PlayerSlot& s : slots_)
        if (s.id == id && id != 0)
            return s.name;
    return kUnknown;
}

int MultiplayerHandler::CountPlayers()
{
    int n = 0;
    for (const PlayerSlot& s : slots_)
        n += s.IsUsed() ? 1 : 0;
    return n;
}

const PlayerSlot* MultiplayerHandler::UsedSlotAt(int n) const
{
    for (const PlayerSlot& s : slots_)
        if (s.IsUsed() && n-- == 0)
            return &s;
    return nullptr;
}

const char16_t* MultiplayerHandler::GetPlayerNameAt(int n)
{
    const PlayerSlot* s = UsedSlotAt(n);
    return s ? s->name : kUnknown;
}

int32_t MultiplayerHandler::GetPlayerIdAt(int n)
{
    const PlayerSlot* s = UsedSlotAt(n);
    return s ? s->id : -1;
}

int MultiplayerHandler::GetPlayerTeamAt(int n)
{
    const PlayerSlot* s = UsedSlotAt(n);
    return s ? s->team : 0;
}

int32_t MultiplayerHandler::FindPlayerIdByName(const char16_t* name)
{
    for (const PlayerSlot& s : slots_)
        if (s.id != 0 && Util::StrCompareNoCase(s.name, name) == 0)
            return s.id;
    return 0;
}

bool MultiplayerHandler::NameInUse(const char16_t* name) const
{
    for (const PlayerSlot& s : slots_)
        if (s.id != 0 && Util::StrCompareNoCase(s.name, name) == 0)
            return true;
    return false;
}

// ---- chat and join --------------------------------------------------------

IGameOptions* MultiplayerHandler::Settings() { return game_ ? &game_->Options() : options_; }

void MultiplayerHandler::HandleChat(const char16_t* text, Player* sender, bool teamOnly)
{
    if (!text)
        return;
    int32_t id = sender && roster_ ? roster_->GetPlayerId(sender) : 0;
    const char16_t* name = GetPlayerName(id);
    // A sender without a slot is nobody's operator, whatever "Unknown" is.
    bool hasSlot = name != kUnknown;
    IPlayerScores* scores = sender && roster_ ? roster_->GetScores(sender) : nullptr;
    int32_t account = scores ? scores->GetAccountId() : 0;
    IGameOptions* options = Settings();
    if (text[0] == u'!' && sender && hasSlot && options && options->IsOperatorAccount(name, account)) {
        if (runCommand_)
            runCommand_(text + 1);
        return;
    }
    std::u16string line = Util::Format(u"<%s> %s", name, text);
    if (line.size() > kChatLineUnits)
        line.resize(kChatLineUnits);
    if (!teamOnly)
        BroadcastMessage(line.c_str(), -1, false, false);
    else if (sender)
        BroadcastMessage(line.c_str(), roster_->GetFigures(sender).team, false, true);
}

Player* MultiplayerHandler::AcceptJoin(MPAPI::IConnection* connection, const char16_t* name, const char* uid)
{
    // Operators are known by name: a second player may not take a name that
    // is in the table, whatever its case.
    if (!roster_ || NameInUse(name ? name : u""))
        return nullptr;
    Player* player = roster_->CreatePlayer();
    if (!player)
        return nullptr;
    int32_t id = roster_->GetPlayerId(player);
    roster_->SetConnection(player, connection);
    if (connection) {
        connection->SetPlayerObject(roster_->AsNetObject(player));
        GameMessages::WritePlayerId(outgoing_, id);
        outgoing_.SendOrDisconnect(connection);
    } else {
        ownPlayerId_ = id;
    }
    AddPlayer(id, name, connection);
    UpdatePlayer(id, PlayerSlot::kNoPosition, PlayerSlot::kNoPosition, connection ? connection->GetPing() : 0, -1,
                 connection);
    if (IEngine* engine = Services().engine)
        roster_->SetScores(player, engine->AddPlayer(id, name, uid));
    if (connection) {
        SendPlayerTable(connection);
        SendPlayerList(connection);
        roster_->SendModeInfo(connection);
    }
    return player;
}

Player* MultiplayerHandler::HandleJoinMessage(GamePacket* packet, MPAPI::IConnection* connection)
{
    GameMessages::JoinRequest join;
    if (!packet || !GameMessages::ReadJoin(*packet, &join))
        return nullptr;
    // One player per connection: a repeated join would orphan the first.
    if (connection && connection->GetPlayerObject())
        return nullptr;
    Player* player = AcceptJoin(connection, join.name.c_str(), join.uid);
    if (!player) {
        // Refused: the client would otherwise wait for its id forever.
        if (connection)
            connection->Disconnect();
        return nullptr;
    }
    roster_->SetRelativeMoving(player, join.flag == 1);
    return player;
}

void MultiplayerHandler::HandleChatMessage(GamePacket* packet, Player* sender)
{
    uint8_t flag = 0;
    std::u16string text;
    // A line with nothing to say is no chat line.
    if (packet && GameMessages::ReadFlaggedText(*packet, &flag, &text) && !text.empty())
        HandleChat(text.c_str(), sender, flag == 1);
}

bool MultiplayerHandler::HandleTableMessage(GamePacket* packet)
{
    using GameMessages::SlotRecord;
    if (!packet)
        return false;
    SlotRecord records[GameMessages::kMaxRecords];
    switch (GameMessage(packet->GetType())) {
    case GameMessage::PlayerEntry: {
        uint32_t id = 0;
        std::u16string name;
        GameMessages::ReadPlayerEntry(*packet, &id, &name);
        // Id 0 would name whatever slot is free.
        if (id != 0)
            AddPlayer(int32_t(id), name.c_str(), nullptr);
        return true;
    }
    case GameMessage::PlayerSlotUpdate:
        GameMessages::ReadPlayerSlotUpdate(*packet, &records[0]);
        if (records[0].id != 0)
            UpdatePlayer(int32_t(records[0].id), PlayerSlot::kNoPosition, PlayerSlot::kNoPosition, records[0].value,
                         records[0].team, nullptr);
        return true;
    case GameMessage::PlayerRemoved: {
        uint32_t id = GameMessages::ReadValue(*packet);
        if (id != 0)
            RemovePlayer(int32_t(id));
        return true;
    }
    case GameMessage::PlayerStatus: {
        int n = GameMessages::ReadPlayerStatus(*packet, records);
        for (int i = 0; i < n; ++i) {
            PlayerSlot* s = records[i].id != 0 ? GetOrAddPlayerSlot(int32_t(records[i].id)) : nullptr;
            if (!s)
                continue;
            s->x = records[i].x;
            s->y = records[i].y;
            s->value = records[i].value > 9999 ? 9999 : records[i].value;
        }
        return true;
    }
    case GameMessage::PlayerTable: {
        int n = GameMessages::ReadPlayerTable(*packet, records);
        for (int i = 0; i < n; ++i)
            if (records[i].id != 0)
                UpdatePlayer(int32_t(records[i].id), PlayerSlot::kNoPosition, PlayerSlot::kNoPosition, records[i].value,
                             records[i].team, nullptr);
        return true;
    }
    default:
        return false;
    }
}
