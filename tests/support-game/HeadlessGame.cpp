#include "HeadlessGame.h"

#include "bench/GameBenchSupport.h"
#include "engine/files/IFile.h"
#include "engine/files/IFileManager.h"
#include "game/world/map/LevelFile.h"
#include "game/world/resources/IResource.h"
#include "game/world/resources/ParameterRecord.h"
#include "game/world/resources/ResourceClass.h"
#include "game/world/resources/ResourceScript.h"
#include "game/world/state/WorldServices.h"
#include "support/TestSupport.h"

#include <unistd.h>

#include <random>

namespace TestGame {

namespace {

std::vector<uint8_t> FileBytes(IFile* file)
{
    std::vector<uint8_t> bytes(size_t(file->GetSize() > 0 ? file->GetSize() : 0));
    file->Seek(0);
    if (!bytes.empty() && file->Read(bytes.data(), int(bytes.size())) != int(bytes.size()))
        bytes.clear();
    return bytes;
}

} // namespace

HeadlessGame::HeadlessGame(const std::string& gameDir) : dir_(gameDir)
{
    TestSupport::MakeDirs(File("levels"));
    for (const char* entry : {"gfx", "sfx", "blocks.cfg", "objects.cfg", "items.cfg", "weapons_fin_vs_rus.cfg"}) {
        std::string from = std::string(VORNHAL_BUILD_DIR) + "/" + entry;
        if (access(File(entry).c_str(), F_OK) != 0 && symlink(from.c_str(), File(entry).c_str()) != 0)
            return;
    }
    {
        TestSupport::ScopedChdir in(dir_);
        engine_ = std::make_unique<Engine>();
    }
    resources_ = std::make_unique<GameBench::HeadlessResources>(engine_.get());
    for (const char16_t* name : {u"blocks.cfg", u"items.cfg", u"objects.cfg", u"weapons_fin_vs_rus.cfg"}) {
        ResourceScript script(resources_.get(), engine_->GetFileManager());
        if (!script.Load(name))
            return;
    }
    resources_->BuildIndex();
    world_ = std::make_unique<World>(resources_.get());
    game_ = std::make_unique<GameSystem>(engine_.get(), world_.get(), resources_.get(), nullptr, nullptr);
    resources_->ApplyItemDefinitions(Services().weapons);
    handler_ = std::make_unique<ClientHandler>(game_.get());
    game_->SetHandlers(nullptr, handler_.get());
    ok_ = true;
}

HeadlessGame::~HeadlessGame()
{
    if (handler_)
        handler_->Stop();
    if (game_)
        game_->SetActiveHandler(nullptr);
    game_.reset();
    handler_.reset();
    world_.reset();
    resources_.reset();
    engine_.reset();
}

std::vector<uint8_t> HeadlessGame::ShippedLevel(const std::string& name)
{
    return TestSupport::ReadAll(std::string(VORNHAL_BUILD_DIR) + "/levels/" + name);
}

std::vector<uint8_t> HeadlessGame::RewriteShipped(const std::string& shipped,
                                                  const std::function<void(LevelContents&)>& change)
{
    IFileManager* files = engine_->GetFileManager();
    std::vector<uint8_t> original = ShippedLevel(shipped);
    std::unique_ptr<IFile> in(files->CreateMemoryFile(int(original.size())));
    in->Write(original.data(), int(original.size()));
    in->Seek(0);
    LevelContents level;
    if (original.empty() || !ReadLevel(in.get(), resources_.get(), &level))
        return {};
    change(level);
    World world(resources_.get());
    level.world.ApplyTo(world);
    std::unique_ptr<IFile> out(files->CreateMemoryFile(int(original.size() + level.picture.size() + 4096)));
    if (!WriteLevel(out.get(), files, level.header, level.picture, world, level.objects, level.lights, nullptr))
        return {};
    return FileBytes(out.get());
}

std::vector<uint8_t> HeadlessGame::MakeLevel(const std::string& shipped, size_t size, uint32_t seed)
{
    const size_t original = ShippedLevel(shipped).size();
    return RewriteShipped(shipped, [&](LevelContents& level) {
        std::mt19937 random(seed);
        level.picture.assign(size > original ? size - original : 1, 0);
        for (uint8_t& b : level.picture)
            b = uint8_t(random());
    });
}

std::vector<uint8_t> HeadlessGame::WithoutDoors(const std::string& shipped)
{
    return RewriteShipped(shipped, [&](LevelContents& level) {
        std::vector<LevelObject> kept;
        for (const LevelObject& o : level.objects) {
            IResource* definition = resources_->GetById(o.definitionId);
            if (!definition || definition->GetClassId() != ResourceClass::Door)
                kept.push_back(o);
        }
        level.objects = kept;
    });
}

std::vector<uint8_t> HeadlessGame::StartsFacing(const std::string& shipped, float dx, float dy)
{
    return RewriteShipped(shipped, [&](LevelContents& level) {
        // A start point's team is its definition's "team_id", 1 the first.
        auto team = [&](const LevelObject& o) {
            IResource* definition = resources_->GetById(o.definitionId);
            if (!definition || definition->GetClassId() != ResourceClass::StartPoint)
                return 0;
            const ParameterRecord* record = definition->FindItem(u"team_id");
            const ParameterValue* value = record ? record->Value(0) : nullptr;
            return value && value->type == ParameterValue::Integer ? value->integer : 1;
        };
        const LevelObject* first = nullptr;
        for (const LevelObject& o : level.objects)
            if (!first && team(o) == 1)
                first = &o;
        if (!first)
            return;
        const float x = first->x, y = first->y;
        for (LevelObject& o : level.objects)
            if (team(o) > 0) {
                o.x = team(o) == 1 ? x : x + dx;
                o.y = team(o) == 1 ? y : y + dy;
            }
    });
}

} // namespace TestGame
