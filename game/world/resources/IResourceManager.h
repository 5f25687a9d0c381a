#pragma once

class BlockResource;
class GraphicsResource;
class IAudioBuffer;
class IResource;
class ITexture;
class ObjectResource;
class SoundResource;
class WeaponTable;
struct Quad;

// Creates, owns and finds every resource: every resource it hands out is
// its own. Until BuildIndex resources sit on a pending list in creation
// order; after it lookups use the index alone.
class IResourceManager {
public:
    virtual ~IResourceManager() {}
    virtual bool Contains(IResource* resource) = 0;
    // -1 finds nothing.
    virtual IResource* GetById(int id) = 0;
    // The first resource of that name.
    virtual IResource* GetByName(const char16_t* name) = 0;
    // A fresh id nobody pending holds: 18-bit for tiles (never 0x3ffff),
    // else 13 bits shifted left by 18; -1 when every id is taken.
    virtual int NewId(bool tile) = 0;
    // "gfx\<file>" through the engine: the engine's cached texture.
    virtual ITexture* LoadTextureA(const char* file, bool packIntoAtlas, int atlasGroup) = 0;
    // The engine's cached texture, as LoadTextureA.
    virtual ITexture* LoadTexture(const char16_t* file, bool packIntoAtlas, int atlasGroup) = 0;
    // The engine's cached texture, as LoadTextureA.
    virtual ITexture* LoadImageA(const char* file, bool packIntoAtlas, int atlasGroup) = 0;
    // The engine's cached texture, as LoadTextureA.
    virtual ITexture* LoadImage(const char16_t* file, bool packIntoAtlas, int atlasGroup) = 0;
    // "sfx\<file>", the audio object's buffer; null without audio.
    virtual IAudioBuffer* LoadSound(const char16_t* file) = 0;
    // A new resource of the manager's.
    virtual GraphicsResource* CreateGraphicsResource(ITexture* texture, int left, int top, int right, int bottom) = 0;
    // A new resource of the manager's.
    virtual SoundResource* CreateSoundResource() = 0;
    virtual void SetCurrentResource(IResource* resource) = 0;
    // 0x3ffff out of range.
    virtual int GetIdAt(int i) = 0;
    // 0 when absent or before the index exists.
    virtual int GetIndexOfId(int id) = 0;
    // Null before the index exists or out of range.
    virtual IResource* GetAt(int i) = 0;
    // -1 out of range once indexed; 13 past the end of the pending list.
    virtual int GetClassAt(int i) = 0;
    virtual int NoOpA() = 0;
    virtual void NoOpB() = 0;
    // A new resource of the manager's.
    virtual BlockResource* CreateBlockResource(ITexture* sheet, int row) = 0;
    // A new resource of the manager's.
    virtual ObjectResource* CreateObjectResource(int classId) = 0;
    virtual bool ApplyItemDefinitions(WeaponTable* table) = 0;
    // Editor palettes: floors, walls, finished blocks.
    virtual void NotifyListenerA(IResource* resource) = 0;
    virtual void NotifyListenerB(IResource* resource) = 0;
    virtual void NotifyListenerC(IResource* resource) = 0;
    // Tile drawing by index position; positions that are not floor or wall
    // blocks with a tile row draw nothing.
    virtual void DrawTileMasked(int i, float x, float y, int column, float ox, float oy, float scale) = 0;
    virtual void DrawTileQuad(int i0, int i1, int i2, int i3, float x, float y, int column, int blendFlags) = 0;
    virtual void DrawTileAt(int i, float x, float y, bool flag) = 0;
    virtual void DrawTileTinted(int i, float x, float y, int column, int dx, int dy) = 0;
    virtual void PrepareTileTexture(int i, int column) = 0;
    // The tile's sheet, the engine's texture; null for no tile.
    virtual ITexture* ReadTilePixels(int i, int column, Quad* quad) = 0;
    virtual bool ReadTilePixelsPart(int i0, int i1, int i2, int column, float* out0, float* out1, float* out2) = 0;

    // NewId for each resource in turn, given to it with SetId (a resource
    // stays as it is when every id is taken). A manager that holds many
    // resources looks at them once, not once for each id.
    virtual void AssignNewIds(IResource* const* resources, const bool* tiles, int count);
};
