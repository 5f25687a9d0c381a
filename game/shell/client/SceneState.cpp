#include "game/shell/client/SceneState.h"

#include "game/world/settings/IGameOptions.h"

void ActionSnapshot::Read(IGameOptions* options, IInput* input)
{
    for (int action = 0; action < GameAction::Count; ++action)
        down[action] = options && input && options->IsActionDown(input, action);
}
