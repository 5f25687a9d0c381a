#include "ModeFixture.h"
#include "game/world/resources/RecordingRenderer.h"

#include "game/world/modes/TeamDM.h"
#include "game/world/net/GameMessage.h"

#include <cstring>

using namespace modetest;

namespace {

// The payloads of the messages of that type in a connection's byte stream.
std::vector<std::vector<uint8_t>> Payloads(const std::vector<uint8_t>& bytes, GameMessage type)
{
    std::vector<std::vector<uint8_t>> found;
    for (size_t at = 0, n = 0; at + 4 <= bytes.size(); at += 4 + n) {
        n = size_t(bytes[at + 2] | bytes[at + 3] << 8);
        if ((bytes[at] | bytes[at + 1] << 8) == int(type))
            found.emplace_back(bytes.begin() + long(at) + 4, bytes.begin() + long(at + 4 + n));
    }
    return found;
}

float FloatAt(const std::vector<uint8_t>& payload, int n)
{
    float v = -1.0f;
    std::memcpy(&v, &payload[4 * size_t(n)], 4);
    return v;
}

} // namespace

TEST(TeamDM, MatchScoredOnlyOnTheServerPlaysToTheFragLimitThenTwentySecondsOfGameOver)
{
    ModeWorld w(0);
    w.Limits(10, 3, 0);
    w.Options().SetServerBalanced(false);
    w.Mode()->Start();
    Player* anna = w.Join(u"Anna", 1);
    Player* boris = w.Join(u"Boris", 2);
    Player* vera = w.Join(u"Vera", 2);
    w.Join(u"Dmitri", 2);
    ASSERT_NE(dynamic_cast<TeamDM*>(w.Mode()), nullptr);
    EXPECT_EQ(boris->GetTeam(), 7);
    EXPECT_EQ(w.server.messages[0], u"Playing team death match");
    EXPECT_EQ(w.server.messages[1], u"Player Anna entered the game");

    w.Run(61.0f);
    EXPECT_EQ(w.Mode()->GetPhase(), 1);
    // Time messages every five seconds carry the time left and the limit.
    auto times = Payloads(w.connections[0]->sent, GameMessage::GameModeTime);
    EXPECT_TRUE(times.size() == 11 || times.size() == 12);
    EXPECT_EQ(Payloads(w.connections[0]->sent, GameMessage::GameModeData).size(), 1u);
    EXPECT_NEAR(FloatAt(times.back(), 0), 540.0f, 5.5f);
    EXPECT_EQ(FloatAt(times.back(), 1), 600.0f);

    // A client hears of deaths too: it keeps no score and says nothing.
    w.game->SetActiveHandler(&w.client);
    w.Mode()->OnKill(boris, anna, 0, -1);
    w.Mode()->AwardFrag(anna);
    w.game->SetActiveHandler(&w.server);
    w.Kill(boris, anna, true);
    EXPECT_EQ(w.server.notices, std::vector<std::u16string>{u"Anna killed Boris with head shot"});
    // Russia still has a living player, so its respawns wait.
    EXPECT_FALSE(w.Mode()->CanRespawn(boris));
    w.Kill(vera, anna);
    w.Run(11.0f);
    EXPECT_TRUE(w.Mode()->CanRespawn(vera));
    EXPECT_FALSE(w.Mode()->IsGameOver());
    w.Kill(anna, anna);
    EXPECT_EQ(w.server.notices.back(), u"Anna did suicide");
    EXPECT_EQ(anna->GetFrags(), 1);
    w.Kill(boris, anna);
    w.Kill(vera, anna);
    EXPECT_EQ(anna->GetFrags(), 3);
    EXPECT_EQ(w.ScoresOf(anna).frags, 4);
    EXPECT_EQ(w.ScoresOf(anna).points, 4);
    EXPECT_EQ(w.ScoresOf(anna).deaths, 1);
    EXPECT_EQ(w.ScoresOf(anna).suicides, 1);
    EXPECT_EQ(w.ScoresOf(boris).deaths, 2);

    w.Run(0.1f);
    EXPECT_TRUE(w.Mode()->IsGameOver());
    EXPECT_EQ(w.server.levelStarts, 0);
    w.Run(19.5f);
    EXPECT_EQ(w.server.levelStarts, 0);
    w.Run(1.0f);
    EXPECT_EQ(w.server.levelStarts, 1);
    EXPECT_EQ(static_cast<TeamDM*>(w.Mode())->GetResultImage(), std::u16string(u"gui/finland_wins.png"));
}

// Either team's frags, summed over its players, end the match at the team
// frag limit and not one before; the other team's frags are not added.
TEST(TeamDM, EitherTeamEndsTheMatchAtTheTeamFragLimit)
{
    for (int scoring : {1, 2}) {
        ModeWorld w(0);
        w.Limits(0, 0, 3);
        w.Options().SetServerBalanced(false);
        w.Mode()->Start();
        Player *a = w.Join(u"Anna", scoring), *b = w.Join(u"Aino", scoring);
        Player *foe = w.Join(u"Boris", 3 - scoring), *mate = w.Join(u"Vera", 3 - scoring);
        w.Kill(foe, a), w.Kill(foe, b), w.Kill(a, foe), w.Kill(b, mate);
        w.Run(0.1f);
        EXPECT_FALSE(w.Mode()->IsGameOver()) << "two each: " << scoring;
        w.Kill(mate, b);
        w.Run(0.1f);
        EXPECT_TRUE(w.Mode()->IsGameOver()) << "three: " << scoring;
    }
}

TEST(TeamDM, MatchEndsByTimeWithPhasesAndAKeptPlayedTime)
{
    ModeWorld w(0);
    w.Limits(2, 0, 0);
    w.Mode()->Start();
    w.Join(u"Anna", 1);
    w.Run(30.0f);
    // A limit raised mid-match keeps the half minute played.
    w.Options().SetServerTimeLimit(3);
    w.Run(0.1f);
    EXPECT_NEAR(w.Mode()->GetTimeLeft(), 149.9f, 0.05f);
    w.Run(30.0f);
    EXPECT_EQ(w.Mode()->GetPhase(), 1);
    w.Run(30.0f);
    EXPECT_EQ(w.Mode()->GetPhase(), 2);
    w.Run(69.0f);
    EXPECT_FALSE(w.Mode()->IsGameOver());
    w.Run(1.0f);
    EXPECT_TRUE(w.Mode()->IsGameOver());
    EXPECT_EQ(w.Mode()->GetPhase(), 3);
    w.Run(19.5f);
    EXPECT_EQ(w.server.levelStarts, 0);
    w.Run(1.0f);
    EXPECT_EQ(w.server.levelStarts, 1);
}

TEST(TeamDM, ClientLearnsTheServersLimitsAtEveryLevel)
{
    ModeWorld w(0);
    // The server plays to 32 frags without a time limit; the clients' own says 20 minutes.
    w.Limits(0, 32, 0);
    Player* anna = w.Join(u"Anna", 1);
    w.Join(u"Boris", 2);
    w.connections[0]->sent.clear();
    // A later level: the joined client learns the limits from its start.
    w.Mode()->Start();
    w.Run(6.0f);
    anna->AddFrags(12);

    w.game->SetActiveHandler(&w.client);
    w.client.AddPlayer(anna->GetNetworkId(), u"Anna", nullptr);
    w.client.UpdatePlayer(anna->GetNetworkId(), 0, 0, 0, 0, nullptr);
    w.Options().SetServerTimeLimit(20);
    TeamDM clientMode;
    clientMode.Restart();
    EXPECT_EQ(w.Deliver(w.connections[0].get(), &clientMode), 2);
    EXPECT_EQ(clientMode.GetReceivedFragLimit(), 32);
    EXPECT_EQ(clientMode.GetTimeLimit(), 0.0f);
    for (int i = 0; i < 100; ++i)
        clientMode.CheckLimits(0.1f);
    EXPECT_FALSE(clientMode.IsGameOver());

    // A client that made its mode only after fetching the level missed 2002.
    TeamDM late;
    late.Restart();
    w.game->SetActiveHandler(&w.server);
    w.Run(5.5f);
    w.game->SetActiveHandler(&w.client);
    EXPECT_EQ(w.Deliver(w.connections[0].get(), &late), 1);
    EXPECT_EQ(late.GetReceivedFragLimit(), 32);
    anna->AddFrags(20);
    clientMode.CheckLimits(0.1f);
    EXPECT_TRUE(clientMode.IsGameOver());

    // A server of old sends only the time left; a short one reads as 0.
    TeamDM older;
    older.Restart();
    GamePacket p;
    p.SetReceived(uint16_t(GameMessage::GameModeTime), 0);
    EXPECT_TRUE(older.HandleMessage(nullptr, &p));
    EXPECT_FALSE(older.IsWaitingForTime());
    EXPECT_EQ(older.GetTimeLeft(), 0.0f);
    EXPECT_EQ(older.GetTimeLimit(), 1200.0f);
}

// The score weight's rank bonus reads the ranks of the player table: each
// the rank the master gave the player's account.
// A desktop's font, wider and taller than the built-in one.
struct WideFont : RecordingRenderer {
    struct Box {
        int x, y, w;
    };
    std::vector<Box> texts;
    int GetTextWidth(const char16_t* t) override { return 16 * int(std::u16string(t).size()); }
    int GetTextHeight() override { return 20; }
    void DrawText(int x, int y, const char16_t* t, int, int, int) override { texts.push_back({x, y, GetTextWidth(t)}); }
};

TEST(TeamDM, PlayerTableCarriesTheAccountsRankAndItsScoreboardFitsAWideFont)
{
    ModeWorld w(0);
    Player* anna = w.Join(u"Aleksanteri", 1);
    w.ScoresOf(anna).rank = 6;
    anna->Update(0.01f);
    EXPECT_EQ(w.server.GetPlayerRankAt(0), 6);

    w.Join(u"Bot2", 1), w.Join(u"Vladimir", 2);
    WideFont font;
    w.game->SetRenderer(&font);
    w.Mode()->DrawScoreboard();
    ASSERT_EQ(font.texts.size(), 10u);
    for (size_t i = 0; i < font.texts.size(); ++i)
        for (size_t j = i + 1; j < font.texts.size(); ++j) {
            const WideFont::Box &a = font.texts[i], &b = font.texts[j];
            EXPECT_FALSE(a.x < b.x + b.w && b.x < a.x + a.w && a.y < b.y + 20 && b.y < a.y + 20)
                << "texts " << i << " and " << j << " overlap";
        }
}
