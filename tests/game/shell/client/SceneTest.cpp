// The loading screen, the grenade charge, the kick table and the host's keys
// on the client in a real window over the build tree's game folder.
#include "../protocol/MemoryClient.h"
#include "../protocol/ServerFixture.h"
#include "PlayRig.h"
#include "support/EngineFakes.h"

#include "game/shell/menu/ChatMenu.h"
#include "game/shell/menu/KickMenu.h"
#include "game/shell/menu/MenuEdit.h"
#include "game/shell/menu/MenuList.h"
#include "game/shell/protocol/ClientHandler.h"
#include "game/shell/protocol/ServerHandler.h"
#include "game/world/net/GameMessage.h"
#include "game/world/net/IPlayerRoster.h"
#include "game/world/objects/ObjectKind.h"
#include "game/world/player/Player.h"
#include "game/world/resources/Inventory.h"
#include "game/world/resources/WeaponTable.h"
#include "game/world/state/WorldServices.h"

#include <algorithm>
#include <cmath>

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

// What the outside options dialog reads of the game's levels.
TEST_F(Scene, TheLevelCatalogueListsTheLevelsByMode)
{
    Game& game = rig_.GetGame();
    EXPECT_EQ(game.CountLevelsOfMode(0), 0) << "before the levels are listed";
    game.ListLevels();
    ASSERT_EQ(game.LevelCount(), 3);
    std::vector<std::string> rows;
    for (int i = 0; i < game.LevelCount(); ++i)
        rows.push_back(std::to_string(game.LevelMode(i)) + " " + Util::Narrow(game.LevelName(i)) + " " +
                       Util::Narrow(game.LevelFile(i)));
    std::sort(rows.begin(), rows.end());
    EXPECT_EQ(rows, (std::vector<std::string>{"0 Riot City levels/tdm_riotcity.lvl", "1 Harbour levels/ctf_harbour.lvl",
                                              "2 Quarry levels/koh_quarry.lvl"}));
    for (int mode = 0; mode < 3; ++mode) {
        EXPECT_EQ(game.CountLevelsOfMode(mode), 1);
        EXPECT_EQ(rows[size_t(mode)], std::to_string(mode) + " " + Util::Narrow(game.ModeLevelName(mode, 0)) + " " +
                                          Util::Narrow(game.ModeLevelFile(mode, 0)));
        EXPECT_EQ(std::u16string(game.ModeLevelName(mode, 1)), u"");
        EXPECT_EQ(std::u16string(game.ModeLevelFile(mode, 1)), u"");
    }
    EXPECT_EQ(game.CountLevelsOfMode(3), 0);
}

// A client's own player: its input and aim go out as its client state, and
// a grenade held charges at any frame rate.
TEST_F(Scene, TheClientReportsItsInputAndAimAndAGrenadeChargesAtAnyFrameRate)
{
    MemoryConnection connection;
    MemoryClient client(&connection);
    ClientHandler* handler = rig_.GetGame().GetClientHandler();
    handler->SetClient(&client);
    GameSystem& state = rig_.State();
    state.SetActiveHandler(handler);
    // The own player, as replication brings it.
    const int32_t ownId = int32_t(0x80000007u);
    MPAPI::Object* made = state.CreateObject(ObjectKind::Player, 0);
    made->SetNetworkId(ownId);
    state.OnObjectReady(made);
    auto* own = static_cast<Player*>(made);
    own->SetTeam(GameMod::kFinland);
    own->SetPosition(300.0f, 200.0f);
    handler->SetLocalPlayerId(ownId);
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
    // The player where it is; the aim at the cursor, kept on the screen,
    // from the middle of the view that follows the player 27 pixels lower.
    const MemoryClient::State held = client.state;
    EXPECT_EQ(held.flags, int(PlayerInputFlags::Throw));
    EXPECT_EQ(held.x, 300.0f);
    EXPECT_EQ(held.y, 200.0f);
    EXPECT_LE(std::fabs(state.aimOffsetX), 512.0f);
    EXPECT_LE(std::fabs(state.aimOffsetY), 384.0f);
    EXPECT_EQ(held.u, 300.0f + state.aimOffsetX);
    EXPECT_EQ(held.v, 227.0f + state.aimOffsetY);
    EXPECT_EQ(held.value, own->GetAngle());
    EXPECT_EQ(held.a, state.GetInventory()->GetSelectedWeapon());
    EXPECT_EQ(client.states, steps);
    e.type = SDL_MOUSEBUTTONUP;
    SDL_PushEvent(&e);
    Pump();
    rig_.GetGame().StepScene();
    EXPECT_EQ(client.state.flags, 0);
    handler->SetClient(nullptr);
    handler->SetLocalPlayerId(0);
    state.SetActiveHandler(nullptr);

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

// The host's own keys, held one step each as the settings bind them: its
// admin pages kick the player highlighted in the sorted table, balance and
// change the level; its chat reaches all or its team; it walks; it leaves
// through the exit question.
TEST_F(Scene, TheHostsKeysKickTheChosenPlayerChatAndLeave)
{
    Game& game = rig_.GetGame();
    GameSystem& state = rig_.State();
    GameOptions& options = state.Options();
    FakeInput keys;
    IInput* input = game.GetInput();
    game.SetInput(&keys);
    ServerHandler* server = game.GetServerHandler();
    auto* network = new ServerTest::FakeServer();
    server->SetServer(network);
    server->SetHostsOwnPlayer(true);
    options.SetPlayerName(u"Host");
    options.SetBrightness(0.35f);
    options.SetMasterVolume(0.0f);
    state.SetActiveHandler(server);
    ASSERT_TRUE(server->StartLevel());
    const std::vector<uint8_t> level = TestSupport::ReadAll(VORNHAL_BUILD_DIR "/levels/tdm_riotcity.lvl");
    std::vector<std::unique_ptr<ServerTest::Link>> links;
    auto join = [&](const char16_t* name, uint32_t team) {
        links.push_back(std::make_unique<ServerTest::Link>());
        ServerTest::Link* l = links.back().get();
        network->waiting.push_back(l);
        server->Update(0.01f);
        GamePacket p;
        auto deliver = [&] {
            p.SealHeader();
            l->inbound.insert(l->inbound.end(), p.GetBlock(), p.GetBlock() + p.GetLength() + 4);
        };
        GameMessages::WriteLevelCheck(p, uint32_t(LevelCheckValue(level.data(), level.size())));
        deliver();
        GameMessages::WriteJoin(p, u"uid", name, 0);
        deliver();
        GameMessages::WriteTeamChange(p, team);
        deliver();
        server->ProcessNetwork();
        return l;
    };
    ServerTest::Link* ville = join(u"Ville", 1);
    ServerTest::Link* aino = join(u"Aino", 2);
    ServerTest::Link* olli = join(u"Olli", 1);
    ASSERT_EQ(server->CountPlayers(), 3);
    server->RequestTeamChange(2);
    Player* own = server->GetOwnPlayer();
    ASSERT_NE(own, nullptr);
    ASSERT_EQ(own->GetTeam(), GameMod::kRussia);
    auto texts = [](ServerTest::Link* l) {
        std::vector<std::u16string> got;
        const std::vector<uint8_t>& b = l->sent;
        for (size_t at = 0; at + 4 <= b.size(); at += 4 + size_t(b[at + 2] | b[at + 3] << 8))
            if ((b[at] | b[at + 1] << 8) == int(GameMessage::Message)) {
                std::u16string t(1, char16_t(u'0' + b[at + 4]));
                for (size_t i = at + 5; i + 1 < at + 4 + size_t(b[at + 2] | b[at + 3] << 8); i += 2)
                    t += char16_t(b[i] | b[i + 1] << 8);
                got.push_back(t);
            }
        l->sent.clear();
        return got;
    };
    for (auto& l : links)
        texts(l.get());
    // A step with the keys held, then one with none, which frees the latch.
    auto press = [&](std::set<int> bound, std::set<int> fixed = {}) {
        keys.keys = bound;
        keys.actions = fixed;
        const bool leave = game.StepScene();
        keys.keys.clear();
        keys.actions.clear();
        if (!leave) {
            EXPECT_FALSE(game.StepScene());
        }
        return leave;
    };
    const int kF1 = 282, kF2 = 283, kF3 = 284, kF5 = 286, kF6 = 287, kF7 = 288, kF8 = 289, kReturn = 13, kEscape = 27,
              kT = 116, kY = 121, kW = 119;
    SceneState& scene = game.Scene();

    // The table is sorted by name: Aino, Host, Olli, Ville. Round once,
    // then the third row goes.
    press({kF1});
    EXPECT_EQ(scene.overlay, OverlayMode::AdminKick);
    for (int i = 0; i < 6; ++i)
        press({kF1});
    press({kReturn});
    EXPECT_EQ(scene.overlay, OverlayMode::None);
    EXPECT_EQ(olli->state, MPAPI::IConnection::kClosed);
    EXPECT_EQ(ville->state, MPAPI::IConnection::kConnected);
    EXPECT_EQ(aino->state, MPAPI::IConnection::kConnected);

    // Balance: now, then auto-balance on, then off; Escape leaves the page.
    options.SetServerBalanced(false);
    press({kF2});
    EXPECT_EQ(scene.overlay, OverlayMode::AdminBalance);
    EXPECT_EQ(scene.balanceItem, 0);
    press({kReturn});
    EXPECT_TRUE(state.GetGameMode()->IsBalancePending());
    press({kF2});
    press({kReturn});
    EXPECT_TRUE(options.GetServerBalanced());
    press({kF2});
    press({kReturn});
    EXPECT_FALSE(options.GetServerBalanced());
    press({kF2});
    EXPECT_EQ(scene.balanceItem, 0);
    press({kEscape});
    EXPECT_EQ(scene.overlay, OverlayMode::None);

    // Brightness passes the normal value on its way; the volume stops at its end.
    press({kF5});
    EXPECT_FLOAT_EQ(options.GetBrightness(), 0.25f);
    EXPECT_EQ(scene.brightnessReadout, 3.0f);
    press({kF6});
    EXPECT_FLOAT_EQ(options.GetBrightness(), 0.35f);
    press({kF6});
    EXPECT_FLOAT_EQ(options.GetBrightness(), 0.45f);
    press({kF7});
    EXPECT_EQ(options.GetMasterVolume(), -5.0f);
    EXPECT_EQ(scene.brightnessReadout, 0.0f);
    EXPECT_EQ(scene.volumeReadout, 3.0f);
    for (int i = 0; i < 25; ++i)
        press({kF8});
    EXPECT_EQ(options.GetMasterVolume(), 100.0f);

    // A line to all, one to the team, and an empty one that says nothing.
    MenuEdit* line = game.GetChatMenu()->edit;
    for (auto [key, text] : {std::pair<int, const char16_t*>{kT, u"hello all"}, {kY, u"psst"}, {kT, u""}, {kT, u"k"}}) {
        press({key});
        EXPECT_EQ(scene.overlay, key == kT ? OverlayMode::Chat : OverlayMode::TeamChat);
        line->SetText(text);
        line->submitted = true;
        press({});
        EXPECT_EQ(scene.overlay, OverlayMode::None);
    }
    EXPECT_EQ(texts(ville), (std::vector<std::u16string>{u"0<Host> hello all", u"0<Host> k"}));
    EXPECT_EQ(texts(aino), (std::vector<std::u16string>{u"0<Host> hello all", u"1<Host> psst", u"0<Host> k"}));

    // The host walks by the keys it holds.
    keys.keys = {kW};
    game.StepScene();
    EXPECT_EQ(own->GetInputFlags() & PlayerInputFlags::Up, PlayerInputFlags::Up);
    press({});
    EXPECT_EQ(own->GetInputFlags() & PlayerInputFlags::Up, 0u);

    // Every input bit the keys and the mouse give; the view follows.
    scene.stamina = 5.0f;
    keys.keys = {306, 101, 114, 304, 99, 103, 102, 308, 113, 1000};
    keys.buttons = {0};
    keys.actions = {FixedKey::Space};
    game.StepScene();
    namespace F = PlayerInputFlags;
    EXPECT_EQ(own->GetInputFlags(), F::Crouch | F::Use | F::Reload | F::Sprint | F::Remote | F::Drop | F::Light |
                                        F::Aiming | F::Pick | F::Respawn | F::LookAround | F::Shoot);
    keys.buttons.clear();
    press({});
    EXPECT_EQ(state.Camera().x, own->GetX() - 512.0f);
    EXPECT_EQ(state.Camera().y, own->GetY() - 384.0f + 27.0f);

    // The weapon keys choose by class; a shot ends a choice in progress.
    const WeaponTable* table = Services().weapons;
    int pistol = -1, rifle = -1, grenade = -1;
    for (int i = 0; i < table->GetWeaponCount(); ++i) {
        const WeaponDef* w = table->GetWeaponAt(i);
        int& slot = w->category == 2 ? pistol : w->category == 3 ? rifle : w->category == 4 ? grenade : i;
        if (slot == -1)
            slot = w->id;
    }
    ASSERT_TRUE(pistol != -1 && rifle != -1 && grenade != -1);
    Inventory& inventory = *state.GetInventory();
    inventory.Clear();
    for (int id : {grenade, rifle, pistol})
        inventory.SetWeapon(id, 5, 10);
    press({'2'});
    EXPECT_EQ(inventory.GetSelectedWeapon(), pistol);
    press({'3'});
    EXPECT_EQ(inventory.GetSelectedWeapon(), rifle);
    EXPECT_EQ(inventory.GetCurrentWeapon(), rifle);
    press({'4'});
    EXPECT_EQ(inventory.GetSelectedExplosive(), grenade);
    EXPECT_EQ(inventory.GetSelectedWeapon(), rifle);
    press({1000});
    EXPECT_EQ(inventory.GetCurrentWeapon(), -1);
    EXPECT_EQ(inventory.GetSelectedWeapon(), rifle);
    // An empty weapon in hand gives way to one with rounds.
    inventory.SetWeapon(rifle, 0, 0);
    press({});
    EXPECT_EQ(inventory.GetSelectedWeapon(), pistol);
    EXPECT_EQ(inventory.HasWeapon(rifle), true);

    // One picture for each press, however long it is held.
    TestSupport::TempDir shots;
    options.SetScreenshotPath(Util::Widen(shots.Path().c_str()).c_str());
    auto pictures = [&] {
        Pump();
        return std::distance(std::filesystem::directory_iterator(shots.Path()), std::filesystem::directory_iterator());
    };
    keys.keys = {292};
    game.StepScene();
    EXPECT_EQ(pictures(), 1);
    game.StepScene();
    EXPECT_EQ(pictures(), 1);
    press({});
    press({292});
    EXPECT_EQ(pictures(), 2);

    // The next level of the cycle, for everyone still there.
    press({kF3});
    EXPECT_EQ(scene.overlay, OverlayMode::AdminChangeMap);
    ville->sent.clear();
    press({kReturn});
    EXPECT_EQ(scene.overlay, OverlayMode::None);
    ASSERT_GE(ville->sent.size(), 4u);
    EXPECT_EQ(ville->sent[0], uint8_t(GameMessage::LevelStart));

    // No, then yes. Escape held asks once: the question stays.
    keys.keys = {kEscape};
    EXPECT_FALSE(game.StepScene());
    EXPECT_FALSE(game.StepScene());
    EXPECT_EQ(scene.overlay, OverlayMode::ExitQuestion);
    keys.keys.clear();
    EXPECT_FALSE(game.StepScene());
    keys.actions = {FixedKey::N};
    EXPECT_FALSE(game.StepScene());
    EXPECT_EQ(scene.overlay, OverlayMode::None);
    // Escape pressed in the very next step: every key was up in between.
    keys.actions.clear();
    EXPECT_FALSE(press({kEscape}));
    EXPECT_EQ(scene.overlay, OverlayMode::ExitQuestion);
    EXPECT_TRUE(press({}, {FixedKey::Y}));

    game.SetInput(input);
    state.SetActiveHandler(nullptr);
    server->Stop();
    server->SetHostsOwnPlayer(false);
}

} // namespace
