#include "game/world/state/WorldServices.h"

#include "game/world/state/IGameState.h"

WorldServices& Services()
{
    static WorldServices services;
    return services;
}

IMultiplayerHandler* ActiveHandler()
{
    IGameState* game = Services().game;
    return game ? game->GetActiveHandler() : nullptr;
}

bool IsServing()
{
    IGameState* game = Services().game;
    return game && game->GetActiveHandler() && game->GetActiveHandler() == game->GetServerHandler();
}

bool IsClient()
{
    IGameState* game = Services().game;
    return game && game->GetActiveHandler() && game->GetActiveHandler() == game->GetClientHandler();
}
