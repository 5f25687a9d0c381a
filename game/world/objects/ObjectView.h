#pragma once

#include <cstdint>

class ISprite;
struct Quad;

// Shared bits of the world objects' drawing.
namespace ObjectView {
// Inside the 1024 x 768 view widened by pad on every side.
bool InView(float x, float y, float pad);
// The floor's tint at (x, y) into the quad's colour, full alpha: objects
// are drawn in the ambient pass that darkens the floor, once.
void Light(Quad* quad, float x, float y);
void CameraOffset(float* x, float* y);
// A position as a whole pixel; far off the map (or not a number) it reads
// as the far edge rather than as an undefined conversion.
int Pixel(float v);
// 0..1 as a colour channel 0..255.
uint8_t Channel(float v);
// The client's sprite of that drawing order, made once; the dedicated
// server makes none.
void MakeSprite(ISprite** sprite, int order);
} // namespace ObjectView
