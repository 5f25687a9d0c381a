// Level starts with clients in every stage of joining, lost connections,
// the player status and the operator's kick and ban, and who an operator is.
#include "../../../dedicated/console/CapturingWriter.h"
#include "../../../engine/web/StandIn.h"
#include "ServerFixture.h"

#include "engine/web/IPlayerScores.h"
#include "game/shell/console/ConsoleCommand.h"
#include "game/world/player/Player.h"
#include "game/world/resources/Inventory.h"
#include "game/world/state/ObjectManager.h"
#include "game/world/state/WorldServices.h"
#include "game/world/system/PlayerRoster.h"
#include "platform/os/Os.h"

#include <cstring>

using namespace ServerTest;

namespace {

std::vector<GameMessage> Types(const std::vector<Msg>& m)
{
    std::vector<GameMessage> t;
    for (const Msg& x : m)
        t.push_back(x.type);
    return t;
}

std::vector<Msg> OfType(const std::vector<Msg>& m, GameMessage type)
{
    std::vector<Msg> out;
    std::copy_if(m.begin(), m.end(), std::back_inserter(out), [type](const Msg& x) { return x.type == type; });
    return out;
}

using Bytes = std::vector<uint8_t>;

Bytes operator+(Bytes a, const Bytes& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

Bytes Le(uint32_t v, int n = 4)
{
    Bytes b;
    for (int i = 0; i < n; ++i)
        b.push_back(uint8_t(v >> (8 * i)));
    return b;
}

Bytes Text(const std::u16string& s)
{
    Bytes b;
    for (char16_t c : s)
        b = b + Le(c, 2);
    return b;
}

} // namespace

class Joined : public Serving {
protected:
    void SetUp() override
    {
        Serving::SetUp();
        level_ = WriteLevelFile("levels/a.lvl");
        WriteLevelFile("levels/b.lvl");
        Cycle({u"levels/a.lvl", u"levels/b.lvl"});
        ASSERT_TRUE(handler_->StartLevel());
    }
    // A client that checked its level and joined under that name.
    Link* Join(const char16_t* name, const char16_t* uid = u"uid")
    {
        game_->SetGameMode(new PlainMode());
        Link* c = Connect();
        GameMessages::WriteLevelCheck(packet_, uint32_t(LevelCheckValue(level_.data(), level_.size())));
        Deliver(c, packet_);
        GameMessages::WriteJoin(packet_, uid, name, 0);
        Deliver(c, packet_);
        Frame();
        Drain(c);
        return c;
    }
    std::vector<uint8_t> level_;
};

TEST_F(Joined, AJoinIsAnsweredOnlyOnceTheLevelIsReadyAndEveryoneHearsOfIt)
{
    Link* anna = Join(u"anna");
    const int32_t annaId = handler_->FindPlayerIdByName(u"anna");
    ASSERT_NE(annaId, 0);
    anna->ping = 33;
    handler_->ChangeTeam(handler_->GetRoster()->PlayerOf(anna->GetPlayerObject()), 1);
    Drain(anna);
    Link* boris = Connect();
    Drain(boris);
    // Before its level is ready the join is no join.
    GameMessages::WriteJoin(packet_, u"uid", u"boris", 1);
    Deliver(boris, packet_);
    Frame();
    EXPECT_EQ(boris->GetPlayerObject(), nullptr);
    EXPECT_TRUE(Drain(boris).empty());
    EXPECT_TRUE(Drain(anna).empty());

    GameMessages::WriteLevelCheck(packet_, uint32_t(LevelCheckValue(level_.data(), level_.size())));
    Deliver(boris, packet_);
    GameMessages::WriteJoin(packet_, u"uid", u"boris", 1);
    Deliver(boris, packet_);
    boris->ping = 12;
    Frame();
    const int32_t borisId = handler_->FindPlayerIdByName(u"boris");
    ASSERT_NE(borisId, 0);
    ASSERT_NE(boris->GetPlayerObject(), nullptr);
    // Ready, its id, the table and the names of everybody, itself included.
    std::vector<Msg> m = Drain(boris);
    ASSERT_EQ(Types(m),
              (std::vector<GameMessage>{GameMessage::LevelReady, GameMessage::PlayerId, GameMessage::PlayerTable,
                                        GameMessage::PlayerEntry, GameMessage::PlayerEntry}));
    EXPECT_EQ(m[1].payload, Le(uint32_t(borisId)));
    EXPECT_EQ(m[2].payload,
              Le(uint32_t(annaId)) + Le(33, 2) + Le(0, 2) + Le(uint32_t(borisId)) + Le(12, 2) + Le(1000, 2));
    EXPECT_EQ(m[3].payload, Le(uint32_t(annaId)) + Text(u"anna"));
    EXPECT_EQ(m[4].payload, Le(uint32_t(borisId)) + Text(u"boris"));
    // The others hear of the newcomer, still without a team.
    m = Drain(anna);
    ASSERT_EQ(Types(m), (std::vector<GameMessage>{GameMessage::PlayerEntry, GameMessage::PlayerSlotUpdate}));
    EXPECT_EQ(m[0].payload, Le(uint32_t(borisId)) + Text(u"boris"));
    EXPECT_EQ(m[1].payload, Le(uint32_t(borisId)) + Le(12, 2) + Le(1000, 2));
    EXPECT_EQ(handler_->CountPlayers(), 1) << "a player without a team is not yet counted";

    // A second join on the connection and a name that is taken make no
    // player; the taken name is sent away.
    GameMessages::WriteJoin(packet_, u"uid", u"boris2", 0);
    Deliver(boris, packet_);
    Link* carl = Join(u"ANNA");
    Frame();
    EXPECT_EQ(handler_->FindPlayerIdByName(u"boris2"), 0);
    EXPECT_EQ(carl->state, MPAPI::IConnection::kClosed);
    EXPECT_EQ(carl->GetPlayerObject(), nullptr);
    EXPECT_EQ(Services().objects->CountPlayers(), 2);
}

TEST_F(Joined, AClientLeavingRightAfterALevelStartDeletesNothingTwice)
{
    Link* c = Join(u"anna");
    ASSERT_NE(c->GetPlayerObject(), nullptr);
    ASSERT_EQ(Services().objects->CountPlayers(), 1);
    ASSERT_TRUE(handler_->StartLevel()); // loading deletes the player
    EXPECT_EQ(c->GetPlayerObject(), nullptr) << "the connection points at a deleted player";
    // The level, then the new match's limits.
    EXPECT_EQ(Types(Drain(c)), (std::vector<GameMessage>{GameMessage::LevelStart, GameMessage::GameModeData}));
    c->state = MPAPI::IConnection::kClosed;
    Frame(); // under the address sanitizer, a second delete stops here
    EXPECT_EQ(handler_->CountConnections(), 0);
    // Status and messages in that window touch no stale player either.
    handler_->SendPlayerStatus();
}

TEST_F(Joined, ALevelStartAbortsUploadsFirstAndLoadsBeforeItAnnounces)
{
    Link* c = Connect();
    Drain(c);
    ASSERT_TRUE(handler_->StartUpload(c, u"levels/a.lvl"));
    c->sendSpace = 4999;
    Drain(c);
    // The next in the cycle is broken; the one after it is played.
    TestSupport::WriteAll(dir_.File("levels/b.lvl"), std::vector<uint8_t>(100, 0xAB));
    const int removals = server_->removeAll;
    ASSERT_TRUE(handler_->StartLevel());
    EXPECT_EQ(std::u16string(handler_->GetLevelPath()), u"levels/a.lvl");
    EXPECT_EQ(server_->removeAll, removals + 1) << "the old level's objects stay replicated";
    std::vector<Msg> m = Drain(c);
    ASSERT_EQ(Types(m), (std::vector<GameMessage>{GameMessage::DownloadAbort, GameMessage::LevelStart,
                                                  GameMessage::GameModeData}));
    EXPECT_EQ(handler_->CountUploads(), 0);

    // Nothing loads: no client is told of a level the server does not hold.
    TestSupport::WriteAll(dir_.File("levels/a.lvl"), std::vector<uint8_t>(100, 0xAB));
    ASSERT_TRUE(handler_->StartUpload(c, u"levels/a.lvl"));
    Drain(c);
    EXPECT_FALSE(handler_->StartLevel());
    EXPECT_TRUE(Drain(c).empty()) << "clients were sent away from the level still played";
    EXPECT_EQ(handler_->CountUploads(), 1);
}

TEST_F(Joined, LostConnectionsAreHandledOneAFrameWithTheirTexts)
{
    std::vector<std::u16string> lines;
    handler_->SetConsolePrinter([&](const std::u16string& l) { lines.push_back(l); });
    Link* a = Join(u"anna");
    Link* b = Join(u"boris");
    Link* watcher = Join(u"carl");
    const int32_t annaId = handler_->FindPlayerIdByName(u"anna"), borisId = handler_->FindPlayerIdByName(u"boris");
    // Its address is kept from its greeting: a closed connection forgets it.
    links_.push_back(std::make_unique<Link>());
    Link* stranger = links_.back().get();
    stranger->address = 0x0B00000A;
    server_->waiting.push_back(stranger);
    handler_->Update(0.01f);
    stranger->address = 0;
    Drain(watcher);
    a->state = MPAPI::IConnection::kClosed;
    b->state = MPAPI::IConnection::kTimedOut;
    stranger->state = MPAPI::IConnection::kClosed;
    lines.clear();
    Frame();
    EXPECT_EQ(lines, std::vector<std::u16string>{u"Player anna disconnected.\n"});
    Frame();
    EXPECT_EQ(lines.back(), u"Player boris dropped.\n");
    Frame();
    EXPECT_EQ(lines.back(), u"Player from 10.0.0.11 disconnected.\n");
    EXPECT_EQ(handler_->CountConnections(), 1);
    EXPECT_EQ(Services().objects->CountPlayers(), 1);
    std::vector<Msg> m = Drain(watcher);
    ASSERT_EQ(Types(m), (std::vector<GameMessage>{GameMessage::Message, GameMessage::PlayerRemoved,
                                                  GameMessage::Message, GameMessage::PlayerRemoved}));
    EXPECT_EQ(m[0].payload, Bytes{0} + Text(u"Player anna disconnected."));
    EXPECT_EQ(m[1].payload, Le(uint32_t(annaId)));
    EXPECT_EQ(m[2].payload, Bytes{0} + Text(u"Player boris dropped."));
    EXPECT_EQ(m[3].payload, Le(uint32_t(borisId)));
}

TEST_F(Joined, PlayerStatusEveryThreeSecondsHidesEnemies)
{
    Link* a = Join(u"anna");
    Link* b = Join(u"boris");
    IPlayerRoster* roster = handler_->GetRoster();
    Player* anna = roster->PlayerOf(a->GetPlayerObject());
    Player* boris = roster->PlayerOf(b->GetPlayerObject());
    handler_->ChangeTeam(anna, 1);
    handler_->ChangeTeam(boris, 2);
    a->ping = 21;
    b->ping = 34;
    auto statuses = [&](Link* l) {
        std::vector<Msg> m;
        for (Msg& x : Drain(l))
            if (x.type == GameMessage::PlayerStatus)
                m.push_back(x);
        return m;
    };
    statuses(a), statuses(b);
    game_->Update(1.5f);
    game_->Update(1.4f);
    EXPECT_TRUE(statuses(a).empty());
    game_->Update(0.2f);
    auto f32 = [](float v) {
        uint32_t u = 0;
        std::memcpy(&u, &v, 4);
        return Le(u);
    };
    auto record = [&](Player* p, int ping, bool seen) {
        IPlayerRoster::Figures f = roster->GetFigures(p);
        return Le(uint32_t(roster->GetPlayerId(p))) + f32(seen ? f.x : -1000.0f) + f32(seen ? f.y : -1000.0f) +
               Le(uint32_t(ping), 2);
    };
    // Each sees its own team where it is and the other team nowhere.
    std::vector<Msg> m = statuses(a);
    ASSERT_EQ(m.size(), 1u);
    EXPECT_EQ(m[0].payload, record(anna, 21, true) + record(boris, 34, false));
    m = statuses(b);
    ASSERT_EQ(m.size(), 1u);
    EXPECT_EQ(m[0].payload, record(anna, 21, false) + record(boris, 34, true));
}

TEST_F(Joined, WhatIsMeantForOnePlayerReachesThatPlayerOnly)
{
    Link* anna = Join(u"anna");
    Link* boris = Join(u"boris");
    Link* carl = Join(u"carl");
    anna->address = 0x0A00000A;
    anna->port = 50123;
    boris->address = 0x0B00000B;
    for (Link* l : {anna, boris, carl})
        Drain(l);
    IPlayerRoster* roster = handler_->GetRoster();
    const int32_t annaId = handler_->FindPlayerIdByName(u"anna");
    EXPECT_EQ(handler_->GetPlayerAddress(annaId), 0x0A00000Au);
    EXPECT_EQ(handler_->GetPlayerPort(annaId), 50123);
    EXPECT_EQ(handler_->GetPlayerAddress(annaId + 1000), 0u);

    // A blast is everybody's; an emptied inventory its owner's.
    handler_->BroadcastBlast(1.5f, 2.0f, 100.0f, 0.5f);
    handler_->SendInventoryClear(roster->PlayerOf(carl->GetPlayerObject()));
    const Bytes blast = {0x00, 0x00, 0xC0, 0x3F, 0x00, 0x00, 0x00, 0x40,
                         0x00, 0x00, 0xC8, 0x42, 0x00, 0x00, 0x00, 0x3F};
    for (Link* l : {anna, boris, carl}) {
        std::vector<Msg> m = Drain(l);
        std::vector<GameMessage> expected = {GameMessage::Blast};
        if (l == carl)
            expected.push_back(GameMessage::InventoryClear);
        ASSERT_EQ(Types(m), expected);
        EXPECT_EQ(m[0].payload, blast);
    }
    auto run = [&](const char16_t* line) {
        ExecuteConsoleCommand(line, nullptr, game_.get());
        Frame();
    };
    auto state = [](Link* l) { return l->state == MPAPI::IConnection::kConnected ? 'c' : 'x'; };

    // The operator's view of the players, with their connections' figures.
    anna->ping = 21;
    boris->ping = 34;
    handler_->ChangeTeam(roster->PlayerOf(anna->GetPlayerObject()), 1);
    handler_->ChangeTeam(roster->PlayerOf(boris->GetPlayerObject()), 2);
    auto reply = [&](const char16_t* line) {
        CapturingWriter writer;
        ExecuteConsoleCommand(line, &writer, game_.get());
        return writer.text;
    };
    EXPECT_EQ(reply(u"playerinfo"),
              "anna, Blue, 0 frags, ping: 21, loss: 0.00\nboris, Red, 0 frags, ping: 34, loss: 0.00\n");
    anna->debugText = u"Sending 0 packets\n";
    EXPECT_EQ(reply(u"playerinfo ANNA"),
              "\nTeam: Blue\nIP: 10.0.0.10\nPort: 50123\nPing: 21\nPacket loss: 0.00\nSending 0 packets\n");
    EXPECT_EQ(reply(u"op anna"), "Player has no confirmed account.\n");
    EXPECT_EQ(game_->Options().GetOperatorCount(), 0);
    Inventory& pack = roster->PlayerOf(boris->GetPlayerObject())->GetInventory();
    pack.Clear();
    pack.SetWeapon(5, 3, 0);
    pack.FindAmmo(2)->amount = 4;
    EXPECT_EQ(reply(u"giveallammo"), "");
    int ammo = 0, clip = 0;
    pack.GetWeaponAmmo(5, &ammo, &clip);
    EXPECT_EQ(clip, 999);
    EXPECT_EQ(pack.FindAmmo(2)->amount, 999);
    for (Link* l : {anna, boris, carl})
        Drain(l);

    run(u"changeteam carl red");
    EXPECT_EQ(roster->GetFigures(roster->PlayerOf(carl->GetPlayerObject())).team, GameMod::kRussia);
    const int32_t carlId = handler_->FindPlayerIdByName(u"carl");
    std::vector<Msg> m = OfType(Drain(anna), GameMessage::PlayerSlotUpdate);
    ASSERT_EQ(m.size(), 1u);
    EXPECT_EQ(m[0].payload, Le(uint32_t(carlId)) + Le(0, 2) + Le(GameMod::kRussia, 2));

    run(u"kick BORIS");
    EXPECT_EQ(std::string() + state(anna) + state(boris) + state(carl), "cxc");
    EXPECT_EQ(handler_->FindPlayerIdByName(u"boris"), 0) << "the kicked player stays in the table";
    Drain(carl);
    run(u"ban nobody");
    EXPECT_TRUE(server_->bans.empty());
    run(u"ban Anna");
    EXPECT_EQ(std::string() + state(anna) + state(carl), "xc");
    EXPECT_EQ(server_->bans, std::vector<uint32_t>{0x0A00000A});
    ASSERT_EQ(game_->Options().GetBanCount(), 1);
    EXPECT_EQ(std::u16string(game_->Options().GetBanName(0)), u"anna");
    EXPECT_EQ(game_->Options().GetBanAddress(0), 0x0A00000Au);
    m = OfType(Drain(carl), GameMessage::Message);
    ASSERT_EQ(m.size(), 1u);
    EXPECT_EQ(m[0].payload, Bytes{0} + Text(u"Player anna disconnected."));
    // Unbanning needs a server, and finds the name in any case.
    EXPECT_TRUE(handler_->UnbanPlayer(u"ANNA"));
    EXPECT_TRUE(server_->bans.empty());
    EXPECT_EQ(game_->Options().GetBanCount(), 0);
    EXPECT_FALSE(handler_->UnbanPlayer(u"anna"));
}

TEST_F(Joined, AChatLineReachesEveryoneAndATeamLineExactlyTheTeamTheHostIncluded)
{
    // A host playing itself, in the second team.
    handler_->SetHostsOwnPlayer(true);
    game_->Options().SetPlayerName(u"Host");
    ASSERT_TRUE(handler_->StartLevel());
    ASSERT_NE(handler_->GetOwnPlayer(), nullptr);
    Link* anna = Join(u"anna");
    Link* boris = Join(u"boris");
    Link* carl = Join(u"carl");
    IPlayerRoster* roster = handler_->GetRoster();
    handler_->ChangeTeam(roster->PlayerOf(anna->GetPlayerObject()), 1);
    handler_->ChangeTeam(roster->PlayerOf(boris->GetPlayerObject()), 2);
    handler_->ChangeTeam(roster->PlayerOf(carl->GetPlayerObject()), 1);
    handler_->RequestTeamChange(2);
    ASSERT_EQ(roster->GetFigures(handler_->GetOwnPlayer()).team, GameMod::kRussia);
    std::vector<std::u16string> printed;
    handler_->SetConsolePrinter([&](const std::u16string& l) { printed.push_back(l); });
    Link* all[3] = {anna, boris, carl};
    auto heard = [&] {
        std::vector<Bytes> texts;
        for (Link* l : all) {
            texts.emplace_back();
            for (const Msg& m : Drain(l))
                if (m.type == GameMessage::Message)
                    texts.back() = texts.back() + m.payload;
        }
        return texts;
    };
    auto say = [&](Link* from, uint8_t flag, const char16_t* text) {
        GameMessages::WriteFlaggedText(packet_, GameMessage::Chat, flag, text);
        Deliver(from, packet_);
        Frame();
        return heard();
    };
    auto hostLine = [&] { return std::u16string(game_->Messages(0).GetLine(0)); };
    heard();

    const Bytes toAll = Bytes{0} + Text(u"<anna> hello");
    EXPECT_EQ(say(anna, 0, u"hello"), (std::vector<Bytes>{toAll, toAll, toAll}));
    EXPECT_EQ(hostLine(), u"<anna> hello");
    EXPECT_EQ(printed, std::vector<std::u16string>{u"<anna> hello\n"});
    // Only exactly 1 asks for the team.
    const Bytes alsoToAll = Bytes{0} + Text(u"<anna> two");
    EXPECT_EQ(say(anna, 2, u"two"), (std::vector<Bytes>{alsoToAll, alsoToAll, alsoToAll}));

    const Bytes north = Bytes{1} + Text(u"<anna> north");
    EXPECT_EQ(say(anna, 1, u"north"), (std::vector<Bytes>{north, {}, north}));
    EXPECT_EQ(hostLine(), u"<anna> two") << "the host is in the other team";
    const Bytes east = Bytes{1} + Text(u"<boris> east");
    EXPECT_EQ(say(boris, 1, u"east"), (std::vector<Bytes>{{}, east, {}}));
    EXPECT_EQ(hostLine(), u"\x01<boris> east");

    handler_->SendChat(u"from the host", true);
    EXPECT_EQ(heard(), (std::vector<Bytes>{{}, Bytes{1} + Text(u"<Host> from the host"), {}}));
    EXPECT_EQ(hostLine(), u"\x01<Host> from the host");
    handler_->SendChat(u"hi all", false);
    const Bytes hiAll = Bytes{0} + Text(u"<Host> hi all");
    EXPECT_EQ(heard(), (std::vector<Bytes>{hiAll, hiAll, hiAll}));
    EXPECT_EQ(hostLine(), u"<Host> hi all");

    // Notices and the server's own texts to one player.
    handler_->BroadcastMessage(u"to the Finns", GameMod::kFinland, true, false);
    handler_->SendMessageTo(roster->PlayerOf(carl->GetPlayerObject()), u"only carl");
    handler_->SendMessageTo(handler_->GetOwnPlayer(), u"only the host");
    std::vector<Msg> m = Drain(carl);
    ASSERT_EQ(Types(m), (std::vector<GameMessage>{GameMessage::Notice, GameMessage::Message}));
    EXPECT_EQ(m[0].payload, Text(u"to the Finns"));
    EXPECT_EQ(m[1].payload, Bytes{0} + Text(u"only carl"));
    EXPECT_EQ(Types(Drain(anna)), std::vector<GameMessage>{GameMessage::Notice});
    EXPECT_TRUE(Drain(boris).empty());
    EXPECT_EQ(std::u16string(game_->Messages(2).GetLine(0)), u"to the Finns");
    EXPECT_EQ(hostLine(), u"only the host");
}

TEST_F(Joined, AMatchEndWithoutALoadableLevelPlaysOnAndRetriesEveryFewSeconds)
{
    std::u16string out;
    handler_->SetConsolePrinter([&](const std::u16string& l) { out += l; });
    game_->Options().SetServerTimeLimit(1);
    GameMod* mode = game_->GetGameMode();
    const std::vector<uint8_t> b = TestSupport::ReadAll(dir_.File("levels/b.lvl"));
    for (const char* bad : {"levels/a.lvl", "levels/b.lvl"})
        TestSupport::WriteAll(dir_.File(bad), std::vector<uint8_t>(100, 0xAB));
    auto run = [&](float s) {
        for (int i = 0; i < int(s * 20.0f + 0.5f); ++i)
            handler_->Update(0.05f);
    };
    run(72.0f); // the time limit ends the match at 60 s; retries at 65 and 70
    EXPECT_EQ(out, u"[levels/b.lvl]: Invalid map file\n[levels/a.lvl]: Invalid map file\n");
    EXPECT_EQ(game_->GetGameMode(), mode) << "the match played was torn down";
    TestSupport::WriteAll(dir_.File("levels/b.lvl"), b);
    run(2.5f);
    EXPECT_EQ(out.find(u"Playing"), std::u16string::npos) << "retried before its interval";
    run(1.5f);
    EXPECT_NE(out.find(u"Playing level levels/b.lvl.\n"), std::u16string::npos);
}

TEST_F(Joined, ALevelFailingItsLoadAfterTheOldOneIsGoneFallsBackToTheOldOne)
{
    Link* c = Join(u"anna");
    // The next level changes on disk between its check and its load.
    server_->onResetStreams = [&] { TestSupport::WriteAll(dir_.File("levels/b.lvl"), std::vector<uint8_t>(9, 1)); };
    ASSERT_TRUE(handler_->StartLevel());
    EXPECT_EQ(std::u16string(handler_->GetLevelPath()), u"levels/a.lvl");
    EXPECT_EQ(OfType(Drain(c), GameMessage::LevelStart).size(), 1u);

    // Neither loads any more: no level is held, and a newcomer is turned away.
    server_->onResetStreams = [&] {
        for (const char* name : {"levels/a.lvl", "levels/b.lvl"})
            TestSupport::WriteAll(dir_.File(name), std::vector<uint8_t>(9, 1));
    };
    EXPECT_FALSE(handler_->StartLevel());
    EXPECT_EQ(std::u16string(handler_->GetLevelPath()), u"");
    EXPECT_TRUE(OfType(Drain(c), GameMessage::LevelStart).empty());
    Link* late = Connect();
    EXPECT_EQ(late->state, MPAPI::IConnection::kClosed);

    // With no old level to go back to, the cycle's next one is played.
    WriteLevelFile("levels/a.lvl");
    WriteLevelFile("levels/b.lvl");
    server_->onResetStreams = [&] { TestSupport::WriteAll(dir_.File("levels/b.lvl"), std::vector<uint8_t>(9, 1)); };
    ASSERT_TRUE(handler_->StartLevel());
    EXPECT_EQ(std::u16string(handler_->GetLevelPath()), u"levels/a.lvl");
}

TEST_F(Joined, APlayerMovedByTheBalanceAtRespawnIsMovedInThePlayerTable)
{
    game_->Options().SetServerBalanced(false);
    Link* links[3] = {Join(u"anna"), Join(u"boris"), Join(u"carl")};
    IPlayerRoster* roster = handler_->GetRoster();
    for (Link* l : links)
        handler_->ChangeTeam(roster->PlayerOf(l->GetPlayerObject()), 1);
    Drain(links[2]);
    game_->Options().SetServerBalanced(true);
    Player* moved = roster->PlayerOf(links[0]->GetPlayerObject());
    game_->GetGameMode()->SpawnPlayer(moved);
    ASSERT_EQ(roster->GetFigures(moved).team, GameMod::kRussia);
    EXPECT_EQ(handler_->GetPlayerTeamAt(0), GameMod::kRussia);
    std::vector<Msg> m = OfType(Drain(links[2]), GameMessage::PlayerSlotUpdate);
    ASSERT_EQ(m.size(), 1u);
    EXPECT_EQ(m[0].payload.at(6), GameMod::kRussia) << "the team field of the update";
}

TEST_F(Joined, RequestsAClientCanRepeatAtWillAreBudgeted)
{
    Link *a = Join(u"anna"), *watcher = Join(u"boris");
    for (uint32_t i = 0; i < 50; ++i) {
        GameMessages::WriteWallStateRequest(packet_, i), Deliver(a, packet_);
        GameMessages::WriteTeamChange(packet_, 1 + i % 2), Deliver(a, packet_);
        GameMessages::WriteFlaggedText(packet_, GameMessage::Chat, 0, u"spam"), Deliver(a, packet_);
    }
    Frame();
    EXPECT_EQ(OfType(Drain(a), GameMessage::WallState).size(), 8u);
    EXPECT_EQ(OfType(Drain(watcher), GameMessage::Message).size(), 6u) << "two team changes, four chat lines";
    // The latest request waits for room in the asker's stream.
    a->sendSpace = 4000;
    for (int i = 0; i < 40; ++i)
        Frame();
    EXPECT_TRUE(Drain(a).empty());
    a->sendSpace = 13000;
    Frame();
    EXPECT_EQ(OfType(Drain(a), GameMessage::WallState).at(0).U32(0), 49u);
    // A second on, chat has refilled at two lines a second.
    for (int i = 0; i < 100; ++i)
        Frame();
    for (int i = 0; i < 10; ++i)
        GameMessages::WriteFlaggedText(packet_, GameMessage::Chat, 0, u"spam"), Deliver(a, packet_);
    Frame();
    EXPECT_EQ(OfType(Drain(watcher), GameMessage::Message).size(), 2u);
}

// An operator is an account the master service confirmed: "op" binds the
// account of the player holding the name, and only that account runs
// commands from chat. Whoever joins under the name later is refused them.
TEST_F(Joined, OperatorsAreConfirmedAccountsNotNames)
{
    StandIn master({}, [](StandInState& s) { StandIn::AddAccount(s, "boss", "pw", "Boss", "uid-boss", 77); });
    ASSERT_TRUE(master.Running());
    engine_->SetMasterServer(master.Host().c_str());
    IGameOptions& options = game_->Options();
    options.AddOperator(u"Old"); // an older file's entry, without an account
    handler_->SetCommandRunner([this](const char16_t* line) { ExecuteConsoleCommand(line, nullptr, game_.get()); });
    std::vector<std::u16string> lines;
    handler_->SetConsolePrinter([&](const std::u16string& l) { lines.push_back(l); });
    auto say = [&](Link* c, const char16_t* text) {
        GameMessages::WriteFlaggedText(packet_, GameMessage::Chat, 0, text);
        Deliver(c, packet_);
        lines.clear();
        Frame();
        return lines;
    };
    using Lines = std::vector<std::u16string>;

    Link* boss = Join(u"Boss", u"uid-boss");
    Player* player = PlayerRoster().FindPlayer(handler_->FindPlayerIdByName(u"Boss"));
    ASSERT_NE(player, nullptr);
    for (int i = 0; i < 1000 && player->GetScores()->GetAccountId() == 0; ++i)
        Os::SleepMs(5);
    ExecuteConsoleCommand(u"op boss", nullptr, game_.get());
    EXPECT_EQ(options.GetOperatorAccount(1), 77);
    EXPECT_EQ(say(boss, u"!chat hello"), Lines{u"(Console) hello\n"});

    // The operator leaves and somebody takes the name.
    boss->state = MPAPI::IConnection::kClosed;
    Frame();
    Link* impostor = Join(u"Boss", u"uid-nobody");
    EXPECT_EQ(say(impostor, u"!chat takeover"), Lines{u"<Boss> !chat takeover\n"});
    ExecuteConsoleCommand(u"op Boss", nullptr, game_.get()); // refused: nothing confirmed
    EXPECT_EQ(options.GetOperatorCount(), 2);
    EXPECT_EQ(options.GetOperatorAccount(1), 77);
    EXPECT_EQ(say(Join(u"Old"), u"!chat old"), Lines{u"<Old> !chat old\n"});
}
