#pragma once

#include <cstdint>

class GraphicsResource;
class ISoundResource;
class ITexture;
class Resource;
struct FreeParameter;
struct ParameterRecord;

// Anything the game draws or plays: a block of a resource script, an image
// or a rectangle of one, a tile row of a floor or wall sheet, or a sound.
// Operations that do not apply to a kind answer null, 0 or false. What they
// hand out is borrowed: resources are the manager's, textures the engine's,
// parameters and records the resource's.
class IResource {
public:
    virtual ~IResource() {}
    virtual int GetClassId() = 0;
    virtual int GetSubImageCount() = 0;
    // Null when i is out of range.
    virtual GraphicsResource* GetSubImage(int i) = 0;
    virtual int GetId() = 0;
    virtual void SetId(int id) = 0;
    // The empty string when unset.
    virtual const char16_t* GetName() = 0;
    virtual void SetNameA(const char* name) = 0;
    // With a name token attached the script text is renamed as well.
    virtual void SetName(const char16_t* name) = 0;
    // For an image of a block this holds its type word ("main", "slot", ...).
    virtual const char16_t* GetFileName() = 0;
    virtual void SetFileNameA(const char* name) = 0;
    virtual void SetFileName(const char16_t* name) = 0;
    // Main image of a block.
    virtual void SetGraphics(IResource* graphics) = 0;
    virtual IResource* GetGraphics() = 0;
    virtual ITexture* GetImage() = 0;
    // Shadow image of a block.
    virtual void SetLinkGraphics(IResource* graphics) = 0;
    virtual ITexture* GetLinkImage() = 0;
    // Bump image of a block.
    virtual void SetWreckedGraphics(IResource* graphics) = 0;
    virtual ITexture* GetWreckedImage() = 0;
    virtual void SetRow(int row) = 0;
    virtual int GetRow() = 0;
    virtual void SetOffset(float x, float y) = 0;
    virtual void GetOffset(float* x, float* y) = 0;
    virtual void SetPivot(float x, float y) = 0;
    virtual void GetPivot(float* x, float* y) = 0;
    virtual void SetState(int state) = 0;
    virtual int GetState() = 0;
    // The bounding polygon: count points as x, y pairs; below 1 an empty
    // polygon.
    virtual void LoadParameters(const float* points, int count) = 0;
    // "Breakable" and "health" mean: a bounding section was given, and its
    // point count.
    virtual bool IsBreakable() = 0;
    virtual int GetHealth() = 0;
    virtual const float* GetBounding() = 0;
    // Takes the record; kinds without items delete it.
    virtual void AddItem(ParameterRecord* record) = 0;
    virtual ParameterRecord* FindItem(const char16_t* name) = 0;
    virtual void AddGraphicsLink(IResource* graphics) = 0;
    virtual Resource* FindGraphicsByFile(const char16_t* fileName) = 0;
    virtual Resource* FindGraphicsByName(const char16_t* name) = 0;
    // A block's wrecked images and sounds share this list.
    virtual void AddSoundLink(IResource* sound) = 0;
    // Null finds the first link without a name.
    virtual Resource* FindSound(const char16_t* name) = 0;
    // A null value copies the key.
    virtual FreeParameter* AddParameter(const char* key, const char* value) = 0;
    virtual int GetParameterCount() = 0;
    virtual FreeParameter* GetParameter(int i) = 0;
    // 64 x 64 pixels owned by the resource, replaced at every call.
    virtual const uint32_t* CreateThumbnail() = 0;
    virtual void FreeThumbnail() = 0;
    virtual void SelectInManager() = 0;
    virtual void AddIndexedLink(IResource* link, int index) = 0;
    virtual IResource* GetIndexedLink(int index) = 0;
    virtual ISoundResource* GetSoundInterface() = 0;
};
