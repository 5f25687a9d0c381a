#include "engine/files/ZipFileHandler.h"

#include "engine/core/ByteReader.h"
#include "engine/core/StringKit.h"
#include "engine/files/IFileManager.h"
#include "engine/files/IFileProgressListener.h"
#include "engine/files/ZipFile.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <memory>

namespace {

constexpr int kHeaderSize = 16;
constexpr int kVersion0HeaderSize = 4;
constexpr int kCopyBufferSize = 102400;

// Reads the directory in chunks and never past the end of the file, so a
// hostile directory costs at most one pass over the file.
class DirectoryCursor {
public:
    DirectoryCursor(IFile* file, int64_t bytes) : file_(file), unread_(bytes) {}

    bool Ok() const { return ok_; }
    int64_t Left() const { return unread_ + (have_ - pos_); }

    uint32_t U32() { return Take(4); }
    uint16_t U16() { return uint16_t(Take(2)); }
    int32_t I32() { return int32_t(Take(4)); }

private:
    uint32_t Take(int n)
    {
        if (!ok_ || !Fill(n))
            return ok_ = false, 0;
        uint32_t v = 0;
        for (int i = 0; i < n; ++i)
            v |= uint32_t(buf_[pos_ + i]) << (8 * i);
        pos_ += n;
        return v;
    }

    bool Fill(int n)
    {
        if (have_ - pos_ >= n)
            return true;
        int keep = have_ - pos_;
        std::copy(buf_ + pos_, buf_ + have_, buf_);
        have_ = keep;
        pos_ = 0;
        int want = int(std::min<int64_t>(sizeof buf_ - size_t(keep), unread_));
        if (want > 0) {
            int got = file_->Read(buf_ + keep, want);
            if (got > 0) {
                have_ += got;
                unread_ -= got;
            }
            if (got != want)
                unread_ = 0; // the file is shorter than it said
        }
        return have_ >= n;
    }

    IFile* file_;
    int64_t unread_;
    uint8_t buf_[65536];
    int have_ = 0;
    int pos_ = 0;
    bool ok_ = true;
};

void PutInt(std::vector<uint8_t>& out, int32_t v)
{
    uint8_t b[4];
    Util::PutU32(b, uint32_t(v));
    out.insert(out.end(), b, b + 4);
}

} // namespace

ZipFileHandler::ZipFileHandler(IFileManager* manager) : manager_(manager) {}

ZipFileHandler::~ZipFileHandler() { Clear(); }

void ZipFileHandler::Clear()
{
    entries_.DeleteAll();
    index_.clear();
}

void ZipFileHandler::Add(ZipFileHandler* source, const std::u16string& name, int32_t offset, int32_t size,
                         int32_t flags)
{
    auto* entry = new FileInfo_t{source, name, offset, size, flags};
    auto found = index_.find(name);
    if (found != index_.end()) {
        delete entries_[found->second];
        entries_.Set(found->second, entry);
        return;
    }
    index_.emplace(name, entries_.GetCount());
    entries_.Add(entry);
}

const ZipFileHandler::FileInfo_t* ZipFileHandler::Find(const char16_t* name) const
{
    if (!name)
        return nullptr;
    std::u16string key(name);
    std::replace(key.begin(), key.end(), u'\\', u'/');
    return FindExact(key);
}

const ZipFileHandler::FileInfo_t* ZipFileHandler::FindExact(const std::u16string& name) const
{
    auto found = index_.find(name);
    return found == index_.end() ? nullptr : entries_[found->second];
}

IFile* ZipFileHandler::OpenEntry(const FileInfo_t& entry) const
{
    if (!entry.handler)
        return manager_->Open(entry.name.c_str(), kOpenRead, kOpenNoPackage);
    IFile* package = manager_->Open(entry.handler->GetPath(), kOpenRead, kOpenFullPath | kOpenNoPackage);
    if (!package)
        return nullptr;
    return new ZipFile(entry.name.c_str(), package, entry.offset, entry.size, true);
}

bool ZipFileHandler::Load(const char16_t* path)
{
    Clear();
    dataVersion_ = 0;
    path_ = path ? path : u"";
    IFile* file = manager_->Open(path_.c_str(), kOpenRead, kOpenFullPath | kOpenNoPackage);
    if (!file)
        return false;
    bool ok = ReadDirectory(file);
    delete file;
    if (!ok) {
        Clear();
        dataVersion_ = 0;
    }
    return ok;
}

bool ZipFileHandler::ReadDirectory(IFile* file)
{
    const int64_t fileSize = file->GetSize();
    uint8_t head[kHeaderSize];
    int got = file->Read(head, kHeaderSize);
    if (got < 4)
        return false;
    int32_t first = int32_t(Util::GetU32(head));
    int32_t formatVersion = 0;
    int32_t directory = first;
    int headerSize = kVersion0HeaderSize;
    if (first == -1) {
        if (got < kHeaderSize)
            return false;
        formatVersion = int32_t(Util::GetU32(head + 4));
        dataVersion_ = int32_t(Util::GetU32(head + 8));
        directory = int32_t(Util::GetU32(head + 12));
        headerSize = kHeaderSize;
    }
    if (directory < headerSize || int64_t(directory) + 4 > fileSize)
        return false;
    file->Seek(directory);
    if (file->Tell() != directory)
        return false;

    DirectoryCursor in(file, fileSize - directory);
    const bool hasFlags = formatVersion >= 1;
    int32_t count = in.I32();
    // Smallest entry: an empty name's 0 unit and the integers.
    const int64_t smallest = 2 + (hasFlags ? 12 : 8);
    if (!in.Ok() || count < 0 || count > in.Left() / smallest)
        return false;
    entries_.Reserve(count);
    index_.reserve(size_t(count));
    std::u16string name;
    for (int32_t i = 0; i < count; ++i) {
        name.clear();
        bool terminated = false;
        for (int k = 0; k < kMaxNameUnits && in.Ok(); ++k) {
            char16_t unit = char16_t(in.U16());
            if (unit == 0) {
                terminated = true;
                break;
            }
            name.push_back(unit);
        }
        int32_t offset = in.I32();
        int32_t size = in.I32();
        int32_t flags = hasFlags ? in.I32() : 0;
        if (!in.Ok() || !terminated)
            return false;
        if (size < 0 || offset < headerSize || int64_t(offset) + size > fileSize)
            return false;
        // A repeated name finds its first entry, as a search in directory
        // order would.
        index_.emplace(name, entries_.GetCount());
        entries_.Add(new FileInfo_t{this, name, offset, size, flags});
    }
    return true;
}

bool ZipFileHandler::Save(const char16_t* path, IFileProgressListener* listener)
{
    if (!path || !path[0])
        return false;
    std::unique_ptr<IFile> out(manager_->Open(path, kOpenWrite, kOpenFullPath | kOpenNoPackage | kOpenReplace));
    if (!out)
        return false;
    bool ok = WriteContents(out.get(), listener);
    ok = ok && out->Flush();
    if (!ok)
        out->CloseAndDelete();
    return ok;
}

bool ZipFileHandler::WriteContents(IFile* out, IFileProgressListener* listener)
{
    if (!out->WriteInt(-1) || !out->WriteInt(1) || !out->WriteInt(dataVersion_) || !out->WriteInt(kHeaderSize))
        return false;
    std::vector<Placement> placed;
    if (!WriteEntries(out, listener, placed))
        return false;

    int64_t directory = out->Tell();
    std::vector<uint8_t> bytes;
    PutInt(bytes, entries_.GetCount());
    for (int i = 0; i < entries_.GetCount(); ++i) {
        const std::u16string& name = entries_[i]->name;
        for (char16_t unit : name) {
            bytes.push_back(uint8_t(unit));
            bytes.push_back(uint8_t(unit >> 8));
        }
        bytes.push_back(0);
        bytes.push_back(0);
        PutInt(bytes, placed[size_t(i)].offset);
        PutInt(bytes, placed[size_t(i)].size);
        PutInt(bytes, entries_[i]->flags);
    }
    if (directory + int64_t(bytes.size()) > INT_MAX || !out->Write(bytes.data(), int(bytes.size())))
        return false;
    out->Seek(12);
    return out->Tell() == 12 && out->WriteInt(int32_t(directory));
}

bool ZipFileHandler::WriteEntries(IFile* out, IFileProgressListener* listener, std::vector<Placement>& placed)
{
    const int count = entries_.GetCount();
    std::unique_ptr<uint8_t[]> buffer(new uint8_t[kCopyBufferSize]);
    for (int i = 0; i < count; ++i) {
        std::unique_ptr<IFile> source(OpenEntry(*entries_[i]));
        if (!source)
            return false;
        int32_t offset = out->Tell();
        int32_t size = source->GetSize();
        if (size < 0 || int64_t(offset) + size > INT_MAX)
            return false;
        // Copy what the source really gives; a short source fails the save.
        int32_t left = size;
        while (left > 0) {
            int got = source->Read(buffer.get(), std::min(left, kCopyBufferSize));
            if (got <= 0 || !out->Write(buffer.get(), got))
                return false;
            left -= got;
        }
        placed.push_back(Placement{offset, size});
        if (listener)
            listener->OnProgress(float(i + 1) / float(count));
    }
    return true;
}
