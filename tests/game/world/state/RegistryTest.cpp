#include "game/world/system/StateFixture.h"

#include "game/world/objects/Object.h"
#include "game/world/state/ObjectManager.h"
#include "game/world/state/WorldQueries.h"
#include "game/world/state/WorldServices.h"

#include <cmath>

namespace StateTest {
namespace {

// An object that does, in its update, what world objects do: delete
// itself, delete another, or bring a new one into the world.
class Probe : public Object {
public:
    explicit Probe(int kind, int* updates = nullptr) : Object(kind, -1), updates_(updates) {}
    const MPAPI::FieldRecord* GetFieldTable() override
    {
        static const MPAPI::FieldRecord end = {};
        return &end;
    }
    void Update(float) override
    {
        if (updates_)
            ++*updates_;
        if (Object* doomed = victim) {
            victim = nullptr;
            delete doomed;
        }
        if (spawn) {
            spawn = false;
            Services().objects->AddObject(new Probe(0, updates_));
        }
        if (selfDelete)
            delete this;
    }
    Object* victim = nullptr;
    bool spawn = false;
    bool selfDelete = false;

private:
    int* updates_;
};

} // namespace

TEST_F(GameState, UpdatesSurviveDeletionAndSpawningDuringTheWalk)
{
    ObjectManager& objects = *Services().objects;
    game_->SetActiveHandler(&server_);
    int updates = 0;
    auto* killer = new Probe(0, &updates);
    auto* killed = new Probe(0, &updates);
    auto* quitter = new Probe(0, &updates);
    auto* spawner = new Probe(0, &updates);
    auto* player = new Probe(2, &updates);
    killer->victim = killed;
    quitter->selfDelete = true;
    spawner->spawn = true;
    for (Object* o : {killer, killed, quitter, spawner, player})
        objects.AddObject(o);
    game_->Update(0.01f);
    // killed went before its turn; the new one was reached in the same walk.
    EXPECT_EQ(updates, 5);
    EXPECT_EQ(objects.CountObjects(), 3);
    EXPECT_EQ(objects.CountPlayers(), 1);
    EXPECT_EQ(server_.removed, (std::vector<MPAPI::Object*>{killed, quitter}));

    player->SetNetworkId(7);
    spawner->SetNetworkId(7);
    EXPECT_EQ(objects.FindObject(7), player);
    EXPECT_EQ(objects.FindObject(8), nullptr);
    // Clearing deletes everything once and tells nobody.
    objects.Clear();
    EXPECT_EQ(objects.CountObjects() + objects.CountPlayers(), 0);
    EXPECT_EQ(server_.removed.size(), 2u);
}

TEST_F(GameState, PointsMoveInsideTheMapAndSeeEachOtherUpClose)
{
    world_->ReplaceCells(10, 10, {});
    float x = 100, y = 100, dx = -500, dy = 30;
    MoveWithCollision(&x, &y, &dx, &dy);
    EXPECT_FLOAT_EQ(x, 16.0f);
    EXPECT_FLOAT_EQ(dx, -84.0f);
    EXPECT_FLOAT_EQ(y, 130.0f);
    EXPECT_FLOAT_EQ(GetLineOfSight(50, 50, 51.5f, 48.5f), 1.0f);
    EXPECT_FLOAT_EQ(GetLineOfSight(NAN, 50, 60, 60), 0.0f);
    float px, py;
    EXPECT_FALSE(ProjectOntoSegment(0, 0, 10, 0, -5, 3, &px, &py));
    EXPECT_FLOAT_EQ(px, 0.0f);
    EXPECT_TRUE(ProjectOntoSegment(0, 0, 10, 0, 4, 3, &px, &py));
    EXPECT_FLOAT_EQ(px, 4.0f);
    EXPECT_FLOAT_EQ(py, 0.0f);
}

} // namespace StateTest
