#include "platform/os/Os.h"

#include "platform/os/FolderCache.h"
#include "platform/os/OsText.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>

namespace Os {

int64_t CounterNow()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

int64_t CounterFrequency() { return 1000000000LL; }

void SleepMs(int ms)
{
    if (ms > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

std::u16string CurrentDirectory()
{
    std::vector<char> buf(4096);
    if (!getcwd(buf.data(), buf.size()))
        return std::u16string();
    return Util::FromOs(buf.data());
}

static bool PathExists(const std::string& p)
{
    struct stat st;
    return ::stat(p.c_str(), &st) == 0;
}

// Walks the path component by component, taking a case-insensitive match
// where the exact one is missing.
static std::string ResolveCase(const std::string& path)
{
    if (path.empty() || PathExists(path))
        return path;
    std::string out;
    size_t i = 0;
    if (path[0] == '/') {
        out = "/";
        i = 1;
    }
    while (i <= path.size()) {
        size_t j = path.find('/', i);
        if (j == std::string::npos)
            j = path.size();
        std::string comp = path.substr(i, j - i);
        i = j + 1;
        if (comp.empty())
            continue;
        std::string candidate = out + (out.empty() || out.back() == '/' ? "" : "/") + comp;
        std::string match;
        if (!PathExists(candidate) && comp != "." && comp != ".." &&
            FindNameIgnoringCase(out.empty() ? "." : out, comp, &match))
            candidate = out + (out.empty() || out.back() == '/' ? "" : "/") + match;
        out = candidate;
    }
    return out;
}

std::string NativePath(const std::u16string& path)
{
    std::string p = Util::ToOs(path);
    for (char& c : p)
        if (c == '\\')
            c = '/';
    return ResolveCase(p);
}

std::string NativePath(const char16_t* path) { return NativePath(std::u16string(path ? path : u"")); }

bool Exists(const char16_t* path) { return PathExists(NativePath(path)); }

bool IsReadableFile(const char16_t* path)
{
    struct stat st;
    std::string p = NativePath(path);
    return ::stat(p.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(p.c_str(), R_OK) == 0;
}

bool RemoveFile(const char16_t* path) { return ::unlink(NativePath(path).c_str()) == 0; }

bool RenameFile(const char16_t* from, const char16_t* to)
{
    return ::rename(NativePath(from).c_str(), NativePath(to).c_str()) == 0;
}

bool MakeFolder(const char16_t* path)
{
    const std::string native = NativePath(path);
    struct stat st;
    return ::mkdir(native.c_str(), 0777) == 0 || (::stat(native.c_str(), &st) == 0 && S_ISDIR(st.st_mode));
}

std::vector<std::u16string> ListFiles(const char16_t* folder)
{
    std::vector<std::u16string> names;
    std::string dir = NativePath(folder);
    if (dir.empty())
        dir = ".";
    DIR* d = opendir(dir.c_str());
    if (!d)
        return names;
    while (dirent* e = readdir(d)) {
        std::string full = dir + "/" + e->d_name;
        struct stat st;
        if (::stat(full.c_str(), &st) == 0 && S_ISREG(st.st_mode))
            names.push_back(Util::FromOs(e->d_name));
    }
    closedir(d);
    return names;
}

int OpenForRead(const char16_t* path) { return ::open(NativePath(path).c_str(), O_RDONLY | O_CLOEXEC); }

int OpenForWrite(const char16_t* path)
{
    return ::open(NativePath(path).c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
}

std::u16string PathOfHandle(int fd)
{
    struct stat open, named;
    if (fstat(fd, &open) != 0 || !S_ISREG(open.st_mode))
        return {};
    char link[64];
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    std::string path(4096, '\0');
    const ssize_t n = readlink(link, &path[0], path.size());
    if (n <= 0 || size_t(n) >= path.size())
        return {};
    path.resize(size_t(n));
    // A file removed or renamed since it was opened has no name to give.
    if (path[0] != '/' || ::stat(path.c_str(), &named) != 0 || named.st_dev != open.st_dev ||
        named.st_ino != open.st_ino)
        return {};
    return Util::FromOs(path);
}

static const std::thread::id g_mainThread = std::this_thread::get_id();

bool IsMainThread() { return std::this_thread::get_id() == g_mainThread; }

} // namespace Os
