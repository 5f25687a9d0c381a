#pragma once

class ITexture;
class IVertexBuffer;
class IMesh;
class IBlockMesh;
class ISpritePainter;
class IParticlePainter;
struct Quad;

// A host window handed to the renderer: an X11 window id.
using NativeWindow = unsigned long;

// The drawing service of the engine. Coordinates are pixels of the current
// view, y downwards, unless an operation says otherwise.
class IRenderer {
public:
    virtual ~IRenderer() {}

    // Set-up and windows.
    virtual void SetUseFonts(bool use) = 0;
    virtual bool MakeWindowCurrent(NativeWindow window, int width, int height) = 0;
    virtual void ReleaseWindow(NativeWindow window) = 0;
    virtual bool Init(int width, int height, int bpp, bool fullscreen, bool vsync) = 0;
    virtual bool InitForWindow(int width, int height, NativeWindow window) = 0;
    virtual bool LoadShaders() = 0;
    virtual bool IsReady() = 0;
    virtual bool PrepareMiniMapTarget() = 0;
    virtual void CreateAtlas(int kind, int ignored) = 0;
    virtual void Shutdown() = 0;
    virtual void SaveScreenshot(const char16_t* dir) = 0;
    virtual void SetBrightness(float brightness) = 0;

    // Batched drawing objects.
    // A new buffer the caller deletes.
    virtual IVertexBuffer* CreateVertexBuffer(int kind) = 0;
    // A new mesh the caller deletes.
    virtual IMesh* CreateMesh(int kind) = 0;
    // A new block mesh the caller deletes.
    virtual IBlockMesh* CreateBlockMesh(int kind, int cols, int rows) = 0;
    // A new painter the caller deletes.
    virtual ISpritePainter* CreateSpritePainter() = 0;
    // A new painter the caller deletes.
    virtual IParticlePainter* CreateParticlePainter() = 0;
    virtual void NoOpA(int a, int b) = 0;

    // Render targets and the game-map picture.
    virtual int GetGameMapWidth() = 0;
    virtual int GetGameMapHeight() = 0;
    virtual bool BindMiniMapTexture() = 0;
    virtual void BindGameMapTexture() = 0;
    virtual bool BeginMiniMapRender() = 0;
    virtual void BeginGameMapRender() = 0;
    virtual void EndTargetRender() = 0;
    virtual void CaptureGameMap() = 0;
    virtual bool SaveGameMapImage(const char16_t* path) = 0;
    virtual bool LoadGameMapImage(const char16_t* path) = 0;
    // *data: the renderer's PNG bytes, valid until the next call.
    virtual bool EncodeGameMapImage(void** data, int* size) = 0;
    virtual bool DecodeGameMapImage(const void* data, int size) = 0;

    // Cursor, view and text entry.
    virtual void SetCursorVisible(bool show) = 0;
    virtual void GetMousePosition(int* x, int* y) = 0;
    virtual int SetViewScale(float scale) = 0;
    virtual int GetViewWidth() = 0;
    virtual int GetViewHeight() = 0;
    virtual void SetTextLine(const char16_t* text) = 0;
    virtual void ClearTextLine() = 0;
    virtual bool TakeEnterPressed() = 0;
    // Borrowed: valid until the text line changes.
    virtual const char16_t* GetTextLine() = 0;
    virtual short GetLastKey() = 0;
    // Borrowed: valid until ClearTypedChars.
    virtual const char16_t* GetTypedChars() = 0;
    virtual int GetTypedCharCount() = 0;
    virtual void ClearTypedChars() = 0;

    // Textures and transforms.
    virtual void BindTexture(int unit, ITexture* texture) = 0;
    virtual void SetTexture(int unit, ITexture* texture) = 0;
    virtual void SetTexture2(int unit, ITexture* texture) = 0;
    virtual void SetBumpTexture(const void* bump) = 0;
    virtual void BindAtlas(int unit, int kind) = 0;
    virtual void SetTranslation(float x, float y, float z) = 0;
    virtual void SetTextureTransform(int unit, float tx, float ty, float sx, float sy) = 0;
    virtual void ResetTranslation() = 0;
    virtual void ResetTextureTransform(int unit) = 0;
    virtual bool PrepareTextures() = 0;

    // Frame and lighting passes.
    virtual void EndScene() = 0;
    virtual void ClearColor(int r, int g, int b, int a) = 0;
    virtual void BeginScene() = 0;
    virtual void ClearStencil(int value) = 0;
    virtual void SetClipRect(int x0, int y0, int x1, int y1) = 0;
    virtual void ResetClipRect() = 0;
    virtual void SetAmbientColor(float r, float g, float b) = 0;
    virtual void BeginAmbientPass(float r, float g, float b, int surface, bool flat) = 0;
    virtual void EndAmbientPass() = 0;
    virtual void BeginOccluderPass(bool keepVertexProgram) = 0;
    virtual void EndOccluderPass() = 0;
    virtual void BeginLightPass() = 0;
    virtual void EndLightPass() = 0;
    virtual void BeginPointLight(float x, float y, float radius, float r, float g, float b, bool floor, bool flat) = 0;
    virtual void BeginSpotLight(float x, float y, float dirX, float dirY, float radius, float r, float g, float b,
                                bool floor, bool flat) = 0;
    virtual void BeginSignLight(float x, float y, float dirX, float dirY, float radius, float r, float g, float b) = 0;
    virtual void BeginTubeLight(float x, float y, float a, float b, float c, float d, float e, float f, float g) = 0;
    virtual void SetShadowCaster(int value) = 0;
    virtual void BeginWallAlpha() = 0;
    virtual void EndWallAlpha() = 0;
    virtual void DrawPlayerExtra(float a, float b, float c, float d) = 0;
    virtual void SetStencilRef(int ref) = 0;
    virtual void EnableAlphaTest() = 0;
    virtual void DrawQuadShape(const Quad* quad) = 0;
    virtual void FillAlphaRect(int x0, int y0, int x1, int y1, int alpha) = 0;
    virtual void DrawObjectShadow(float x, float y, float a, float b, float size, float px, float py, float extent) = 0;
    virtual void NoOpB(float a, float b, float c, float d, float e, float f, float g, float h, float i) = 0;
    virtual void DrawVehicleShadow(const Quad* quad, float x, float y, float extent, float a, float b) = 0;
    virtual void DrawTileLit(float x, float y, int tx, int ty, float ox, float oy, float scale) = 0;
    virtual void SetLightBlend() = 0;
    virtual void SetAlphaBlend() = 0;
    virtual void SetAdditiveBlend() = 0;

    // Quads, lines and text.
    virtual void DrawQuad(const Quad* quad, float alpha) = 0;
    virtual void DrawScreenQuad(const Quad* quad, bool scaleToWindow, float alpha) = 0;
    virtual void FillQuad(const Quad* quad, int rgb, float alpha) = 0;
    virtual void DrawImage(int x, int y, bool blend) = 0;
    virtual void NoOpC(float a, float b, float c, float d) = 0;
    virtual void BeginFloorBlend(bool detail) = 0;
    virtual void EndFloorBlend() = 0;
    virtual void NoOpD(float a, float b, float c) = 0;
    virtual void DrawFloorTile(float x, float y, int tx, int ty, int layer1y, int layer2y, int layer3y, bool big,
                               int blendFlags) = 0;
    virtual void DrawFloorTileDetail(float x, float y, int tx, int ty, int dx, int dy) = 0;
    virtual void DrawLine(float x0, float y0, float x1, float y1, int r, int g, int b) = 0;
    virtual void DrawLineAlpha(int x0, int y0, int x1, int y1, int r, int g, int b, float alpha) = 0;
    virtual void DrawRect(int x0, int y0, int x1, int y1, int r, int g, int b) = 0;
    virtual void DrawPoint(int x, int y, int r, int g, int b, float alpha) = 0;
    virtual void DrawText(int x, int y, const char16_t* text, int r, int g, int b) = 0;
    virtual void DrawTextAligned(int x, int y, const char16_t* text, bool rightAlign) = 0;
    virtual int GetTextWidth(const char16_t* text) = 0;
    virtual void DrawSmallText(int x, int y, const char16_t* text) = 0;
    // The height of a line of text (the font's ascent and descent): a text
    // drawn at y lies within y .. y + height.
    virtual int GetTextHeight() = 0;

    // Presenting.
    virtual void PresentWindow(NativeWindow window, int sx, int sy, int sw, int sh, int dx, int dy, int dw, int dh) = 0;
    virtual void SwapWindow(NativeWindow window) = 0;
    // True when the user asked to quit.
    virtual bool Present() = 0;
};
