#pragma once

#include <wx/bitmap.h>

#include <vector>

class IFileManager;

// The toolbar's pictures: a strip of 16 x 16 images in the toolbar's order
// (New, Open, Save, Block Brush, Fill Tool, Light Tool, Light Area Tool,
// Object Tool, Move Tool, Object Scatter Brush, Pan Tool), magenta
// (0xFF00FF) showing the background. Read through the file manager, so a
// packed data set serves them too; empty when the strip cannot be read.
constexpr int kToolbarImages = 11;
std::vector<wxBitmap> LoadToolbarStrip(IFileManager* files, const char16_t* path);
