#include "game/world/resources/ResourceManager.h"

#include "engine/audio/IAudio.h"
#include "engine/core/IEngine.h"
#include "engine/core/Random.h"
#include "engine/core/StringKit.h"
#include "game/world/geometry/Quad.h"
#include "game/world/resources/BlockResource.h"
#include "game/world/resources/GraphicsResource.h"
#include "game/world/resources/IEditorListener.h"
#include "game/world/resources/IResourceHost.h"
#include "game/world/resources/ObjectResource.h"
#include "game/world/resources/ResourceClass.h"
#include "game/world/resources/SoundResource.h"
#include "game/world/resources/WeaponTable.h"

#include <chrono>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace {

// Paths of loaded files are at most 511 characters.
constexpr size_t kPathCapacity = 512;

// Milliseconds of a monotonic clock: the system's tick count.
uint32_t TickCount()
{
    using namespace std::chrono;
    return uint32_t(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

} // namespace

std::u16string ResourceManager::Prefixed(const char16_t* prefix, const char16_t* file)
{
    char16_t path[kPathCapacity];
    Util::FormatTo(path, kPathCapacity, u"%s%s", prefix, file);
    return path;
}

ResourceManager::ResourceManager(IResourceHost* host, IEngine* engine, IAudio* audio)
    : host_(host), engine_(engine), audio_(audio)
{
}

ResourceManager::~ResourceManager()
{
    for (int i = 0; i < indexCount_; ++i)
        delete index_[size_t(i)];
    index_.reset();
    indexCount_ = 0;
    // Resources made after the index was built never reached it.
    for (int i = 0; i < pending_.GetCount(); ++i)
        delete pending_.Get(i);
    if (engine_)
        engine_->Log("Resource manager closed.\n");
}

void ResourceManager::BuildIndex()
{
    // A second build keeps what the first indexed and appends the rest.
    const int total = indexCount_ + pending_.GetCount();
    std::unique_ptr<Resource*[]> index(new Resource*[size_t(total > 0 ? total : 1)]);
    for (int i = 0; i < indexCount_; ++i)
        index[size_t(i)] = index_[size_t(i)];
    for (int i = 0; i < pending_.GetCount(); ++i)
        index[size_t(indexCount_ + i)] = pending_.Get(i);
    index_ = std::move(index);
    indexCount_ = total;
    pending_.Clear();
}

int ResourceManager::GetCount() { return index_ ? indexCount_ : pending_.GetCount(); }

Resource** ResourceManager::Active(int* count)
{
    if (index_) {
        *count = indexCount_;
        return index_.get();
    }
    *count = pending_.GetCount();
    return pending_.GetItems();
}

void ResourceManager::Add(Resource* resource)
{
    // Grow by doubling: the list's own steps of 100 copy it over and over
    // for a large data set.
    if (pending_.GetCount() == pending_.GetCapacity())
        pending_.Reserve(pending_.GetCapacity() < 100 ? 100 : pending_.GetCapacity() * 2);
    pending_.Add(resource);
}

bool ResourceManager::Contains(IResource* resource)
{
    if (!resource)
        return false;
    int count;
    Resource** list = Active(&count);
    for (int i = 0; i < count; ++i)
        if (list[i] == resource)
            return true;
    return false;
}

IResource* ResourceManager::GetById(int id)
{
    if (id == kNoId)
        return nullptr;
    int count;
    Resource** list = Active(&count);
    for (int i = 0; i < count; ++i)
        if (list[i]->GetId() == id)
            return list[i];
    return nullptr;
}

IResource* ResourceManager::GetByName(const char16_t* name)
{
    if (!name)
        return nullptr;
    int count;
    Resource** list = Active(&count);
    for (int i = 0; i < count; ++i) {
        const char16_t* own = list[i]->GetNameOrNull();
        if (own && Util::StrEqual(own, name))
            return list[i];
    }
    return nullptr;
}

// One flag per value of each id space; ids held by anyone, indexed or
// pending, are taken.
struct ResourceManager::TakenIds {
    static constexpr int kTileSpace = 0x40000;
    static constexpr int kObjectSpace = 0x2000;
    std::vector<bool> tiles = std::vector<bool>(kTileSpace, false);
    std::vector<bool> objects = std::vector<bool>(kObjectSpace, false);
    // Where the last search of each space began and ended: a search from
    // the same start (within one tick) goes on behind the last id found.
    int lastStart[2] = {-1, -1};
    int lastSteps[2] = {0, 0};

    void Mark(int id)
    {
        if (id < 0)
            return;
        if (id < kTileSpace)
            tiles[size_t(id)] = true;
        if ((id & 0x3ffff) == 0)
            objects[size_t(id >> 18)] = true;
    }

    int Pick(bool tile)
    {
        const int space = tile ? kTileSpace : kObjectSpace;
        const std::vector<bool>& taken = tile ? tiles : objects;
        Util::SeedRandom(TickCount());
        const int n = Util::Random() * 100;
        int first = n == lastStart[tile] ? lastSteps[tile] : 0;
        lastStart[tile] = n;
        // Every value of the id space is tried once at most.
        for (int k = first; k < space; ++k) {
            const int value = (n + k) & (space - 1);
            if (tile && value == kNoTile)
                continue;
            if (!taken[size_t(value)]) {
                lastSteps[tile] = k;
                return tile ? value : value << 18;
            }
        }
        lastSteps[tile] = space;
        return kNoId;
    }
};

void ResourceManager::MarkTaken(TakenIds& taken)
{
    for (int i = 0; i < indexCount_; ++i)
        taken.Mark(index_[size_t(i)]->GetId());
    for (int i = 0; i < pending_.GetCount(); ++i)
        taken.Mark(pending_.Get(i)->GetId());
}

int ResourceManager::NewId(bool tile)
{
    TakenIds taken;
    MarkTaken(taken);
    return taken.Pick(tile);
}

void ResourceManager::AssignNewIds(IResource* const* resources, const bool* tiles, int count)
{
    TakenIds taken;
    MarkTaken(taken);
    for (int i = 0; i < count; ++i) {
        int id = taken.Pick(tiles[i]);
        if (id == kNoId)
            continue;
        resources[i]->SetId(id);
        taken.Mark(id);
    }
}

ITexture* ResourceManager::LoadTextureA(const char* file, bool packIntoAtlas, int atlasGroup)
{
    if (!file)
        return nullptr;
    std::u16string wide = Util::Widen(file);
    return LoadTexture(wide.c_str(), packIntoAtlas, atlasGroup);
}

ITexture* ResourceManager::LoadTexture(const char16_t* file, bool packIntoAtlas, int atlasGroup)
{
    if (!file || !engine_)
        return nullptr;
    std::u16string path = Prefixed(u"gfx\\", file);
    return engine_->LoadTexture(path.c_str(), packIntoAtlas, atlasGroup);
}

ITexture* ResourceManager::LoadImageA(const char* file, bool packIntoAtlas, int atlasGroup)
{
    if (!file)
        return nullptr;
    std::u16string wide = Util::Widen(file);
    return LoadImage(wide.c_str(), packIntoAtlas, atlasGroup);
}

IAudioBuffer* ResourceManager::LoadSound(const char16_t* file)
{
    if (!audio_ || !file)
        return nullptr;
    std::u16string path = Prefixed(u"sfx\\", file);
    return audio_->LoadSound(path.c_str());
}

GraphicsResource* ResourceManager::CreateGraphicsResource(ITexture* texture, int left, int top, int right, int bottom)
{
    auto* r = new GraphicsResource(this, texture, left, top, right, bottom);
    r->SetCreationIndex(pending_.GetCount());
    Add(r);
    return r;
}

SoundResource* ResourceManager::CreateSoundResource()
{
    auto* r = new SoundResource(this);
    Add(r);
    return r;
}

BlockResource* ResourceManager::CreateBlockResource(ITexture* sheet, int row)
{
    auto* r = new BlockResource(this, sheet, row);
    Add(r);
    return r;
}

ObjectResource* ResourceManager::CreateObjectResource(int classId)
{
    auto* r = new ObjectResource(this, classId);
    Add(r);
    return r;
}

void ResourceManager::SetCurrentResource(IResource* resource)
{
    if (!host_)
        return;
    int count;
    Resource** list = Active(&count);
    int position = -1;
    for (int i = 0; resource && i < count; ++i)
        if (list[i] == resource) {
            position = i;
            break;
        }
    if (position < 0) {
        host_->SetCurrentResource(-1, nullptr);
        return;
    }
    host_->SetCurrentResource(position, resource);
    if (!host_->HasEditor())
        return;
    const int cls = resource->GetClassId();
    if (cls == ResourceClass::Floor || cls == ResourceClass::Wall)
        host_->SelectBlockTool();
    else
        host_->SelectObjectTool();
}

int ResourceManager::GetIdAt(int i)
{
    int count;
    Resource** list = Active(&count);
    if (i < 0 || i >= count)
        return kNoTile;
    return list[i]->GetId();
}

int ResourceManager::GetIndexOfId(int id)
{
    for (int i = 0; i < indexCount_; ++i)
        if (index_[size_t(i)]->GetId() == id)
            return i;
    return 0;
}

IResource* ResourceManager::GetAt(int i)
{
    if (!index_ || i < 0 || i >= indexCount_)
        return nullptr;
    return index_[size_t(i)];
}

int ResourceManager::GetClassAt(int i)
{
    int count;
    Resource** list = Active(&count);
    if (i >= 0 && i < count)
        return list[i]->GetClassId();
    if (!index_ && i >= count)
        return ResourceClass::Floor;
    return -1;
}

int ResourceManager::NoOpA() { return 0; }

void ResourceManager::NoOpB() {}

bool ResourceManager::ApplyItemDefinitions(WeaponTable* table)
{
    if (!table)
        return true;
    int count;
    Resource** list = Active(&count);
    for (int i = 0; i < count; ++i) {
        switch (list[i]->GetClassId()) {
        case ResourceClass::Ammo:
            table->AddAmmoPickup(list[i]);
            break;
        case ResourceClass::AmmoDef:
            table->AddAmmoType(list[i]);
            break;
        case ResourceClass::Weapon:
            table->AddWeapon(list[i]);
            break;
        default:
            break;
        }
    }
    return true;
}

void ResourceManager::Notify(int page, IResource* resource)
{
    if (!host_ || !host_->HasEditor())
        return;
    IEditorListener* listener = host_->GetStartedEditorListener();
    if (!listener)
        return;
    listener->AddSelectionItem(host_->GetSelectionPage(IResourceHost::Page(page)), resource);
}

void ResourceManager::NotifyListenerA(IResource* resource) { Notify(IResourceHost::FloorsPage, resource); }

void ResourceManager::NotifyListenerB(IResource* resource) { Notify(IResourceHost::WallsPage, resource); }

void ResourceManager::NotifyListenerC(IResource* resource) { Notify(IResourceHost::ObjectsPage, resource); }

BlockResource* ResourceManager::TileAt(int i)
{
    if (!index_ || i < 0 || i >= indexCount_)
        return nullptr;
    auto* block = dynamic_cast<ObjectResource*>(index_[size_t(i)]);
    if (!block)
        return nullptr;
    auto* tile = dynamic_cast<BlockResource*>(block->GetMainGraphics());
    // A tile whose sheet failed to load draws nothing.
    if (!tile || !tile->GetSheet())
        return nullptr;
    return tile;
}

IRenderer* ResourceManager::Renderer() { return host_ ? host_->GetRenderer() : nullptr; }
