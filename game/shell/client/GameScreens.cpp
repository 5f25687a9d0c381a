#include "game/shell/client/Game.h"

#include "game/shell/menu/HostMenu.h"
#include "game/shell/menu/MainMenu.h"

ScreenContext Game::GetScreenContext()
{
    ScreenContext context;
    context.engine = engine_;
    context.game = game_.get();
    context.media = media_.get();
    return context;
}

void Game::RunMainMenu()
{
    MainMenu menu(this, GetScreenContext(), &screens_.smoke);
    MenuSystem::Run(&menu);
}

void Game::RunHostMenu()
{
    HostMenu menu(this, GetScreenContext());
    MenuSystem::Run(&menu);
}
