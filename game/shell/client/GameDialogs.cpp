#include "game/shell/client/Game.h"

#include "game/shell/dialogs/LoginDialog.h"
#include "game/shell/dialogs/UpdateCheck.h"
#include "platform/ui/wx/Dialogs.h"

// The dialogs come up before the renderer opens its window; without a
// display they answer from the environment.
void Game::RunUpdateCheck(const std::vector<std::u16string>& gameArguments)
{
    Ui::StartDialogs();
    CheckForNewVersion(engine_, gameArguments);
}

bool Game::RunLogin()
{
    LoginDialog dialog;
    return RunLoginDialog(dialog, engine_);
}
