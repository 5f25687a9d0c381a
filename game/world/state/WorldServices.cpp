#include "game/world/state/WorldServices.h"

#include "game/world/system/GameSystem.h"

WorldServices& Services()
{
    static WorldServices services;
    return services;
}

IMultiplayerHandler* ActiveHandler()
{
    GameSystem* game = Services().game;
    return game ? game->GetActiveHandler() : nullptr;
}

bool IsServing()
{
    GameSystem* game = Services().game;
    return game && game->GetActiveHandler() && game->GetActiveHandler() == game->GetServerHandler();
}

bool IsClient()
{
    GameSystem* game = Services().game;
    return game && game->GetActiveHandler() && game->GetActiveHandler() == game->GetClientHandler();
}
