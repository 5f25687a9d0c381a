#include "game/world/system/GameSystem.h"

#include "engine/audio/IAudio.h"
#include "engine/audio/IAudioEnvironment.h"
#include "engine/core/IEngine.h"
#include "engine/core/Random.h"
#include "engine/net/IServer.h"
#include "engine/render/IParticlePainter.h"
#include "engine/render/ISpritePainter.h"
#include "game/world/geometry/TileSize.h"
#include "game/world/map/World.h"
#include "game/world/modes/GameMod.h"
#include "game/world/net/IMultiplayerHandler.h"
#include "game/world/objects/Object.h"
#include "game/world/objects/ObjectKind.h"
#include "game/world/objects/ParticleSystem.h"
#include "game/world/objects/SoundSystem.h"
#include "game/world/phys/PhysicsEngine.h"
#include "game/world/player/Player.h"
#include "game/world/resources/WeaponTable.h"
#include "game/world/state/ObjectManager.h"
#include "game/world/state/WorldServices.h"
#include "game/world/system/EffectOutput.h"
#include "game/world/system/ObjectFactory.h"
#include "game/world/system/PlayerRoster.h"
#include "game/world/system/WorldPlayerContacts.h"

#include <cmath>

namespace {
constexpr int kUnderwaterPreset = 22;
constexpr int kForestPreset = 15;
} // namespace

GameSystem::GameSystem(IEngine* engine, World* world, IResourceManager* resources, CommonMedia* media, IAudio* audio)
    : inventory_(&ownInventory_)
{
    packet_.Reset();
    WorldServices& services = Services();
    services.game = this;
    services.engine = engine;
    services.world = world;
    services.resources = resources;
    services.media = media;
    weapons_ = std::make_unique<WeaponTable>(this, resources);
    services.weapons = weapons_.get();
    // The local player's weapons are told by id: their kinds come from here.
    ownInventory_.SetWeaponTable(weapons_.get());
    ownInventory_.SetEngine(engine);
    objects_ = std::make_unique<ObjectManager>();
    services.objects = objects_.get();
    services.camera = &camera_;
    physics_ = std::make_unique<PhysEng::PhysicsEngine>();
    services.physics = physics_.get();
    particles_ = std::make_unique<ParticleSystem>();
    services.particles = particles_.get();
    sounds_ = std::make_unique<SoundSystem>(this, resources);
    services.sounds = sounds_.get();
    effectOutput_ = std::make_unique<EffectOutput>();
    services.output = effectOutput_.get();
    services.effects = effectOutput_.get();
    contacts_ = std::make_unique<WorldPlayerContacts>();
    services.contacts = contacts_.get();
    if (world)
        world->SetPhysics(physics_.get(), nullptr);
    services.audio = audio;
    if (audio) {
        services.environments[0] = audio->CreateEnvironment();
        services.environments[1] = audio->CreateEnvironment();
        if (services.environments[0])
            services.environments[0]->SetPreset(kUnderwaterPreset);
        if (services.environments[1])
            services.environments[1]->SetPreset(kForestPreset);
    }
}

GameSystem::~GameSystem()
{
    levels_.clear();
    DeleteGameMode();
    objects_.reset();
    WorldServices& services = Services();
    services.objects = nullptr;
    // Objects may hold sources; they went first.
    if (services.output == effectOutput_.get())
        services.output = nullptr;
    if (services.effects == effectOutput_.get())
        services.effects = nullptr;
    if (services.contacts == contacts_.get())
        services.contacts = nullptr;
    effectOutput_.reset();
    sounds_.reset();
    services.sounds = nullptr;
    particles_.reset();
    services.particles = nullptr;
    // The wall bodies are the physics world's; they go with it.
    physics_->Clear();
    if (services.world)
        services.world->SetPhysics(nullptr, nullptr);
    physics_.reset();
    services.physics = nullptr;
    weapons_.reset();
    services.weapons = nullptr;
    // The audio device stays its creator's: sources and buffers made from it
    // outlive the game state.
    for (IAudioEnvironment*& environment : services.environments) {
        delete environment;
        environment = nullptr;
    }
    // A client's painters, made with its renderer.
    delete services.spritePainter;
    delete services.particlePainter;
    services.spritePainter = nullptr;
    services.particlePainter = nullptr;
    if (services.game == this)
        services = WorldServices();
}

void GameSystem::SetHandlers(IMultiplayerHandler* server, IMultiplayerHandler* client)
{
    if (active_ && active_ != server && active_ != client)
        active_ = nullptr;
    server_ = server;
    client_ = client;
    if (!roster_)
        roster_ = std::make_unique<PlayerRoster>();
    for (IMultiplayerHandler* handler : {server, client})
        if (handler)
            handler->SetRoster(roster_.get());
}

void GameSystem::SetEnginePhysics(IPhysics* physics)
{
    physics_->SetPhysics(physics);
    if (World* world = Services().world)
        world->SetPhysics(physics_.get(), physics);
}

void GameSystem::SetGameMode(GameMod* mode)
{
    if (mode == gameMode_)
        return;
    DeleteGameMode();
    gameMode_ = mode;
}

void GameSystem::DeleteGameMode()
{
    delete gameMode_;
    gameMode_ = nullptr;
}

bool GameSystem::StartServer(int port)
{
    active_ = nullptr;
    IEngine* engine = Services().engine;
    MPAPI::IServer* server = engine ? engine->CreateServer() : nullptr;
    if (!server)
        return false;
    if (!server_ || !server->Listen(port)) {
        delete server;
        return false;
    }
    server->SetListener(static_cast<MPAPI::IServerListener*>(this));
    server_->SetServer(server);
    active_ = server_;
    server->SetUpstreamBandwidth(options_.GetServerUpstream() * 1000);
    return true;
}

void GameSystem::ApplyBlast(float x, float y, float power, float radius)
{
    if (!std::isfinite(x) || !std::isfinite(y) || !std::isfinite(power) || !std::isfinite(radius))
        return;
    if (World* world = Services().world)
        world->ApplyBlastDamage(x, y, power, radius);
    if (physics_)
        physics_->ApplyBlast(x, y, power);
    // Only a serving machine tells the others.
    if (IsServing())
        server_->BroadcastBlast(x, y, power, radius);
}

void GameSystem::GiveSpawnWeapons(Player* player)
{
    if (!player || !weapons_)
        return;
    for (int i = 0; i < weapons_->GetWeaponCount(); ++i) {
        const WeaponDef* def = weapons_->GetWeaponAt(i);
        if (def->addOnSpawn)
            player->PickUpWeapon(def->id, -1);
    }
}

void GameSystem::DamageEverything(float amount)
{
    if (!std::isfinite(amount))
        return;
    objects_->ForEachPlayer(
        [amount](Object* player) { player->TakeBlastDamage(player->GetX(), player->GetY(), amount * 10.0f, 0, 0); });
    objects_->ForEachObject([amount](Object* object) {
        object->TakeHit(amount, false, 0, object->GetX(), object->GetY(), float(Util::Random() % 360));
    });
    World* world = Services().world;
    if (!world)
        return;
    const int width = world->GetWidth() * kTileSize, height = world->GetHeight() * kTileSize;
    for (int x = 0; x < width; x += 100) {
        for (int y = 0; y < height; y += 100) {
            world->ApplyBlastDamage(float(x), float(y), amount * 10.0f, 200.0f);
            physics_->ApplyBlast(float(x), float(y), amount * 10.0f);
            if (IsServing())
                server_->BroadcastBlast(float(x), float(y), amount * 10.0f, 200.0f);
        }
    }
}

MPAPI::Object* GameSystem::CreateObject(int typeId, int subTypeId)
{
    // A sound of an id this machine does not know is skipped.
    if (typeId == SoundSource::kTypeId)
        return sounds_->CreateCopy(subTypeId);
    return CreateReplicatedObject(typeId, subTypeId);
}

MPAPI::Object* GameSystem::CreateEffectObject(int typeId, int id)
{
    // A live object is handed back only when it is an effect of the same
    // type: anything else would be adopted, or deleted, by the networking
    // layer while the world still holds it.
    bool effectType =
        typeId == ObjectKind::DeadPlayer || typeId == ObjectKind::BreakParticle || typeId == ObjectKind::Dust;
    if (!effectType)
        return nullptr;
    if (Object* live = objects_->FindObject(id))
        return live->GetTypeId() == typeId ? live : nullptr;
    return CreateEffectObjectOfType(typeId);
}

void GameSystem::OnObjectReady(MPAPI::Object* object)
{
    if (SoundSource* copy = dynamic_cast<SoundSource*>(object)) {
        sounds_->Adopt(copy);
        return;
    }
    Object* game = dynamic_cast<Object*>(object);
    if (!game || objects_->Contains(game))
        return;
    objects_->AddObject(game);
    game->LoadProperties();
}
