#pragma once

#include "engine/core/List.h"
#include "game/world/geometry/TileSize.h"
#include "game/world/map/ILightBox.h"

#include <cstdint>
#include <memory>
#include <vector>

class IBlockMesh;
class IFile;
class IPhysics;
class IRenderer;
class IResourceManager;
class ITexture;
struct Quad;
namespace PhysEng {
class Object;
class PhysicsEngine;
} // namespace PhysEng

// The level map: a grid of 32-pixel tiles, one cell word each, plus the
// level's light boxes. Pixels run x right, y down.
class World {
public:
    // Cell word bits.
    static constexpr uint32_t kBlockMask = 0x3ffff;
    static constexpr uint32_t kEmpty = 0x3ffff;
    static constexpr uint32_t kWall = 0x40000;
    static constexpr uint32_t kVariantMask = 0x180000;
    static constexpr int kVariantShift = 19;
    static constexpr uint32_t kInLightBox = 0x200000;
    static constexpr uint32_t kWindow = 0x400000;
    static constexpr uint32_t kRubble = 0x800000;
    static constexpr uint32_t kStoredMask = 0xffffff;
    static constexpr int kDamageShift = 24;
    // Grids from files and the network never exceed this on either side.
    static constexpr int kMaxSide = 4096;
    // Output limit of one wall-damage message.
    static constexpr int kWallDamageBytes = 1000;

    class LightBox : public ILightBox {
    public:
        LightBox() = default;
        LightBox(float x0, float y0, float x1, float y1) : x0(x0), y0(y0), x1(x1), y1(y1) {}
        void SetBrightness(float level) override;
        float GetBrightness() override { return intensity; }
        void SetColor(float r, float g, float b) override;
        void GetColor(float* r, float* g, float* b) override;
        bool Contains(float px, float py) const { return x0 <= px && px <= x1 && y0 <= py && py <= y1; }
        // Tile range floor(x0/32) .. ceil(x1/32) - 1, likewise for y.
        void GetTileRange(int* tx0, int* ty0, int* tx1, int* ty1) const;

        float intensity = 0.7f;
        float red = 1.0f;
        float green = 1.0f;
        float blue = 1.0f;
        float x0 = 0.0f;
        float y0 = 0.0f;
        float x1 = 0.0f;
        float y1 = 0.0f;
    };

    explicit World(IResourceManager* resources);
    ~World();
    World(const World&) = delete;
    World& operator=(const World&) = delete;

    // Collaborators the game hands in; each may stay null.
    void SetRenderer(IRenderer* renderer) { renderer_ = renderer; }
    void SetPhysics(PhysEng::PhysicsEngine* physics, IPhysics* enginePhysics);
    // The host keeps window-covered walls out of its bodies.
    void SetIsHost(bool host) { isHost_ = host; }
    void SetCamera(float x, float y)
    {
        cameraX_ = x;
        cameraY_ = y;
    }
    IResourceManager* GetResources() const { return resources_; }

    int GetLighting() const { return lighting_; }
    // Modes other than 0 noon, 1 evening, 2 night are taken as noon.
    void SetLighting(int mode) { lighting_ = (mode >= 0 && mode <= 2) ? mode : 0; }
    int GetWidth() const { return width_; }
    int GetHeight() const { return height_; }
    bool HasCells() const { return cells_ != nullptr; }
    float GetViewScale() const { return viewScale_; }
    void SetViewScale(float scale) { viewScale_ = scale; }
    bool GetCompressBlocks() const { return compressBlocks_; }
    void SetCompressBlocks(bool on) { compressBlocks_ = on; }
    bool IsChanged() const { return changed_; }
    void SetChanged(bool changed) { changed_ = changed; }

    // Raw cell access for the level file, windows and tests; 0 / ignored
    // outside the grid.
    uint32_t GetCell(int tx, int ty) const;
    void SetCell(int tx, int ty, uint32_t cell);
    int GetDamage(int tx, int ty) const { return int(GetCell(tx, ty) >> kDamageShift); }

    void Clear();
    void Resize(int w, int h, int dstX, int dstY, int srcX0, int srcY0, int srcX1, int srcY1);
    // Replaces the grid with w x h cells (the words given, or empty ones);
    // false and nothing changed for sizes outside 1..kMaxSide.
    bool ReplaceCells(int w, int h, std::vector<uint32_t> cells);
    // The tile rectangle (inclusive) of the non-empty cells; the whole grid
    // when every cell is empty.
    void GetUsedBounds(int* x0, int* y0, int* x1, int* y1) const;

    // Painting (editor).
    void SetTile(int x, int y, int block);
    void SetTileVariant(int x, int y, int block, int variant);
    void FillRegion(int x, int y, int block);
    void PaintRegionOutline(int x, int y, int block);

    // Tile questions.
    int GetBlockAt(int tx, int ty) const;
    bool IsSolidWallAt(int tx, int ty) const;
    bool IsInLightBox(int tx, int ty) const;
    // The colour the floor mesh gives a point before the ambient pass
    // darkens it: white outside every light box. Whatever is drawn in that
    // pass is tinted with this, so the lighting's ambient darkens it once.
    void GetFloorTintAt(int px, int py, float* r, float* g, float* b) const;
    bool GetWaterAt(int px, int py, float* depth) const;

    // Light boxes, owned, in insertion order.
    int GetLightBoxCount() const { return int(lightBoxes_.size()); }
    LightBox* GetLightBox(int i) const;
    void AddLightBox(LightBox* box);
    // Deletes the box; false when it is not the world's.
    bool DeleteLightBox(LightBox* box);
    void DeleteLightBoxes() { lightBoxes_.clear(); }
    void SetLightBoxBits(const LightBox* box);
    void ClearLightBoxBits(const LightBox* box);

    // The world section of the level file.
    bool Write(IFile* file) const;
    bool Read(IFile* file, int worldVersion);

    // Rendering and physics built from the grid after a level load.
    void BuildMeshes(bool withRenderer);
    bool HasMeshes() const { return floorMesh_ != nullptr || wallMesh_ != nullptr; }
    bool BuildWallBodies();
    void RemoveWallBody(int tx, int ty);
    int GetWallBodyCount() const { return wallBodies_.GetCount(); }
    // The bodies belong to the physics engine; the list only lets go of them.
    void ForgetWallBodies()
    {
        wallBodies_.Clear();
        wallBodyCells_.clear();
    }

    // Blasts and the wall-damage code of the network.
    void ApplyBlastDamage(float x, float y, float power, float radius);
    // Writes at most kWallDamageBytes bytes.
    int EncodeWallDamage(int start, uint8_t* out, int* next) const;
    // Returns the cell index where decoding stopped.
    int DecodeWallDamage(const uint8_t* data, int length, int start);

    // Lines through the walls.
    float CastRay(float* hitX, float* hitY, float x0, float y0, float x1, float y1, int* tileX, int* tileY,
                  int* side) const;
    float GetLineVisibility(float x0, float y0, float x1, float y1) const;
    float IntersectWallCell(int tx, int ty, float x0, float y0, float x1, float y1, float* hitX, float* hitY,
                            int* side) const;
    int ClassifyWallCrossing(int tx, int ty, float sx, float sy, float ex, float ey, float* d) const;

    // Geometry helpers shared with the physics.
    static void SegmentNormal(float* nx, float* ny, float x0, float y0, float x1, float y1);
    static bool IntersectSegments(float* ix, float* iy, float a0x, float a0y, float a1x, float a1y, float b0x,
                                  float b0y, float b1x, float b1y);
    static float DistanceToSegment(float ax, float ay, float bx, float by, float px, float py);

    // Drawing passes.
    // ambient: the colour the floor's ambient pass runs with. Without a
    // floor mesh the light boxes' cells are drawn under it times their own
    // colour, as the mesh colours them.
    void DrawTiles(bool keepState, const float* ambient = nullptr);
    void DrawWallAlpha();
    void DrawRubble(ITexture* rubble);
    void DrawLitFloor(float x, float y, float size);
    void DrawWallShadows(float lightX, float lightY, float size);
    // The shadow the edge (a, b) casts away from the light, 50 x size long.
    void DrawShadowQuad(float ax, float ay, float bx, float by, float lx, float ly, float size);
    void DrawLightBoxes();
    void GetBlendNeighbours(int x, int y, int block, uint32_t* right, uint32_t* below, uint32_t* belowRight,
                            int* flags) const;
    void GetWallAlphaCell(int x, int y, int* col, int* row) const;

private:
    bool InGrid(int tx, int ty) const { return cells_ && tx >= 0 && ty >= 0 && tx < width_ && ty < height_; }
    uint32_t& At(int tx, int ty) { return cells_[size_t(ty) * size_t(width_) + size_t(tx)]; }
    const uint32_t& At(int tx, int ty) const { return cells_[size_t(ty) * size_t(width_) + size_t(tx)]; }
    int CellCount() const { return cells_ ? width_ * height_ : 0; }
    bool IsIntactWall(uint32_t cell) const;
    bool BlockBlends(int block) const;
    void ScanRegion(int x, int y, uint32_t old);
    void DestroyWall(int tx, int ty);
    void RefreshWallQuad(int tx, int ty);
    bool MakeWallQuad(int tx, int ty, Quad* quad, ITexture** texture) const;
    void VisibleRange(int* c0, int* r0, int* c1, int* r1) const;
    void DrawFloorRange(int c0, int r0, int c1, int r1, bool lightBoxCells, bool keepState);
    ITexture* WallAlphaTexture();
    float AmbientScale() const { return lighting_ == 0 ? 1.0f : 0.5f; }

    IResourceManager* resources_;
    IRenderer* renderer_ = nullptr;
    PhysEng::PhysicsEngine* physics_ = nullptr;
    IPhysics* enginePhysics_ = nullptr;
    bool isHost_ = false;
    float cameraX_ = 0.0f;
    float cameraY_ = 0.0f;
    int lighting_ = 0;
    int width_ = 1024;
    int height_ = 1024;
    std::unique_ptr<uint32_t[]> cells_;
    ITexture* wallAlpha_ = nullptr;
    float viewScale_ = 1.0f;
    bool compressBlocks_ = false;
    std::vector<std::unique_ptr<LightBox>> lightBoxes_;
    IBlockMesh* floorMesh_ = nullptr;
    IBlockMesh* wallMesh_ = nullptr;
    Util::List<PhysEng::Object> wallBodies_;
    std::vector<int> wallBodyCells_; // cell index of each wall body
    bool changed_ = false;
};
