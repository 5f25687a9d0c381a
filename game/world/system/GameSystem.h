#pragma once

#include "engine/net/IClientListener.h"
#include "engine/net/IServerListener.h"
#include "game/world/net/GamePacket.h"
#include "game/world/net/IMultiplayerHandler.h"
#include "game/world/resources/Inventory.h"
#include "game/world/settings/GameOptions.h"
#include "game/world/state/CameraPos.h"
#include "game/world/state/IGameState.h"
#include "game/world/system/MessageContainer.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class GameMod;
class IAudio;
class IEngine;
class IFile;
class IPhysics;
class IRenderer;
class IResourceManager;
class LoadingListener;
class Object;
class ObjectManager;
class Player;
class PlayerRoster;
class ParticleSystem;
class SoundSystem;
class WeaponTable;
class World;
struct CommonMedia;
class EffectOutput;
class WorldPlayerContacts;
namespace PhysEng {
class PhysicsEngine;
}

// The one game state: settings, protocol handlers, the installed levels,
// level loading, and the game side of replication. It creates and publishes
// the world's process-wide services (WorldServices).
class GameSystem : public MPAPI::IClientListener, public MPAPI::IServerListener, public IGameState {
public:
    struct LevelInfo {
        std::u16string path;
        char16_t name[65] = {};
        int32_t gameMode = 0;
    };

    GameSystem(IEngine* engine, World* world, IResourceManager* resources, CommonMedia* media, IAudio* audio);
    ~GameSystem() override;
    GameSystem(const GameSystem&) = delete;
    GameSystem& operator=(const GameSystem&) = delete;

    // The shell makes the two handlers and hands them over; they stay its.
    void SetHandlers(IMultiplayerHandler* server, IMultiplayerHandler* client);
    void SetActiveHandler(IMultiplayerHandler* handler) { active_ = handler; }
    IMultiplayerHandler* GetActiveHandler() override { return active_; }
    IMultiplayerHandler* GetServerHandler() override { return server_; }
    IMultiplayerHandler* GetClientHandler() override { return client_; }
    void SetLoadingListener(LoadingListener* listener) { loading_ = listener; }
    LoadingListener* GetLoadingListener() { return loading_; }
    // The engine physics that mirrors the game's bodies (borrowed; may be null).
    void SetEnginePhysics(IPhysics* physics);

    bool StartServer(int port);

    void RefreshLevelList();
    int GetLevelCount() const { return int(levels_.size()); }
    const LevelInfo* GetLevel(int i) const;
    // The n-th level of that mode; "" when there is none.
    const char16_t* GetLevelName(int mode, int n);
    const char16_t* GetLevelFile(int mode, int n);

    // A bad file fails cleanly; the world may already have been replaced.
    // diskOnly: the file on disk even when the package has one of that name.
    bool LoadLevel(const char16_t* path, bool diskOnly = false);
    // The level's check value, or 0 when the file is missing or foreign.
    int32_t CreateGameMode(const char16_t* path, bool diskOnly = false);
    // Objects, lights, particles, sounds and bodies of the level go; the
    // map stays.
    void ClearLevelObjects();
    GameMod* GetGameMode() override { return gameMode_; }
    // Takes the rules object over, dropping the previous one.
    void SetGameMode(GameMod* mode);

    void GiveSpawnWeapons(Player* player) override;

    void ApplyBlast(float x, float y, float power, float radius) override;
    // Hits every object and blasts the whole map on a 100-unit grid.
    void DamageEverything(float amount);

    // Once a frame, on the client and the dedicated server alike.
    void Update(float dt);
    // The client's drawing (GameSystemDraw.cpp; the dedicated server has
    // none).
    void SetRenderer(IRenderer* renderer);
    void InitObjectRenderBuffers();
    // Without a running frame (the editor) nothing else puts the bodies
    // where their objects stand; the shadows are cast from them.
    void PlaceBodies();
    void DrawWorld();
    void DrawLightsAndOverlays();

    MPAPI::Object* CreateObject(int typeId, int subTypeId) override;
    MPAPI::Object* CreateEffectObject(int typeId, int id) override;
    void OnObjectReady(MPAPI::Object* object) override;
    void OnClientFlagsChanged(MPAPI::IConnection*) override {}

    GameOptions& Options() override { return options_; }
    Inventory* GetInventory() override { return inventory_; }
    void SetInventory(Inventory* inventory) override { inventory_ = inventory ? inventory : &ownInventory_; }
    MessageContainer& Messages(int i) { return messages_[i < 0 ? 0 : (i > 2 ? 2 : i)]; }
    const char16_t* GetLevelTitle() const { return levelName_; }
    // Keeps the first 64 units.
    void SetLevelTitle(const char16_t* name);
    int32_t GetLevelGameMode() const { return levelGameMode_; }
    void SetLevelGameMode(int32_t mode) { levelGameMode_ = mode; }
    // Set when the level loaded carried no map picture of its own (the
    // bundled levels leave it out): the client draws one from the world.
    bool mapPictureMissing = false;
    CameraPos& Camera() { return camera_; }
    GamePacket& Packet() { return packet_; }

    // The client's run mode: 0 main menu, 1 host menu, 3 join and play,
    // 4 host and play; 2 and anything above 4 leave the client.
    int32_t runMode = 0;
    // Where a join goes: host (at most 255 units) and UDP port.
    char16_t connectAddress[256] = {};
    int32_t connectPort = 0;
    // The reload display: the clip change's remaining time and its total.
    float countdown = 0.0f;
    float countdownTotal = 0.0f;
    void StartCountdown(float seconds) override { countdown = countdownTotal = seconds; }
    float playerStatusTimer = 0.0f;
    int32_t lastWeaponCategory = 0;
    float viewScale = 1.0f;
    float GetViewScale() override { return viewScale; }
    // The aim point from the view's centre, and a shift of the whole view.
    float aimOffsetX = 0.0f;
    float aimOffsetY = 0.0f;
    float viewOffsetX = 0.0f;
    float viewOffsetY = 0.0f;

private:
    // Capture-the-flag and hill levels need their flags apart.
    bool CheckFlagSpacing();
    void DeleteGameMode();
    // The level's map picture into a client's renderer, and mapPictureMissing
    // set when it shows none; the dedicated server leaves the flag alone.
    void ReadMapPicture(const std::vector<uint8_t>& picture);
    // Begins the ambient pass of the lighting mode; colour, when given, takes
    // its colour.
    void ApplyAmbient(int surface, float* colour = nullptr);
    void DrawObjectLayers();
    void DrawParticleBatch();
    // The object sprites, then the particles.
    void DrawSpriteBatch();
    void DrawLights();
    void DrawLightOccluders(float lx, float ly, float size);
    void DrawSunShadows();
    bool InView(Object* object, float pad, bool usePad);

    GameMod* gameMode_ = nullptr;
    Inventory* inventory_;
    Inventory ownInventory_;
    IMultiplayerHandler* active_ = nullptr;
    IMultiplayerHandler* server_ = nullptr;
    IMultiplayerHandler* client_ = nullptr;
    GamePacket packet_;
    GameOptions options_;
    char16_t levelName_[65] = {};
    int32_t levelGameMode_ = 0;
    LoadingListener* loading_ = nullptr;
    MessageContainer messages_[3];
    std::vector<std::unique_ptr<LevelInfo>> levels_;
    CameraPos camera_;
    std::unique_ptr<WeaponTable> weapons_;
    std::unique_ptr<ObjectManager> objects_;
    std::unique_ptr<PhysEng::PhysicsEngine> physics_;
    std::unique_ptr<PlayerRoster> roster_;
    std::unique_ptr<ParticleSystem> particles_;
    std::unique_ptr<SoundSystem> sounds_;
    std::unique_ptr<EffectOutput> effectOutput_;
    std::unique_ptr<WorldPlayerContacts> contacts_;
};
