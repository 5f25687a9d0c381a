#pragma once

#include "engine/render/IRenderer.h"
#include "engine/render/Quad.h"

#include <string>
#include <vector>

// A renderer that draws nothing and remembers every call in order. The
// texture, tile-drawing and shape calls keep their arguments as well; every other
// call keeps only its name, so a test can still see that it happened.
class RecordingRenderer : public IRenderer {
public:
    struct Call {
        std::string name;
        std::vector<int> ints;
        std::vector<float> floats;
        std::vector<const void*> pointers;
    };

    std::vector<Call> calls;

    void Clear() { calls.clear(); }
    // Calls of that name, in order.
    std::vector<Call> Named(const std::string& name) const
    {
        std::vector<Call> out;
        for (const Call& c : calls)
            if (c.name == name)
                out.push_back(c);
        return out;
    }

    // Recorded with their arguments.
    void BindTexture(int unit, ITexture* texture) override { calls.push_back({"BindTexture", {unit}, {}, {texture}}); }
    void SetTexture(int unit, ITexture* texture) override { calls.push_back({"SetTexture", {unit}, {}, {texture}}); }
    void SetTexture2(int unit, ITexture* texture) override { calls.push_back({"SetTexture2", {unit}, {}, {texture}}); }
    void SetBumpTexture(const void* bump) override { calls.push_back({"SetBumpTexture", {}, {}, {bump}}); }
    void DrawTileLit(float x, float y, int tx, int ty, float ox, float oy, float scale) override
    {
        calls.push_back({"DrawTileLit", {tx, ty}, {x, y, ox, oy, scale}, {}});
    }
    void DrawFloorTile(float x, float y, int tx, int ty, int layer1y, int layer2y, int layer3y, bool big,
                       int blendFlags) override
    {
        calls.push_back({"DrawFloorTile", {tx, ty, layer1y, layer2y, layer3y, big ? 1 : 0, blendFlags}, {x, y}, {}});
    }
    void DrawFloorTileDetail(float x, float y, int tx, int ty, int dx, int dy) override
    {
        calls.push_back({"DrawFloorTileDetail", {tx, ty, dx, dy}, {x, y}, {}});
    }

    // Everything else.
    void SetUseFonts(bool) override { Note("SetUseFonts"); }
    bool MakeWindowCurrent(NativeWindow, int, int) override
    {
        Note("MakeWindowCurrent");
        return false;
    }
    void ReleaseWindow(NativeWindow) override { Note("ReleaseWindow"); }
    bool Init(int, int, int, bool, bool) override
    {
        Note("Init");
        return false;
    }
    bool InitForWindow(int, int, NativeWindow) override
    {
        Note("InitForWindow");
        return false;
    }
    bool LoadShaders() override
    {
        Note("LoadShaders");
        return false;
    }
    bool IsReady() override
    {
        Note("IsReady");
        return false;
    }
    bool PrepareMiniMapTarget() override
    {
        Note("PrepareMiniMapTarget");
        return false;
    }
    void CreateAtlas(int, int) override { Note("CreateAtlas"); }
    void Shutdown() override { Note("Shutdown"); }
    void SaveScreenshot(const char16_t*) override { Note("SaveScreenshot"); }
    void SetBrightness(float) override { Note("SetBrightness"); }
    IVertexBuffer* CreateVertexBuffer(int) override
    {
        Note("CreateVertexBuffer");
        return nullptr;
    }
    IMesh* CreateMesh(int) override
    {
        Note("CreateMesh");
        return nullptr;
    }
    IBlockMesh* CreateBlockMesh(int, int, int) override
    {
        Note("CreateBlockMesh");
        return nullptr;
    }
    ISpritePainter* CreateSpritePainter() override
    {
        Note("CreateSpritePainter");
        return nullptr;
    }
    IParticlePainter* CreateParticlePainter() override
    {
        Note("CreateParticlePainter");
        return nullptr;
    }
    void NoOpA(int, int) override { Note("NoOpA"); }
    int GetGameMapWidth() override
    {
        Note("GetGameMapWidth");
        return 0;
    }
    int GetGameMapHeight() override
    {
        Note("GetGameMapHeight");
        return 0;
    }
    bool BindMiniMapTexture() override
    {
        Note("BindMiniMapTexture");
        return false;
    }
    void BindGameMapTexture() override { Note("BindGameMapTexture"); }
    bool BeginMiniMapRender() override
    {
        Note("BeginMiniMapRender");
        return false;
    }
    void BeginGameMapRender() override { Note("BeginGameMapRender"); }
    void EndTargetRender() override { Note("EndTargetRender"); }
    void CaptureGameMap() override { Note("CaptureGameMap"); }
    bool SaveGameMapImage(const char16_t*) override
    {
        Note("SaveGameMapImage");
        return false;
    }
    bool LoadGameMapImage(const char16_t*) override
    {
        Note("LoadGameMapImage");
        return false;
    }
    bool EncodeGameMapImage(void**, int*) override
    {
        Note("EncodeGameMapImage");
        return false;
    }
    bool DecodeGameMapImage(const void*, int) override
    {
        Note("DecodeGameMapImage");
        return false;
    }
    void SetCursorVisible(bool) override { Note("SetCursorVisible"); }
    void GetMousePosition(int*, int*) override { Note("GetMousePosition"); }
    int SetViewScale(float) override
    {
        Note("SetViewScale");
        return 0;
    }
    int GetViewWidth() override
    {
        Note("GetViewWidth");
        return 0;
    }
    int GetViewHeight() override
    {
        Note("GetViewHeight");
        return 0;
    }
    void SetTextLine(const char16_t*) override { Note("SetTextLine"); }
    void ClearTextLine() override { Note("ClearTextLine"); }
    bool TakeEnterPressed() override
    {
        Note("TakeEnterPressed");
        return false;
    }
    const char16_t* GetTextLine() override
    {
        Note("GetTextLine");
        return nullptr;
    }
    short GetLastKey() override
    {
        Note("GetLastKey");
        return 0;
    }
    const char16_t* GetTypedChars() override
    {
        Note("GetTypedChars");
        return nullptr;
    }
    int GetTypedCharCount() override
    {
        Note("GetTypedCharCount");
        return 0;
    }
    void ClearTypedChars() override { Note("ClearTypedChars"); }
    void BindAtlas(int, int) override { Note("BindAtlas"); }
    void SetTranslation(float, float, float) override { Note("SetTranslation"); }
    void SetTextureTransform(int, float, float, float, float) override { Note("SetTextureTransform"); }
    void ResetTranslation() override { Note("ResetTranslation"); }
    void ResetTextureTransform(int) override { Note("ResetTextureTransform"); }
    bool PrepareTextures() override
    {
        Note("PrepareTextures");
        return false;
    }
    void EndScene() override { Note("EndScene"); }
    void ClearColor(int, int, int, int) override { Note("ClearColor"); }
    void BeginScene() override { Note("BeginScene"); }
    void ClearStencil(int) override { Note("ClearStencil"); }
    void SetClipRect(int, int, int, int) override { Note("SetClipRect"); }
    void ResetClipRect() override { Note("ResetClipRect"); }
    void SetAmbientColor(float, float, float) override { Note("SetAmbientColor"); }
    void BeginAmbientPass(float, float, float, int, bool) override { Note("BeginAmbientPass"); }
    void EndAmbientPass() override { Note("EndAmbientPass"); }
    void BeginOccluderPass(bool) override { Note("BeginOccluderPass"); }
    void EndOccluderPass() override { Note("EndOccluderPass"); }
    void BeginLightPass() override { Note("BeginLightPass"); }
    void EndLightPass() override { Note("EndLightPass"); }
    void BeginPointLight(float, float, float, float, float, float, bool, bool) override { Note("BeginPointLight"); }
    void BeginSpotLight(float, float, float, float, float, float, float, float, bool, bool) override
    {
        Note("BeginSpotLight");
    }
    void BeginSignLight(float, float, float, float, float, float, float, float) override { Note("BeginSignLight"); }
    void BeginTubeLight(float, float, float, float, float, float, float, float, float) override
    {
        Note("BeginTubeLight");
    }
    void SetShadowCaster(int) override { Note("SetShadowCaster"); }
    void BeginWallAlpha() override { Note("BeginWallAlpha"); }
    void EndWallAlpha() override { Note("EndWallAlpha"); }
    void DrawPlayerExtra(float, float, float, float) override { Note("DrawPlayerExtra"); }
    void SetStencilRef(int) override { Note("SetStencilRef"); }
    void EnableAlphaTest() override { Note("EnableAlphaTest"); }
    void DrawQuadShape(const Quad* q) override
    {
        calls.push_back({"DrawQuadShape",
                         {},
                         {q->topLeft.x, q->topLeft.y, q->topRight.x, q->topRight.y, q->bottomLeft.x, q->bottomLeft.y,
                          q->bottomRight.x, q->bottomRight.y},
                         {}});
    }
    void FillAlphaRect(int, int, int, int, int) override { Note("FillAlphaRect"); }
    void DrawObjectShadow(float, float, float, float, float, float, float, float) override { Note("DrawObjectShadow"); }
    void NoOpB(float, float, float, float, float, float, float, float, float) override { Note("NoOpB"); }
    void DrawVehicleShadow(const Quad*, float, float, float, float, float) override { Note("DrawVehicleShadow"); }
    void SetLightBlend() override { Note("SetLightBlend"); }
    void SetAlphaBlend() override { Note("SetAlphaBlend"); }
    void SetAdditiveBlend() override { Note("SetAdditiveBlend"); }
    void DrawQuad(const Quad*, float) override { Note("DrawQuad"); }
    void DrawScreenQuad(const Quad*, bool, float) override { Note("DrawScreenQuad"); }
    void FillQuad(const Quad*, int, float) override { Note("FillQuad"); }
    void DrawImage(int, int, bool) override { Note("DrawImage"); }
    void NoOpC(float, float, float, float) override { Note("NoOpC"); }
    void BeginFloorBlend(bool) override { Note("BeginFloorBlend"); }
    void EndFloorBlend() override { Note("EndFloorBlend"); }
    void NoOpD(float, float, float) override { Note("NoOpD"); }
    void DrawLine(float, float, float, float, int, int, int) override { Note("DrawLine"); }
    void DrawLineAlpha(int, int, int, int, int, int, int, float) override { Note("DrawLineAlpha"); }
    void DrawRect(int, int, int, int, int, int, int) override { Note("DrawRect"); }
    void DrawPoint(int, int, int, int, int, float) override { Note("DrawPoint"); }
    void DrawText(int, int, const char16_t*, int, int, int) override { Note("DrawText"); }
    void DrawTextAligned(int, int, const char16_t*, bool) override { Note("DrawTextAligned"); }
    int GetTextWidth(const char16_t*) override
    {
        Note("GetTextWidth");
        return 0;
    }
    void DrawSmallText(int, int, const char16_t*) override { Note("DrawSmallText"); }
    int GetTextHeight() override { return 13; }
    void PresentWindow(NativeWindow, int, int, int, int, int, int, int, int) override { Note("PresentWindow"); }
    void SwapWindow(NativeWindow) override { Note("SwapWindow"); }
    bool Present() override
    {
        Note("Present");
        return false;
    }

private:
    void Note(const char* name) { calls.push_back({name, {}, {}, {}}); }
};
