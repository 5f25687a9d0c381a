// The program a player starts: binds the engine and the game, shows the
// options dialog when there are no settings yet (or "-options" asks for
// it) and hands over to the game.
//
// Exit codes: 0 the game ended normally, or the options dialog was
// declined; 2 the engine or game library gives no engine or game object;
// 3 the game crashed; 4 the game could not start (renderer, shaders,
// input...); 5 the engine could not initialise (no display); 6 the options
// dialog could not be shown; 255 a resource script failed to load or the
// engine met a fatal error. A library the loader cannot find ends the
// program before it starts, with the loader's message and 127.

#include "engine/core/IEngine.h"
#include "game/shell/client/IGame.h"
#include "launcher/CommandLine.h"
#include "outside/options/IOptions.h"
#include "platform/os/OsText.h"
#include "platform/os/StopSignals.h"

#include <cstdio>
#include <cstdlib>
#include <string>

// A library without its factory is reported, not a failed start.
#pragma weak GetEngine
#pragma weak GetGame
#pragma weak GetOptions

namespace {

const int kExitNoLibrary = 2;
const int kExitEngineInit = 5;
const int kExitNoOptions = 6;

int Fail(int code, const std::string& why)
{
    std::fprintf(stderr, "game: %s\n", why.c_str());
    return code;
}

} // namespace

int main(int argc, char** argv)
{
    // Before the engine starts its video, which would take them over.
    Os::CatchStopSignals();
    const LaunchArguments args = ParseCommandLine(JoinArguments(argc, argv));

    IEngine* engine = GetEngine ? GetEngine() : nullptr;
    if (!engine)
        return Fail(kExitNoLibrary, "the engine library (libEngine.so) gives no engine");
    IGame* game = GetGame ? GetGame() : nullptr;
    if (!game)
        return Fail(kExitNoLibrary, "the game library (libGame.so) gives no game");
    // Without a display the engine's video starts on its stand-in driver,
    // and the game could only fail later, at its window.
    const char* display = std::getenv("DISPLAY");
    if (!display || !*display || !engine->Init())
        return Fail(kExitEngineInit, "the engine cannot start its video (is there a display?)");
    game->Init(engine);

    if (!game->LoadOptions() || args.showOptions) {
        IOptions* options = GetOptions ? GetOptions() : nullptr;
        if (!options)
            return Fail(kExitNoOptions, "the options library (libOptions.so) gives no options dialog");
        bool save = false;
        const bool start = options->ShowOptionsDialog(game, engine, &save);
        if (const char16_t* failure = options->GetFailure())
            return Fail(kExitNoOptions, "the options dialog cannot be shown: " + Util::ToOs(failure));
        if (start || save)
            game->SaveOptions();
        if (!start)
            return 0;
    }

    game->Run(args.first.c_str(), args.second.c_str(), args.fullScreen);
    const char16_t* reason = nullptr;
    const int code = game->GetRunResult(&reason);
    if (code != 0)
        return Fail(code, reason && *reason ? Util::ToOs(reason) : "the game could not start");
    Os::EndByStopSignal();
    return 0;
}
