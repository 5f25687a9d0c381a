#pragma once

#include "platform/console/ConsoleOutput.h"
#include "server/ConsoleWriter.h"
#include "server/LineEditor.h"

#include <mutex>
#include <string>
#include <vector>

class GameSystem;
class IEngine;
class ResourceManager;
class ServerHandler;
class World;
struct CommonMedia;

// The dedicated server's process: start-up, the console loop, the console
// printer and the shutdown.
class DedicatedServer {
public:
    explicit DedicatedServer(IEngine* engine);
    ~DedicatedServer();
    DedicatedServer(const DedicatedServer&) = delete;
    DedicatedServer& operator=(const DedicatedServer&) = delete;

    // The program's exit code.
    int Main(int argc, char** argv);
    // False when the settings could not be written.
    bool Shutdown();
    // Puts a message of the handlers on its own console line and shows the
    // prompt with the typed text again, unless a command is running.
    void PrintMessage(const std::u16string& text);
    // The engine's console lines: printed at once on the main thread, kept
    // for the console loop from any other (the receive thread's).
    void PrintEngineLine(const std::string& text);

private:
    enum class Ending { Quit, Interrupt, LevelLost };

    // False with the exit code when the program must end.
    bool Start(int* exitCode);
    bool LoadScripts();
    bool LoadOptions();
    void ConfigureHandler();
    // Says so when the configured level is not there to be played.
    void CheckServerLevel();
    Ending RunConsole();
    // One pass of the loop: true when a typed line is complete.
    bool Pass();
    // Stops the handler once and frees the game, newest first.
    void ReleaseGame();
    void PrintEngineLines();
    void PrintEngineText(const std::string& text);
    void ReportDroppedLines();

    // First in, last out: everything below prints through it.
    Console::ConsoleOutput output_;
    IEngine* engine_;
    std::u16string optionsPath_ = u"game.opt";
    std::string optionsName_ = "game.opt";
    LineEditor line_;
    bool commandRunning_ = false;
    // No prompt is shown before the console loop first shows one.
    bool prompting_ = false;
    ResourceManager* resources_ = nullptr;
    CommonMedia* media_ = nullptr;
    World* world_ = nullptr;
    GameSystem* game_ = nullptr;
    ServerHandler* handler_ = nullptr;
    bool stopped_ = false;
    ConsoleWriter writer_{&output_};
    std::mutex engineLinesMutex_;
    std::vector<std::string> engineLines_;
};
