#pragma once

#include "game/world/resources/ParameterRecord.h"
#include "game/world/resources/Resource.h"

#include <memory>
#include <vector>

// A block of a resource script, of any class: its images, its named
// parameters and its bounding polygon.
class ObjectResource : public Resource {
public:
    ObjectResource(IResourceManager* manager, int classId);
    ~ObjectResource() override;

    // Only Resources are kept; anything else stores null.
    void SetGraphics(IResource* graphics) override;
    IResource* GetGraphics() override;
    ITexture* GetImage() override;
    void SetLinkGraphics(IResource* graphics) override;
    ITexture* GetLinkImage() override;
    void SetWreckedGraphics(IResource* graphics) override;
    ITexture* GetWreckedImage() override;
    // With main graphics the pivot is theirs.
    void SetPivot(float x, float y) override;
    void GetPivot(float* x, float* y) override;
    void LoadParameters(const float* points, int count) override;
    bool IsBreakable() override;
    int GetHealth() override;
    const float* GetBounding() override;
    void AddItem(ParameterRecord* record) override;
    ParameterRecord* FindItem(const char16_t* name) override;
    Resource* FindGraphicsByName(const char16_t* name) override;
    // The main graphics' thumbnail; null without main graphics.
    const uint32_t* CreateThumbnail() override;
    void FreeThumbnail() override;

    Resource* GetMainGraphics() const { return main_; }
    Resource* GetShadowGraphics() const { return shadow_; }
    Resource* GetBumpGraphics() const { return bump_; }
    int GetItemCount() const { return items_.GetCount(); }
    // 0 no polygon, -1 an empty one, else the number of points.
    int GetPolygonCount() const { return polygonCount_; }

private:
    Resource* main_ = nullptr;
    Resource* shadow_ = nullptr;
    Resource* bump_ = nullptr;
    ParameterList items_;
    std::vector<float> polygon_;
    int polygonCount_ = 0;
};
