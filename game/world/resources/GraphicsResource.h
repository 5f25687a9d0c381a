#pragma once

#include "game/world/resources/Resource.h"

#include <cstdint>
#include <memory>

// An image, or a rectangle of one (class 17).
class GraphicsResource : public Resource {
public:
    GraphicsResource(IResourceManager* manager, ITexture* texture, int left, int top, int right, int bottom);
    ~GraphicsResource() override;

    int GetSubImageCount() override;
    GraphicsResource* GetSubImage(int i) override;
    ITexture* GetImage() override;
    // Graphics keep no items: the record is deleted.
    void AddItem(ParameterRecord* record) override;
    ParameterRecord* FindItem(const char16_t* name) override;
    const uint32_t* CreateThumbnail() override;
    void FreeThumbnail() override;

    // Not owned.
    void AddSubImage(GraphicsResource* image);
    ITexture* GetTexture() const { return texture_; }
    int GetLeft() const { return left_; }
    int GetTop() const { return top_; }
    int GetRight() const { return right_; }
    int GetBottom() const { return bottom_; }

private:
    ITexture* texture_;
    int left_;
    int top_;
    int right_;
    int bottom_;
    std::unique_ptr<uint32_t[]> thumbnail_;
    Util::List<GraphicsResource> subImages_;
};
