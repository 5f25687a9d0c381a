#pragma once

#include <wx/string.h>

#include <string>

namespace Ui {

// The system's text for the toolkit: what is UTF-8 once the widened bytes
// are bytes again reads as such; any other byte reads as Latin-1.
wxString ToWx(const std::u16string& text);
wxString ToWx(const char16_t* text);
// Typed text as UTF-8.
std::string FromWx(const wxString& text);

} // namespace Ui
