// Which of a player's sprites and lights the local viewer gets, through a
// sprite painter that only keeps what it is given.
#include "PlayerFixture.h"

#include "game/world/geometry/Quad.h"
#include "game/world/map/ILight.h"
#include "game/world/resources/CommonMedia.h"
#include "game/world/resources/KeptSprites.h"
#include "game/world/resources/RecordingRenderer.h"
#include "game/world/state/ObjectManager.h"
#include "support/EngineFakes.h"

#include <utility>

using namespace playertest;

namespace {

KeptSprite* Body(Player* p) { return static_cast<KeptSprite*>(p->GetSprite()); }

} // namespace

TEST(PlayerDrawing, MatesWholeEnemiesOnlyInSightAndTheDiverOnlyToHimself)
{
    PlayerWorld w;
    auto* painter = new KeptPainter(); // the game state's to delete
    Services().spritePainter = painter;
    FakeTexture body(64, 64), legStrip(512, 64);
    CommonMedia media;
    for (ITexture*& picture : media.playerBodies)
        picture = &body;
    for (ITexture*& picture : media.playerLegs)
        picture = &legStrip;
    Services().media = &media;
    Player* me = w.Spawn(0, 100, 200);
    Player* mate = w.Spawn(0, 150, 300);
    Player* enemy = w.Spawn(7, 200, 250);
    Player* hidden = w.Spawn(7, 400, 200); // beyond the wall
    Player* diver = w.Spawn(0, 112, 400);  // crouching in the water
    Player* spectator = w.Spawn(-1, 50, 50);
    for (Player* p : {enemy, hidden, diver}) {
        p->SetInputState(p == diver ? PlayerInputFlags::Crouch : PlayerInputFlags::Light, 0, 0, 0, 0);
        p->Update(0.01f);
    }
    w.game->SetActiveHandler(&w.client);
    auto legs = [&](Player* p) {
        for (size_t i = 1; i < painter->sprites.size(); ++i)
            if (painter->sprites[i].get() == Body(p))
                return painter->sprites[i - 1].get();
        return static_cast<KeptSprite*>(nullptr);
    };
    auto lights = [] {
        std::vector<ILight*> on;
        Services().objects->ForEachLight([&](ILight* l) {
            if (l->IsEnabled())
                on.push_back(l);
        });
        return on;
    };
    auto drawAs = [&](Player* viewer) {
        w.client.SetLocalPlayerId(viewer->GetNetworkId());
        for (Player* p : {me, mate, enemy, hidden, diver})
            p->Draw();
    };

    drawAs(me);
    EXPECT_TRUE(Body(me)->visible && Body(mate)->visible && Body(enemy)->visible);
    EXPECT_FALSE(Body(hidden)->visible) << "seen through the wall";
    EXPECT_FALSE(Body(diver)->visible) << "seen under water";
    // The picture's (32, 37) on the position, opaque, legs under it.
    EXPECT_FLOAT_EQ(Body(enemy)->quad.topLeft.x, 168.0f);
    EXPECT_FLOAT_EQ(Body(enemy)->quad.topLeft.y, 213.0f);
    EXPECT_EQ(Body(enemy)->quad.a, 255);
    EXPECT_TRUE(legs(enemy)->visible);
    // Only the enemy in sight lights his way: 20 ahead, 3 to his right.
    ASSERT_EQ(lights().size(), 1u);
    EXPECT_NEAR(lights()[0]->GetX(), 203.0f, 0.01f);
    EXPECT_NEAR(lights()[0]->GetY(), 230.0f, 0.01f);

    drawAs(diver);
    EXPECT_EQ(Body(diver)->quad.a, 127) << "himself at half";
    EXPECT_FALSE(legs(diver)->visible);

    drawAs(spectator);
    EXPECT_TRUE(Body(hidden)->visible && legs(hidden)->visible);
    EXPECT_EQ(lights().size(), 2u);

    // Out of the water, the crouching diver casts the shadow of his crouching picture.
    FakeTexture crouched(64, 64);
    media.playerBodies[1] = &crouched;
    RecordingRenderer renderer;
    IRenderer* none = std::exchange(Services().renderer, &renderer);
    diver->SetPosition(100, 300);
    diver->DrawShadowCaster(0, 0, 0);
    Services().renderer = none;
    ASSERT_EQ(renderer.Named("BindTexture").size(), 1u);
    EXPECT_EQ(renderer.Named("BindTexture")[0].pointers[0], static_cast<ITexture*>(&crouched));
}
