#include "../ScreenGame.h"

#include "game/shell/hud/HudFrame.h"
#include "game/shell/protocol/ServerHandler.h"
#include "game/world/map/World.h"
#include "game/world/modes/GameMod.h"
#include "game/world/player/Player.h"
#include "game/world/system/GameSystem.h"
#include "support/GameFolder.h"

#include <X11/keysym.h>

#include <algorithm>

namespace {

// Hosting a default level at noon with a player of one's own on Finland's
// side, the view on that player.
class HudScreen : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!screen.StartDisplay())
            GTEST_SKIP() << "no Xvfb";
        ASSERT_NO_FATAL_FAILURE(screen.Open());
        Game& game = screen.GetGame();
        state = game.GetGameSystem();
        game.GetEngine()->SetMasterServer(u"127.0.0.1:1");
        state->Options().SetServerLevel(u"levels/tdm_riotcity.lvl");
        state->Options().SetServerMode(0);
        state->Options().SetServerLighting(0);
        game.GetServerHandler()->SetHostsOwnPlayer(true);
        ASSERT_TRUE(state->StartServer(TestSupport::FreeUdpPort()));
        ASSERT_TRUE(game.GetServerHandler()->StartLevel());
        player = Hud::LocalPlayer(state, game.GetServerHandler());
        ASSERT_NE(player, nullptr);
        state->GetGameMode()->SetPlayerTeam(player, GameMod::kChooseFinland, true, true);
        ASSERT_EQ(player->GetTeam(), GameMod::kFinland);
        state->Camera().x = player->GetX() - 512.0f;
        state->Camera().y = player->GetY() - 384.0f;
    }

    void DrawFrame()
    {
        screen.GetEngine().UpdateFrameTime1();
        screen.GetEngine().UpdateFrameTime2();
        screen.GetGame().DrawScene();
    }

    // Frames until the input shows the game action down (or up).
    bool WaitForAction(int action, bool down)
    {
        for (int frame = 0; frame < 1500; ++frame) {
            if (state->Options().IsActionDown(screen.input, action) == down)
                return true;
            DrawFrame();
            screen.renderer->Present();
        }
        return false;
    }

    ScreenGame screen;
    GameSystem* state = nullptr;
    Player* player = nullptr;
};

// One cell of the digit strip against the screen at (x, y): the strip's
// strokes are lit there and its dark pixels are not (soft edges aside).
void ExpectDigit(const Picture& shot, const Picture& strip, int digit, int x, int y)
{
    const int cell = digit == 0 ? 9 : digit - 1;
    int strokes = 0;
    for (int j = 0; j < 13; ++j)
        for (int i = 0; i < 13; ++i) {
            const int stroke = Channel(strip.At(cell * 13 + i, j), 16);
            const bool lit = Channel(shot.At(x + i, y + j), 16) > 120;
            if (stroke > 160) {
                ++strokes;
                EXPECT_TRUE(lit) << "digit " << digit << " at " << x + i << "," << y + j;
            } else if (stroke < 40) {
                EXPECT_FALSE(lit) << "digit " << digit << " at " << x + i << "," << y + j;
            }
        }
    EXPECT_GT(strokes, 5) << "digit " << digit;
}

TEST_F(HudScreen, HealthAndArmourDigitsAndTheCrosshairAtTheAimPoint)
{
    player->SetHealth(87.0f);
    player->SetArmour(42.0f);
    SceneState& scene = screen.GetGame().Scene();
    scene.cursorX = 150.0f;
    scene.cursorY = -100.0f;
    DrawFrame();
    const Picture shot = screen.Shot(screen.KeepScreenshot("hud", "hud"));
    ASSERT_EQ(shot.width, 1024);
    const Picture strip = screen.Shipped(u"gfx/gui/gui font.png");
    ExpectDigit(shot, strip, 8, 41, 732);
    ExpectDigit(shot, strip, 7, 54, 732);
    ExpectDigit(shot, strip, 4, 144, 732);
    ExpectDigit(shot, strip, 2, 157, 732);
    for (int j = 0; j < 13; ++j)
        for (int i = 0; i < 13; ++i)
            EXPECT_LT(Channel(shot.At(67 + i, 732 + j), 16), 120) << "no third digit";

    // The crosshair's arms lie round the aim point: the view's centre moved
    // by the cursor.
    int x0 = 1024, y0 = 768, x1 = -1, y1 = -1;
    for (int y = 0; y < 700; ++y)
        for (int x = 0; x < 1024; ++x)
            if (Near(shot.At(x, y), 0x9CFF7C, 40)) {
                x0 = std::min(x0, x), x1 = std::max(x1, x);
                y0 = std::min(y0, y), y1 = std::max(y1, y);
            }
    ASSERT_GE(x1, 0) << "no crosshair";
    EXPECT_NEAR((x0 + x1) / 2.0, 662.0, 2.0);
    EXPECT_NEAR((y0 + y1) / 2.0, 284.0, 2.0);
    EXPECT_LT(x1 - x0, 120);
}

// Tab held shows the scoreboard, M held the map picture with the player's
// own mark on it; the picture is the level rendered small, only as tall as
// the level is against its width.
TEST_F(HudScreen, ScoreboardWhileTabIsHeldAndTheMapWhileMIsHeld)
{
    Game& game = screen.GetGame();
    World* world = game.GetWorld();
    const CameraPos camera = state->Camera();
    // The editor's way of drawing tiles, which the small picture needs.
    world->BuildMeshes(false);
    game.RenderGameMap();
    world->BuildMeshes(true);
    EXPECT_TRUE(game.GetScreens().gameMapMade);
    EXPECT_EQ(state->Camera().x, camera.x);
    EXPECT_EQ(state->Camera().y, camera.y);
    EXPECT_EQ(world->GetViewScale(), 1.0f);
    const std::string mapFile = std::string(VORNHAL_BUILD_DIR) + "/screenshots/hud/game_map.png";
    std::filesystem::create_directories(std::string(VORNHAL_BUILD_DIR) + "/screenshots/hud");
    ASSERT_TRUE(screen.renderer->SaveGameMapImage(Util::FromOs(mapFile).c_str()));
    const Picture map = screen.Shot(mapFile);
    ASSERT_EQ(map.width, 512);
    ASSERT_EQ(map.height, 512);
    const int w = world->GetWidth(), h = world->GetHeight();
    const float s = 512.0f / (32.0f * float(std::max(w, h)));
    const int mw = w < h ? int(32.0f * float(w) * s) : 512, mh = w >= h ? int(32.0f * float(h) * s) : 512;
    ASSERT_LT(mw * mh, 512 * 512) << "a level that is not square shows what stays clear";
    int drawn = 0, clearOutside = 0, outside = 0;
    for (int y = 0; y < 512; ++y)
        for (int x = 0; x < 512; ++x) {
            const bool inside = x < mw - 1 && y < mh - 1;
            if (inside)
                drawn += map.At(x, y) != 0;
            else if (x > mw + 1 || y > mh + 1)
                ++outside, clearOutside += map.At(x, y) == 0;
        }
    EXPECT_GT(drawn, (mw - 1) * (mh - 1) * 9 / 10);
    EXPECT_EQ(clearOutside, outside);

    XDriver x;
    ASSERT_TRUE(x.Open());
    x.MoveTo(512, 384);
    const Picture flag = screen.Shipped(u"gfx/finland.png");
    DrawFrame();
    const Picture plain = screen.Shot(screen.KeepScreenshot("hud", "no_scoreboard"));
    x.Key(XK_Tab, true);
    ASSERT_TRUE(WaitForAction(GameAction::Scores, true));
    DrawFrame();
    const Picture scores = screen.Shot(screen.KeepScreenshot("hud", "scoreboard"));
    x.Key(XK_Tab, false);
    ASSERT_TRUE(WaitForAction(GameAction::Scores, false));
    EXPECT_TRUE(Near(scores.At(330 + 70, 115 + 50), flag.At(70, 50), 6));
    EXPECT_FALSE(Near(plain.At(330 + 70, 115 + 50), flag.At(70, 50), 6));

    // The player table's positions, as the periodic status leaves them.
    game.GetServerHandler()->SendPlayerStatus();
    x.Key(XK_m, true);
    ASSERT_TRUE(WaitForAction(GameAction::Map, true));
    DrawFrame(); // opens the map view
    screen.renderer->Present();
    DrawFrame();
    const Picture shown = screen.Shot(screen.KeepScreenshot("hud", "map"));
    x.Key(XK_m, false);
    ASSERT_TRUE(WaitForAction(GameAction::Map, false));
    const int left = 512 - mw / 2, top = 384 - mh / 2;
    EXPECT_EQ(shown.At(left - 2, top - 2), 0u) << "the black frame";
    int same = 0;
    for (int y = 4; y < mh - 4; y += 16)
        for (int x = 4; x < mw - 4; x += 16)
            same += Near(shown.At(left + x, top + y), map.At(x, y), 8);
    EXPECT_GT(same, (mw / 16) * (mh / 16) * 8 / 10) << "the map picture";
    const int markX = left + int(player->GetX() * s), markY = top + int(player->GetY() * s);
    EXPECT_TRUE(Near(shown.At(markX + 4, markY), 0x9791FD, 40)) << "Finland's own mark";
}

} // namespace
