#pragma once

#include <string>

class IAudio;
class IFileManager;
class IGameOptions;

// "game.opt" lives in the game directory only, never in the data package.
// The dedicated server may name another file.

// False when the file cannot be opened or holds nothing; the options then
// keep their defaults. False too when the file does not read whole: the
// options then hold what could be read, and fault says what is wrong and
// where (it is empty otherwise). When audio is given, its master volume
// follows the loaded setting.
bool ReadOptionsFile(IFileManager* files, IGameOptions* options, IAudio* audio, const char16_t* path = u"game.opt",
                     std::string* fault = nullptr);

// masterServer is the engine's current master-server host (may be null).
// False, with nothing written, when the file may not be written (a
// read-only "game.opt" stays as it is); a failed write keeps the last good
// settings; reason then says why.
bool WriteOptionsFile(IFileManager* files, IGameOptions* options, const char16_t* masterServer,
                      const char16_t* path = u"game.opt", std::string* reason = nullptr);
