#pragma once

struct Quad;

// Shared bits of the world objects' drawing.
namespace ObjectView {
// Inside the 1024 x 768 view widened by pad on every side.
bool InView(float x, float y, float pad);
// The world's ambient light at (x, y) into the quad's colour, full alpha.
void Light(Quad* quad, float x, float y);
void CameraOffset(float* x, float* y);
} // namespace ObjectView
