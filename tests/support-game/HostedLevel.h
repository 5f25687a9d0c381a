#pragma once

#include "game/world/map/LevelFile.h"

#include <cstdint>
#include <string>
#include <vector>

namespace TestGame {

// A level file on disk read without the scripts; false when it does not read.
bool ReadLevelFile(const std::string& path, LevelContents* level);

// The real server, in a game folder made under dir, hosts the level alone in
// the cycle of its mode; a headless player of each team joins, downloads it
// and walks it. Fails the test where any of that does not happen.
void HostAndPlay(const std::string& dir, const std::string& name, const std::vector<uint8_t>& level, int mode,
                 const std::vector<int>& teams);

} // namespace TestGame
