#pragma once

// A server's game folder for the tests and benchmarks that run the real
// programs: the generated default data, its game.opt set to listen on a free
// port and to announce nowhere. The including target defines
// VORNHAL_BUILD_DIR.

#include "support/TestSupport.h"

#include <arpa/inet.h>
#include <cstdint>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <regex>
#include <string>

namespace TestSupport {

// The data version in a package's header; -1 without one.
inline int PackageVersion(const std::string& path)
{
    const std::string b = ReadText(path);
    return b.size() < 12 ? -1 : int(uint8_t(b[8]) | uint8_t(b[9]) << 8 | uint8_t(b[10]) << 16 | uint8_t(b[11]) << 24);
}

// A free UDP port a program binds later. Found below the kernel's range for
// unnamed binds, so that no other test's socket can take it meanwhile.
inline int FreeUdpPort()
{
    int low = 0, high = 0;
    std::ifstream("/proc/sys/net/ipv4/ip_local_port_range") >> low >> high;
    std::mt19937 pick{std::random_device{}()};
    int s = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    bool found = false;
    for (int attempt = 0; attempt < 100 && low > 12000 && !found; ++attempt) {
        a.sin_port = htons(uint16_t(low - 1 - int(pick() % 10000u)));
        found = bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
    }
    if (!found) {
        a.sin_port = 0;
        bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a);
    }
    socklen_t size = sizeof a;
    getsockname(s, reinterpret_cast<sockaddr*>(&a), &size);
    close(s);
    return ntohs(a.sin_port);
}

// Replaces the value of one element of the folder's game.opt.
inline void SetGameOption(const std::string& folder, const std::string& key, const std::string& value)
{
    std::regex element("<" + key + ">[^<]*</" + key + ">");
    std::string text = ReadText(folder + "/game.opt");
    std::ofstream(folder + "/game.opt") << std::regex_replace(text, element,
                                                              "<" + key + ">" + value + "</" + key + ">");
}

// Lays the folder out and returns the UDP port it is set to listen on.
inline int LayOutGameFolder(const std::string& folder)
{
    namespace fs = std::filesystem;
    const int port = FreeUdpPort();
    const fs::path build = VORNHAL_BUILD_DIR;
    fs::create_directories(fs::path(folder) / "levels");
    fs::copy_file(build / "game.data", fs::path(folder) / "game.data");
    fs::copy_file(build / "game.opt", fs::path(folder) / "game.opt");
    for (const auto& entry : fs::directory_iterator(build / "levels"))
        if (entry.path().extension() == ".lvl")
            fs::copy_file(entry.path(), fs::path(folder) / "levels" / entry.path().filename());
    SetGameOption(folder, "serverport", std::to_string(port));
    SetGameOption(folder, "masterserver", "127.0.0.1:1");
    return port;
}

// A game folder as a level designer has it: the scripts, pictures, sounds,
// shaders and levels on disk beside the package and the settings.
inline void LayOutEditorFolder(const std::string& folder)
{
    namespace fs = std::filesystem;
    const fs::path build = VORNHAL_BUILD_DIR;
    fs::create_directories(folder);
    for (const char* name :
         {"blocks.cfg", "objects.cfg", "items.cfg", "weapons_fin_vs_rus.cfg", "game.data", "game.opt"})
        fs::copy_file(build / name, fs::path(folder) / name);
    for (const char* dir : {"gfx", "sfx", "shaders", "levels", "manual"})
        fs::copy(build / dir, fs::path(folder) / dir, fs::copy_options::recursive);
}

} // namespace TestSupport
