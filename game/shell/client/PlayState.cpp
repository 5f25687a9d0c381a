#include "game/shell/client/PlayState.h"

#include "engine/net/IClient.h"
#include "game/shell/menu/ChatMenu.h"
#include "game/shell/menu/KickMenu.h"

PlayState::PlayState() = default;

PlayState::~PlayState() = default;
