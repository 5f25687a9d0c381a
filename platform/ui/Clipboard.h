#pragma once

#include <string>

// The system clipboard as 8-bit text. With an X display the text goes
// through the CLIPBOARD selection, so other programs see it; without one
// (no DISPLAY, VORNHAL_UI=headless, the dedicated server) it stays in the
// process.
namespace Ui {

// Takes ownership of the clipboard with these bytes.
bool SetClipboardBytes(const std::string& bytes);
// False when the clipboard holds no text or the owner did not answer.
bool GetClipboardBytes(std::string* bytes);
// Answers other programs' requests while this process owns the clipboard;
// hosts call it once a frame.
void PumpClipboard();

} // namespace Ui
