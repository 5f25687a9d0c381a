#include "outside/updater/Updater.h"

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace Updater {

namespace {

std::string Why(const std::string& what) { return what + ": " + std::strerror(errno); }

int32_t Int32At(const unsigned char* p)
{
    return int32_t(uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24);
}

// Packages start with -1, format version 1, the data version and the
// directory's offset; a cut-off file has lost its directory.
bool IsWholePackage(const std::string& path, std::string* error)
{
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        *error = Why("cannot open " + path);
        return false;
    }
    struct stat st {};
    unsigned char head[16];
    const bool read = fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && ::read(fd, head, sizeof head) == sizeof head;
    close(fd);
    const int64_t directory = read ? Int32At(head + 12) : 0;
    if (!read || Int32At(head) != -1 || Int32At(head + 4) != 1 || directory < 16 || directory + 4 > st.st_size) {
        *error = path + " is not a whole package";
        return false;
    }
    return true;
}

bool CopyFile(const std::string& from, const std::string& to, std::string* error)
{
    const int in = open(from.c_str(), O_RDONLY | O_CLOEXEC);
    const int out = in < 0 ? -1 : open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    bool ok = in >= 0 && out >= 0;
    char buffer[65536];
    while (ok) {
        const ssize_t n = ::read(in, buffer, sizeof buffer);
        if (n <= 0) {
            ok = n == 0;
            break;
        }
        for (ssize_t done = 0; ok && done < n;) {
            const ssize_t w = write(out, buffer + done, size_t(n - done));
            ok = w > 0;
            done += w > 0 ? w : 0;
        }
    }
    ok = ok && fsync(out) == 0;
    if (!ok)
        *error = Why("cannot copy " + from + " to " + to);
    if (in >= 0)
        close(in);
    if (out >= 0 && close(out) != 0 && ok) {
        *error = Why("cannot write " + to);
        ok = false;
    }
    if (!ok && out >= 0)
        unlink(to.c_str());
    return ok;
}

void SyncFolder(const std::string& folder)
{
    const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        fsync(fd);
        close(fd);
    }
}

} // namespace

bool ParseCommand(const std::string& text, std::string* package, std::string* folder, std::string* error)
{
    const size_t bar = text.find('|');
    if (bar == std::string::npos || bar == 0 || bar + 1 == text.size()) {
        *error = "expected \"<downloaded package>|<game folder>\", got \"" + text + "\"";
        return false;
    }
    *package = text.substr(0, bar);
    *folder = text.substr(bar + 1);
    return true;
}

void RemoveDownloadFolder(const std::string& package)
{
    const size_t slash = package.rfind('/');
    if (slash == std::string::npos || slash == 0)
        return;
    const std::string folder = package.substr(0, slash);
    if (folder.compare(folder.rfind('/') + 1, 8, "vnupdate") != 0)
        return;
    DIR* dir = opendir(folder.c_str());
    if (!dir)
        return;
    // A running program's file can go: we are started from this folder.
    while (const dirent* e = readdir(dir)) {
        const std::string name = e->d_name;
        if (name.compare(0, 8, "vnupdate") == 0 || name == "vnupd.exe")
            unlink((folder + "/" + name).c_str());
    }
    closedir(dir);
    rmdir(folder.c_str());
}

bool CheckFolder(const std::string& folder, std::string* error)
{
    if (!IsWholePackage(folder + "/game_new.data", error))
        return false;
    if (access((folder + "/game").c_str(), X_OK) != 0) {
        *error = Why("no game program to start in " + folder);
        return false;
    }
    return true;
}

bool WaitForParentExit(pid_t parent, const std::string& folder, int seconds)
{
    // Gone before we looked, we were handed to init or a session's reaper,
    // which works elsewhere; the game works in its folder.
    struct stat cwd {
    }, game{};
    const std::string link = "/proc/" + std::to_string(parent) + "/cwd";
    if (getppid() != parent || stat(link.c_str(), &cwd) != 0 || stat(folder.c_str(), &game) != 0 ||
        cwd.st_dev != game.st_dev || cwd.st_ino != game.st_ino)
        return true;
    std::printf("updater: waiting for the game (process %d) to end\n", int(parent));
    std::fflush(stdout);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (getppid() == parent) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

bool Install(const std::string& folder, std::string* error)
{
    const std::string data = folder + "/game.data";
    const std::string fresh = folder + "/game_new.data";
    const std::string backup = folder + "/game.data.bak";
    if (!IsWholePackage(fresh, error))
        return false;
    struct stat st {};
    if (lstat(data.c_str(), &st) == 0) {
        // The backup is complete under a passing name before it takes its
        // own, so an interrupted update never leaves half a backup.
        const std::string passing = backup + ".new";
        unlink(passing.c_str());
        if (link(data.c_str(), passing.c_str()) != 0 && !CopyFile(data, passing, error))
            return false;
        if (rename(passing.c_str(), backup.c_str()) != 0) {
            *error = Why("cannot keep game.data as " + backup);
            unlink(passing.c_str());
            return false;
        }
    }
    if (rename(fresh.c_str(), data.c_str()) != 0) {
        *error = Why("cannot put " + fresh + " in place of " + data);
        return false;
    }
    SyncFolder(folder);
    return true;
}

bool StartGame(const std::string& folder, const std::vector<std::string>& arguments, std::string* error)
{
    const std::string program = folder + "/game";
    posix_spawnattr_t attr;
    posix_spawn_file_actions_t actions;
    posix_spawnattr_init(&attr);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSID);
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
    std::vector<std::string> words = {"game"};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& w : words)
        argv.push_back(w.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    const int result = posix_spawn(&pid, program.c_str(), &actions, &attr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attr);
    if (result != 0) {
        errno = result;
        *error = Why("cannot start " + program);
        return false;
    }
    return true;
}

} // namespace Updater
