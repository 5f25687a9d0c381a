#pragma once

// What the tests of the game program share: a player's game folder, the
// stand-in master service and a server announced to it, screenshots, and
// the lines the game writes about what it shows.

#include "StandInState.h"
#include "support/ChildProcess.h"
#include "support/GameFolder.h"
#include "support/TestSupport.h"
#include "support/XDriver.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace ClientRig {

const std::string kBuild = VORNHAL_BUILD_DIR;
constexpr int kWait = 60000;

// A game folder as a player has it: the program beside its libraries and
// the package, no settings yet.
inline void LayOutPlayerFolder(const std::string& folder)
{
    namespace fs = std::filesystem;
    fs::create_directories(folder);
    for (const char* f : {"game", "libEngine.so", "libGame.so", "libOptions.so"})
        fs::create_symlink(kBuild + "/" + f, folder + "/" + f);
    fs::copy_file(kBuild + "/game.data", folder + "/game.data");
}

// The game folder's map cycle of team deathmatch: these levels only.
inline void SetMapCycle(const std::string& folder, const std::vector<std::string>& levels)
{
    std::string cycle;
    for (const std::string& level : levels)
        cycle += "<level>" + level + "</level>";
    const std::string options = TestSupport::ReadText(folder + "/game.opt");
    std::ofstream(folder + "/game.opt") << std::regex_replace(
        options, std::regex("<mapcycle mode=\"0\">[^]*?</mapcycle>"), "<mapcycle mode=\"0\">" + cycle + "</mapcycle>");
}

// The game's window once it is up, focused; 0 when there is no X or it
// never came.
inline XWindow FocusGameWindow(XDriver& x)
{
    const XWindow w = x.Ok() ? x.WaitForWindow("Vornhal", kWait) : 0;
    if (w)
        x.Focus(w);
    return w;
}

// The game in its folder, logging in as "user:password" without a window
// for it and declining updates: the main menu is what comes up. Sound goes
// to the sound library's driver of that name.
inline std::unique_ptr<TestSupport::ChildProcess> StartGame(const std::string& folder, const std::string& master,
                                                            const std::string& login, const char* sound = "null")
{
    setenv("VORNHAL_UI", "headless", 1);
    setenv("VORNHAL_UI_LOGIN", login.c_str(), 1);
    setenv("VORNHAL_UI_UPDATE", "no", 1);
    setenv("VORNHAL_UPDATE_HOST", master.c_str(), 1);
    setenv("ALSOFT_DRIVERS", sound, 1);
    unsetenv("VORNHAL_OPTIONS");
    unsetenv("VORNHAL_OPTIONS_SET");
    TestSupport::SetGameOption(folder, "masterserver", master);
    return std::make_unique<TestSupport::ChildProcess>(folder + "/game", std::vector<std::string>{}, folder);
}

// The stand-in master service as a program, with accounts (user, password,
// nick, id: four words each); Address() once it listens.
class Master {
public:
    Master(const std::string& dir, const std::vector<std::string>& accounts, const std::string& files = "")
        : state_(dir + "/master.state")
    {
        std::vector<std::string> args = {"--state", state_};
        if (!files.empty())
            args.insert(args.end(), {"--files", files});
        for (size_t i = 0; i + 4 <= accounts.size(); i += 4)
            args.insert(args.end(), {"--add-account", accounts[i], accounts[i + 1], accounts[i + 2], accounts[i + 3]});
        process_ =
            std::make_unique<TestSupport::ChildProcess>(kBuild + "/outside/masterserver/masterserver", args, dir);
        if (process_->WaitFor("port ", kWait) && process_->WaitFor("\n", kWait))
            address_ = "127.0.0.1:" +
                       std::to_string(std::atoi(process_->Output().c_str() + process_->Output().find("port ") + 5));
    }

    const std::string& Address() const { return address_; }
    TestSupport::ChildProcess& Process() { return *process_; }

    // Whether a server on this port has announced itself (with this many
    // players, unless -1), waited for.
    bool WaitAnnounced(int port, int players = -1)
    {
        for (int i = 0; i < kWait / 50; ++i, std::this_thread::sleep_for(std::chrono::milliseconds(50))) {
            StandInState state(state_);
            state.Load();
            for (const AnnouncedServer& s : state.Servers())
                if (s.port == port && (players < 0 || s.players == players))
                    return true;
        }
        return false;
    }

private:
    std::string state_, address_;
    std::unique_ptr<TestSupport::ChildProcess> process_;
};

inline void Screenshot(XDriver& x, XWindow w, const std::string& folder, const std::string& name)
{
    XShot shot;
    TestSupport::MakeDirs(kBuild + "/screenshots/" + folder);
    EXPECT_TRUE(x.Capture(w, &shot) && SavePng(kBuild + "/screenshots/" + folder + "/" + name, shot)) << name;
}

// A press of the first button at (x, y) held until the rectangle shows it
// (the menus look at the button once a frame), then let go. With hover, the
// pointer's arrival is first waited for there.
inline bool Press(XDriver& x, XWindow w, int px, int py, const int rect[4], bool hover)
{
    XShot before;
    if (!x.Capture(w, &before))
        return false;
    x.MoveTo(w, px, py);
    if (hover && (!x.WaitForChange(w, before, rect[0], rect[1], rect[2], rect[3], kWait) || !x.Capture(w, &before)))
        return false;
    x.Button(true);
    const bool seen = x.WaitForChange(w, before, rect[0], rect[1], rect[2], rect[3], kWait);
    x.Button(false);
    return seen;
}

// The main menu's list once its first row is drawn: that row chosen, the
// address field taken and Return tapped there. menu, when given, gets the
// menu as it was drawn then.
inline bool JoinFirstListed(XDriver& x, XWindow w, XShot* menu = nullptr)
{
    const int addressField[4] = {400, 717, 180, 20};
    return x.WaitUntil(
               w,
               [](const XShot& s) {
                   return s.Contains(700, 235) && s.CountOther(s.At(17, 217), 20, 216, 280, 18) > 20;
               },
               kWait) &&
           (!menu || x.Capture(w, menu)) && Press(x, w, 120, 224, addressField, false) &&
           Press(x, w, 560, 727, addressField, false) && (x.Key("Return"), true);
}

// Back in the main menu after play (its logo drawn as in menu, a picture
// taken of it before), its Quit pressed: a press while play's last frame
// still shows would meet a menu that never saw the pointer come.
inline bool QuitFromMenu(XDriver& x, XWindow w, const XShot& menu)
{
    const int quitButton[4] = {890, 21, 118, 36};
    return x.WaitUntil(
               w, [&](const XShot& s) { return s.SameIn(menu, 30, 25, 430, 110); }, kWait) &&
           Press(x, w, 949, 39, quitButton, true);
}

// The lines the game writes about what it shows (VORNHAL_SCREEN_LOG), read
// as they come.
class ScreenWatch {
public:
    explicit ScreenWatch(std::string path) : path_(std::move(path)) { setenv("VORNHAL_SCREEN_LOG", path_.c_str(), 1); }

    // Waits for a line that begins with prefix after those seen before; the
    // line, or empty when none came.
    std::string WaitFor(const std::string& prefix, int ms = kWait)
    {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        for (;;) {
            const std::vector<std::string> lines = Lines();
            for (; next_ < lines.size(); ++next_)
                if (lines[next_].compare(0, prefix.size(), prefix) == 0)
                    return lines[next_++];
            if (std::chrono::steady_clock::now() >= end)
                return "";
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }

    std::vector<std::string> Lines() const
    {
        std::vector<std::string> lines;
        std::istringstream in(TestSupport::ReadText(path_));
        for (std::string line; std::getline(in, line);)
            lines.push_back(line);
        return lines;
    }

    // A key held until the game shows the line (a key acts only once the
    // keys before it were seen up, a frame later), then let go.
    bool Hold(XDriver& x, unsigned long keysym, const std::string& prefix)
    {
        bool seen = false;
        for (int i = 0; i < 20 && !seen; ++i) {
            x.Key(keysym, true);
            seen = !WaitFor(prefix, 1000).empty();
            x.Key(keysym, false);
            // The next press must not come in the frame of this release:
            // the game would never see the keys all up.
            seen = seen || !WaitFor(prefix, 200).empty();
        }
        return seen;
    }

    // A press let go at once, quicker than any frame, and the line it
    // brings waited for.
    bool Tap(XDriver& x, const char* keysym, const std::string& prefix)
    {
        x.Key(keysym);
        return !WaitFor(prefix).empty();
    }

    std::string All() const { return TestSupport::ReadText(path_); }

private:
    std::string path_;
    size_t next_ = 0;
};

} // namespace ClientRig
