#pragma once

// The client as its run starts it (ScreenGame::Open with clientRun). Input
// arrives as the window's events, pushed from another thread while the game
// runs; what the game shows is read back from its screen log.
#include "../ScreenGame.h"
#include "support/DisplayCheck.h"
#include "support/GameFolder.h"

#include <SDL/SDL.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace PlayTest {

// The lines the game has shown since the watch began.
class ScreenWatch {
public:
    // Named to the game before it writes its first line.
    static const std::string& Path()
    {
        static const std::string path = [] {
            std::string p =
                (std::filesystem::temp_directory_path() / ("vornhal-screen-" + std::to_string(getpid()) + ".log"))
                    .string();
            setenv("VORNHAL_SCREEN_LOG", p.c_str(), 1);
            return p;
        }();
        return path;
    }

    ScreenWatch() : from_(TestSupport::ReadText(Path()).size()) {}

    std::vector<std::string> Lines() const
    {
        std::istringstream in(TestSupport::ReadText(Path()).substr(from_));
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);)
            lines.push_back(line);
        return lines;
    }

    // A line beginning with text after the one the last wait found.
    bool WaitFor(const std::string& text, int timeoutMs)
    {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        do {
            const std::vector<std::string> lines = Lines();
            for (size_t i = next_; i < lines.size(); ++i)
                if (lines[i].compare(0, text.size(), text) == 0) {
                    next_ = i + 1;
                    return true;
                }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        } while (std::chrono::steady_clock::now() < end);
        return false;
    }

private:
    size_t from_;
    size_t next_ = 0;
};

// Held until the game shows the text, then let go; pressed again while it
// does not (a key acts only once the keys before it were seen up, a frame
// later). False when the game never answers.
inline bool Hold(ScreenWatch& watch, SDLKey sym, Uint16 unicode, const std::string& text)
{
    bool shown = false;
    for (int i = 0; i < 20 && !shown; ++i) {
        WindowInput::Key(sym, true, unicode);
        shown = watch.WaitFor(text, 1000);
        WindowInput::Key(sym, false);
        // The next press must not come in the frame of this release.
        shown = shown || watch.WaitFor(text, 200);
    }
    return shown;
}

inline void Type(const std::string& text)
{
    for (char c : text) {
        const SDLKey sym = c == '\r' ? SDLK_RETURN : SDLKey(c);
        WindowInput::Key(sym, true, char16_t(c));
        WindowInput::Key(sym, false);
    }
}

} // namespace PlayTest
