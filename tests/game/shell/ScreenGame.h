#pragma once

// A whole Game over a game folder (the build tree's unless told) in a real
// 1024 x 768 window, on an X server of its own when asked, real X input into
// that window through XTEST, and the pictures it shows read back from
// screenshots.
#include "Picture.h"
#include "engine/core/Engine.h"
#include "engine/core/StringKit.h"
#include "engine/files/FileManager.h"
#include "engine/files/IFile.h"
#include "engine/files/IFileManager.h"
#include "engine/png/PngImage.h"
#include "engine/render/IInput.h"
#include "engine/render/IRenderer.h"
#include "game/shell/client/Game.h"
#include "game/world/resources/ResourceManager.h"
#include "game/world/resources/ResourceScript.h"
#include "game/world/state/WorldServices.h"
#include "game/world/system/GameSystem.h"
#include "support/TestSupport.h"
#include "support/XDriver.h"

#include <SDL/SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// The engine with its frame clocks held when a time is set: frames then
// draw and count the same on any machine, however long each took.
class SteadyEngine : public Engine {
public:
    float heldFrameTime = -1.0f;
    float GetFrameTime1() override { return heldFrameTime >= 0.0f ? heldFrameTime : Engine::GetFrameTime1(); }
    float GetFrameTime2() override { return heldFrameTime >= 0.0f ? heldFrameTime : Engine::GetFrameTime2(); }
};

// Real input as the window's events: the renderer takes them at its next
// Present, whatever the X server does meanwhile.
namespace WindowInput {
inline void Key(int sym, bool down, char16_t unicode = 0)
{
    SDL_Event e = {};
    e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    e.key.keysym.sym = SDLKey(sym);
    e.key.keysym.unicode = Uint16(unicode);
    SDL_PushEvent(&e);
}
inline void MoveTo(int x, int y)
{
    SDL_Event e = {};
    e.type = SDL_MOUSEMOTION;
    e.motion.x = Uint16(x);
    e.motion.y = Uint16(y);
    SDL_PushEvent(&e);
}
// Button 1 left, 3 right.
inline void Button(int button, bool down)
{
    SDL_Event e = {};
    e.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
    e.button.button = Uint8(button);
    SDL_PushEvent(&e);
}
} // namespace WindowInput

class ScreenGame {
public:
    // An X server of the test's own: the pointer and keys of this test
    // disturb no other. False when none starts.
    bool StartDisplay()
    {
        if (!display_.Start())
            return false;
        // The pointer off the window to come: only the events a test pushes
        // move the game's pointer.
        XDriver x;
        if (x.Ok())
            x.MoveTo(x.Screen(), 1279, 1023);
        return true;
    }

    // The game in a game folder. A client's run reads the folder's settings
    // first, makes its in-game menus and takes its input itself; otherwise
    // the game is given the engine's input and its sheets packed for play.
    void Open(const std::string& folder = VORNHAL_BUILD_DIR, bool clientRun = false)
    {
        ASSERT_TRUE(std::filesystem::exists(folder + "/game.data"));
        {
            TestSupport::ScopedChdir in(folder);
            engine_.reset(new SteadyEngine());
        }
        ASSERT_TRUE(engine_->Init());
        game_.reset(new Game());
        game_->Init(engine_.get());
        if (clientRun) {
            ASSERT_TRUE(game_->LoadOptions());
        }
        renderer = engine_->CreateRenderer(2);
        ASSERT_NE(renderer, nullptr);
        renderer->SetUseFonts(false);
        ASSERT_TRUE(renderer->Init(1024, 768, 32, false, false));
        ASSERT_TRUE(renderer->LoadShaders());
        for (const char16_t* name : {u"blocks.cfg", u"objects.cfg", u"items.cfg", u"weapons_fin_vs_rus.cfg"}) {
            ResourceScript script(game_->GetResources(), engine_->GetFileManager());
            ASSERT_TRUE(script.Load(name)) << Util::Narrow(name);
        }
        game_->GetResources()->BuildIndex();
        game_->GetResources()->ApplyItemDefinitions(Services().weapons);
        game_->SetRenderer(renderer);
        game_->GetGameSystem()->InitObjectRenderBuffers();
        if (clientRun) {
            ASSERT_NE(game_->GetInput(), nullptr);
            game_->CreateInGameMenus();
            return;
        }
        // As the menus do before play: a level's meshes read the packed sheets.
        ASSERT_TRUE(renderer->PrepareTextures());
        input = engine_->GetInput();
        ASSERT_TRUE(input->InitKeyboard() && input->InitMouse());
        game_->SetInput(input);
    }

    ~ScreenGame()
    {
        if (game_)
            game_->Shutdown();
    }

    // Asks for the picture of the frame being drawn, taken at the next
    // Present and kept as <build>/screenshots/<area>/<name>.png.
    void TakeScreenshot(const std::string& area, const std::string& name)
    {
        namespace fs = std::filesystem;
        const fs::path dir = fs::path(VORNHAL_BUILD_DIR) / "screenshots" / area;
        staging_ = dir / (".taking-" + name);
        kept_ = dir / (name + ".png");
        fs::remove_all(staging_);
        fs::create_directories(staging_);
        renderer->SaveScreenshot(Util::FromOs(staging_.string()).c_str());
    }
    // The kept picture once it was taken, else "".
    std::string TakenScreenshot()
    {
        namespace fs = std::filesystem;
        fs::path taken;
        if (fs::exists(staging_))
            for (const auto& entry : fs::directory_iterator(staging_))
                taken = entry.path();
        if (taken.empty())
            return std::string();
        fs::rename(taken, kept_);
        fs::remove_all(staging_);
        return kept_.string();
    }
    // Presents the frame drawn and keeps its picture.
    std::string KeepScreenshot(const std::string& area, const std::string& name)
    {
        TakeScreenshot(area, name);
        renderer->Present();
        return TakenScreenshot();
    }

    Picture Shot(const std::string& path)
    {
        Picture p;
        EXPECT_TRUE(p.Read(engine_->GetFileManager(), Util::FromOs(path), kOpenFullPath | kOpenNoPackage)) << path;
        return p;
    }
    // Presents the frame drawn and reads its picture back.
    Picture Frame(const std::string& area, const std::string& name) { return Shot(KeepScreenshot(area, name)); }

    SteadyEngine& GetEngine() { return *engine_; }
    Game& GetGame() { return *game_; }
    GameSystem& State() { return *game_->GetGameSystem(); }

    IRenderer* renderer = nullptr;
    IInput* input = nullptr;

private:
    // Outlives the window.
    PrivateDisplay display_;
    std::unique_ptr<SteadyEngine> engine_;
    std::unique_ptr<Game> game_;
    std::filesystem::path staging_, kept_;
};

// What a person does, step by step: each step acts once and the next waits
// until the screen shows that it took effect.
class Script {
public:
    void Add(std::function<void()> act, std::function<bool()> done) { steps_.push_back({act, done}); }
    // A click at (x, y) through the window's events, each part waited for;
    // done says the screen shows what the click did.
    void Click(IRenderer* r, IInput* in, int x, int y, std::function<bool()> done)
    {
        Add([x, y] { WindowInput::MoveTo(x, y); },
            [r, x, y] {
                int mx = -1, my = -1;
                r->GetMousePosition(&mx, &my);
                return mx == x && my == y;
            });
        Add([] { WindowInput::Button(1, true); }, [in] { return in->IsMouseButtonDown(0); });
        Add([] { WindowInput::Button(1, false); }, std::move(done));
    }
    // Characters typed, each a key pressed and let go.
    void Type(const std::u16string& text, std::function<bool()> done)
    {
        Add(
            [text] {
                for (char16_t c : text) {
                    const int sym = c >= u'A' && c <= u'Z' ? c - u'A' + u'a' : c;
                    WindowInput::Key(sym, true, c);
                    WindowInput::Key(sym, false);
                }
            },
            std::move(done));
    }
    // One frame; false once the steps have waited too long.
    bool Frame()
    {
        if (Finished())
            return true;
        Step& step = steps_[at_];
        if (!acted_) {
            step.act();
            acted_ = true;
        }
        if (step.done()) {
            ++at_;
            acted_ = false;
        }
        return ++frames_ < kFrameLimit;
    }
    bool Finished() const { return at_ >= steps_.size(); }
    size_t StepsDone() const { return at_; }

private:
    static constexpr int kFrameLimit = 1500;
    struct Step {
        std::function<void()> act;
        std::function<bool()> done;
    };
    std::vector<Step> steps_;
    size_t at_ = 0;
    bool acted_ = false;
    int frames_ = 0;
};

// A menu worked by its script, a step each frame; a script that waits too
// long ends the menu with 5.
template <class Menu> struct Driven : Menu {
    using Menu::Menu;
    void Frame() override
    {
        Menu::Frame();
        if (!script.Frame())
            this->result = 5;
    }
    Script script;
};
