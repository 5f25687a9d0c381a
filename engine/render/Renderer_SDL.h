#pragma once

#ifndef VORNHAL_DEDICATED

#include "engine/core/List.h"
#include "engine/render/IInput.h"
#include "engine/render/InputState.h"
#include "engine/render/RenderTarget.h"
#include "engine/render/RenderWindow.h"
#include "engine/render/Renderer.h"
#include "platform/gl/XBitmapFont.h"

#include <cstdint>
#include <memory>
#include <string>

class IEngine;
class IFileManager;
class IFile;
class PngImage;
class Texture_SDL;
union SDL_Event;

// The SDL 1.2 and OpenGL renderer, with the keyboard and mouse as its
// second interface. Host windows (the editor's) get GLX contexts instead.
class Renderer_SDL : public Renderer, public IInput {
public:
    // The order LoadShaders fills the program slots in.
    enum Program {
        kFloorAmbientVs,
        kFloorAmbientFs,
        kFloorAmbientFlatVs,
        kFloorAmbientFlatFs,
        kFloorLight1Vs,
        kFloorLight1Fs,
        kFloorSpot1Fs,
        kFloorLight1FlatVs,
        kFloorLight1FlatFs,
        kFloorSpot1FlatFs,
        kObjectAmbientVs,
        kObjectAmbientFs,
        kWallAmbientFs,
        kAmbientVs,
        kLight1Vs,
        kLight1Fs,
        kSpot1Fs,
        kSignFs,
        kTube1Vs,
        kTube1Fs,
        kProgramCount
    };
    static const char16_t* const kProgramFiles[kProgramCount];
    static constexpr int kTextureUnits = 4;
    static constexpr int kLargeFontBase = 1000;
    static constexpr int kSmallFontBase = 1256;
    // Floors lie behind everything, shadow shapes (depth 0) included, so
    // that the light pass's depth test leaves shadowed floor dark.
    static constexpr float kFloorDepth = 1.0f;

    // files: where shaders and images come from; null takes the engine's.
    explicit Renderer_SDL(IEngine* engine, IFileManager* files = nullptr);
    ~Renderer_SDL() override;
    Renderer_SDL(const Renderer_SDL&) = delete;
    Renderer_SDL& operator=(const Renderer_SDL&) = delete;

    // Set-up and windows.
    void SetUseFonts(bool use) override;
    bool MakeWindowCurrent(NativeWindow window, int width, int height) override;
    void ReleaseWindow(NativeWindow window) override;
    bool Init(int width, int height, int bpp, bool fullscreen, bool vsync) override;
    bool InitForWindow(int width, int height, NativeWindow window) override;
    bool LoadShaders() override;
    bool IsReady() override;
    bool PrepareMiniMapTarget() override;
    void CreateAtlas(int kind, int ignored) override;
    void Shutdown() override;
    void SaveScreenshot(const char16_t* dir) override;
    void SetBrightness(float brightness) override;
    IVertexBuffer* CreateVertexBuffer(int kind) override;
    IMesh* CreateMesh(int kind) override;
    IBlockMesh* CreateBlockMesh(int kind, int cols, int rows) override;
    ISpritePainter* CreateSpritePainter() override;
    IParticlePainter* CreateParticlePainter() override;
    void NoOpA(int a, int b) override;
    int GetGameMapWidth() override;
    int GetGameMapHeight() override;
    bool BindMiniMapTexture() override;
    void BindGameMapTexture() override;
    bool BeginMiniMapRender() override;
    void BeginGameMapRender() override;
    void EndTargetRender() override;
    void CaptureGameMap() override;
    bool SaveGameMapImage(const char16_t* path) override;
    bool LoadGameMapImage(const char16_t* path) override;
    bool EncodeGameMapImage(void** data, int* size) override;
    bool DecodeGameMapImage(const void* data, int size) override;
    void SetCursorVisible(bool show) override;
    void GetMousePosition(int* x, int* y) override;
    int SetViewScale(float scale) override;
    int GetViewWidth() override;
    int GetViewHeight() override;
    void SetTextLine(const char16_t* text) override;
    void ClearTextLine() override;
    bool TakeEnterPressed() override;
    const char16_t* GetTextLine() override;
    short GetLastKey() override;
    const char16_t* GetTypedChars() override;
    int GetTypedCharCount() override;
    void ClearTypedChars() override;
    void BindTexture(int unit, ITexture* texture) override;
    void SetTexture(int unit, ITexture* texture) override;
    void SetTexture2(int unit, ITexture* texture) override;
    void SetBumpTexture(const void* bump) override;
    void BindAtlas(int unit, int kind) override;
    void SetTranslation(float x, float y, float z) override;
    void SetTextureTransform(int unit, float tx, float ty, float sx, float sy) override;
    void ResetTranslation() override;
    void ResetTextureTransform(int unit) override;
    bool PrepareTextures() override;
    void EndScene() override;
    void ClearColor(int r, int g, int b, int a) override;
    void BeginScene() override;
    void ClearStencil(int value) override;
    void SetClipRect(int x0, int y0, int x1, int y1) override;
    void ResetClipRect() override;
    void SetAmbientColor(float r, float g, float b) override;
    void BeginAmbientPass(float r, float g, float b, int surface, bool flat) override;
    void EndAmbientPass() override;
    void BeginOccluderPass(bool keepVertexProgram) override;
    void EndOccluderPass() override;
    void BeginLightPass() override;
    void EndLightPass() override;
    void BeginPointLight(float x, float y, float radius, float r, float g, float b, bool floor, bool flat) override;
    void BeginSpotLight(float x, float y, float dirX, float dirY, float radius, float r, float g, float b, bool floor,
                        bool flat) override;
    void BeginSignLight(float x, float y, float dirX, float dirY, float radius, float r, float g, float b) override;
    void BeginTubeLight(float x, float y, float a, float b, float c, float d, float e, float f, float g) override;
    void SetShadowCaster(int value) override;
    void BeginWallAlpha() override;
    void EndWallAlpha() override;
    void DrawPlayerExtra(float a, float b, float c, float d) override;
    void SetStencilRef(int ref) override;
    void EnableAlphaTest() override;
    void DrawQuadShape(const Quad* quad) override;
    void FillAlphaRect(int x0, int y0, int x1, int y1, int alpha) override;
    void DrawObjectShadow(float x, float y, float a, float b, float size, float px, float py, float extent) override;
    void NoOpB(float a, float b, float c, float d, float e, float f, float g, float h, float i) override;
    void DrawVehicleShadow(const Quad* quad, float x, float y, float extent, float a, float b) override;
    void DrawTileLit(float x, float y, int tx, int ty, float ox, float oy, float scale) override;
    void SetLightBlend() override;
    void SetAlphaBlend() override;
    void SetAdditiveBlend() override;
    void DrawQuad(const Quad* quad, float alpha) override;
    void DrawScreenQuad(const Quad* quad, bool scaleToWindow, float alpha) override;
    void FillQuad(const Quad* quad, int rgb, float alpha) override;
    void DrawImage(int x, int y, bool blend) override;
    void NoOpC(float a, float b, float c, float d) override;
    void BeginFloorBlend(bool detail) override;
    void EndFloorBlend() override;
    void NoOpD(float a, float b, float c) override;
    void DrawFloorTile(float x, float y, int tx, int ty, int layer1y, int layer2y, int layer3y, bool big,
                       int blendFlags) override;
    void DrawFloorTileDetail(float x, float y, int tx, int ty, int dx, int dy) override;
    void DrawLine(float x0, float y0, float x1, float y1, int r, int g, int b) override;
    void DrawLineAlpha(int x0, int y0, int x1, int y1, int r, int g, int b, float alpha) override;
    void DrawRect(int x0, int y0, int x1, int y1, int r, int g, int b) override;
    void DrawPoint(int x, int y, int r, int g, int b, float alpha) override;
    void DrawText(int x, int y, const char16_t* text, int r, int g, int b) override;
    void DrawTextAligned(int x, int y, const char16_t* text, bool rightAlign) override;
    int GetTextWidth(const char16_t* text) override;
    int GetTextHeight() override;
    void DrawSmallText(int x, int y, const char16_t* text) override;
    void PresentWindow(NativeWindow window, int sx, int sy, int sw, int sh, int dx, int dy, int dw, int dh) override;
    void SwapWindow(NativeWindow window) override;
    bool Present() override;

    // A new unloaded texture in the texture list; the engine fills it in.
    Texture_SDL* NewTexture();
    // A texture leaves the lists when it is deleted first.
    void ForgetTexture(Texture_SDL* texture);

    // IInput.
    bool InitKeyboard() override;
    bool InitKeyboardForWindow(int window) override;
    bool InitMouse() override;
    bool InitMouseForWindow(int window) override;
    void ReleaseKeyboard() override;
    void ReleaseMouse() override;
    bool Update() override;
    bool IsActionDown(int action) override;
    bool WasActionPressed(int action) override;
    float TakeMouseDeltaX() override;
    float TakeMouseDeltaY() override;
    float TakeWheelDelta() override;
    bool IsMouseButtonDown(int button) override;
    bool IsKeyDown(int key) override;
    int GetKeyOfAction(int action) override;

    // One event of the frame pump; true for a quit request.
    bool HandleEvent(const SDL_Event& event);
    // Binds both program stages; a zero name turns that stage off.
    void BindPrograms(unsigned vertexProgram, unsigned fragmentProgram);

    unsigned GetProgram(int slot) const { return slot >= 0 && slot < kProgramCount ? programs_[slot] : 0; }
    bool IsVideoModeSet() const { return videoModeSet_; }
    bool AreTargetsSupported() const { return targetsSupported_; }
    // Behaves from now on as on a driver without framebuffer objects (the
    // drivers here all have them); an active target is ended and both freed.
    void DisableRenderTargets();
    int GetAlphaBits() const { return alphaBits_; }
    int GetWindowWidth() const { return windowWidth_; }
    int GetWindowHeight() const { return windowHeight_; }
    int GetAtlasWidth() const { return atlasWidth_; }
    int GetAtlasHeight() const { return atlasHeight_; }
    int GetAtlasCount() const { return atlases_.GetCount(); }
    Texture_SDL* GetAtlasAt(int i) const { return atlases_.Get(i); }
    int GetTextureCount() const { return textures_.GetCount(); }
    int GetWindowCount() const { return windows_.GetCount(); }
    ITexture* GetBoundTexture(int unit) const;
    unsigned GetGameMapTexture() const { return gameMapTexture_; }
    const RenderTarget& GetMiniMapTarget() const { return miniMapTarget_; }
    const Gl::XBitmapFont& GetLargeFont() const { return largeFont_; }
    const Gl::XBitmapFont& GetSmallFont() const { return smallFont_; }

private:
    bool InitGL(int width, int height);
    void ApplyGlState(int width, int height);
    void BuildFonts();
    unsigned LoadProgram(const char16_t* path, unsigned target);
    void LoadTextureImage(Texture_SDL* texture);
    void CapturePendingScreenshot();
    void ForgetBoundTextures();
    bool HaveContext() const;
    void DrawTextWith(int x, int y, const char16_t* text, bool small);
    void SetUnitCombine(int unit, bool enable, unsigned rgbMode, unsigned source1);
    void FloorTexCoords(int unit, int tx, int ty, int n, float* u0, float* v0, float* u1, float* v1);
    bool WriteGameMapPng(IFile* file);
    bool StoreGameMapPicture(PngImage& png);
    void UploadGameMap();
    RenderWindow* FindWindow(NativeWindow window, int* index);

    IEngine* engine_;
    IFileManager* files_;
    Util::List<Texture_SDL> textures_;
    Util::List<Texture_SDL> atlases_;
    Util::List<RenderWindow> windows_;
    InputState input_;
    int windowWidth_ = 0, windowHeight_ = 0;
    int viewWidth_ = 0, viewHeight_ = 0;
    float viewScale_ = 1.0f;
    int gameMapWidth_ = 512, gameMapHeight_ = 512;
    int atlasWidth_ = 1024, atlasHeight_ = 1024;
    uint8_t lightLevel_ = 255;
    bool targetsSupported_ = false;
    bool miniMapTargetActive_ = false;
    bool gameMapTargetActive_ = false;
    bool videoModeSet_ = false;
    bool useFonts_ = true;
    bool texturesPrepared_ = false;
    int alphaBits_ = 0;
    RenderTarget miniMapTarget_;
    RenderTarget gameMapTarget_;
    unsigned programs_[kProgramCount] = {};
    unsigned gameMapTexture_ = 0;
    std::unique_ptr<uint8_t[]> gameMapPixels_;
    Gl::XBitmapFont largeFont_;
    Gl::XBitmapFont smallFont_;
    ITexture* boundTextures_[kTextureUnits] = {};
    Gl::GlxContext* rootContext_ = nullptr;
    bool screenshotPending_ = false;
    std::u16string screenshotDir_;
};

#endif
