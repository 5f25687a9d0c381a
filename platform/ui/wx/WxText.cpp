#include "platform/ui/wx/WxText.h"

#include "platform/os/OsText.h"

namespace Ui {

wxString ToWx(const std::u16string& text)
{
    std::u16string units = Util::FromOs(Util::ToOs(text));
    for (size_t i = 0; i < units.size(); ++i) {
        char16_t& c = units[i];
        if (c >= 0xFF80) {
            c = char16_t(c & 0xFF);
        } else if (c >= 0xD800 && c < 0xDC00 && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
                   units[i + 1] < 0xE000) {
            ++i;
        } else if (c >= 0xD800 && c < 0xE000) {
            c = 0xFFFD; // a lone half of a pair has no UTF-8 form
        }
    }
    return wxString::FromUTF8(Util::ToUtf8(units));
}

wxString ToWx(const char16_t* text) { return ToWx(std::u16string(text ? text : u"")); }

std::string FromWx(const wxString& text)
{
    const wxScopedCharBuffer utf8 = text.utf8_str();
    return std::string(utf8.data(), utf8.length());
}

} // namespace Ui
