#pragma once

#include <string>

class wxWindow;

// Keeps what the window shows on the display (its own pixels and the
// renderer's) as a PNG file.
bool SaveWindowPicture(wxWindow* window, const std::string& path);
