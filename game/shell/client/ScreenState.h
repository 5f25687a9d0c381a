#pragma once

#include "game/shell/menu/MenuSmoke.h"

// What the screens keep outside play: the menus' backdrop and whether the
// level's map picture has been rendered since the level was loaded or made.
struct ScreenState {
    MenuSmoke smoke;
    bool gameMapMade = false;
};
