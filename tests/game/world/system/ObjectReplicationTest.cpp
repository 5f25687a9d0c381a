// A door the server opens, closes and breaks, and a bullet's hit on a crate,
// reach a client over real UDP on loopback, each side a whole game state.
#include "LoopbackPair.h"
#include "ObjectFakes.h"

#include "game/world/arms/ArmsFactory.h"
#include "game/world/arms/BulletProjectile.h"
#include "game/world/objects/Door.h"
#include "game/world/objects/SoundSystem.h"
#include "game/world/objects/WorldEffects.h"
#include "game/world/resources/CommonMedia.h"
#include "game/world/state/ObjectManager.h"

#include <GL/gl.h>

namespace StateTest {

TEST_F(GameState, DoorReplicatesToAClientOverLoopback)
{
    WriteTestLevel("r_door.lvl", 20, 15, u"Doors", 0, {{kDoor, 200, 200, 0}});
    // The server's viewer stands at the door.
    LoopbackPair pair(engine_, resources_, game_, 200, 200);
    ASSERT_TRUE(pair.Start(u"levels/r_door.lvl"));
    Door* clientDoor = FirstObject<Door>();
    pair.ServerSide();
    Door* serverDoor = FirstObject<Door>();
    ASSERT_NE(serverDoor, nullptr);
    ASSERT_NE(clientDoor, nullptr);
    ASSERT_NE(clientDoor, serverDoor);
    FakePlayers players;
    auto run = [&](const std::function<bool()>& done) { return pair.Run(done); };

    // The use key is let go once the server's door has turned.
    players.touching = true;
    players.bits = Door::kUseBit;
    ASSERT_TRUE(run([&] { return !serverDoor->IsClosing(); }));
    players.bits = 0;
    EXPECT_TRUE(run([&] { return !clientDoor->IsSolid() && clientDoor->GetAngle() == 90.0f; }))
        << "angle " << clientDoor->GetAngle();
    EXPECT_FLOAT_EQ(clientDoor->GetClosedAngle(), 0.0f);
    players.bits = Door::kUseBit;
    ASSERT_TRUE(run([&] { return serverDoor->IsClosing(); }));
    players.bits = 0;
    EXPECT_TRUE(run([&] { return clientDoor->IsSolid() && clientDoor->GetAngle() == 0.0f; }))
        << "angle " << clientDoor->GetAngle();
    players.touching = false;

    pair.ServerSide();
    serverDoor->TakeHit(1000, false, 0, 200, 200, 0);
    EXPECT_TRUE(run([&] { return clientDoor->IsBroken(); }));
}

// The client draws, as a player's game does; the server only decides and
// announces (a dedicated one draws nothing).
TEST_F(GameState, ABulletIntoACrateShowsFragmentsAndStartsItsHitSoundOnAClient)
{
    WriteTestLevel("r_crate.lvl", 20, 15, u"Crate", 0, {{39321600, 300, 200, 0}});
    CommonMedia media(engine_, resources_);
    LoopbackPair pair(engine_, resources_, game_, 300, 200);
    ASSERT_TRUE(pair.Start(u"levels/r_crate.lvl"));
    media.Load();
    ASSERT_TRUE(renderer_->PrepareTextures());
    std::swap(pair.clientSide.particlePainter, pair.serverSide.particlePainter);
    pair.clientSide.renderer = renderer_;
    pair.clientSide.media = &media;
    pair.clientSide.world->SetRenderer(renderer_);
    pair.ClientSide();
    // The corner of the view where the bullet meets the crate's left side.
    auto frame = [&] {
        renderer_->BeginScene();
        pair.clientGame->DrawWorld();
        pair.clientGame->DrawLightsAndOverlays();
        renderer_->EndScene();
        std::vector<uint8_t> rgb(128 * 128 * 3);
        glReadPixels(236, 488, 128, 128, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
        return rgb;
    };
    pair.clientGame->Camera() = CameraPos();
    const std::vector<uint8_t> before = frame();
    pair.ServerSide();
    CreateBullet(200, 216, 90, 0, 0)->SetDamage(10);
    // The fragments spawned and the hit's sound copied, the bullet's line gone.
    ASSERT_TRUE(pair.Run([] {
        int fragments = 0, bullets = 0;
        Services().objects->ForEachObject([&](Object* o) {
            auto* f = dynamic_cast<BreakParticle*>(o);
            fragments += f && f->GetCount() > 0;
            bullets += dynamic_cast<BulletProjectile*>(o) != nullptr;
        });
        return fragments > 0 && bullets == 0 && Services().sounds->Count() > 0;
    }));
    const std::vector<uint8_t> after = frame();
    size_t differing = 0;
    for (size_t i = 0; i < after.size(); ++i)
        differing += after[i] != before[i];
    EXPECT_GT(differing, 30u);
    std::swap(pair.clientSide.particlePainter, pair.serverSide.particlePainter);
}

} // namespace StateTest
