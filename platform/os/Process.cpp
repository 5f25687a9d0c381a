#include "platform/os/Process.h"

#include "platform/os/OsText.h"

#include <spawn.h>
#include <sys/types.h>

extern char** environ;

namespace Os {

bool StartProgram(const std::u16string& program, const std::vector<std::u16string>& args)
{
    if (program.empty() || args.empty())
        return false;
    std::string path = Util::ToOs(program);
    std::vector<std::string> texts;
    for (const std::u16string& a : args)
        texts.push_back(Util::ToOs(a));
    std::vector<char*> argv;
    for (std::string& t : texts)
        argv.push_back(t.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    if (posix_spawn_file_actions_init(&actions) != 0)
        return false;
    // The game's files and sockets stay the game's.
    posix_spawn_file_actions_addclosefrom_np(&actions, 3);
    pid_t pid = 0;
    int rc = posix_spawn(&pid, path.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    return rc == 0;
}

} // namespace Os
