#pragma once

#include "platform/os/OsText.h"
#include "platform/ui/wx/WxText.h"

#include <wx/string.h>

#include <string>

// What a control holds, as the system's text.
inline std::u16string SystemText(const wxString& text) { return Util::FromOs(Ui::FromWx(text)); }
