#include "game/world/system/GameSystem.h"

#include "game/world/net/IMultiplayerHandler.h"
#include "game/world/objects/Object.h"
#include "game/world/objects/ObjectKind.h"
#include "game/world/objects/ParticleSystem.h"
#include "game/world/objects/SoundSystem.h"
#include "game/world/phys/PhysicsEngine.h"
#include "game/world/state/ObjectManager.h"
#include "game/world/state/WorldServices.h"

void GameSystem::Update(float dt)
{
    if (IsServing())
        physics_->SyncFromEngine();
    if (countdown > 0.0f) {
        countdown -= dt;
        if (countdown < 0.0f)
            countdown = 0.0f;
    }
    playerStatusTimer += dt;
    if (playerStatusTimer >= 3.0f) {
        playerStatusTimer = 0.0f;
        if (server_)
            server_->SendPlayerStatus();
    }
    bool client = IsClient();
    objects_->PrefetchObjects();
    objects_->ForEach([dt, client](Object* object) {
        if (client)
            object->ServerUpdate(dt);
        object->Update(dt);
    });
    objects_->UpdateLights(dt);
    particles_->Update(dt);
    // Sounds play wherever there is audio; only the serving side expires
    // them (clients lose theirs through replication).
    sounds_->Update(dt);
    if (IsServing())
        sounds_->ExpireSources(dt);
}
