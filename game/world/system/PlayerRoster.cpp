#include "game/world/system/PlayerRoster.h"

#include "engine/net/IConnection.h"
#include "engine/net/Object.h"
#include "game/world/modes/GameMod.h"
#include "game/world/objects/ObjectKind.h"
#include "game/world/player/Player.h"
#include "game/world/player/PlayerTargets.h"
#include "game/world/state/ObjectManager.h"
#include "game/world/state/WorldServices.h"
#include "game/world/system/GameSystem.h"
#include "game/world/system/ObjectFactory.h"

#include <cmath>

namespace {

GameMod* Mode()
{
    IGameState* game = Services().game;
    return game ? game->GetGameMode() : nullptr;
}

} // namespace

Player* PlayerRoster::FindPlayer(int32_t id) { return static_cast<Player*>(FindPlayerById(id)); }

int32_t PlayerRoster::GetPlayerId(Player* player) { return player ? player->GetNetworkId() : 0; }

IPlayerRoster::Figures PlayerRoster::GetFigures(Player* player)
{
    Figures figures;
    if (!player)
        return figures;
    figures.team = player->GetTeam();
    figures.frags = player->GetFrags();
    figures.captures = player->GetCaptures();
    figures.rank = player->GetRank();
    figures.health = player->GetHealth();
    figures.x = player->GetX();
    figures.y = player->GetY();
    return figures;
}

Player* PlayerRoster::CreatePlayer()
{
    GameMod* mode = Mode();
    return mode ? mode->CreatePlayer() : nullptr;
}

void PlayerRoster::SendModeInfo(MPAPI::IConnection* connection)
{
    GameMod* mode = Mode();
    MPAPI::Object* player = connection ? connection->GetPlayerObject() : nullptr;
    if (mode && player)
        mode->SendModeInfo(connection, player->GetNetworkId());
}

MPAPI::Object* PlayerRoster::AsNetObject(Player* player) { return player; }

void PlayerRoster::SetConnection(Player* player, MPAPI::IConnection* connection)
{
    if (player)
        player->SetConnection(connection);
}

void PlayerRoster::SetScores(Player* player, IPlayerScores* scores)
{
    if (player)
        player->SetScores(scores);
}

IPlayerScores* PlayerRoster::GetScores(Player* player) { return player ? player->GetScores() : nullptr; }

void PlayerRoster::SetRelativeMoving(Player* player, bool on)
{
    if (player)
        player->SetJoinFlag(on ? 1 : 0);
}

Player* PlayerRoster::PlayerOf(MPAPI::Object* object)
{
    Object* o = dynamic_cast<Object*>(object);
    return o && o->GetKind() == ObjectKind::Player ? static_cast<Player*>(o) : nullptr;
}

void PlayerRoster::DeleteObject(MPAPI::Object* object) { delete object; }

void PlayerRoster::DropMissionItems(Player* player)
{
    if (player)
        player->DropMissionItems(true);
}

void PlayerRoster::SetTeam(Player* player, int choice, bool respawn, bool force)
{
    // Teams are the rules' to give: they also keep the player table true.
    if (GameMod* mode = Mode())
        mode->SetPlayerTeam(player, choice, respawn, force);
}

void PlayerRoster::RequestThrow(Player* player, int power)
{
    if (player && player->GetTeam() >= 0)
        player->RequestThrow(power);
}

void PlayerRoster::SetInput(Player* player, int flags, float angle, int, int b, float, float)
{
    if (!player)
        return;
    player->SetInputState(uint32_t(flags), angle, 0, b, 0.0f);
    if (std::isfinite(angle))
        player->SetAngle(angle);
    player->SetCurrentExplosive(b);
}

void PlayerRoster::AdoptOwnPlayer(Player* player)
{
    IGameState* game = Services().game;
    if (!player || !game)
        return;
    player->SetJoinFlag(game->Options().GetMovingMode());
    // The host plays with its player's own inventory.
    game->SetInventory(&player->GetInventory());
}

void PlayerRoster::UpdateMatch(float dt)
{
    // The mode may start the next level, which replaces it: nothing of it
    // is touched after the call.
    if (GameMod* mode = Mode())
        mode->Update(dt);
}

void PlayerRoster::StartMatch()
{
    if (GameMod* mode = Mode())
        mode->Start();
}

bool PlayerRoster::IsMatchOver()
{
    GameMod* mode = Mode();
    return mode && mode->IsGameOver();
}
