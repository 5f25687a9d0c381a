#include "engine/files/ReplacementFile.h"

#include "engine/core/StringKit.h"
#include "platform/os/Os.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <vector>

namespace {

constexpr int kMaxLinkHops = 40;
constexpr size_t kMaxTempStem = 100; // keeps temporary names under NAME_MAX
constexpr int kTempAttempts = 100;

std::string FolderOf(const std::string& path)
{
    size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// The file a chain of symbolic links ends at; it may not exist yet.
std::string FollowLinks(std::string path)
{
    for (int hop = 0; hop < kMaxLinkHops; ++hop) {
        struct stat st;
        if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
            return path;
        std::vector<char> link(size_t(st.st_size > 0 ? st.st_size : PATH_MAX) + 1);
        ssize_t n = ::readlink(path.c_str(), link.data(), link.size() - 1);
        if (n <= 0)
            return path;
        std::string next(link.data(), size_t(n));
        path = next[0] == '/' ? next : FolderOf(path) + "/" + next;
    }
    return path; // a loop: opening it fails below
}

// Whether the existing file at path may be replaced: a plain file that
// someone marked writable and that this process may open for writing.
bool MayReplace(const std::string& path, const struct stat& st)
{
    if (!S_ISREG(st.st_mode) || (st.st_mode & 0222) == 0) {
        errno = S_ISDIR(st.st_mode) ? EISDIR : EACCES; // the caller's reason
        return false;
    }
    int probe = ::open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
    if (probe < 0)
        return false;
    ::close(probe);
    return true;
}

int CreateTemporary(const std::string& target, mode_t mode, std::string* name)
{
    static std::atomic<unsigned> counter{0};
    std::string folder = FolderOf(target);
    size_t slash = target.rfind('/');
    std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
    std::string stem = folder + "/." + base.substr(0, kMaxTempStem) + ".";
    unsigned seed = unsigned(std::chrono::steady_clock::now().time_since_epoch().count()) ^ unsigned(getpid());
    for (int attempt = 0; attempt < kTempAttempts; ++attempt) {
        *name = stem + std::to_string(seed + counter++ * 7919u);
        int fd = ::open(name->c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

} // namespace

ReplacementFile::ReplacementFile(const std::u16string& tempPath, const char16_t* name, int handle)
    : NativeFile(tempPath.c_str(), name, handle, true)
{
}

ReplacementFile* ReplacementFile::Create(const std::u16string& diskPath, const char16_t* name)
{
    std::string target = FollowLinks(Os::NativePath(diskPath));
    if (target.empty())
        return nullptr;
    struct stat st;
    bool exists = ::stat(target.c_str(), &st) == 0;
    if (exists ? !MayReplace(target, st) : errno != ENOENT)
        return nullptr;
    std::string temp;
    // A new file gets the usual bits (the umask applies); an old one's are
    // copied exactly when the file is put in place.
    int fd = CreateTemporary(target, exists ? 0600 : 0644, &temp);
    if (fd < 0)
        return nullptr;
    auto* file = new ReplacementFile(Util::FromOs(temp), name, fd);
    file->target_ = target;
    file->temp_ = temp;
    file->hadTarget_ = exists;
    if (exists) {
        file->mode_ = st.st_mode & 07777;
        file->owner_ = st.st_uid;
        file->group_ = st.st_gid;
    }
    return file;
}

ReplacementFile::~ReplacementFile() { Flush(); }

bool ReplacementFile::RawWrite(const void* data, int length)
{
    bool ok = NativeFile::RawWrite(data, length);
    failed_ = failed_ || !ok;
    return ok;
}

bool ReplacementFile::Flush()
{
    bool ok = File::Flush();
    if (done_)
        return ok;
    return Place() && ok;
}

bool ReplacementFile::Place()
{
    int fd = Handle();
    bool ok = !failed_ && fd >= 0;
    if (ok && hadTarget_) {
        // Only a privileged process can hand the file back to its owner;
        // chown first, since it may clear set-id bits.
        bool handedBack = fchown(fd, owner_, group_) == 0;
        (void)handedBack;
        ok = fchmod(fd, mode_) == 0;
    }
    ok = ok && fsync(fd) == 0 && ::rename(temp_.c_str(), target_.c_str()) == 0;
    if (!ok) {
        Abandon();
        return false;
    }
    done_ = placed_ = true;
    return true;
}

void ReplacementFile::Abandon()
{
    done_ = true;
    const int failure = errno; // why it is abandoned, for the caller
    ::unlink(temp_.c_str());
    errno = failure;
}

void ReplacementFile::CloseAndDelete()
{
    bool wasPlaced = placed_;
    if (!done_)
        Abandon();
    RawClose();
    if (wasPlaced)
        ::unlink(target_.c_str());
}
