#include "server/DedicatedServer.h"

#include "engine/core/ConsoleLog.h"
#include "engine/core/IEngine.h"
#include "engine/core/StringKit.h"
#include "engine/files/IFile.h"
#include "engine/files/IFileManager.h"
#include "engine/physics/IPhysics.h"
#include "game/shell/console/ConsoleCommand.h"
#include "game/shell/protocol/ServerHandler.h"
#include "game/world/map/World.h"
#include "game/world/resources/CommonMedia.h"
#include "game/world/resources/ResourceManager.h"
#include "game/world/resources/ResourceScript.h"
#include "game/world/settings/OptionsFile.h"
#include "game/world/state/WorldServices.h"
#include "game/world/system/GameSystem.h"
#include "platform/console/Console.h"
#include "platform/os/Os.h"

#include <unistd.h>

namespace {

const char* const kScripts[] = {"blocks.cfg", "objects.cfg", "items.cfg", "weapons_fin_vs_rus.cfg"};
// Lines of other threads waiting for the console loop; a flood beyond this
// is dropped.
constexpr size_t kMaxWaitingLines = 256;

void DestroyResourceScript(ResourceScript* script) { delete script; }

} // namespace

DedicatedServer::DedicatedServer(IEngine* engine) : output_(STDOUT_FILENO), engine_(engine) {}

DedicatedServer::~DedicatedServer()
{
    Util::SetConsoleSink(nullptr);
    delete resources_;
}

int DedicatedServer::Main(int argc, char** argv)
{
    if (argc > 1 && argv[1]) {
        optionsName_ = argv[1];
        optionsPath_ = Util::Widen(argv[1]);
    }
    // The engine's lines must not land in the middle of a typed command.
    Util::SetConsoleSink([this](const std::string& text) { PrintEngineLine(text); });
    Console::InstallInterruptFlag();
    Console::Open();
    int exitCode = 0;
    if (!Start(&exitCode)) {
        PrintEngineLines();
        writer_.Flush();
        // Nothing of a failed start outlives it; "game.opt" stays as it was.
        ReleaseGame();
        Console::Restore();
        return exitCode;
    }
    Ending ending = RunConsole();
    // Ctrl+C and a lost level leave the score reports unsent.
    if (ending == Ending::Quit)
        engine_->FlushScores();
    // Settings that were not saved are a failure, like settings not read.
    return Shutdown() ? 0 : 255;
}

bool DedicatedServer::LoadScripts()
{
    for (const char* name : kScripts) {
        auto* script = new ResourceScript(resources_, engine_->GetFileManager());
        if (!script->Load(Util::Widen(name).c_str())) {
            delete script;
            writer_.Print("Unable to load %s resources.\n", name);
            Console::WaitKey();
            return false;
        }
        DestroyResourceScript(script);
    }
    return true;
}

bool DedicatedServer::Start(int* exitCode)
{
    *exitCode = -1;
    if (!engine_->Init())
        return false;
    resources_ = new ResourceManager(nullptr, engine_, nullptr);
    media_ = new CommonMedia(engine_, resources_);
    world_ = new World(resources_);
    game_ = new GameSystem(engine_, world_, resources_, media_, nullptr);
    handler_ = new ServerHandler(game_);
    game_->SetHandlers(handler_, nullptr);
    media_->Load();
    if (!LoadScripts())
        return false;
    writer_.Print("Resources loaded.\n");
    resources_->BuildIndex();
    resources_->ApplyItemDefinitions(Services().weapons);
    if (!LoadOptions())
        return false;
    IGameOptions& options = game_->Options();
    engine_->SetMasterServer(options.GetUpdaterString());
    writer_.Flush();
    IPhysics* physics = engine_->CreatePhysics(1);
    if (physics)
        physics->Resume();
    game_->SetEnginePhysics(physics);
    writer_.Print("Listening.\n");
    if (!game_->StartServer(options.GetServerPort())) {
        // A server that cannot listen has failed like any other start-up.
        writer_.Print("Unable to listen UDP port %d.\n", options.GetServerPort());
        return false;
    }
    ConfigureHandler();
    CheckServerLevel();
    if (!game_->GetActiveHandler()->StartLevel()) {
        writer_.Print("Unable to load level.\n");
        writer_.Flush();
        Console::WaitKey();
        return false;
    }
    *exitCode = 0;
    return true;
}

bool DedicatedServer::LoadOptions()
{
    std::string fault;
    if (ReadOptionsFile(engine_->GetFileManager(), &game_->Options(), nullptr, optionsPath_.c_str(), &fault))
        return true;
    // A damaged file is the operator's: it is said where, and left alone.
    if (!fault.empty())
        writer_.Print("%s, %s.\n", optionsName_.c_str(), fault.c_str());
    writer_.Print("Loading %s failed.\n", optionsName_.c_str());
    return false;
}

void DedicatedServer::CheckServerLevel()
{
    IGameOptions& options = game_->Options();
    const char16_t* level = options.GetServerLevel();
    // Without a cycle for the mode the server level is the one played, and
    // its failure to load is said where it fails.
    if (!level[0] || options.GetMapCycleCount(options.GetServerMode()) == 0)
        return;
    IFile* file = engine_->GetFileManager()->Open(level, kOpenRead, 0);
    if (file) {
        delete file;
        return;
    }
    writer_.Print("The server level %s was not found; the map cycle's first level is played.\n",
                  Util::ToOs(level).c_str());
}

void DedicatedServer::ConfigureHandler()
{
    IGameOptions& options = game_->Options();
    handler_->SetConsolePrinter([this](const std::u16string& text) { PrintMessage(text); });
    // Operators' chat lines print nothing, and neither "quit" nor a level
    // that fails to load may end a public server from a chat line.
    GameSystem* game = game_;
    handler_->SetCommandRunner([game](const char16_t* line) { ExecuteConsoleCommand(line, nullptr, game); });
    handler_->SetMaxPlayers(options.GetServerMaxPlayers());
    if (options.GetServerLocked())
        handler_->SetPassword(options.GetServerPassword());
    for (int32_t i = 0; i < options.GetBanCount(); ++i)
        handler_->BanAddress(options.GetBanAddress(i));
}

bool DedicatedServer::Shutdown()
{
    engine_->Log("Deinitializing everything...\n");
    bool saved = true;
    if (game_) {
        IMultiplayerHandler* active = game_->GetActiveHandler();
        if (!active && !game_->GetServerHandler())
            engine_->FatalError("mpHandler not set");
        if (active && active == game_->GetServerHandler())
            handler_->Stop();
        stopped_ = true;
        std::string reason;
        saved = WriteOptionsFile(engine_->GetFileManager(), &game_->Options(), engine_->GetMasterServer(),
                                 optionsPath_.c_str(), &reason);
        if (!saved)
            writer_.Print("could not write %s: %s\n", optionsName_.c_str(), reason.c_str());
    }
    ReleaseGame();
    PrintEngineLines();
    writer_.Print("Server closed.\n");
    writer_.Flush();
    Console::Restore();
    return saved;
}

void DedicatedServer::ReleaseGame()
{
    if (game_) {
        IMultiplayerHandler* active = game_->GetActiveHandler();
        if (active && active == game_->GetServerHandler() && !stopped_)
            handler_->Stop();
        stopped_ = true;
    }
    // The handler outlives the game state, which still reaches it while it goes.
    delete game_;
    game_ = nullptr;
    delete handler_;
    handler_ = nullptr;
    delete world_;
    world_ = nullptr;
    delete media_;
    media_ = nullptr;
    engine_->Shutdown();
}

void DedicatedServer::PrintMessage(const std::u16string& text)
{
    writer_.Print("%c", 13);
    writer_.PrintDirect(u"%s", text.c_str());
    if (prompting_ && !commandRunning_) {
        std::string shown = "> ";
        const char16_t* typed = line_.Text();
        for (int i = 0; i < LineEditor::kCapacity && typed[i] != 0; ++i)
            shown += char(typed[i]);
        writer_.Write(shown);
        writer_.Flush();
    }
}

void DedicatedServer::ReportDroppedLines()
{
    const int dropped = output_.TakeDropped();
    if (dropped > 0)
        PrintMessage(Util::Widen(
            (std::to_string(dropped) + (dropped == 1 ? " console line dropped\n" : " console lines dropped\n"))
                .c_str()));
}

void DedicatedServer::PrintEngineLine(const std::string& text)
{
    if (Os::IsMainThread()) {
        PrintEngineText(text);
        return;
    }
    std::lock_guard<std::mutex> lock(engineLinesMutex_);
    if (engineLines_.size() < kMaxWaitingLines)
        engineLines_.push_back(text);
    else
        output_.CountDropped(1);
}

void DedicatedServer::PrintEngineLines()
{
    std::vector<std::string> lines;
    {
        std::lock_guard<std::mutex> lock(engineLinesMutex_);
        lines.swap(engineLines_);
    }
    for (const std::string& text : lines)
        PrintEngineText(text);
}

void DedicatedServer::PrintEngineText(const std::string& text)
{
    // Before the first prompt there is no typed line to restore.
    if (prompting_) {
        PrintMessage(Util::Widen(text.c_str()));
        return;
    }
    writer_.Print("%s", text.c_str());
    writer_.Flush();
}
