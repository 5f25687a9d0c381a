#include "engine/files/ZipFile.h"

#include <algorithm>
#include <cstdint>

ZipFile::ZipFile(const char16_t* name, IFile* package, int offset, int size, bool ownsPackage)
    : File(name, size < 0 ? 0 : size), package_(package), offset_(offset)
{
    ownsBackend_ = ownsPackage;
    if (package_ && !package_->IsWriting()) {
        package_->Seek(offset_);
        writing_ = false;
    }
}

ZipFile::~ZipFile()
{
    position_ = 0;
    EndCompression();
    ReleasePackage();
}

void ZipFile::ReleasePackage()
{
    if (ownsBackend_)
        delete package_;
    package_ = nullptr;
}

void ZipFile::RawSeek(int position)
{
    position_ = std::clamp(position, 0, size_);
    if (package_)
        package_->Seek(offset_ + position_);
}

int ZipFile::RawSkip(int delta)
{
    int target = int(std::clamp<int64_t>(int64_t(position_) + delta, 0, size_));
    int moved = target - position_;
    position_ = target;
    return package_ ? package_->Skip(moved) : -1;
}

int ZipFile::RawRead(void* buffer, int length)
{
    if (!package_)
        return -1;
    int n = std::min(length, size_ - position_);
    if (n <= 0)
        return 0;
    int r = package_->Read(buffer, n);
    if (r > 0)
        position_ += r;
    return r;
}

bool ZipFile::RawWrite(const void* data, int length)
{
    if (!package_ || !package_->Write(data, length))
        return false;
    position_ += length;
    return true;
}

void ZipFile::RawClose()
{
    position_ = 0;
    Flush();
    ReleasePackage();
}
