#include "game/world/modes/GameMod.h"

#include "engine/core/IEngine.h"
#include "engine/core/StringKit.h"
#include "engine/net/IConnection.h"
#include "engine/web/IPlayerScores.h"
#include "game/world/net/GameMessage.h"
#include "game/world/net/IMultiplayerHandler.h"
#include "game/world/objects/ObjectKind.h"
#include "game/world/objects/StartPoint.h"
#include "game/world/player/Player.h"
#include "game/world/resources/WeaponTable.h"
#include "game/world/settings/GameOptions.h"
#include "game/world/state/IGameState.h"
#include "game/world/state/ObjectManager.h"
#include "game/world/state/WorldServices.h"

#include <cmath>

namespace {

constexpr float kFirstPhaseSeconds = 60.0f;
constexpr int kNoticeUnits = 256;

IGameOptions* Options()
{
    IGameState* game = Services().game;
    return game ? &game->Options() : nullptr;
}

int TeamSlot(int team) { return team == GameMod::kFinland ? 0 : 1; }

} // namespace

GameMod::GameMod() = default;

IMultiplayerHandler* GameMod::Handler() { return ActiveHandler(); }

ObjectManager* GameMod::Objects() { return Services().objects; }

bool GameMod::Serving() { return IsServing(); }

void GameMod::Start()
{
    float limit = clock_.GetOptionLimit();
    clock_.Reset(limit, limit);
    counts_[0] = counts_[1] = counts_[2] = 0;
    phase_ = 0;
    timeMessageTimer_ = 0.0f;
    cooldown_[0] = cooldown_[1] = 0.0f;
    gameOver_ = false;
    gameOverTimer_ = 0.0f;
    if (IEngine* engine = Services().engine)
        engine->SetScoreWeight(0.0f, 0.0f);
}

void GameMod::Restart()
{
    timeMessageTimer_ = 0.0f;
    // A time limit the server has told outlasts a restart.
    clock_.Reset(serverTimeLimit_ >= 0.0f ? serverTimeLimit_ : clock_.GetOptionLimit(), 0.0f);
    waitingForTime_ = true;
    gameOver_ = false;
    gameOverTimer_ = 0.0f;
}

void GameMod::CheckLimits(float dt) { AdvanceClientClock(dt); }

void GameMod::Update(float)
{
    IMultiplayerHandler* handler = Handler();
    float elapsed = clock_.GetElapsed();
    if (phase_ == 0 && elapsed >= kFirstPhaseSeconds) {
        counts_[0] = handler ? handler->CountPlayers() : 0;
        phase_ = 1;
        ReportPhase();
    }
    if (phase_ == 1 && elapsed >= clock_.GetTimeLimit() * 0.5f) {
        counts_[1] = handler ? handler->CountPlayers() : 0;
        phase_ = 2;
        ReportPhase();
    }
    if (phase_ == 2 && IsGameOver()) {
        counts_[2] = handler ? handler->CountPlayers() : 0;
        phase_ = 3;
        ReportPhase();
    }
}

void GameMod::ReportPhase()
{
    IMultiplayerHandler* handler = Handler();
    float sum = 0.0f;
    for (int i = 0; i < phase_ && i < 3; ++i)
        sum += float(counts_[i]);
    float average = phase_ > 0 ? sum / float(phase_) : 0.0f;
    float bonus = 0.0f;
    int players = handler ? handler->CountPlayers() : 0;
    for (int n = 0; n < players; ++n) {
        int rank = handler->GetPlayerRankAt(n);
        if (rank >= 6)
            bonus += 0.02f;
        else if (rank >= 2)
            bonus += 0.01f;
    }
    if (IEngine* engine = Services().engine)
        engine->SetScoreWeight(average, bonus);
}

bool GameMod::IsGameOver()
{
    if (gameOver_)
        return true;
    if (waitingForTime_)
        return false;
    return clock_.GetTimeLimit() > 0.0f && clock_.GetTimeLeft() <= clock_.GetGameOverDisplay();
}

void GameMod::AdvanceServerClock(float dt) { clock_.Advance(dt, clock_.GetOptionLimit()); }

void GameMod::AdvanceClientClock(float dt)
{
    // Until the server has told its limit the client keeps the one it has:
    // its own option would make its time run out against another server's.
    clock_.Advance(dt, serverTimeLimit_ >= 0.0f ? serverTimeLimit_ : clock_.GetTimeLimit());
}

void GameMod::UpdateCooldowns(float dt)
{
    for (float& c : cooldown_) {
        c -= dt;
        if (c < 0.0f)
            c = 0.0f;
    }
}

void GameMod::UpdateBalanceFlag()
{
    if (!balanceNow_)
        return;
    int difference = CountTeam(kFinland) - CountTeam(kRussia);
    if (difference < 2 && difference > -2)
        balanceNow_ = false;
}

void GameMod::UpdateMatchEnd(float dt)
{
    IMultiplayerHandler* handler = Handler();
    if (!handler)
        return;
    if (gameOver_) {
        gameOverTimer_ += dt;
        // The next level replaces this object: nothing may follow the call.
        if (gameOverTimer_ >= clock_.GetGameOverDisplay())
            handler->StartLevel();
        return;
    }
    IGameOptions* options = Options();
    int teamLimit = options ? options->GetServerTeamFragLimit() : 0;
    int fragLimit = options ? options->GetServerFragLimit() : 0;
    if ((teamLimit > 0 &&
         (handler->GetTeamFrags(kFinland) >= teamLimit || handler->GetTeamFrags(kRussia) >= teamLimit)) ||
        (fragLimit > 0 && handler->GetTopFrags() >= fragLimit)) {
        gameOver_ = true;
        gameOverTimer_ = 0.0f;
        return;
    }
    EndAtTimeLimit(dt, handler);
}

bool GameMod::EndAtTimeLimit(float dt, IMultiplayerHandler* handler)
{
    if (handler && !waitingForTime_ && clock_.GetTimeLimit() > 0.0f && clock_.GetTimeLeft() <= 0.0f) {
        handler->StartLevel();
        return true;
    }
    timeMessageTimer_ += dt;
    if (timeMessageTimer_ > kTimeMessageInterval) {
        timeMessageTimer_ = 0.0f;
        BroadcastTime();
    }
    return false;
}

void GameMod::CheckReceivedLimits(float dt)
{
    if (gameOver_)
        return;
    AdvanceClientClock(dt);
    IMultiplayerHandler* handler = Handler();
    if (!handler)
        return;
    if ((teamFragLimit_ > 0 &&
         (handler->GetTeamFrags(kFinland) >= teamFragLimit_ || handler->GetTeamFrags(kRussia) >= teamFragLimit_)) ||
        (fragLimit_ > 0 && handler->GetTopFrags() >= fragLimit_)) {
        gameOver_ = true;
        gameOverTimer_ = 0.0f;
    }
}

void GameMod::ReadTimeMessage(GamePacket* packet)
{
    float left = 0.0f;
    float limit = -1.0f;
    packet->ReadFloat(&left);
    packet->ReadFloat(&limit);
    if (!std::isfinite(left))
        return;
    // Servers of old send only the time left.
    if (std::isfinite(limit) && limit >= 0.0f) {
        serverTimeLimit_ = limit;
        clock_.Follow(limit, left);
    }
    clock_.SetTimeLeft(left);
    waitingForTime_ = false;
    if (packet->GetRemaining() >= 8)
        ReadLimitsMessage(packet);
    ReadCaptureCounts(packet);
}

void GameMod::WriteCaptureCounts(GamePacket& packet)
{
    ObjectManager* objects = Objects();
    if (!CountsCaptures() || !objects)
        return;
    std::vector<Player*> players;
    for (Object* object : objects->Players())
        if (object && object->GetKind() == ObjectKind::Player && players.size() < IMultiplayerHandler::kSlotCount)
            players.push_back(static_cast<Player*>(object));
    packet.WriteByte(uint8_t(players.size()));
    for (Player* player : players) {
        packet.Write32(uint32_t(player->GetNetworkId()));
        packet.Write16(uint16_t(player->GetCaptures()));
    }
}

void GameMod::ReadCaptureCounts(GamePacket* packet)
{
    uint8_t count = 0;
    if (!CountsCaptures() || Serving() || !packet->ReadByte(&count))
        return;
    toldCaptures_.clear();
    for (int i = 0; i < count && packet->GetRemaining() >= 6; ++i) {
        uint32_t id = 0;
        uint16_t captures = 0;
        packet->Read32(&id);
        packet->Read16(&captures);
        toldCaptures_.emplace_back(int32_t(id), int(int16_t(captures)));
    }
}

int GameMod::CapturesOf(int32_t playerId)
{
    if (Serving()) {
        Player* player = FindPlayer(playerId);
        return player ? player->GetCaptures() : 0;
    }
    for (const auto& told : toldCaptures_)
        if (told.first == playerId)
            return told.second;
    return 0;
}

void GameMod::ReadLimitsMessage(GamePacket* packet)
{
    uint32_t frags = 0, teamFrags = 0;
    GameMessages::ReadPair(*packet, &frags, &teamFrags);
    fragLimit_ = int32_t(frags);
    teamFragLimit_ = int32_t(teamFrags);
}

void GameMod::BroadcastTime()
{
    IMultiplayerHandler* handler = Handler();
    if (!handler || !Serving())
        return;
    // Behind the time left, which is all older clients read, ride the time
    // limit and the frag limits: a client that missed message 2002 (it had
    // no mode yet while it fetched the level) learns them within 5 s.
    const float values[2] = {clock_.GetTimeLeft(), clock_.GetTimeLimit()};
    IGameOptions* options = Options();
    GamePacket& packet = handler->Outgoing();
    GameMessages::WriteFloats(packet, GameMessage::GameModeTime, values, 2);
    packet.Write32(uint32_t(options ? options->GetServerFragLimit() : 0));
    packet.Write32(uint32_t(options ? options->GetServerTeamFragLimit() : 0));
    WriteCaptureCounts(packet);
    handler->Broadcast(&packet, nullptr);
}

void GameMod::BroadcastLimits()
{
    IMultiplayerHandler* handler = Handler();
    IGameOptions* options = Options();
    if (!handler || !options || !Serving())
        return;
    GamePacket& packet = handler->Outgoing();
    GameMessages::WriteGameModeData(packet, options->GetServerFragLimit(), options->GetServerTeamFragLimit());
    handler->Broadcast(&packet, nullptr);
}

void GameMod::SendLimits(MPAPI::IConnection* connection)
{
    IMultiplayerHandler* handler = Handler();
    IGameOptions* options = Options();
    if (!handler || !options || !connection || !Serving())
        return;
    GamePacket& packet = handler->Outgoing();
    GameMessages::WriteGameModeData(packet, options->GetServerFragLimit(), options->GetServerTeamFragLimit());
    packet.Send(connection);
}

void GameMod::BroadcastScoringTeam(int team)
{
    IMultiplayerHandler* handler = Handler();
    if (!handler || !Serving())
        return;
    GamePacket& packet = handler->Outgoing();
    GameMessages::WriteGameModeCapture(packet, team);
    WriteCaptureCounts(packet);
    handler->Broadcast(&packet, nullptr);
}

void GameMod::SendStatus(MPAPI::IConnection* connection, int32_t playerId, const char16_t* text)
{
    IMultiplayerHandler* handler = Handler();
    Player* player = FindPlayer(playerId);
    if (handler && connection && player && Serving())
        handler->SendMessageTo(player, text);
}

void GameMod::BroadcastNotice(const char16_t* text, bool notice)
{
    IMultiplayerHandler* handler = Handler();
    if (handler && Serving())
        handler->BroadcastMessage(text, -1, notice, false);
}

Player* GameMod::FindPlayer(int32_t id)
{
    ObjectManager* objects = Objects();
    if (!objects || id == 0)
        return nullptr;
    for (Object* object : objects->Players())
        if (object && object->GetKind() == ObjectKind::Player && object->GetNetworkId() == id)
            return static_cast<Player*>(object);
    return nullptr;
}

const char16_t* GameMod::PlayerName(Player* player)
{
    IMultiplayerHandler* handler = Handler();
    if (!handler)
        return u"Unknown";
    return handler->GetPlayerName(player ? player->GetNetworkId() : 0);
}

int GameMod::CountTeam(int team)
{
    IMultiplayerHandler* handler = Handler();
    return handler ? handler->CountTeamPlayers(team) : 0;
}

Player* GameMod::CreatePlayer()
{
    Player* player = ::CreatePlayer();
    if (player) {
        player->SetPosition(100.0f, 100.0f);
        player->SetTeam(Player::kNoTeam);
    }
    return player;
}

void GameMod::SetPlayerTeam(Player* player, int choice, bool respawn, bool force)
{
    if (!player || (choice != kChooseFinland && choice != kChooseRussia))
        return;
    int team = choice == kChooseFinland ? kFinland : kRussia;
    int current = player->GetTeam();
    if (current == team)
        return;
    IGameOptions* options = Options();
    if (options && options->GetServerBalanced() && !force) {
        int finns = CountTeam(kFinland), russians = CountTeam(kRussia);
        if (team == kFinland && (finns > russians || (current == kRussia && finns >= russians)))
            return;
        if (team == kRussia && (russians > finns || (current == kFinland && russians >= finns)))
            return;
    }
    BeforeTeamChange(player);
    const char16_t* format = current < 0       ? u"Player %s entered the game"
                             : team == kRussia ? u"Player %s changed team to Russia"
                                               : u"Player %s changed team to Finland";
    char16_t text[kNoticeUnits + 1];
    Util::FormatTo(text, sizeof text / sizeof text[0], format, PlayerName(player));
    BroadcastNotice(text, false);
    player->SetTeam(team);
    // Whoever moved the player, the clients' player table must follow.
    IMultiplayerHandler* handler = Handler();
    if (handler && Serving()) {
        MPAPI::IConnection* connection = player->GetConnection();
        handler->UpdatePlayer(player->GetNetworkId(), player->GetX(), player->GetY(),
                              connection ? connection->GetPing() : 0, team, nullptr);
    }
    if (respawn)
        SpawnPlayer(player);
}

void GameMod::SpawnPlayer(Player* player)
{
    if (!player || player->GetTeam() < 0)
        return;
    IGameOptions* options = Options();
    if ((options && options->GetServerBalanced()) || balanceNow_) {
        int finns = CountTeam(kFinland), russians = CountTeam(kRussia);
        if (player->GetTeam() == kFinland && finns > russians + 1)
            SetPlayerTeam(player, kChooseRussia, false, false);
        else if (player->GetTeam() == kRussia && russians > finns + 1)
            SetPlayerTeam(player, kChooseFinland, false, false);
    }
    StartPoint* point = PickStartPoint(player->GetTeam());
    if (!point)
        return;
    player->SetPosition(point->GetX(), point->GetY());
    if (IGameState* game = Services().game)
        game->GiveSpawnWeapons(player);
}

bool GameMod::ToggleBalance()
{
    balanceNow_ = !balanceNow_;
    return balanceNow_;
}

bool GameMod::CanRespawn(Player* player) { return !player || cooldown_[TeamSlot(player->GetTeam())] <= 0.0f; }

void GameMod::OnKill(Player* victim, Object* killerObject, int killDetail, int weaponId)
{
    // Every machine hears of a death; the server alone keeps the score.
    if (!victim || !Serving())
        return;
    IMultiplayerHandler* handler = Handler();
    int team = victim->GetTeam();
    if ((team == kFinland || team == kRussia) && handler && handler->CountLivingTeamPlayers(team) > 1)
        cooldown_[TeamSlot(team)] = kRespawnCooldown;
    Player* killer =
        killerObject && killerObject->GetKind() == ObjectKind::Player ? static_cast<Player*>(killerObject) : nullptr;
    if (!killer)
        return;
    bool suicide =
        killer == victim || (killer->GetNetworkId() != 0 && killer->GetNetworkId() == victim->GetNetworkId());
    IPlayerScores* killerScores = killer->GetScores();
    if (suicide) {
        if (killerScores)
            killerScores->AddKillStats(0, 1, 0);
        killer->AddFrags(-1);
    } else {
        if (killerScores) {
            killerScores->AddKillStats(1, 0, 0);
            killerScores->AddPoints(1);
        }
        killer->AddFrags(1);
    }
    const WeaponTable* table = Services().weapons;
    const WeaponDef* weapon = table ? table->FindWeapon(weaponId) : nullptr;
    const char16_t* weaponName = weapon && weapon->hasDisplayName ? weapon->displayName.c_str() : u"";
    bool named = weaponName[0] != 0;
    // A player without a score record (a bot, a test) keeps no score.
    IPlayerScores* victimScores = victim->GetScores();
    char16_t text[kNoticeUnits + 1];
    const size_t units = sizeof text / sizeof text[0];
    if (suicide) {
        if (victimScores)
            victimScores->AddKillStats(0, 0, 1);
        if (named)
            Util::FormatTo(text, units, u"%s did suicide with %s", PlayerName(victim), weaponName);
        else
            Util::FormatTo(text, units, u"%s did suicide", PlayerName(victim));
    } else {
        if (victimScores)
            victimScores->AddKillStats(0, 1, 0);
        const char16_t* killerName = PlayerName(killer);
        const char16_t* victimName = PlayerName(victim);
        if (killDetail == 1)
            Util::FormatTo(text, units,
                           named ? u"%s killed %s with head shot using %s" : u"%s killed %s with head shot", killerName,
                           victimName, weaponName);
        else
            Util::FormatTo(text, units, named ? u"%s killed %s with %s" : u"%s killed %s", killerName, victimName,
                           weaponName);
    }
    BroadcastNotice(text, true);
}

int GameMod::GetScoreboardNumber(int team)
{
    IMultiplayerHandler* handler = Handler();
    if (!handler)
        return 0;
    if (!CountsCaptures())
        return handler->GetTeamFrags(team);
    int sum = 0;
    for (int i = 0; i < IMultiplayerHandler::kSlotCount; ++i) {
        const PlayerSlot* slot = handler->GetSlot(i);
        if (slot && slot->IsUsed() && slot->team == team)
            sum += CapturesOf(slot->id);
    }
    return sum;
}

void GameMod::AwardFrag(Player* player)
{
    if (!player || !Serving())
        return;
    if (IPlayerScores* scores = player->GetScores()) {
        scores->AddKillStats(1, 0, 0);
        scores->AddPoints(1);
    }
    player->AddFrags(1);
}
