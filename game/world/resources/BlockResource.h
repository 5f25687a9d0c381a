#pragma once

#include "game/world/geometry/TileSize.h"
#include "game/world/resources/ParameterRecord.h"
#include "game/world/resources/Resource.h"

#include <cstdint>
#include <memory>
#include <vector>

// One 32-pixel tile row of a floor or wall sheet (class 13); the row field
// says which.
class BlockResource : public Resource {
public:
    BlockResource(IResourceManager* manager, ITexture* sheet, int row);
    ~BlockResource() override;

    ITexture* GetImage() override;
    void AddItem(ParameterRecord* record) override;
    ParameterRecord* FindItem(const char16_t* name) override;
    // Null when the row lies outside the sheet or its pixels cannot be read.
    const uint32_t* CreateThumbnail() override;
    void FreeThumbnail() override;

    ITexture* GetSheet() const { return sheet_; }
    // The row lies wholly inside the sheet (a sheet without a size has none).
    bool RowInSheet();

private:
    ITexture* sheet_;
    std::unique_ptr<uint32_t[]> thumbnail_;
    ParameterList items_;
};
