// The player table, join acceptance, the leading team and chat.
#include "FakeRoster.h"
#include "MemoryConnection.h"
#include "game/world/net/GameMessage.h"
#include "game/world/settings/GameOptions.h"
#include "support/EngineFakes.h"

#include <gtest/gtest.h>

#include <limits>
#include <tuple>

namespace {

TEST(PlayerTable, SlotsClaimClampAndCut)
{
    RecordingHandler h;
    PlayerSlot* a = h.GetOrAddPlayerSlot(5);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->team, PlayerSlot::kNoTeam);
    h.UpdatePlayer(5, 10.0f, 20.0f, 12000, 0, nullptr);
    EXPECT_EQ(h.GetOrAddPlayerSlot(5), a);
    EXPECT_EQ(a->value, 9999);
    EXPECT_EQ(h.CountPlayers(), 1);
    h.UpdatePlayer(5, -1000.0f, 30.0f, -1, 7, nullptr); // position only
    EXPECT_EQ(a->x, 10.0f);
    EXPECT_EQ(a->y, 30.0f);
    EXPECT_EQ(a->team, 0);
    h.UpdatePlayer(5, -1000.0f, -1000.0f, -5, -1, nullptr);
    EXPECT_EQ(a->value, 0);
    EXPECT_EQ(a->team, PlayerSlot::kNoTeam);
    EXPECT_EQ(h.CountPlayers(), 0);

    std::u16string longName(70, u'z');
    h.AddPlayer(6, longName.c_str(), nullptr);
    EXPECT_EQ(std::u16string(h.GetPlayerName(6)), longName.substr(0, 63));
    EXPECT_EQ(std::u16string(h.GetPlayerName(99)), u"Unknown");

    for (int id = 1000; id < 1062; ++id)
        ASSERT_NE(h.GetOrAddPlayerSlot(id), nullptr);
    EXPECT_EQ(h.GetOrAddPlayerSlot(2000), nullptr);
    EXPECT_TRUE(h.RemovePlayer(1000));
    EXPECT_FALSE(h.RemovePlayer(1000));
    EXPECT_NE(h.GetOrAddPlayerSlot(2000), nullptr);
}

TEST(PlayerTable, LeadingTeamBreaksTiesBelowTheLeaders)
{
    struct Case {
        std::vector<std::pair<int, int>> teamFrags;
        int leader;
    } cases[] = {
        {{}, -1},
        {{{0, 10}, {0, 8}, {1, 10}}, 0},
        {{{0, 10}, {7, 10}, {7, 9}}, 7},
        {{{0, 5}, {7, 5}}, -1},
        {{{0, 3}}, 0},
        {{{7, -2}}, 7},
    };
    for (const Case& c : cases) {
        RecordingHandler h;
        FakeRoster roster;
        h.SetRoster(&roster);
        int32_t id = 1;
        for (auto [team, frags] : c.teamFrags) {
            roster.Add(id, team, frags);
            h.AddPlayer(id++, u"p", nullptr);
        }
        EXPECT_EQ(h.GetLeadingTeam(), c.leader);
        if (c.teamFrags.empty()) {
            EXPECT_EQ(h.GetTopFrags(), 0);
        }
    }
}

TEST(PlayerTable, JoinTellsTheClientAndRefusesATakenName)
{
    RecordingHandler h;
    FakeRoster roster;
    h.SetRoster(&roster);
    MemoryConnection link;
    GamePacket join;
    GameMessages::WriteJoin(join, u"acc", u"Alice", 1);
    Player* alice = h.HandleJoinMessage(&join, &link);
    ASSERT_NE(alice, nullptr);
    EXPECT_TRUE(AsFake(alice)->relativeMoving);
    EXPECT_EQ(link.player, AsFake(alice));
    EXPECT_EQ(roster.modeInfos, 1);
    const std::vector<uint8_t> playerId = {3, 0, 4, 0, 100, 0, 0, 0};
    EXPECT_EQ(link.sent, playerId);
    EXPECT_EQ(h.GetOrAddPlayerSlot(100)->team, PlayerSlot::kNoTeam);
    EXPECT_EQ(std::u16string(h.GetPlayerName(100)), u"Alice");

    // A second join on that connection, and a name in use in another case,
    // are refused; the refused client is dropped rather than left waiting.
    GameMessages::WriteJoin(join, u"acc", u"Alice2", 0);
    EXPECT_EQ(h.HandleJoinMessage(&join, &link), nullptr);
    MemoryConnection other;
    GameMessages::WriteJoin(join, u"x", u"aLICE", 0);
    EXPECT_EQ(h.HandleJoinMessage(&join, &other), nullptr);
    EXPECT_EQ(other.state, MPAPI::IConnection::kClosed);
    EXPECT_EQ(roster.players.size(), 1u);

    // The host joins without a connection; a lost PlayerId drops the client.
    EXPECT_NE(h.AcceptJoin(nullptr, u"Host", ""), nullptr);
    EXPECT_EQ(h.GetLocalPlayerId(), 101);
    MemoryConnection full;
    full.sendSpace = 0;
    EXPECT_NE(h.AcceptJoin(&full, u"Carl", ""), nullptr);
    EXPECT_EQ(full.state, MPAPI::IConnection::kClosed);
}

TEST(PlayerTable, ChatAndOperatorCommands)
{
    RecordingHandler h;
    FakeRoster roster;
    GameOptions options;
    options.AddOperator(u"Op");
    options.SetOperatorAccount(0, 5);
    h.SetRoster(&roster);
    h.SetOptions(&options);
    std::vector<std::u16string> commands;
    h.SetCommandRunner([&](const char16_t* line) { commands.push_back(line); });
    FakeScores opAccount(5);
    Player* op = h.AcceptJoin(nullptr, u"Op", "");
    AsFake(op)->scores = &opAccount;
    Player* guest = h.AcceptJoin(nullptr, u"Guest", "");
    AsFake(guest)->figures.team = 7;

    h.HandleChat(u"!kick Guest", op, false);
    ASSERT_EQ(commands.size(), 1u);
    EXPECT_EQ(commands[0], u"kick Guest");
    EXPECT_TRUE(h.broadcasts.empty());

    h.HandleChat(u"!kick Op", guest, false);
    h.HandleChat(u"hello", guest, true);
    h.HandleChat(u"lost", nullptr, true);
    EXPECT_EQ(commands.size(), 1u);
    ASSERT_EQ(h.broadcasts.size(), 2u);
    EXPECT_EQ(h.broadcasts[0].text, u"<Guest> !kick Op");
    EXPECT_EQ(h.broadcasts[0].team, -1);
    EXPECT_EQ(h.broadcasts[1].text, u"<Guest> hello");
    EXPECT_EQ(h.broadcasts[1].team, 7);
    EXPECT_TRUE(h.broadcasts[1].teamOnly);

    // Nobody can join as "op" while Op plays, so the operator's name stays his.
    EXPECT_EQ(h.AcceptJoin(nullptr, u"OP", ""), nullptr);

    // An entry bound to an account: the name alone is not enough.
    options.AddOperator(u"Boss");
    options.SetOperatorAccount(1, 77);
    Player* impostor = h.AcceptJoin(nullptr, u"Boss", "");
    h.HandleChat(u"!ban Op", impostor, false);
    EXPECT_EQ(commands.size(), 1u);
    h.RemovePlayer(AsFake(impostor)->id);
    FakeScores wrong(5), right(77);
    Player* boss = h.AcceptJoin(nullptr, u"Boss", "");
    AsFake(boss)->scores = &wrong;
    h.HandleChat(u"!ban Op", boss, false);
    EXPECT_EQ(commands.size(), 1u);
    AsFake(boss)->scores = &right;
    h.HandleChat(u"!ban Op", boss, false);
    EXPECT_EQ(commands.size(), 2u);

    // From the wire: control characters never reach the line.
    GamePacket chat;
    GameMessages::WriteFlaggedText(chat, GameMessage::Chat, 0, u"a\x1b[2Jb");
    h.HandleChatMessage(&chat, guest);
    EXPECT_EQ(h.broadcasts.back().text, u"<Guest> a[2Jb");
    // A line with no text (or only what is not text) is no chat line.
    const size_t before = h.broadcasts.size();
    for (const char16_t* text : {u"", u"\x1b\x07"}) {
        GameMessages::WriteFlaggedText(chat, GameMessage::Chat, 0, text);
        h.HandleChatMessage(&chat, guest);
    }
    EXPECT_EQ(h.broadcasts.size(), before);
}

TEST(PlayerTable, ClientTableMessagesSetEachFieldOfTheSlot)
{
    RecordingHandler h;
    GamePacket p;
    auto take = [&] { EXPECT_TRUE(h.HandleTableMessage(&p)); };
    auto slot = [&](int i) {
        const PlayerSlot* s = h.GetSlot(i);
        return std::make_tuple(s->id, std::u16string(s->name), s->x, s->y, int(s->value), s->team);
    };
    GameMessages::WritePlayerEntry(p, 0, u"ghost");
    take();
    EXPECT_EQ(h.GetSlot(0)->id, 0);
    GameMessages::WritePlayerEntry(p, 12, u"Ann");
    take();
    GameMessages::WritePlayerEntry(p, 12, u"Anna");
    take();
    GameMessages::SlotRecord r[2];
    r[0].id = 12, r[0].value = 40, r[0].team = 7;
    r[1].id = 13, r[1].value = 50, r[1].team = 0;
    GameMessages::WritePlayerTable(p, r, 2);
    take();
    EXPECT_EQ(slot(0), std::make_tuple(12, std::u16string(u"Anna"), 0.0f, 0.0f, 40, 7));
    EXPECT_EQ(slot(1), std::make_tuple(13, std::u16string(), 0.0f, 0.0f, 50, 0));
    // The teams count from the table: a client has not every player object.
    EXPECT_EQ(h.CountPlayers(), 2);
    EXPECT_EQ(h.CountTeamPlayers(7), 1);
    EXPECT_EQ(h.CountTeamPlayers(0), 1);
    EXPECT_EQ(std::u16string(h.GetPlayerNameAt(0)), u"Anna");
    EXPECT_EQ(h.GetPlayerIdAt(1), 13);
    EXPECT_EQ(h.GetPlayerTeamAt(1), 0);
    EXPECT_EQ(h.GetPlayerIdAt(2), -1);
    EXPECT_EQ(h.GetPlayerTeamAt(2), 0);
    EXPECT_EQ(std::u16string(h.GetPlayerNameAt(2)), u"Unknown");

    GameMessages::WritePlayerSlotUpdate(p, 13, 60, 7);
    take();
    EXPECT_EQ(slot(1), std::make_tuple(13, std::u16string(), 0.0f, 0.0f, 60, 7));
    // Without its team field the team is 65535.
    p.Begin(uint16_t(GameMessage::PlayerSlotUpdate));
    p.Write32(13);
    p.Write16(70);
    take();
    EXPECT_EQ(slot(1), std::make_tuple(13, std::u16string(), 0.0f, 0.0f, 70, 65535));

    // Positions and pings; an id not yet known claims a slot without a team.
    r[0].x = 10.5f, r[0].y = 20.0f, r[0].value = 12000;
    r[1].id = 14, r[1].x = -1000.0f, r[1].y = -1000.0f, r[1].value = 5;
    GameMessages::WritePlayerStatus(p, r, 2);
    take();
    EXPECT_EQ(slot(0), std::make_tuple(12, std::u16string(u"Anna"), 10.5f, 20.0f, 9999, 7));
    EXPECT_EQ(slot(2), std::make_tuple(14, std::u16string(), -1000.0f, -1000.0f, 5, int(PlayerSlot::kNoTeam)));
    // A position that is no number is none; a record without an id is no one's.
    r[0].x = std::numeric_limits<float>::quiet_NaN();
    r[1].id = 0, r[1].x = 77.0f;
    GameMessages::WritePlayerStatus(p, r, 2);
    take();
    EXPECT_EQ(h.GetSlot(0)->x, -1000.0f);
    for (int i = 3; i < MultiplayerHandler::kSlotCount; ++i)
        ASSERT_EQ(h.GetSlot(i)->x, 0.0f) << i;

    GameMessages::WritePlayerRemoved(p, 12);
    take();
    EXPECT_EQ(h.GetSlot(0)->id, 0);
    EXPECT_EQ(h.CountPlayers(), 1);
    GameMessages::WriteNotice(p, u"n");
    EXPECT_FALSE(h.HandleTableMessage(&p));
}

} // namespace
