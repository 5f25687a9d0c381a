#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

// The steps of finishing an update the game has downloaded and merged into
// "game_new.data" in its folder. Each gives false with a sentence in *error.
namespace Updater {

// "<downloaded package>|<game folder>", split at the first "|".
bool ParseCommand(const std::string& text, std::string* package, std::string* folder, std::string* error);

// The folder the game downloaded into and started us from: its downloads
// are merged into "game_new.data" already. Only a folder of the game's own
// making ("vnupdate..."), and only the files the game puts there, go.
void RemoveDownloadFolder(const std::string& package);

// "game_new.data" is a whole package and the folder has a "game" to start.
bool CheckFolder(const std::string& folder, std::string* error);

// Waits until the game that started us, our parent at start, is gone (we
// are handed to another parent), at most seconds. A parent that does not
// work in the game folder is not the game: it took us over from a game
// that ended before we looked.
bool WaitForParentExit(pid_t parent, const std::string& folder, int seconds);

// "game_new.data" becomes "game.data"; the old one stays as
// "game.data.bak". "game.data" is whole at every moment: the old package
// until the new one takes its name in one rename.
bool Install(const std::string& folder, std::string* error);

// Starts the folder's "game" with these arguments, in that folder, in a
// session of its own, and does not wait for it.
bool StartGame(const std::string& folder, const std::vector<std::string>& arguments, std::string* error);

} // namespace Updater
