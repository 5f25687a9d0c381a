#pragma once

#include <string>

class wxWindow;
class wxString;

// File choosers: the toolkit's, or in a scripted run the script's next
// path. Paths are the system's text.
namespace FileChooser {

bool AskOpen(wxWindow* parent, const wxString& filter, std::u16string* path);
// With an overwrite prompt; the extension (".lvl") is added when the name
// has none.
bool AskSave(wxWindow* parent, const wxString& filter, const char* extension, const std::u16string& suggested,
             std::u16string* path);

// A toolkit path as the system's text, and back.
std::u16string FromWxPath(const wxString& path);
wxString ToWxPath(const std::u16string& path);

} // namespace FileChooser
