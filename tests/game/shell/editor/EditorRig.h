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

#include "engine/core/StringKit.h"
#include "platform/ui/Ui.h"
#include "support/Golden.h"

#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <thread>
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

// What message boxes said, once RecordBox is the message backend.
inline std::vector<std::u16string> boxes;
inline Ui::Answer RecordBox(const char16_t* title, const char16_t* text, Ui::Icon, Ui::Buttons)
{
    boxes.push_back(std::u16string(title) + u": " + text);
    return Ui::Answer::Ok;
}

// The file through a descriptor, as the editor's document opens it.
inline bool SaveTo(IEditorUI* ui, const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT, 0644);
    const bool saved = fd >= 0 && ui->SaveLevel(fd);
    if (fd >= 0)
        ::close(fd);
    return saved;
}

struct Driver {
    IEditorUI* ui;
    EditorTest::View* view;
    void Click(float x, float y)
    {
        ui->MouseMove(view, x, y);
        ui->LeftButtonDown(view, x, y);
        ui->LeftButtonUp(view, x, y);
    }
    void Drag(float x0, float y0, float x1, float y1)
    {
        ui->MouseMove(view, x0, y0);
        ui->LeftButtonDown(view, x0, y0);
        ui->MouseMove(view, x1, y1);
        ui->LeftButtonUp(view, x1, y1);
    }
    void Key(unsigned key)
    {
        ui->KeyDown(view, key);
        ui->KeyUp(view, key);
    }
};

// The view's next frame, drawn as soon as the 20 ms pace lets it, or what
// `draw` presents: 0xAABBGGRR, rows top down.
inline std::vector<uint32_t> NextFrame(Session& s, const std::string& dir, int* w, int* h,
                                       const std::function<void()>& draw = {})
{
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    s.renderer->SaveScreenshot(Util::Widen(dir.c_str()).c_str());
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    std::string file;
    while (file.empty() && std::chrono::steady_clock::now() < deadline) {
        draw ? draw() : s.ui->Draw(s.window);
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        for (const auto& entry : std::filesystem::directory_iterator(dir))
            file = entry.path().string();
    }
    std::vector<uint32_t> pixels;
    if (!TestSupport::ReadPng(file, w, h, &pixels))
        return {};
    for (uint32_t& p : pixels)
        p = (p & 0xFF00FF00u) | ((p >> 16) & 0xFFu) | ((p & 0xFFu) << 16);
    return pixels;
}

} // namespace EditorTest
