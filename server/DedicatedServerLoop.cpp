#include "server/DedicatedServer.h"

#include "engine/core/IEngine.h"
#include "engine/core/StringKit.h"
#include "game/shell/console/ConsoleCommand.h"
#include "game/shell/protocol/MultiplayerHandler.h"
#include "game/world/system/GameSystem.h"
#include "platform/console/Console.h"
#include "platform/os/Os.h"

namespace {
constexpr int kPassMs = 10;
constexpr int kMinSleepMs = 3;
} // namespace

DedicatedServer::Ending DedicatedServer::RunConsole()
{
    for (;;) {
        line_.Clear();
        writer_.Print("> ");
        writer_.Flush();
        prompting_ = true;
        bool complete = false;
        while (!complete) {
            // The interrupt only raised a flag; the shutdown runs here, between passes.
            if (Console::InterruptRequested())
                return Ending::Interrupt;
            complete = Pass();
        }
        writer_.Print("\n");
        commandRunning_ = true;
        bool levelLost = false;
        // Keys come as the terminal's bytes; names typed in UTF-8 must match
        // the players' UTF-16 names.
        std::u16string line = Util::FromOs(Util::ToOs(line_.Text()));
        bool quit = ExecuteConsoleCommand(line.c_str(), &writer_, game_, &levelLost);
        writer_.Flush();
        if (quit)
            return Ending::Quit;
        if (levelLost)
            return Ending::LevelLost;
        commandRunning_ = false;
    }
}

bool DedicatedServer::Pass()
{
    PrintEngineLines();
    ReportDroppedLines();
    engine_->UpdateFrameTime1();
    engine_->UpdateFrameTime3();
    float dt = engine_->GetFrameTime1();
    game_->Update(dt);
    MultiplayerHandler* handler = ActiveHandlerOf(game_);
    if (!handler)
        engine_->FatalError("mpHandler not set");
    handler->Update(dt);
    handler->ProcessNetwork();
    engine_->UpdateFrameTime3();
    int elapsed = int(engine_->GetFrameTime3() * 1000.0f);
    int wait = kPassMs - elapsed;
    if (wait > kPassMs)
        wait = kPassMs;
    int key = Console::PollKey();
    if (key != Console::kNoKey) {
        writer_.Write(line_.Echo(key));
        writer_.Flush();
    }
    if (wait > kMinSleepMs)
        Os::SleepMs(wait);
    return key != Console::kNoKey && line_.Apply(key);
}
