#pragma once

#include "engine/core/List.h"

#include <string>
#include <vector>

class IEngine;
class IUpdateFile;

// The update check at the start of every client run. When the update
// service lists versions newer than the installed "game.data", the player
// is asked whether to update now; on yes the update is downloaded, merged
// and handed to the updater, and the process ends with exit code 0. Always
// false when it returns: the client goes on with the data it has. The
// updater starts the game again with gameArguments, those of this start.
bool CheckForNewVersion(IEngine* engine, const std::vector<std::u16string>& gameArguments = {});

// All of it but the end of the process: true when the updater was started.
bool RunUpdateCheck(IEngine* engine, const std::vector<std::u16string>& gameArguments = {});

// The names and notes of the entries newer than current, in list order;
// each entry's text is cut to the room left, and the room grows by
// kNotesChunk whenever less than kNotesSlack is left.
constexpr size_t kNotesChunk = 10240;
constexpr size_t kNotesSlack = 1024;
std::u16string BuildReleaseNotes(Util::List<IUpdateFile>* updates, int current);
