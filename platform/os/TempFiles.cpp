#include "platform/os/TempFiles.h"

#include "platform/os/OsText.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

namespace Os {

static bool IsFolder(const std::string& path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::u16string TempDirectory()
{
    const char* env = std::getenv("TMPDIR");
    if (env && *env && IsFolder(env))
        return Util::FromOs(env);
    return IsFolder("/tmp") ? u"/tmp" : u"";
}

// "<dir>/<prefix>XXXXXX" as a writable template for mkdtemp and mkstemp.
static std::vector<char> Template(const std::u16string& dir, const char* prefix)
{
    std::string t = Util::ToOs(dir) + "/" + prefix + "XXXXXX";
    return std::vector<char>(t.begin(), t.end() + 1);
}

std::u16string MakePrivateFolder(const std::u16string& parent, const char* prefix)
{
    if (parent.empty())
        return std::u16string();
    std::vector<char> t = Template(parent, prefix);
    return ::mkdtemp(t.data()) ? Util::FromOs(t.data()) : std::u16string(); // mkdtemp makes it 0700
}

std::u16string MakeTempFile(const std::u16string& folder, const char* prefix)
{
    if (folder.empty())
        return std::u16string();
    std::vector<char> t = Template(folder, prefix);
    int fd = ::mkostemp(t.data(), O_CLOEXEC);
    if (fd < 0)
        return std::u16string();
    ::close(fd);
    return Util::FromOs(t.data());
}

int CreateNewFile(const std::u16string& path, int mode)
{
    if (path.empty())
        return -1;
    return ::open(Util::ToOs(path).c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
}

void CloseFile(int fd)
{
    if (fd >= 0)
        ::close(fd);
}

bool RemoveFolderAndFiles(const std::u16string& folder)
{
    if (folder.empty())
        return false;
    std::string dir = Util::ToOs(folder);
    if (DIR* d = ::opendir(dir.c_str())) {
        while (dirent* e = ::readdir(d)) {
            std::string name = e->d_name;
            if (name == "." || name == "..")
                continue;
            ::unlink((dir + "/" + name).c_str());
        }
        ::closedir(d);
    }
    return ::rmdir(dir.c_str()) == 0;
}

} // namespace Os
