#pragma once

#include "engine/core/List.h"
#include "game/world/resources/IResource.h"

#include <memory>
#include <string>
#include <vector>

class IResourceManager;
class TextToken;

// What every kind of resource shares: class, names, id, placement values and
// the link and parameter lists. The kinds supply the image, the items and
// the thumbnail.
class Resource : public IResource {
public:
    Resource(IResourceManager* manager, int classId);
    ~Resource() override;
    Resource(const Resource&) = delete;
    Resource& operator=(const Resource&) = delete;

    int GetClassId() override;
    int GetSubImageCount() override;
    GraphicsResource* GetSubImage(int i) override;
    int GetId() override;
    void SetId(int id) override;
    const char16_t* GetName() override;
    void SetNameA(const char* name) override;
    void SetName(const char16_t* name) override;
    const char16_t* GetFileName() override;
    void SetFileNameA(const char* name) override;
    void SetFileName(const char16_t* name) override;
    void SetGraphics(IResource* graphics) override;
    IResource* GetGraphics() override;
    void SetLinkGraphics(IResource* graphics) override;
    ITexture* GetLinkImage() override;
    void SetWreckedGraphics(IResource* graphics) override;
    ITexture* GetWreckedImage() override;
    void SetRow(int row) override;
    int GetRow() override;
    void SetOffset(float x, float y) override;
    void GetOffset(float* x, float* y) override;
    void SetPivot(float x, float y) override;
    void GetPivot(float* x, float* y) override;
    void SetState(int state) override;
    int GetState() override;
    void LoadParameters(const float* points, int count) override;
    bool IsBreakable() override;
    int GetHealth() override;
    const float* GetBounding() override;
    void AddGraphicsLink(IResource* graphics) override;
    Resource* FindGraphicsByFile(const char16_t* fileName) override;
    Resource* FindGraphicsByName(const char16_t* name) override;
    void AddSoundLink(IResource* sound) override;
    Resource* FindSound(const char16_t* name) override;
    FreeParameter* AddParameter(const char* key, const char* value) override;
    int GetParameterCount() override;
    FreeParameter* GetParameter(int i) override;
    void SelectInManager() override;
    void AddIndexedLink(IResource* link, int index) override;
    IResource* GetIndexedLink(int index) override;
    ISoundResource* GetSoundInterface() override;

    // Edit mode: the script token holding the name; renames rewrite it.
    void SetNameToken(TextToken* token) { nameToken_ = token; }
    TextToken* GetNameToken() const { return nameToken_; }
    // Null when unset (GetName answers the empty string then).
    const char16_t* GetNameOrNull() const { return hasName_ ? name_.c_str() : nullptr; }
    void SetCreationIndex(int index) { creationIndex_ = index; }
    int GetCreationIndex() const { return creationIndex_; }
    IResourceManager* GetManager() const { return manager_; }

protected:
    bool NameIs(const char16_t* name) const;

    // The pivot as stored here, whatever a kind forwards it to.
    float pivotX_ = 0.0f;
    float pivotY_ = 0.0f;

private:
    struct IndexedLink {
        IResource* link;
        int index;
    };

    void WriteNameToken();

    IResourceManager* manager_;
    int classId_;
    std::u16string name_;
    bool hasName_ = false;
    std::u16string fileName_;
    bool hasFileName_ = false;
    TextToken* nameToken_ = nullptr;
    int creationIndex_ = 0;
    int id_ = -1;
    int row_ = 0;
    float offsetX_ = 0.0f;
    float offsetY_ = 0.0f;
    int state_ = 0;
    Util::List<Resource> graphicsLinks_;
    Util::List<Resource> soundLinks_;
    std::vector<std::unique_ptr<FreeParameter>> parameters_;
    std::vector<IndexedLink> indexedLinks_;
};
