// The shipped city level through the world's queries: its windows, intact
// and broken, on the host and on a client; a smoke cloud in the street; and
// the hits the shipped guns take to kill at combat range.
#include "StateFixture.h"

#include "game/world/objects/ObjectKind.h"
#include "game/world/objects/ParticleSystem.h"
#include "game/world/objects/Scenery.h"
#include "game/world/player/Player.h"
#include "game/world/resources/WeaponTable.h"
#include "game/world/state/ObjectManager.h"
#include "game/world/state/WorldQueries.h"
#include "game/world/state/WorldServices.h"
#include "game/world/system/ObjectFactory.h"

#include <unistd.h>

namespace StateTest {
namespace {

constexpr float kTile = 32.0f;
constexpr int kPistol = 78643200, kRifle = 78905344, kMachineGun = 79167488, kShotgun = 79429632;

class DefaultLevel : public GameState {
protected:
    void Load(IMultiplayerHandler* side)
    {
        const std::string shipped = std::string(VORNHAL_BUILD_DIR) + "/levels/tdm_riotcity.lvl";
        const std::string mine = dir_->File("levels/tdm_riotcity.lvl");
        unlink(mine.c_str());
        ASSERT_EQ(symlink(shipped.c_str(), mine.c_str()), 0);
        ASSERT_TRUE(resources_->ApplyItemDefinitions(Services().weapons));
        game_->SetActiveHandler(side);
        ASSERT_NE(game_->CreateGameMode(u"levels/tdm_riotcity.lvl"), 0);
        ASSERT_TRUE(game_->LoadLevel(u"levels/tdm_riotcity.lvl"));
    }

    // A pane in a wall that runs left to right, and the middles of the
    // open tiles above and below it.
    Window* PaneBetween(float* ax, float* ay, float* bx, float* by)
    {
        Window* found = nullptr;
        Services().objects->ForEachObject([&](Object* o) {
            Window* w = o->GetKind() == ObjectKind::Window ? static_cast<Window*>(o) : nullptr;
            const int c = w ? w->GetCellColumn() : -1, r = w ? w->GetCellRow() : -1;
            if (found || c < 0 || world_->IsSolidWallAt(c, r - 1) || world_->IsSolidWallAt(c, r + 1))
                return;
            found = w;
            *ax = *bx = c * kTile + 16.0f;
            *ay = (r - 1) * kTile + 16.0f, *by = (r + 1) * kTile + 16.0f;
        });
        return found;
    }

    Player* Soldier(int team, float x, float y, float angle)
    {
        Player* p = CreatePlayer();
        // Bullets are owned by the shooter's id.
        p->SetNetworkId(++lastId_);
        p->SetTeam(team);
        p->SetPositionAngle(x, y, angle);
        p->SetInputState(0, 0, 0, 0, 0);
        return p;
    }

    void Frames(float seconds)
    {
        for (float t = 0.0f; t < seconds; t += 0.01f)
            game_->Update(0.01f);
    }

    int32_t lastId_ = 1000;

    static void Break(Window* pane)
    {
        pane->TakeHit(1000.0f, false, 0, pane->GetX(), pane->GetY(), 0.0f);
        pane->Update(0.01f);
    }
};

// On the host a window is its own body: shot to pieces, it lets bullets
// and blasts through and stays see-through glass, never an opaque wall.
TEST_F(DefaultLevel, TheHostsWindowsStopBulletsUntilBrokenAndNeverHideAnything)
{
    ASSERT_NO_FATAL_FAILURE(Load(&server_));
    float ax, ay, bx, by;
    Window* pane = PaneBetween(&ax, &ay, &bx, &by);
    ASSERT_NE(pane, nullptr);
    const int c = pane->GetCellColumn(), r = pane->GetCellRow();
    EXPECT_FLOAT_EQ(GetLineOfSight(ax, ay, bx, by), 1.0f);

    Player* shooter = Soldier(0, ax, ay - kTile, 180.0f);
    ASSERT_TRUE(shooter->PickUpWeapon(kMachineGun, -1));
    shooter->SelectWeapon(kMachineGun);
    shooter->SetInputState(PlayerInputFlags::Shoot, 0, 0, 0, 0);
    for (int i = 0; i < 300 && !pane->IsBroken(); ++i)
        Frames(0.01f);
    EXPECT_TRUE(pane->IsBroken()) << "the pane takes the bullets";
    Player* target = Soldier(7, bx, by + kTile, 0.0f);
    Frames(1.0f);
    EXPECT_LT(target->GetHealth(), 100.0f) << "the empty frame lets bullets through";
    shooter->SetInputState(0, 0, 0, 0, 0);

    EXPECT_TRUE(world_->GetCell(c, r) & World::kWindow);
    EXPECT_FALSE(world_->IsSolidWallAt(c, r));
    EXPECT_FLOAT_EQ(GetLineOfSight(ax, ay, bx, by), 1.0f) << "a broken window hides nothing";
    target->SetHealth(100.0f);
    ApplyExplosionDamage(ax, ay - 8.0f, 60.0f, 200.0f, 0.0f, 0.0f);
    EXPECT_LT(target->GetHealth(), 100.0f) << "a blast reaches through the frame";
}

// A client walks into an intact pane, and through the frame once it broke.
TEST_F(DefaultLevel, AClientsPlayerIsStoppedByAPaneUntilItBreaks)
{
    ASSERT_NO_FATAL_FAILURE(Load(&client_));
    float ax, ay, bx, by;
    Window* pane = PaneBetween(&ax, &ay, &bx, &by);
    ASSERT_NE(pane, nullptr);
    Player* walker = Soldier(0, ax, ay, 180.0f);
    float dx = 0.0f, dy = by - ay;
    walker->Sweep(&dx, &dy);
    EXPECT_LT(walker->GetY(), by - 20.0f) << "through an intact pane";
    Break(pane);
    ASSERT_TRUE(pane->IsBroken());
    walker->SetPosition(ax, ay);
    dx = 0.0f, dy = by - ay;
    walker->Sweep(&dx, &dy);
    EXPECT_NEAR(walker->GetY(), by, 1.0f) << "stopped by an empty frame";
}

// Nobody in a smoke cloud is seen, nor anybody behind it; the street
// beside it stays open.
TEST_F(DefaultLevel, SmokeHidesWhatIsInAndBehindIt)
{
    ASSERT_NO_FATAL_FAILURE(Load(&client_));
    // The avenue along the bottom of the city is open from side to side.
    const float y = 42 * kTile + 16.0f, x = 48 * kTile;
    ASSERT_FLOAT_EQ(GetLineOfSight(x - 600.0f, y, x + 600.0f, y), 1.0f);
    ASSERT_FLOAT_EQ(GetLineOfSight(x - 600.0f, y, x, y), 1.0f);
    // Puffed east, along the avenue.
    SpawnSmoke(x, y, 180.0f, 10.0f);
    Frames(3.0f);
    float in = x;
    while (in < x + 400.0f && !Services().particles->IsInside(in, y, 32.0f))
        in += 8.0f;
    ASSERT_LT(in, x + 400.0f) << "no cloud";
    EXPECT_FLOAT_EQ(GetLineOfSight(in, y, x - 600.0f, y), 0.0f) << "from inside the cloud";
    EXPECT_LT(GetLineOfSight(x - 600.0f, y, x + 600.0f, y), 0.5f) << "across it";
    EXPECT_FLOAT_EQ(GetLineOfSight(x - 400.0f, 19 * kTile, x + 400.0f, 19 * kTile), 1.0f) << "a street away";
}

// The shipped guns, fired at an enemy 200 units down the street (the
// shotgun at 80), and the hits (shotgun: shots) they take to kill him.
TEST_F(DefaultLevel, ShippedGunsKillInTheHitsPlayersExpect)
{
    ASSERT_NO_FATAL_FAILURE(Load(&server_));
    const struct {
        int weapon;
        float range;
        bool countShots;
        int fewest, most;
    } guns[] = {
        {kPistol, 200.0f, false, 4, 6},
        {kRifle, 200.0f, false, 2, 4},
        {kMachineGun, 200.0f, false, 5, 8},
        {kShotgun, 80.0f, true, 1, 2},
    };
    const float y = 42 * kTile + 16.0f;
    for (const auto& gun : guns) {
        Player* shooter = Soldier(0, 300.0f, y, 90.0f);
        Player* target = Soldier(7, 300.0f + gun.range, y, 270.0f);
        ASSERT_TRUE(shooter->PickUpWeapon(gun.weapon, -1));
        shooter->SelectWeapon(gun.weapon);
        int hits = 0, shots = 0;
        float health = target->GetHealth();
        for (int frame = 0; frame < 3000 && target->IsAlive(); ++frame) {
            // One pull of the trigger at a time, each once the gun is ready
            // again (the rifle's 1.2 s at the slowest).
            const bool pull = frame % 130 == 0;
            shots += pull ? 1 : 0;
            shooter->SetInputState(pull ? PlayerInputFlags::Shoot : 0, 0, 0, 0, 0);
            Frames(0.01f);
            if (target->GetHealth() < health)
                ++hits, health = target->GetHealth();
        }
        EXPECT_FALSE(target->IsAlive()) << gun.weapon;
        const int count = gun.countShots ? shots : hits;
        EXPECT_GE(count, gun.fewest) << gun.weapon;
        EXPECT_LE(count, gun.most) << gun.weapon;
        delete shooter;
        delete target;
    }
}

} // namespace
} // namespace StateTest
