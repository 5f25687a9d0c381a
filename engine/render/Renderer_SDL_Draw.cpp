#ifndef VORNHAL_DEDICATED

// The drawing half of Renderer_SDL: frame state, lighting passes, quads,
// lines, text, the picture targets and the batched drawing objects.

#include "engine/render/Renderer_SDL.h"

// Operations the game calls at fixed points and this renderer ignores.
void Renderer_SDL::NoOpA(int, int) {}
void Renderer_SDL::NoOpB(float, float, float, float, float, float, float, float, float) {}
void Renderer_SDL::NoOpC(float, float, float, float) {}
void Renderer_SDL::NoOpD(float, float, float) {}
void Renderer_SDL::SetBumpTexture(const void*) {}
void Renderer_SDL::SetShadowCaster(int) {}
void Renderer_SDL::DrawPlayerExtra(float, float, float, float) {}
void Renderer_SDL::DrawObjectShadow(float, float, float, float, float, float, float, float) {}
void Renderer_SDL::DrawVehicleShadow(const Quad*, float, float, float, float, float) {}

int Renderer_SDL::GetGameMapWidth() { return gameMapWidth_; }
int Renderer_SDL::GetGameMapHeight() { return gameMapHeight_; }

bool Renderer_SDL::PrepareMiniMapTarget()
{
    if (targetsSupported_ && miniMapTarget_.GetTexture() == 0)
        miniMapTarget_.Create(0, 256, 256);
    return true;
}

IVertexBuffer* Renderer_SDL::CreateVertexBuffer(int) { return nullptr; } // not built yet
IMesh* Renderer_SDL::CreateMesh(int) { return nullptr; } // not built yet
IBlockMesh* Renderer_SDL::CreateBlockMesh(int, int, int) { return nullptr; } // not built yet
ISpritePainter* Renderer_SDL::CreateSpritePainter() { return nullptr; } // not built yet
IParticlePainter* Renderer_SDL::CreateParticlePainter() { return nullptr; } // not built yet
bool Renderer_SDL::BindMiniMapTexture() { return false; } // not built yet
void Renderer_SDL::BindGameMapTexture() {} // not built yet
bool Renderer_SDL::BeginMiniMapRender() { return false; } // not built yet
void Renderer_SDL::BeginGameMapRender() {} // not built yet
void Renderer_SDL::EndTargetRender() {} // not built yet
void Renderer_SDL::CaptureGameMap() {} // not built yet
bool Renderer_SDL::SaveGameMapImage(const char16_t*) { return false; } // not built yet
bool Renderer_SDL::LoadGameMapImage(const char16_t*) { return false; } // not built yet
bool Renderer_SDL::EncodeGameMapImage(void**, int*) { return false; } // not built yet
bool Renderer_SDL::DecodeGameMapImage(const void*, int) { return false; } // not built yet
void Renderer_SDL::SetTranslation(float, float, float) {} // not built yet
void Renderer_SDL::SetTextureTransform(int, float, float, float, float) {} // not built yet
void Renderer_SDL::ResetTranslation() {} // not built yet
void Renderer_SDL::ResetTextureTransform(int) {} // not built yet
void Renderer_SDL::EndScene() {}
void Renderer_SDL::ClearColor(int, int, int, int) {} // not built yet
void Renderer_SDL::BeginScene() {} // not built yet
void Renderer_SDL::ClearStencil(int) {} // not built yet
void Renderer_SDL::SetClipRect(int, int, int, int) {} // not built yet
void Renderer_SDL::ResetClipRect() {} // not built yet
void Renderer_SDL::SetAmbientColor(float, float, float) {} // not built yet
void Renderer_SDL::BeginAmbientPass(float, float, float, int, bool) {} // not built yet
void Renderer_SDL::EndAmbientPass() {} // not built yet
void Renderer_SDL::BeginOccluderPass(bool) {} // not built yet
void Renderer_SDL::EndOccluderPass() {} // not built yet
void Renderer_SDL::BeginLightPass() {} // not built yet
void Renderer_SDL::EndLightPass() {} // not built yet
void Renderer_SDL::BeginPointLight(float, float, float, float, float, float, bool, bool) {} // not built yet
void Renderer_SDL::BeginSpotLight(float, float, float, float, float, float, float, float, bool, bool) {} // not built yet
void Renderer_SDL::BeginSignLight(float, float, float, float, float, float, float, float) {} // not built yet
void Renderer_SDL::BeginTubeLight(float, float, float, float, float, float, float, float, float) {} // not built yet
void Renderer_SDL::BeginWallAlpha() {} // not built yet
void Renderer_SDL::EndWallAlpha() {} // not built yet
void Renderer_SDL::SetStencilRef(int) {} // not built yet
void Renderer_SDL::EnableAlphaTest() {} // not built yet
void Renderer_SDL::DrawQuadShape(const Quad*) {} // not built yet
void Renderer_SDL::FillAlphaRect(int, int, int, int, int) {} // not built yet
void Renderer_SDL::DrawTileLit(float, float, int, int, float, float, float) {} // not built yet
void Renderer_SDL::SetLightBlend() {} // not built yet
void Renderer_SDL::SetAlphaBlend() {} // not built yet
void Renderer_SDL::SetAdditiveBlend() {} // not built yet
void Renderer_SDL::DrawQuad(const Quad*, float) {} // not built yet
void Renderer_SDL::DrawScreenQuad(const Quad*, bool, float) {} // not built yet
void Renderer_SDL::FillQuad(const Quad*, int, float) {} // not built yet
void Renderer_SDL::DrawImage(int, int, bool) {} // not built yet
void Renderer_SDL::BeginFloorBlend(bool) {} // not built yet
void Renderer_SDL::EndFloorBlend() {} // not built yet
void Renderer_SDL::DrawFloorTile(float, float, int, int, int, int, int, bool, int) {} // not built yet
void Renderer_SDL::DrawFloorTileDetail(float, float, int, int, int, int) {} // not built yet
void Renderer_SDL::DrawLine(float, float, float, float, int, int, int) {} // not built yet
void Renderer_SDL::DrawLineAlpha(int, int, int, int, int, int, int, float) {} // not built yet
void Renderer_SDL::DrawRect(int, int, int, int, int, int, int) {} // not built yet
void Renderer_SDL::DrawPoint(int, int, int, int, int, float) {} // not built yet
void Renderer_SDL::DrawText(int, int, const char16_t*, int, int, int) {} // not built yet
void Renderer_SDL::DrawTextAligned(int, int, const char16_t*, bool) {} // not built yet
int Renderer_SDL::GetTextWidth(const char16_t*) { return 0; } // not built yet
void Renderer_SDL::DrawSmallText(int, int, const char16_t*) {} // not built yet

#endif
