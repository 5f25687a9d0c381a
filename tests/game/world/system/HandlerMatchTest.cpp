// Flags seen by the clients through the real handlers, and flag levels the
// game refuses.
#include "HandlerMatch.h"

#include "game/world/objects/MissionItem.h"

namespace StateTest {
namespace {

constexpr int kWhiteFlag = 28835840;
constexpr int kFinnishFlag = 29097984;
constexpr int kRussianFlag = 29360128;

TEST_F(HandlerMatch, ClientsSeeTheFlagCarriedAndDroppedWhenItsCarrierDiesOrLeaves)
{
    WriteTestLevel("h_ctf.lvl", 30, 15, u"Flags", 1, {{kFinnishFlag, 100, 240, 0}, {kRussianFlag, 860, 240, 0}});
    game_->Options().AddMapCycleLevel(1, u"levels/h_ctf.lvl");
    ASSERT_NO_FATAL_FAILURE(Serve(1));
    auto ofType = [](int type) {
        MissionItem* found = nullptr;
        Services().objects->ForEachObject([&](Object* o) {
            if (auto* item = dynamic_cast<MissionItem*>(o); item && item->GetType() == type)
                found = item;
        });
        return found;
    };
    MissionItem* flag = ofType(MissionItem::Finnish);
    ASSERT_NE(flag, nullptr);
    const int flagId = flag->GetNetworkId();
    const int carrierId = Server(1)->GetNetworkId();
    auto carried = [&](int i) {
        return OnPeer<int>(i, [&] {
            Object* o = Services().objects->FindObject(carrierId);
            return o && o->GetKind() == ObjectKind::Player ? static_cast<Player*>(o)->GetMissionItemCount() : -1;
        });
    };
    ASSERT_TRUE(Run(3.0f, [&] { return carried(0) == 0 && carried(1) == 0; }));

    ASSERT_TRUE(Server(1)->TakeMissionItem(flag));
    ASSERT_TRUE(Run(5.0f, [&] { return carried(0) == 1 && carried(1) == 1; }));
    EXPECT_TRUE(OnPeer<bool>(0, [&] {
        Object* o = Services().objects->FindObject(flagId);
        return o && static_cast<MissionItem*>(o)->GetCarrierId() == carrierId;
    }));

    KillBy(Server(1), Server(0));
    ASSERT_TRUE(Run(5.0f, [&] { return carried(0) == 0 && carried(1) == 0; }));
    EXPECT_EQ(OnPeer<int>(0,
                          [&] {
                              Object* o = Services().objects->FindObject(flagId);
                              return o ? static_cast<MissionItem*>(o)->GetCarrierId() : -1;
                          }),
              0);

    // A carrier that leaves leaves the flag where it stood.
    ASSERT_TRUE(Server(0)->TakeMissionItem(ofType(MissionItem::Russian)));
    OnPeer<bool>(0, [&] { return peers_[0].handler->Stop(), true; });
    EXPECT_TRUE(Run(5.0f, [&] { return ofType(MissionItem::DroppedRussian) != nullptr && !Server(0); }));
}

TEST_F(HandlerMatch, FlagLevelsWithFlagsTooCloseAreRefused)
{
    WriteTestLevel("h_ctf_near.lvl", 30, 15, u"Near", 1, {{kFinnishFlag, 100, 240, 0}, {kRussianFlag, 410, 240, 0}});
    WriteTestLevel("h_ctf_far.lvl", 30, 15, u"Far", 1, {{kFinnishFlag, 100, 240, 0}, {kRussianFlag, 430, 240, 0}});
    WriteTestLevel("h_koh_near.lvl", 20, 15, u"Near", 2, {{kWhiteFlag, 100, 100, 0}, {kWhiteFlag, 190, 140, 0}});
    WriteTestLevel("h_koh_far.lvl", 20, 15, u"Far", 2, {{kWhiteFlag, 100, 100, 0}, {kWhiteFlag, 190, 150, 0}});
    // A server passes over such a level before it lets go of the one it plays.
    game_->Options().SetServerMode(1);
    game_->Options().AddMapCycleLevel(1, u"levels/h_ctf_near.lvl");
    game_->Options().AddMapCycleLevel(1, u"levels/h_ctf_far.lvl");
    handler_ = std::make_unique<ServerHandler>(game_);
    game_->SetHandlers(handler_.get(), &client_);
    ASSERT_TRUE(handler_->StartLevel());
    EXPECT_EQ(std::u16string(handler_->GetLevelPath()), u"levels/h_ctf_far.lvl");
    for (auto [level, loads] : {std::pair{u"levels/h_ctf_near.lvl", false},
                                {u"levels/h_ctf_far.lvl", true},
                                {u"levels/h_koh_near.lvl", false},
                                {u"levels/h_koh_far.lvl", true}}) {
        ASSERT_NE(game_->CreateGameMode(level), 0);
        EXPECT_EQ(game_->LoadLevel(level), loads)
            << std::string(level, level + std::char_traits<char16_t>::length(level));
    }
}

} // namespace
} // namespace StateTest
