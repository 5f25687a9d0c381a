#include "game/shell/client/Game.h"

#include "engine/core/IEngine.h"
#include "engine/core/StringKit.h"
#include "engine/files/IFile.h"
#include "engine/files/IFileManager.h"
#include "engine/render/IInput.h"
#include "engine/render/IRenderer.h"
#include "game/world/resources/CommonMedia.h"
#include "game/world/resources/ResourceManager.h"
#include "game/world/resources/ResourceScript.h"
#include "game/world/settings/OptionsFile.h"
#include "game/world/state/WorldServices.h"
#include "game/world/system/GameSystem.h"
#include "platform/os/CrashReport.h"
#include "platform/os/OsText.h"
#include "platform/os/StopSignals.h"
#include "platform/ui/Ui.h"
#include "platform/ui/wx/Dialogs.h"

#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <memory>

namespace {

// The system's own server, joined when the launcher names no second argument.
constexpr const char16_t* kDefaultServerAddress = u"127.0.0.1";
constexpr int kDefaultServerPort = 8887;
constexpr const char16_t* kDataPackage = u"game.data";

constexpr int kCrashExitCode = 3;

void ErrorBox(const char16_t* text) { Ui::ShowMessage(u"Error!", text, Ui::Icon::Error); }

} // namespace

void Game::Run(const char16_t* first, const char16_t* second, bool fullScreen)
{
    runExitCode_ = 0;
    runError_.clear();
    if (!engine_ || !game_) {
        FailRun(kStartFailed, "The game was not initialised.");
        return;
    }
    first = first ? first : u"";
    second = second ? second : u"";
    Os::CatchCrashes(kCrashExitCode);
    Os::SetCrashContext("starting");
    fullScreen_ = fullScreen;
    engine_->OpenLog();
    engine_->SetStatusText("Initializing winsock");
    if (!engine_->InitNetwork()) {
        ErrorBox(u"Winsock initialization failed");
        FailRun(kStartFailed, "Networking could not be started.");
        return;
    }
    // Returns only when no update is being installed now. The updated game
    // starts as this one did: the launcher's words for these arguments.
    std::vector<std::u16string> arguments;
    if (!fullScreen)
        arguments.push_back(u"-windowed");
    if (first[0] || second[0])
        arguments.push_back(first);
    if (second[0])
        arguments.push_back(second);
    Os::SetCrashContext("checking for updates");
    RunUpdateCheck(arguments);
    Os::SetCrashContext("logging in");
    if (!RunLogin())
        return;
    IGameOptions& options = game_->Options();
    options.SetPlayerName(engine_->GetLoginNick());

    Os::SetCrashContext("starting the renderer");
    const bool debug = Util::StrEqual(second, u"debug");
    IRenderer* renderer = engine_->CreateRenderer(debug ? 4 : 2);
    if (!renderer) {
        ErrorBox(u"Unable to create renderer.");
        FailRun(kStartFailed, "Unable to create renderer.");
        return;
    }
    renderer_ = renderer;
    if (media_)
        media_->Load();
    for (const char16_t* name : kScriptNames) {
        auto* script = new ResourceScript(resources_.get(), files_);
        if (!script->Load(name)) {
            renderer_->Shutdown();
            delete script;
            // The scripts come from the package: one that is there but
            // unreadable is what failed, not the script it holds.
            std::unique_ptr<IFile> package(files_->Open(kDataPackage, kOpenRead, kOpenNoPackage));
            const char16_t* dir = files_->GetGameDir();
            if (package && !files_->HasDataPackage()) {
                const std::string why = "The package " +
                                        Util::ToOs(std::u16string(dir && *dir ? dir : u".") + u"/" + kDataPackage) +
                                        " could not be read: it is damaged or no package.";
                // A box that went to the console already said it there.
                ErrorBox(Util::FromOs(why).c_str());
                if (!Ui::DialogsScripted())
                    std::fprintf(stderr, "%s\n", why.c_str());
            } else {
                std::fprintf(stderr, "The resource script %s could not be loaded.\n", Util::Narrow(name).c_str());
            }
            std::fflush(nullptr);
            _exit(255);
        }
        delete script;
    }
    resources_->BuildIndex();
    resources_->ApplyItemDefinitions(Services().weapons);
    if (options.GetWindowed())
        fullScreen_ = false;
    renderer_->SetUseFonts(options.GetUseFonts() != 0);
    if (!renderer_->Init(1024, 768, 32, fullScreen_, options.GetVSync())) {
        ErrorBox(u"Unable to initialize renderer.");
        FailRun(kStartFailed, "Unable to initialize renderer.");
        return;
    }
    if (!renderer_->LoadShaders()) {
        engine_->Log("Loading shaders failed.\n");
        FailRun(kStartFailed, "Loading shaders failed.");
        return;
    }
    renderer_->SetBrightness(options.GetBrightness());
    SetRenderer(renderer_);
    game_->InitObjectRenderBuffers();
    engine_->Log("Renderer initialized.\n");
    input_ = engine_->GetInput();
    if (!input_ || !input_->InitKeyboard()) {
        engine_->Log("Keyboard init failed.\n");
        FailRun(kStartFailed, "Keyboard init failed.");
        return;
    }
    if (!input_->InitMouse()) {
        engine_->Log("Mouse init failed.\n");
        FailRun(kStartFailed, "Mouse init failed.");
        return;
    }
    if (first[0])
        options.SetPlayerName(first);
    if (!second[0]) {
        Util::StrCopy(game_->connectAddress, 256, kDefaultServerAddress);
        game_->connectPort = kDefaultServerPort;
    }
    CreateInGameMenus();

    // From here a stop signal ends the game as Quit does, settings saved.
    Os::TakeStopRequests(true);
    while (game_->runMode >= 0 && game_->runMode <= 4 && game_->runMode != 2 && !Os::StopRequested()) {
        switch (game_->runMode) {
        case 0:
            Os::SetCrashContext("in the main menu");
            renderer_->SetCursorVisible(true);
            RunMainMenu();
            break;
        case 1:
            Os::SetCrashContext("in the host menu");
            renderer_->SetCursorVisible(true);
            RunHostMenu();
            break;
        default:
            Play();
            break;
        }
    }
    Os::SetCrashContext("ending");
    engine_->FlushScores();
    if (!optionsLocked_)
        WriteOptionsFile(files_, &options, engine_->GetMasterServer());
    Shutdown();
    Os::TakeStopRequests(false);
}
