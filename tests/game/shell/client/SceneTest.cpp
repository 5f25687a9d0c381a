// The loading screen, the grenade charge and the kick table on the client in
// a real window over the build tree's game folder.
#include "../protocol/MemoryClient.h"
#include "PlayRig.h"

#include "game/shell/menu/ChatMenu.h"
#include "game/shell/menu/KickMenu.h"
#include "game/shell/menu/MenuEdit.h"
#include "game/shell/menu/MenuList.h"
#include "game/shell/protocol/ClientHandler.h"
#include "game/world/net/GameMessage.h"

namespace {

using namespace PlayTest;

class Scene : public testing::Test {
protected:
    void SetUp() override
    {
        if (!HaveDisplay())
            GTEST_SKIP() << "no X display";
        ASSERT_NO_FATAL_FAILURE(rig_.Open(VORNHAL_BUILD_DIR, true));
    }

    // One frame of the window, to take its events.
    void Pump()
    {
        IRenderer* r = rig_.renderer;
        if (r->PrepareTextures()) {
            r->BeginScene();
            r->EndScene();
        }
        r->Present();
    }

    ScreenGame rig_;
};

// The loading screen's foot: the last five lines of its log in grey and,
// while it is asked for, the password typed into its field.
TEST_F(Scene, TheLoadingScreenShowsTheLastFiveLinesAndThePasswordTyped)
{
    Game& game = rig_.GetGame();
    rig_.GetEngine().heldFrameTime = 0.0f;
    game.ClearLoadingLog();
    for (int i = 1; i <= 6; ++i)
        game.ShowLoadingText(Util::Format(u"Line %d of the log", i).c_str(), true);
    EXPECT_EQ(std::u16string(game.GetLoadingLine(0)), u"Line 2 of the log");
    EXPECT_EQ(std::u16string(game.GetLoadingLine(4)), u"Line 6 of the log");
    for (char c : std::string("secret")) {
        WindowInput::Key(c, true, char16_t(c));
        WindowInput::Key(c, false);
    }
    game.DrawLoadingScreen(true); // takes the keys
    rig_.TakeScreenshot("loading", "password");
    game.DrawLoadingScreen(true);
    EXPECT_EQ(std::u16string(game.GetPlayState().password->edit->GetText()), u"secret");
    Sheet sheet;
    sheet.Add(rig_.Shot(rig_.TakenScreenshot()), 0, 680, 520, 88);
    sheet.ExpectGolden("game/shell/client/golden", "loading");
}

TEST_F(Scene, AGrenadeChargesAtAnyFrameRate)
{
    MemoryConnection connection;
    MemoryClient client(&connection);
    ClientHandler* handler = rig_.GetGame().GetClientHandler();
    handler->SetClient(&client);
    rig_.State().SetActiveHandler(handler);
    SDL_Event e = {};
    e.type = SDL_MOUSEBUTTONDOWN;
    e.button.button = SDL_BUTTON_RIGHT;
    SDL_PushEvent(&e);
    Pump();
    // Held for 0.2 s of steps far faster than 600 a second.
    rig_.GetEngine().UpdateFrameTime1();
    const auto start = std::chrono::steady_clock::now();
    int steps = 0;
    while (std::chrono::steady_clock::now() - start < std::chrono::milliseconds(200)) {
        EXPECT_FALSE(rig_.GetGame().StepScene());
        ++steps;
    }
    e.type = SDL_MOUSEBUTTONUP;
    SDL_PushEvent(&e);
    Pump();
    rig_.GetGame().StepScene();
    handler->SetClient(nullptr);
    rig_.State().SetActiveHandler(nullptr);

    EXPECT_GT(steps, 200);
    int throws = 0, power = -1;
    for (size_t at = 0; at + 4 <= connection.sent.size();) {
        const int type = connection.sent[at] | connection.sent[at + 1] << 8;
        const size_t length = size_t(connection.sent[at + 2] | connection.sent[at + 3] << 8);
        if (type == int(GameMessage::ThrowRequest) && length == 1 && at + 5 <= connection.sent.size())
            ++throws, power = connection.sent[at + 4];
        at += 4 + length;
    }
    EXPECT_EQ(throws, 1);
    // 600 a second for the time held, whole or not per step.
    EXPECT_GE(power, 100);
    EXPECT_LE(power, 200);
}

TEST_F(Scene, TheKickTableOutlivesTheHandlerItShowed)
{
    ClientHandler* handler = rig_.GetGame().GetClientHandler();
    rig_.State().SetActiveHandler(handler);
    const char16_t* names[] = {u"Ville", u"Aino", u"Olli"};
    for (int i = 0; i < 3; ++i) {
        handler->AddPlayer(i + 1, names[i], nullptr);
        handler->UpdatePlayer(i + 1, -1000.0f, -1000.0f, 0, 0, nullptr);
    }
    KickMenu* kick = rig_.GetGame().GetKickMenu();
    ASSERT_NE(kick, nullptr);
    auto frame = [&] {
        IRenderer* r = rig_.renderer;
        ASSERT_TRUE(r->PrepareTextures());
        r->BeginScene();
        kick->Step();
        r->EndScene();
        r->Present();
    };
    ASSERT_NO_FATAL_FAILURE(frame());
    ASSERT_EQ(kick->GetLastCount(), 3);
    EXPECT_EQ(std::u16string(kick->GetCellText(kick->GetDataRow(0), 0)), u"Aino");
    kick->SetSelectedRow(2);

    // The next join begins with no handler; the table drawn meanwhile keeps
    // its rows until it is stepped.
    rig_.State().SetActiveHandler(nullptr);
    EXPECT_EQ(std::u16string(kick->GetCellText(2, 0)), u"");
    EXPECT_EQ(kick->CompareRows(0, 1, 0), 0);
    ASSERT_NO_FATAL_FAILURE(frame());
    EXPECT_EQ(kick->GetLastCount(), 0);
    EXPECT_TRUE(kick->table->rowOrder.empty());
    EXPECT_EQ(kick->GetSelectedRow(), -1);
    handler->ClearPlayerSlots();
}

} // namespace
