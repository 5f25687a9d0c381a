#include "game/world/system/GameSystem.h"

#include "engine/core/IEngine.h"
#include "engine/core/StringKit.h"
#include "engine/files/IFile.h"
#include "engine/files/IFileManager.h"
#include "game/world/geometry/TileSize.h"
#include "game/world/map/ILight.h"
#include "game/world/map/LevelFile.h"
#include "game/world/map/Light.h"
#include "game/world/map/World.h"
#include "game/world/modes/GameMod.h"
#include "game/world/net/IMultiplayerHandler.h"
#include "game/world/objects/Object.h"
#include "game/world/objects/ParticleSystem.h"
#include "game/world/objects/SoundSystem.h"
#include "game/world/phys/PhysicsEngine.h"
#include "game/world/state/ObjectManager.h"
#include "game/world/state/WorldQueries.h"
#include "game/world/state/WorldServices.h"
#include "game/world/system/LoadingListener.h"
#include "game/world/system/ObjectFactory.h"

#include <utility>
#include <vector>

namespace {

IFile* OpenLevel(const char16_t* path, bool diskOnly)
{
    IEngine* engine = Services().engine;
    IFileManager* files = engine ? engine->GetFileManager() : nullptr;
    return files && path ? files->Open(path, kOpenRead, diskOnly ? kOpenNoPackage : 0) : nullptr;
}

struct FileCloser {
    IFile* file;
    ~FileCloser()
    {
        if (file)
            delete file;
    }
};

// The file's bytes as they are, and a file in memory over them to parse.
IFile* ReadWhole(IFile* file, std::vector<uint8_t>* bytes)
{
    IEngine* engine = Services().engine;
    IFileManager* files = engine ? engine->GetFileManager() : nullptr;
    const int size = file ? file->GetSize() : -1;
    if (!files || size < 0)
        return nullptr;
    bytes->resize(size_t(size));
    for (int got = 0; got < size;) {
        const int n = file->Read(bytes->data() + got, size - got);
        if (n <= 0)
            return nullptr;
        got += n;
    }
    IFile* memory = files->CreateMemoryFile(size > 0 ? size : 1);
    if (memory && size > 0 && !memory->Write(bytes->data(), size)) {
        delete memory;
        return nullptr;
    }
    if (memory)
        memory->Seek(0);
    return memory;
}

void CopyName(char16_t* dst, const std::u16string& src)
{
    size_t n = src.size() < 64 ? src.size() : 64;
    for (size_t i = 0; i < n; ++i)
        dst[i] = src[i];
    dst[n] = 0;
}

} // namespace

void GameSystem::RefreshLevelList()
{
    levels_.clear();
    IEngine* engine = Services().engine;
    IFileManager* files = engine ? engine->GetFileManager() : nullptr;
    if (!files)
        return;
    for (const char16_t* found = files->FindFirst(u"levels/*.lvl"); found; found = files->FindNext()) {
        auto entry = std::make_unique<LevelInfo>();
        entry->path = found;
        FileCloser file{files->Open(found, kOpenRead, 0)};
        if (!file.file)
            continue;
        // A foreign file is listed under its path as a deathmatch level.
        LevelHeader header;
        bool ours = ReadLevelHeader(file.file, &header);
        CopyName(entry->name, ours && header.version >= 3 ? header.name : entry->path);
        entry->gameMode = ours ? header.gameMode : 0;
        levels_.push_back(std::move(entry));
    }
}

const GameSystem::LevelInfo* GameSystem::GetLevel(int i) const
{
    return i >= 0 && i < int(levels_.size()) ? levels_[i].get() : nullptr;
}

static const GameSystem::LevelInfo* NthOfMode(const std::vector<std::unique_ptr<GameSystem::LevelInfo>>& levels,
                                              int mode, int n)
{
    for (const auto& level : levels) {
        if (level->gameMode == mode && n-- == 0)
            return level.get();
    }
    return nullptr;
}

const char16_t* GameSystem::GetLevelName(int mode, int n)
{
    const LevelInfo* level = NthOfMode(levels_, mode, n);
    return level ? level->name : u"";
}

const char16_t* GameSystem::GetLevelFile(int mode, int n)
{
    const LevelInfo* level = NthOfMode(levels_, mode, n);
    return level ? level->path.c_str() : u"";
}

bool GameSystem::LoadLevel(const char16_t* path, bool diskOnly)
{
    if (loading_)
        loading_->ShowLoadingText(u"Loading level...", true);
    WorldServices& services = Services();
    LevelContents level;
    // The bytes parsed are the bytes a serving host uploads: those of the
    // package's copy when that is the one found first.
    std::vector<uint8_t> bytes;
    {
        FileCloser file{OpenLevel(path, diskOnly)};
        FileCloser memory{file.file ? ReadWhole(file.file, &bytes) : nullptr};
        // The whole file is parsed before anything is replaced, so a bad
        // one leaves the level being played as it was.
        if (!memory.file || !ReadLevel(memory.file, services.resources, &level))
            return false;
    }
    // Only the three known modes have rules; a level of any other would
    // be played with none.
    if (level.header.gameMode < 0 || level.header.gameMode > 2)
        return false;
    if (server_) {
        server_->SetLevelCheckValue(level.header.checkValue);
        server_->SetLevelFile(std::move(bytes));
    }
    levelName_[0] = 0;
    if (level.header.version >= 3)
        CopyName(levelName_, level.header.name);
    levelGameMode_ = level.header.gameMode;
    ReadMapPicture(level.picture);
    countdown = 0.0f;
    // The host's player, whose inventory may be the one in use, goes now.
    SetInventory(nullptr);
    ClearLevelObjects();
    if (services.world) {
        level.world.ApplyTo(*services.world);
        physics_->SetArea(float(services.world->GetWidth()) * kTileSize,
                          float(services.world->GetHeight()) * kTileSize);
    }
    for (const LevelObject& placed : level.objects) {
        if (Object* object = CreateObjectByType(placed.definitionId, placed.x, placed.y))
            object->SetAngle(placed.angle);
    }
    if (!CheckFlagSpacing())
        return false;
    if (loading_)
        loading_->ShowLoadingText(u"Optimizing level...", true);
    if (services.world) {
        services.world->BuildMeshes(services.renderer != nullptr);
        // The host's windows are their own bodies; a client keeps a wall
        // under each intact pane until it learns the pane broke.
        services.world->SetIsHost(IsServing());
        services.world->BuildWallBodies();
    }
    for (const LevelLight& placed : level.lights) {
        ILight* light = CreateLight(placed.x, placed.y);
        if (!light)
            continue;
        if (level.lightTag == LevelContents::kLightsFull) {
            light->SetType(placed.type);
            light->SetAngle(placed.angle);
            light->SetPower(placed.power);
            light->SetColor(placed.red, placed.green, placed.blue);
        }
        light->SetSize(placed.size);
    }
    return true;
}

void GameSystem::ClearLevelObjects()
{
    objects_->Clear();
    particles_->Clear();
    sounds_->Clear();
    physics_->Clear();
    if (World* world = Services().world)
        world->ForgetWallBodies();
}

void GameSystem::SetLevelTitle(const char16_t* name)
{
    CopyName(levelName_, name ? std::u16string(name) : std::u16string());
}

bool GameSystem::CheckFlagSpacing() { return FlagSpacingHolds(levelGameMode_, LiveFlags()); }

int32_t GameSystem::CreateGameMode(const char16_t* path, bool diskOnly)
{
    LevelHeader header;
    bool read = false;
    {
        FileCloser file{OpenLevel(path, diskOnly)};
        read = file.file && ReadLevelHeader(file.file, &header);
    }
    // A failed look-up drops the old rules too, so that a level is never
    // played under those of the one before.
    DeleteGameMode();
    if (!read)
        return 0;
    levelGameMode_ = header.gameMode;
    gameMode_ = CreateGameModeObject(header.gameMode);
    return header.checkValue;
}
