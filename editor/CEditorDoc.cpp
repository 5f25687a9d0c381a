#include "editor/CEditorDoc.h"

#include "engine/core/StringKit.h"
#include "game/shell/editor/IEditorUI.h"
#include "platform/os/OsText.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

std::u16string Why(const char* what, const std::string& path, int error)
{
    return Util::FromOs(Util::Format("%s %s: %s", what, path.c_str(), std::strerror(error)));
}

} // namespace

std::u16string CEditorDoc::GetTitle() const
{
    if (path_.empty())
        return u"Untitled";
    const size_t slash = path_.find_last_of(u"/\\");
    return slash == std::u16string::npos ? path_ : path_.substr(slash + 1);
}

void CEditorDoc::Reset()
{
    path_.clear();
    modified_ = false;
}

bool CEditorDoc::Load(IEditorUI* ui, const std::u16string& path, std::u16string* why)
{
    const std::string native = Util::ToOs(path);
    const int fd = open(native.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        *why = Why("Cannot open", native, errno);
        return false;
    }
    const bool ok = ui->LoadLevel(fd);
    close(fd);
    if (!ok) {
        // The editing interface reads a file whole before it replaces the
        // level: the open level and its name stay as they were.
        *why = Util::FromOs("Failed to load level " + native);
        return false;
    }
    path_ = path;
    modified_ = false;
    return true;
}

bool CEditorDoc::SaveAs(IEditorUI* ui, const std::u16string& path, std::u16string* why)
{
    const std::string native = Util::ToOs(path);
    // The level goes to a new file beside the old one; the old file stays
    // whole until the new one is complete.
    std::vector<char> temp(native.begin(), native.end());
    const char suffix[] = ".XXXXXX";
    temp.insert(temp.end(), suffix, suffix + sizeof suffix);
    const int fd = mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) {
        *why = Why("Cannot write", native, errno);
        return false;
    }
    const mode_t mask = umask(0);
    umask(mask);
    struct stat old;
    fchmod(fd, stat(native.c_str(), &old) == 0 ? (old.st_mode & 07777) : (0666 & ~mask));
    const bool saved = ui->SaveLevel(fd);
    int error = 0;
    if (saved && fsync(fd) != 0)
        error = errno;
    if (close(fd) != 0 && saved && !error)
        error = errno;
    if (saved && !error && rename(temp.data(), native.c_str()) != 0)
        error = errno;
    if (!saved || error) {
        unlink(temp.data());
        *why = error ? Why("Failed to save level", native, error) : Util::FromOs("Failed to save level " + native);
        return false;
    }
    path_ = path;
    modified_ = false;
    return true;
}
