#include "game/world/WorldServices.h"

#include "game/shell/ClientHandler.h"
#include "game/shell/ServerHandler.h"
#include "game/world/GameSystem.h"

WorldServices& Services()
{
    static WorldServices services;
    return services;
}

MultiplayerHandler* ActiveHandler()
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
