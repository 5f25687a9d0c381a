#include "../ScreenGame.h"
#include "../protocol/MemoryConnection.h"
#include "support/EngineFakes.h"

#include "engine/audio/AudioEnvironment.h"
#include "game/shell/hud/HudFrame.h"
#include "game/shell/menu/ChatMenu.h"
#include "game/shell/menu/KickMenu.h"
#include "game/shell/menu/MenuEdit.h"
#include "game/shell/protocol/ClientHandler.h"
#include "game/shell/protocol/ServerHandler.h"
#include "game/world/map/World.h"
#include "game/world/modes/GameMod.h"
#include "game/world/net/GameMessage.h"
#include "game/world/player/Player.h"
#include "game/world/resources/Inventory.h"
#include "game/world/state/WorldServices.h"
#include "game/world/system/GameSystem.h"
#include "support/GameFolder.h"

#include <algorithm>

namespace {

namespace In = WindowInput;

constexpr int kRifle = 78905344;
constexpr int kGrenade = 79691776;
constexpr int kSmokeGrenade = 79953920;
constexpr int kMine = 80478208;

// Hosting a default level at noon as "Pekka", who picks Finland from the
// team menu with the digit 1. Frames are drawn with the view away from the
// level, so that only what lies over it shows, and with the clock held.
class HudScreen : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!screen.StartDisplay())
            GTEST_SKIP() << "no Xvfb";
        ASSERT_NO_FATAL_FAILURE(screen.Open());
        game = &screen.GetGame();
        game->CreateInGameMenus();
        state = game->GetGameSystem();
        screen.GetEngine().heldFrameTime = 0.0f;
        game->GetEngine()->SetMasterServer(u"127.0.0.1:1");
        state->Options().SetPlayerName(u"Pekka");
        state->Options().SetServerLevel(u"levels/tdm_riotcity.lvl");
        state->Options().SetServerMode(0);
        state->Options().SetServerLighting(0);
        state->Options().SetServerBalanced(false);
        server = game->GetServerHandler();
        server->SetHostsOwnPlayer(true);
        ASSERT_TRUE(state->StartServer(TestSupport::FreeUdpPort()));
        ASSERT_TRUE(server->StartLevel());
        player = Hud::LocalPlayer(state, server);
        ASSERT_NE(player, nullptr);
        // The pointer away from the menus' controls.
        In::MoveTo(1000, 740);
        Take();
        Draw();
        ASSERT_EQ(game->Scene().overlay, OverlayMode::TeamSelect) << "a player without a team is asked for one";
        Press(SDLK_1);
        Draw();
        ASSERT_EQ(player->GetTeam(), GameMod::kFinland);
        Release(SDLK_1);
        Play();
        ASSERT_EQ(game->Scene().overlay, OverlayMode::None);
        ASSERT_FALSE(game->Scene().keyLatch);
        for (int i = 0; i < 3; ++i)
            state->Messages(i) = MessageContainer();
        // A red that stays while the clock is held: what darkens the
        // screen shows over it.
        game->Scene().damageFlash = 0.3f;
        game->Scene().cursorX = game->Scene().cursorY = 0.0f;
    }

    // The window's events since the last frame.
    void Take() { screen.renderer->Present(); }
    void Press(int sym, char16_t unicode = 0)
    {
        In::Key(sym, true, unicode);
        Take();
    }
    void Release(int sym)
    {
        In::Key(sym, false);
        Take();
    }
    void Draw()
    {
        state->Camera().x = -100000.0f;
        state->Camera().y = -100000.0f;
        game->DrawScene();
    }
    // A step of play and its frame.
    void Play()
    {
        EXPECT_FALSE(game->StepScene());
        Draw();
    }
    // A key pressed for a step and let go; the step after lets the key
    // latch go.
    void Tap(int sym, char16_t unicode = 0)
    {
        Press(sym, unicode);
        Play();
        Release(sym);
        Play();
        Play();
    }
    Picture Shot(const std::string& name) { return screen.Frame("hud", name); }

    // A player joined over a connection of its own, on a team, standing at
    // (x, y) of the level.
    Player* Join(MemoryConnection* link, const char16_t* name, int choice, float x, float y)
    {
        server->AcceptConnection(link);
        Player* p = server->AcceptJoin(link, name, "");
        EXPECT_NE(p, nullptr);
        if (!p)
            return nullptr;
        state->GetGameMode()->SetPlayerTeam(p, choice, false, true);
        server->UpdatePlayer(p->GetNetworkId(), x, y, -1, 0, nullptr);
        return p;
    }

    ScreenGame screen;
    Game* game = nullptr;
    GameSystem* state = nullptr;
    ServerHandler* server = nullptr;
    Player* player = nullptr;
};

// Everything the status bar and the message areas show for an armed player
// just hurt: the red flash, the numbers, the icons and bars, a brightness
// readout and the crosshair round the aim point.
TEST_F(HudScreen, AnArmedPlayerJustHurt)
{
    SceneState& scene = game->Scene();
    Inventory* inventory = state->GetInventory();
    inventory->SetWeapon(kRifle, 23, 145);
    inventory->SelectWeapon(kRifle);
    inventory->SetWeapon(kGrenade, 1, 2);
    inventory->SetWeapon(kSmokeGrenade, 1, 3);
    inventory->SelectWeapon(kGrenade);
    ASSERT_EQ(inventory->GetSelectedExplosive(), kGrenade);
    state->StartCountdown(2.0f);
    state->countdown = 0.5f;
    scene.damageFlash = 0.0f;
    scene.lastHealth = 120.0f;
    player->SetHealth(87.0f);
    player->SetArmour(1200.0f);
    scene.stamina = 6.0f;
    scene.grenadeCharge = 128.0f;
    scene.brightnessReadout = 2.0f;
    state->Options().SetBrightness(0.45f);
    scene.cursorX = 150.0f;
    scene.cursorY = -100.0f;
    state->Messages(0).AddMessage(u"Ville: forward", false);
    state->Messages(0).AddMessage(u"", false);
    state->Messages(0).AddMessage(u"\x01Player Aino entered the game", false);
    state->Messages(1).AddMessage(u"Picked up armour", false);
    state->Messages(1).AddMessage(u"Picked up grenades", false);
    state->Messages(2).AddMessage(u"Finland leads 3 - 1", false);
    state->Messages(2).AddMessage(u"Time left 4:00", false);
    // Charging a throw: the right button held.
    In::Button(3, true);
    Take();
    Draw();
    const Picture shot = Shot("armed");
    In::Button(3, false);
    Sheet sheet;
    sheet.Add(shot, 0, 0, 1024, 768);
    sheet.ExpectGolden("game/shell/hud/golden", "armed");
    EXPECT_FLOAT_EQ(scene.damageFlash, 0.3f);
    EXPECT_FLOAT_EQ(scene.stamina, 6.0f);

    // Sprinting with any move key drains the bar, 10 in 3 s; sprinting
    // standing still refills it as fast.
    screen.GetEngine().heldFrameTime = 0.3f;
    Press(SDLK_LSHIFT);
    for (int sym : {int('w'), int('s'), int('a'), int('d'), int(SDLK_LCTRL)}) {
        Press(sym);
        Draw();
        EXPECT_NEAR(scene.stamina, 5.0f, 1e-4f) << sym;
        Release(sym);
        Draw();
        EXPECT_NEAR(scene.stamina, 6.0f, 1e-4f) << sym;
    }
    Release(SDLK_LSHIFT);

    // An explosive used up is dropped and the next one taken.
    inventory->SetWeapon(kMine, 0, 0);
    inventory->SelectWeapon(kMine);
    Draw();
    EXPECT_FALSE(inventory->HasWeapon(kMine));
    EXPECT_EQ(inventory->GetSelectedExplosive(), -1);
    Draw();
    EXPECT_NE(inventory->GetSelectedExplosive(), -1);
}

// The keys held become the player's input bits, all of them in plain play
// and only the moves and the trigger while the map is held; the brightness
// and volume keys step through the normal values.
TEST_F(HudScreen, HeldKeysBecomeInputBitsAndStepBrightnessAndVolume)
{
    namespace F = PlayerInputFlags;
    SceneState& scene = game->Scene();
    scene.stamina = SceneState::kFullStamina;
    const int keys[] = {'w', 'a', 'e', 'r', 'q', 'f', 'c', 'g', SDLK_LSHIFT, SDLK_LCTRL, SDLK_LALT, SDLK_SPACE};
    for (int sym : keys)
        In::Key(sym, true);
    In::Button(1, true);
    Take();
    Play();
    const uint32_t moves = F::Up | F::Left;
    EXPECT_EQ(player->GetInputFlags(), moves | F::Shoot | F::Use | F::Reload | F::Pick | F::Light | F::Remote |
                                           F::Drop | F::Sprint | F::Crouch | F::Aiming | F::Respawn | F::LookAround);
    Press('m');
    Play(); // opens the map view
    Play();
    ASSERT_EQ(scene.overlay, OverlayMode::Map);
    EXPECT_EQ(player->GetInputFlags(), moves | F::Shoot);
    for (int sym : keys)
        In::Key(sym, false);
    In::Key('m', false);
    In::Button(1, false);
    Take();
    Play();
    Play();
    EXPECT_EQ(player->GetInputFlags(), 0u);

    // The sound follows: a crouching player in shallow water hears the
    // underwater reverb, the forest's again once up; the volume steps reach
    // the device.
    FakeAudio audio;
    AudioEnvironment underwater, forest;
    WorldServices& services = Services();
    struct Restore {
        WorldServices& services;
        const WorldServices was;
        ~Restore() { services = was; }
    } restore{services, services};
    services.audio = &audio;
    services.environments[0] = &underwater;
    services.environments[1] = &forest;
    World* world = game->GetWorld();
    bool wet = false;
    for (int y = 16; y < 32 * world->GetHeight() && !wet; y += 32)
        for (int x = 16; x < 32 * world->GetWidth() && !wet; x += 32) {
            float depth = 1.0f;
            if (world->GetWaterAt(x, y, &depth) && depth <= 0.6f)
                player->SetPosition(float(x), float(y)), wet = true;
        }
    ASSERT_TRUE(wet) << "the level has shallow water";
    Press(SDLK_LCTRL);
    Play();
    Play();
    EXPECT_EQ(audio.environment, &underwater);
    Release(SDLK_LCTRL);
    Play();
    Play();
    EXPECT_EQ(audio.environment, &forest);

    IGameOptions& options = state->Options();
    options.SetBrightness(0.4f);
    options.SetMasterVolume(95.0f);
    const struct {
        int key;
        float brightness, volume;
    } steps[] = {{SDLK_F5, 0.35f, 95.0f},  {SDLK_F5, 0.25f, 95.0f},  {SDLK_F6, 0.35f, 95.0f}, {SDLK_F6, 0.45f, 95.0f},
                 {SDLK_F8, 0.45f, 100.0f}, {SDLK_F8, 0.45f, 100.0f}, {SDLK_F7, 0.45f, 95.0f}};
    for (const auto& step : steps) {
        Tap(step.key);
        EXPECT_NEAR(options.GetBrightness(), step.brightness, 1e-5f) << step.key;
        EXPECT_EQ(options.GetMasterVolume(), step.volume) << step.key;
        // Each readout replaces the other.
        EXPECT_EQ(scene.brightnessReadout > 0.0f, step.key <= SDLK_F6) << step.key;
        EXPECT_EQ(scene.volumeReadout > 0.0f, step.key >= SDLK_F7) << step.key;
    }
    EXPECT_EQ(audio.volumes, (std::vector<float>{100.0f, 100.0f, 95.0f}));
}

// Dead: the red screen, "You are dead" and the seconds left; after five
// seconds the click to respawn and, with nothing to shoot, "Out of ammo".
TEST_F(HudScreen, DeathCountsDownThenAsksForTheClick)
{
    SceneState& scene = game->Scene();
    Inventory* inventory = state->GetInventory();
    inventory->SetWeapon(kRifle, 0, 0);
    inventory->SelectWeapon(kRifle);
    scene.stamina = SceneState::kFullStamina;
    player->SetHealth(0.0f);
    screen.GetEngine().heldFrameTime = 0.25f;
    scene.deathTime = 2.5f;
    Draw();
    Sheet sheet;
    sheet.Add(Shot("dying"), 0, 370, 1024, 398);
    EXPECT_FLOAT_EQ(scene.deathTime, 2.75f);
    EXPECT_TRUE(scene.fireLatch);
    scene.deathTime = 5.0f;
    scene.damageFlash = 0.0f;
    Draw();
    sheet.Add(Shot("dead"), 0, 370, 1024, 398);
    sheet.ExpectGolden("game/shell/hud/golden", "dead");
    player->SetHealth(100.0f);
    Draw();
    EXPECT_EQ(scene.deathTime, 0.0f);
}

// The host's admin pages through the keys: the kick table sorted by name,
// F1 again choosing the next row, the balance page's highlighted and
// current lines, and the map page. The player kicked is the one clicked in
// the sorted table.
TEST_F(HudScreen, AdminPagesKickThePlayerChosenInTheSortedTable)
{
    MemoryConnection ville, aino, olli;
    Join(&ville, u"Ville", GameMod::kChooseFinland, 100.0f, 100.0f);
    Join(&aino, u"Aino", GameMod::kChooseRussia, 200.0f, 100.0f);
    Join(&olli, u"Olli", GameMod::kChooseFinland, 300.0f, 100.0f);
    SceneState& scene = game->Scene();
    KickMenu* kick = game->GetKickMenu();
    Sheet sheet;
    auto page = [&](int sym) {
        Tap(sym);
        sheet.Add(Shot("admin"), 45, 40, 430, 395);
    };
    Tap(SDLK_F1);
    ASSERT_EQ(scene.overlay, OverlayMode::AdminKick);
    EXPECT_EQ(kick->GetSelectedRow(), 0);
    page(SDLK_F1);
    ASSERT_EQ(kick->GetSelectedRow(), 1);
    EXPECT_EQ(std::u16string(kick->GetCellText(kick->GetDataRow(1), 0)), u"Olli");
    page(SDLK_F2);
    ASSERT_EQ(scene.overlay, OverlayMode::AdminBalance);
    page(SDLK_F2);
    EXPECT_EQ(scene.balanceItem, 1);
    page(SDLK_F3);
    ASSERT_EQ(scene.overlay, OverlayMode::AdminChangeMap);
    sheet.ExpectGolden("game/shell/hud/golden", "admin");

    // Enter on the balance page's second line turns auto-balance on and
    // leaves the page open.
    Tap(SDLK_F2);
    Tap(SDLK_RETURN);
    EXPECT_TRUE(state->Options().GetServerBalanced());
    EXPECT_EQ(scene.overlay, OverlayMode::AdminBalance);

    // Back on the kick page the first row is chosen; a click on the third
    // row of the table (Pekka, the host) and one on the second (Olli).
    Tap(SDLK_F1);
    ASSERT_EQ(kick->GetSelectedRow(), 0);
    for (int row : {2, 1}) {
        In::MoveTo(120, 70 + 26 + 5 + 18 * row + 9);
        In::Button(1, true);
        Take();
        Play();
        In::Button(1, false);
        Take();
        Play();
        EXPECT_EQ(kick->GetSelectedRow(), row);
    }
    Tap(SDLK_RETURN);
    EXPECT_EQ(scene.overlay, OverlayMode::None);
    EXPECT_EQ(olli.state, MPAPI::IConnection::kClosed);
    EXPECT_EQ(ville.state, MPAPI::IConnection::kConnected);
    EXPECT_EQ(aino.state, MPAPI::IConnection::kConnected);
    server->ProcessNetwork();
    EXPECT_EQ(server->CountPlayers(), 3);

    // Escape leaves an admin page without asking to leave the game.
    Tap(SDLK_F3);
    Tap(SDLK_ESCAPE);
    EXPECT_EQ(scene.overlay, OverlayMode::None);
}

// The map view while M is held: the level's picture in its black frame and
// the marks of the own team only, the host's own apart; the crosshair and a
// volume readout drawn over it at twice the view scale.
TEST_F(HudScreen, MapViewShowsOnlyTheOwnTeamWhileMIsHeld)
{
    World* world = game->GetWorld();
    state->Camera() = CameraPos{123.0f, 45.0f};
    // The editor's way of drawing tiles, which the small picture needs.
    world->BuildMeshes(false);
    game->RenderGameMap();
    world->BuildMeshes(true);
    EXPECT_TRUE(game->GetScreens().gameMapMade);
    EXPECT_EQ(world->GetViewScale(), 1.0f);
    EXPECT_EQ(state->Camera().x, 123.0f);
    EXPECT_EQ(state->Camera().y, 45.0f);

    MemoryConnection ville, aino;
    Join(&ville, u"Ville", GameMod::kChooseFinland, 640.0f, 320.0f);
    Join(&aino, u"Aino", GameMod::kChooseRussia, 960.0f, 320.0f);
    server->UpdatePlayer(player->GetNetworkId(), 320.0f, 640.0f, -1, 0, nullptr);
    state->viewScale = 2.0f;
    SceneState& scene = game->Scene();
    scene.cursorX = -200.0f;
    scene.cursorY = 100.0f;
    scene.volumeReadout = 2.0f;
    state->Options().SetMasterVolume(-15.0f);

    Press('m');
    Draw(); // opens the map view
    ASSERT_EQ(scene.overlay, OverlayMode::Map);
    Draw();
    const Picture shown = Shot("map");
    Release('m');
    Draw();
    EXPECT_EQ(scene.overlay, OverlayMode::None);
    // The picture's left half with the marks and the crosshair, its right
    // edge, the readout.
    Sheet sheet;
    sheet.Add(shown, 250, 205, 270, 356);
    sheet.Add(shown, 760, 205, 16, 356);
    sheet.Add(shown, 790, 12, 190, 24);

    // Without a player of one's own every mark shows as another's, and the
    // numbers read 0.
    ClientHandler* client = game->GetClientHandler();
    state->SetActiveHandler(client);
    client->AddPlayer(1, u"Ville", nullptr);
    client->UpdatePlayer(1, 640.0f, 320.0f, 0, GameMod::kFinland, nullptr);
    client->AddPlayer(2, u"Aino", nullptr);
    client->UpdatePlayer(2, 960.0f, 320.0f, 0, GameMod::kRussia, nullptr);
    Play();
    Press('m');
    Draw();
    Draw();
    const Picture all = Shot("map_all");
    Release('m');
    client->ClearPlayerSlots();
    state->SetActiveHandler(server);
    sheet.Add(all, 250, 205, 270, 356);
    sheet.Add(all, 0, 720, 200, 48);
    sheet.ExpectGolden("game/shell/hud/golden", "map");

    // Tab held shows the scoreboard over play.
    const Picture plain = Shot("plain");
    Press(SDLK_TAB);
    Draw();
    const Picture scores = Shot("scores");
    Release(SDLK_TAB);
    int changed = 0;
    for (int y = 100; y < 600; y += 4)
        for (int x = 300; x < 700; x += 4)
            changed += scores.At(x, y) != plain.At(x, y);
    EXPECT_GT(changed, 1000);
}

// Chat typed into the line: "Chat (team):" with the field, the line sent to
// the own team only and shown to the host; then the exit question.
TEST_F(HudScreen, ATeamLineReachesTheTeamOnlyAndTheExitQuestionAsks)
{
    MemoryConnection ville, aino;
    Join(&ville, u"Ville", GameMod::kChooseFinland, 100.0f, 100.0f);
    Join(&aino, u"Aino", GameMod::kChooseRussia, 200.0f, 100.0f);
    ville.sent.clear();
    aino.sent.clear();
    SceneState& scene = game->Scene();
    Tap('y', u'y');
    ASSERT_EQ(scene.overlay, OverlayMode::TeamChat);
    for (char16_t c : std::u16string(u"hold B")) {
        In::Key(c == u'B' ? 'b' : c, true, c);
        In::Key(c == u'B' ? 'b' : c, false);
        Take();
        Play();
    }
    EXPECT_EQ(std::u16string(game->GetChatMenu()->edit->GetText()), u"hold B");
    Sheet sheet;
    sheet.Add(Shot("team_chat"), 0, 590, 520, 40);
    Tap(SDLK_RETURN, 13);
    EXPECT_EQ(scene.overlay, OverlayMode::None);
    auto heard = [](MemoryConnection& link) {
        const std::string bytes(link.sent.begin(), link.sent.end());
        return bytes.find(std::string("h\0o\0l\0d\0 \0B", 11)) != std::string::npos;
    };
    EXPECT_TRUE(heard(ville));
    EXPECT_FALSE(heard(aino));
    sheet.Add(Shot("chat_sent"), 0, 500, 520, 90);

    Tap(SDLK_ESCAPE);
    ASSERT_EQ(scene.overlay, OverlayMode::ExitQuestion);
    sheet.Add(Shot("exit_question"), 300, 370, 420, 40);
    Press('n');
    EXPECT_FALSE(game->StepScene());
    Release('n');
    EXPECT_EQ(scene.overlay, OverlayMode::None);
    sheet.ExpectGolden("game/shell/hud/golden", "chat");
}

} // namespace
