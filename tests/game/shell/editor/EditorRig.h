#pragma once

// The editing interface started the way the editor program starts it: an
// engine in a game folder, a renderer on a plain X window, the game bound
// to both, and a view and a listener of our own that record what the game
// asks of them.

#include "engine/core/Engine.h"
#include "engine/render/IRenderer.h"
#include "game/shell/client/Game.h"
#include "game/shell/editor/IEditorUI.h"
#include "game/shell/editor/IEditorView.h"
#include "support-game/FakeResourceHost.h"
#include "support/GlWindows.h"
#include "support/TestSupport.h"

#include <memory>
#include <string>
#include <vector>

namespace EditorTest {

struct View : IEditorView {
    explicit View(unsigned long w) : window(w) {}
    unsigned long GetWindowHandle() override { return window; }
    void CaptureMouse() override { captured = true; }
    void ReleaseMouse() override { captured = false; }
    void ShowCursor(bool) override {}
    void SetCursorPosition(int x, int y) override { warps.push_back({x, y}); }
    void SetCursorShape(int shape) override { cursor = shape; }
    void ShowCoordinates(int x, int y) override { coordinates.push_back({x, y}); }
    void ShowLightAreaMenu(int, int) override { ++areaMenus; }
    void ShowObjectMenu(int, int) override { ++objectMenus; }

    unsigned long window;
    // What a person sees of the pointer: held by the view, arrow (0) or hand (1).
    bool captured = false;
    int cursor = 0;
    int areaMenus = 0, objectMenus = 0;
    std::vector<std::pair<int, int>> warps, coordinates;
};

// One editing session; the game state is process-wide, so one at a time.
struct Session {
    // Everything up to IEditorUI::Start on a 1024 x 768 view; false and why
    // when a step fails.
    bool Open(const std::string& folder, std::string* why)
    {
        {
            TestSupport::ScopedChdir in(folder);
            engine = std::make_unique<Engine>();
        }
        window = windows.Make(1024, 768);
        if (!window)
            return *why = "no GLX window", false;
        if (!engine->Init())
            return *why = "engine", false;
        renderer = engine->CreateRenderer(2);
        game = &TheGame();
        ui = game->GetEditorUI();
        if (!renderer || !ui)
            return *why = "renderer or editor interface", false;
        ui->SetListener(&palette);
        if (!renderer->InitForWindow(1024, 768, window))
            return *why = "renderer on the window", false;
        game->Init(engine.get());
        game->SetRenderer(renderer);
        ui->SetViewSize(1024, 768);
        ui->Start(window);
        view = std::make_unique<View>(window);
        return true;
    }
    ~Session()
    {
        if (ui)
            ui->Shutdown();
    }

    GlWindows windows;
    std::unique_ptr<Engine> engine;
    IRenderer* renderer = nullptr;
    Game* game = nullptr;
    IEditorUI* ui = nullptr;
    RecordingListener palette;
    unsigned long window = 0;
    std::unique_ptr<View> view;
};

} // namespace EditorTest
