#pragma once

class IAudio;
class IAudioEnvironment;
class IEngine;
class IGameState;
class IParticlePainter;
class IRenderer;
class IResourceManager;
class ISpritePainter;
class IMultiplayerHandler;
class IObjectEffects;
class IObjectOutput;
class IPlayerContacts;
class ObjectManager;
class ParticleSystem;
class SoundSystem;
class WeaponTable;
class World;
struct CameraPos;
struct CommonMedia;
namespace PhysEng {
class PhysicsEngine;
}

// The process-wide services the game state creates once and publishes: the
// one way in to each of them for the world's objects, and for the shell.
// Any may be null: the dedicated server has no renderer, painters or audio.
struct WorldServices {
    IGameState* game = nullptr;
    IEngine* engine = nullptr;
    World* world = nullptr;
    IResourceManager* resources = nullptr;
    CommonMedia* media = nullptr;
    IAudio* audio = nullptr;
    IAudioEnvironment* environments[2] = {};
    WeaponTable* weapons = nullptr;
    ObjectManager* objects = nullptr;
    ParticleSystem* particles = nullptr;
    SoundSystem* sounds = nullptr;
    PhysEng::PhysicsEngine* physics = nullptr;
    IRenderer* renderer = nullptr;
    ISpritePainter* spritePainter = nullptr;
    IParticlePainter* particlePainter = nullptr;
    CameraPos* camera = nullptr;
    IPlayerContacts* contacts = nullptr;
    IObjectOutput* output = nullptr;
    IObjectEffects* effects = nullptr;
};

WorldServices& Services();

// Roles read from the game state's active handler.
IMultiplayerHandler* ActiveHandler();
bool IsServing();
bool IsClient();
