#pragma once

#include "engine/audio/IAudioEnvironment.h"

#include <string>

// The arithmetic of the property dialogs, apart from their windows.
namespace DialogValues {

// ---- Map Properties ----
enum class Alignment { Free, Center, Left, Right, Top, Bottom };

struct Area {
    int left = 0, top = 0, right = 0, bottom = 0; // tiles, inclusive
};

constexpr int kMaxLevelSide = 4096;
constexpr int kMaxNameLength = 64;

// The offsets after a change of alignment or size; Free keeps them.
void AlignOffsets(Alignment alignment, int width, int height, const Area& used, int* left, int* top);
// True when the used area placed at (left, top) does not fit the size
// (an offset below 0 cuts its left or top part).
bool CutsBlocks(int width, int height, int left, int top, const Area& used);
// A field as the dialog reads it: a decimal number, or 0.
int FieldNumber(const std::u16string& text);
// A size the world can take.
bool ValidSide(int side);

// ---- Light Properties ----
// A colour edit: decimal, 0 when not a number, clamped to 0..255.
int ColourChannel(const std::u16string& text);

// ---- Environment Properties ----
constexpr float kMinEnvironmentSize = 1.0f;
constexpr float kMaxEnvironmentSize = 100.0f;
AudioEnvironmentParameters DefaultEnvironment();
float ClampEnvironmentSize(float size);
// The size edit's text read as a decimal fraction; 0 when it is none.
float EnvironmentSizeOf(const std::u16string& text);

} // namespace DialogValues
