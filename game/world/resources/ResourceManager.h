#pragma once

#include "engine/core/List.h"
#include "game/world/resources/IResourceManager.h"

#include <memory>
#include <string>

class IAudio;
class IEngine;
class IRenderer;
class IResourceHost;
class Resource;

// Owns every resource: they wait on the pending list in creation order until
// BuildIndex turns that list into the index the world's positions refer to.
class ResourceManager : public IResourceManager {
public:
    // Without a host there is no editor and no renderer; without audio
    // sounds load as null.
    ResourceManager(IResourceHost* host, IEngine* engine, IAudio* audio);
    ~ResourceManager() override;
    ResourceManager(const ResourceManager&) = delete;
    ResourceManager& operator=(const ResourceManager&) = delete;

    bool Contains(IResource* resource) override;
    IResource* GetById(int id) override;
    IResource* GetByName(const char16_t* name) override;
    int NewId(bool tile) override;
    void AssignNewIds(IResource* const* resources, const bool* tiles, int count) override;
    ITexture* LoadTextureA(const char* file, bool packIntoAtlas, int atlasGroup) override;
    ITexture* LoadTexture(const char16_t* file, bool packIntoAtlas, int atlasGroup) override;
    ITexture* LoadImageA(const char* file, bool packIntoAtlas, int atlasGroup) override;
    ITexture* LoadImage(const char16_t* file, bool packIntoAtlas, int atlasGroup) override;
    IAudioBuffer* LoadSound(const char16_t* file) override;
    GraphicsResource* CreateGraphicsResource(ITexture* texture, int left, int top, int right, int bottom) override;
    SoundResource* CreateSoundResource() override;
    void SetCurrentResource(IResource* resource) override;
    int GetIdAt(int i) override;
    int GetIndexOfId(int id) override;
    IResource* GetAt(int i) override;
    int GetClassAt(int i) override;
    int NoOpA() override;
    void NoOpB() override;
    BlockResource* CreateBlockResource(ITexture* sheet, int row) override;
    ObjectResource* CreateObjectResource(int classId) override;
    bool ApplyItemDefinitions(WeaponTable* table) override;
    void NotifyListenerA(IResource* resource) override;
    void NotifyListenerB(IResource* resource) override;
    void NotifyListenerC(IResource* resource) override;
    void DrawTileMasked(int i, float x, float y, int column, float ox, float oy, float scale) override;
    void DrawTileQuad(int i0, int i1, int i2, int i3, float x, float y, int column, int blendFlags) override;
    void DrawTileAt(int i, float x, float y, bool flag) override;
    void DrawTileTinted(int i, float x, float y, int column, int dx, int dy) override;
    void PrepareTileTexture(int i, int column) override;
    ITexture* ReadTilePixels(int i, int column, Quad* quad) override;
    bool ReadTilePixelsPart(int i0, int i1, int i2, int column, float* out0, float* out1, float* out2) override;

    // Moves the pending resources behind the index, in creation order.
    void BuildIndex();
    bool HasIndex() const { return index_ != nullptr; }
    // The index count, or the pending count before the index exists.
    int GetCount();
    int GetPendingCount() const { return pending_.GetCount(); }

private:
    struct TakenIds;
    void MarkTaken(TakenIds& taken);
    // The list lookups search: the index once built, else the pending list.
    Resource** Active(int* count);
    void Add(Resource* resource);
    void Notify(int page, IResource* resource);
    // The floor or wall tile at index position i, or null when i is no such
    // block.
    BlockResource* TileAt(int i);
    IRenderer* Renderer();
    // prefix + file, at most 511 units.
    static std::u16string Prefixed(const char16_t* prefix, const char16_t* file);

    IResourceHost* host_;
    IEngine* engine_;
    IAudio* audio_;
    Util::List<Resource> pending_;
    std::unique_ptr<Resource*[]> index_;
    int indexCount_ = 0;
};
