#include "editor/FileChooser.h"

#include "editor/script/Answers.h"
#include "platform/os/OsText.h"

#include <wx/filedlg.h>
#include <wx/filename.h>

namespace FileChooser {
namespace {

std::u16string WithExtension(std::u16string path, const char* extension)
{
    const size_t slash = path.find_last_of(u'/');
    const size_t dot = path.find_last_of(u'.');
    if (dot == std::u16string::npos || (slash != std::u16string::npos && dot < slash))
        path += Util::FromOs(extension);
    return path;
}

} // namespace

std::u16string FromWxPath(const wxString& path)
{
    const wxCharBuffer bytes = path.fn_str();
    return Util::FromOs(bytes.data() ? std::string(bytes.data()) : std::string());
}

wxString ToWxPath(const std::u16string& path) { return wxString(Util::ToOs(path).c_str(), *wxConvFileName); }

bool AskOpen(wxWindow* parent, const wxString& filter, std::u16string* path)
{
    if (Answers::Scripted()) {
        std::string chosen;
        if (!Answers::TakeFile(&chosen))
            return false;
        *path = Util::FromOs(chosen);
        return true;
    }
    wxFileDialog dialog(parent, wxFileSelectorPromptStr, wxEmptyString, wxEmptyString, filter,
                        wxFD_OPEN | wxFD_FILE_MUST_EXIST);
    if (dialog.ShowModal() != wxID_OK)
        return false;
    *path = FromWxPath(dialog.GetPath());
    return true;
}

bool AskSave(wxWindow* parent, const wxString& filter, const char* extension, const std::u16string& suggested,
             std::u16string* path)
{
    if (Answers::Scripted()) {
        std::string chosen;
        if (!Answers::TakeFile(&chosen))
            return false;
        *path = WithExtension(Util::FromOs(chosen), extension);
        return true;
    }
    const wxFileName name(ToWxPath(suggested));
    wxFileDialog dialog(parent, wxFileSelectorPromptStr, name.GetPath(), name.GetFullName(), filter,
                        wxFD_SAVE | wxFD_OVERWRITE_PROMPT);
    if (dialog.ShowModal() != wxID_OK)
        return false;
    *path = WithExtension(FromWxPath(dialog.GetPath()), extension);
    return true;
}

} // namespace FileChooser
