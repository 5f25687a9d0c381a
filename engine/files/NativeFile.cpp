#include "engine/files/NativeFile.h"

#include "platform/os/Os.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>

static int SizeOfHandle(int handle)
{
    struct stat st;
    if (handle < 0 || fstat(handle, &st) != 0 || st.st_size < 0)
        return 0;
    return st.st_size > INT_MAX ? INT_MAX : int(st.st_size);
}

NativeFile::NativeFile(const char16_t* fullPath, const char16_t* name, int handle, bool ownsHandle)
    : File(name, SizeOfHandle(handle)), handle_(handle), fullPath_(fullPath ? fullPath : u"")
{
    ownsBackend_ = ownsHandle;
    // A handle handed in by a caller may not stand at the start.
    off_t here = handle >= 0 ? lseek(handle, 0, SEEK_CUR) : -1;
    position_ = (here > 0 && here <= INT_MAX) ? int(here) : 0;
}

NativeFile::~NativeFile()
{
    Flush();
    if (ownsBackend_ && handle_ >= 0)
        ::close(handle_);
}

void NativeFile::RawSeek(int position)
{
    off_t r = handle_ >= 0 ? lseek(handle_, position, SEEK_SET) : -1;
    position_ = r < 0 ? 0 : position;
}

int NativeFile::RawSkip(int delta)
{
    off_t r = handle_ >= 0 ? lseek(handle_, delta, SEEK_CUR) : -1;
    if (r < 0 || r > INT_MAX)
        return -1; // the caller's read will come up short
    position_ = int(r);
    return position_;
}

int NativeFile::RawRead(void* buffer, int length)
{
    if (handle_ < 0 || length < 0)
        return -1;
    char* p = static_cast<char*>(buffer);
    int total = 0;
    while (total < length) {
        ssize_t r = ::read(handle_, p + total, size_t(length - total));
        if (r < 0) {
            if (errno == EINTR)
                continue;
            if (total == 0)
                return -1;
            break;
        }
        total += int(r);
        // Short means the end of a disk file; a pipe returns what it has.
        if (r == 0 || total < length)
            break;
    }
    position_ += total;
    return total;
}

bool NativeFile::RawWrite(const void* data, int length)
{
    if (handle_ < 0 || length < 0)
        return false;
    const char* p = static_cast<const char*>(data);
    int total = 0;
    while (total < length) {
        ssize_t r = ::write(handle_, p + total, size_t(length - total));
        if (r < 0 && errno == EINTR)
            continue;
        if (r <= 0) {
            position_ += total;
            return false;
        }
        total += int(r);
    }
    position_ += length;
    return true;
}

void NativeFile::RawClose()
{
    Flush();
    if (ownsBackend_ && handle_ >= 0)
        ::close(handle_);
    handle_ = -1;
}

void NativeFile::CloseAndDelete()
{
    RawClose();
    if (!fullPath_.empty())
        Os::RemoveFile(fullPath_.c_str());
}
