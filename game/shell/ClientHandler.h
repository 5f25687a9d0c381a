#pragma once

#include "game/shell/MultiplayerHandler.h"

// The client handler: made active by the connect flow.
class ClientHandler : public MultiplayerHandler {
};
