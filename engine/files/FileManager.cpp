#include "engine/files/FileManager.h"

#include "engine/core/ConsoleLog.h"
#include "engine/core/StringKit.h"
#include "engine/files/MemoryFile.h"
#include "engine/files/NativeFile.h"
#include "engine/files/ReplacementFile.h"
#include "engine/files/ZipFileHandler.h"
#include "platform/os/Os.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <memory>
#include <unordered_set>
#include <vector>

namespace {

constexpr int kExtractBlock = 10240;
constexpr int kMaxNumberedName = 99999;
constexpr size_t kMaxExtension = 32;

bool IsSeparator(char16_t c) { return c == u'/' || c == u'\\'; }

size_t LastSeparator(const std::u16string& path)
{
    for (size_t i = path.size(); i > 0; --i)
        if (IsSeparator(path[i - 1]))
            return i - 1;
    return std::u16string::npos;
}

// File names on disk match the way the system's file systems do: whole
// name, "*" and "?", case ignored.
bool MatchDiskName(const char16_t* name, const char16_t* pattern)
{
    const char16_t* star = nullptr;
    const char16_t* resume = nullptr;
    while (*name) {
        if (*pattern == u'*') {
            star = pattern++;
            resume = name;
        } else if (*pattern == u'?' || (*pattern && Util::ToLower(*pattern) == Util::ToLower(*name))) {
            ++pattern;
            ++name;
        } else if (star) {
            pattern = star + 1;
            name = ++resume;
        } else {
            return false;
        }
    }
    while (*pattern == u'*')
        ++pattern;
    return *pattern == 0;
}

// The first free name_N.ext; the extension is looked for in the last
// component only, so a dotted folder name stays as it is.
std::u16string NumberedName(const std::u16string& path)
{
    size_t sep = LastSeparator(path);
    size_t dot = path.rfind(u'.');
    if (dot == std::u16string::npos || (sep != std::u16string::npos && dot < sep))
        return path;
    std::u16string stem = path.substr(0, dot);
    std::u16string ext = path.substr(dot + 1, kMaxExtension);
    std::u16string candidate;
    for (int n = 1; n <= kMaxNumberedName; ++n) {
        candidate = stem + u"_" + Util::IntToString16(n) + u"." + ext;
        if (!Os::Exists(candidate.c_str()))
            break;
    }
    return candidate;
}

std::string CanonicalPath(const char16_t* path)
{
    std::string native = Os::NativePath(path);
    char* real = realpath(native.c_str(), nullptr);
    if (!real)
        return std::string();
    std::string out(real);
    std::free(real);
    return out;
}

bool SameBytes(const ZipFileHandler::FileInfo_t& a, const ZipFileHandler::FileInfo_t& b)
{
    if (a.size != b.size || !a.handler || !b.handler)
        return false;
    std::unique_ptr<IFile> fa(a.handler->OpenEntry(a));
    std::unique_ptr<IFile> fb(b.handler->OpenEntry(b));
    if (!fa || !fb)
        return false;
    std::vector<uint8_t> ba(65536), bb(65536);
    int left = a.size;
    while (left > 0) {
        int n = std::min(left, int(ba.size()));
        if (fa->Read(ba.data(), n) != n || fb->Read(bb.data(), n) != n)
            return false;
        if (!std::equal(ba.begin(), ba.begin() + n, bb.begin()))
            return false;
        left -= n;
    }
    return true;
}

} // namespace

FileManager::FileManager() : gameDir_(Os::CurrentDirectory())
{
    Util::ConsolePrint("GameDir: %s\n", Util::ToUtf8(gameDir_).c_str());
}

FileManager::~FileManager()
{
    DiscardBuild();
    delete compareOld_;
    delete compareNew_;
    delete default_;
    cache_.DeleteAll();
    found_.DeleteAll();
}

std::u16string FileManager::UnderGameDir(const char16_t* path) const
{
    if (gameDir_.empty())
        return path;
    return gameDir_ + u"/" + path;
}

bool FileManager::DeleteFile(const char16_t* path)
{
    if (!path || !Os::IsReadableFile(path))
        return true;
    return Os::RemoveFile(path);
}

bool FileManager::MoveFile(const char16_t* from, const char16_t* to) { return from && to && Os::RenameFile(from, to); }

bool FileManager::FileExists(const char16_t* path) { return path && Os::IsReadableFile(path); }

IFile* FileManager::CreateMemoryFile(int capacity) { return new MemoryFile(capacity); }

IFile* FileManager::OpenHandle(int handle, bool writing, int flags)
{
    if (handle < 0 || fcntl(handle, F_GETFD) == -1)
        return nullptr;
    if (writing && (flags & kOpenReplace)) {
        const std::u16string path = Os::PathOfHandle(handle);
        return path.empty() ? nullptr : ReplacementFile::Create(path, path.c_str());
    }
    auto* file = new NativeFile(u"", u"none", handle, false);
    file->SetWriting(writing);
    return file;
}

ZipFileHandler* FileManager::DefaultPackage()
{
    if (!default_) {
        default_ = new ZipFileHandler(this);
        default_->Load(UnderGameDir(u"game.data").c_str());
    }
    return default_;
}

ZipFileHandler* FileManager::CachedPackage(const char16_t* path)
{
    for (int i = 0; i < cache_.GetCount(); ++i)
        if (Util::StrEqual(cache_[i]->GetPath(), path))
            return cache_[i];
    // A package that fails to load stays cached, empty.
    auto* handler = new ZipFileHandler(this);
    handler->Load(path);
    cache_.Add(handler);
    return handler;
}

IFile* FileManager::OpenInPackage(const char16_t* innerName, const char16_t* packagePath)
{
    if (!innerName || !packagePath)
        return nullptr;
    ZipFileHandler* package = CachedPackage(packagePath);
    const ZipFileHandler::FileInfo_t* entry = package->Find(innerName);
    return entry ? package->OpenEntry(*entry) : nullptr;
}

IFile* FileManager::Open(const char16_t* path, int mode, int flags)
{
    if (!path || (mode != kOpenRead && mode != kOpenWrite))
        return nullptr;
    if (mode == kOpenRead && !(flags & kOpenNoPackage)) {
        ZipFileHandler* package = DefaultPackage();
        if (const ZipFileHandler::FileInfo_t* entry = package->Find(path)) {
            if (IFile* file = package->OpenEntry(*entry))
                return file;
        }
    }
    std::u16string disk = (flags & kOpenFullPath) ? std::u16string(path) : UnderGameDir(path);
    if (mode == kOpenWrite && (flags & kOpenNumberedName))
        disk = NumberedName(disk);
    if (mode == kOpenWrite && (flags & kOpenReplace)) {
        // A file put into a folder of the game folder that is not there yet
        // (a level fetched into a folder laid out from the package alone).
        const size_t slash = disk.find_last_of(u"/\\");
        if (!(flags & kOpenFullPath) && slash != std::u16string::npos && slash > 0)
            Os::MakeFolder(disk.substr(0, slash).c_str());
        return ReplacementFile::Create(disk, path);
    }

    int fd = mode == kOpenWrite ? Os::OpenForWrite(disk.c_str()) : Os::OpenForRead(disk.c_str());
    if (fd < 0)
        return nullptr;
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd); // a folder opens on Linux but is no file
        return nullptr;
    }
    auto* file = new NativeFile(disk.c_str(), path, fd, true);
    file->SetWriting(mode == kOpenWrite);
    return file;
}

bool FileManager::MatchPattern(const char16_t* name, const char16_t* pattern)
{
    while (*name && *pattern) {
        char16_t p = *pattern == u'\\' ? u'/' : *pattern;
        if (p == u'*') {
            if (pattern[1] == 0)
                return true;
            // Every non-empty tail from here on; an empty one would let
            // the star swallow the rest of any name.
            for (const char16_t* tail = name; *tail; ++tail)
                if (MatchPattern(tail, pattern + 1))
                    return true;
            return false;
        }
        if (*name != p)
            return false;
        ++name;
        ++pattern;
    }
    return true;
}

const char16_t* FileManager::FindFirst(const char16_t* pattern)
{
    found_.DeleteAll();
    nextFound_ = 0;
    if (!pattern)
        return nullptr;

    std::unordered_set<std::u16string> seen;
    ZipFileHandler* package = DefaultPackage();
    for (int i = 0; i < package->GetCount(); ++i) {
        const std::u16string& name = package->GetEntry(i)->name;
        if (MatchPattern(name.c_str(), pattern)) {
            found_.Add(new FindFile{name});
            seen.insert(name);
        }
    }

    std::u16string text(pattern);
    size_t sep = LastSeparator(text);
    std::u16string folder = sep == std::u16string::npos ? std::u16string() : text.substr(0, sep);
    std::u16string namePattern = sep == std::u16string::npos ? text : text.substr(sep + 1);
    std::u16string diskFolder = folder.empty() ? gameDir_ : UnderGameDir(folder.c_str());
    if (diskFolder.empty())
        diskFolder = u".";
    // Found names use "/" as package names do, so a disk file that is also
    // in the package is listed once.
    std::replace(folder.begin(), folder.end(), u'\\', u'/');
    std::vector<std::u16string> files = Os::ListFiles(diskFolder.c_str());
    std::sort(files.begin(), files.end());
    for (const std::u16string& file : files) {
        if (!MatchDiskName(file.c_str(), namePattern.c_str()))
            continue;
        std::u16string name = folder.empty() ? file : folder + u"/" + file;
        if (seen.insert(name).second)
            found_.Add(new FindFile{name});
    }
    return FindNext();
}

const char16_t* FileManager::FindNext()
{
    if (nextFound_ >= found_.GetCount())
        return nullptr;
    return found_[nextFound_++]->name.c_str();
}

bool FileManager::HasDataPackage() { return DefaultPackage()->GetCount() > 0; }

int FileManager::GetDataVersion() { return default_ ? default_->GetDataVersion() : 0; }

void FileManager::SetPackageVersion(int version)
{
    if (building_)
        building_->SetDataVersion(version);
}

void FileManager::DiscardBuild()
{
    delete building_;
    building_ = nullptr;
}

void FileManager::BeginPackage(int version)
{
    DiscardBuild();
    building_ = new ZipFileHandler(this);
    building_->SetDataVersion(version);
}

void FileManager::AddFileToPackage(const char16_t* path, int flags)
{
    if (!building_ || !path)
        return;
    // Stored names use "/", which is what lookups compare against.
    std::u16string name(path);
    std::replace(name.begin(), name.end(), u'\\', u'/');
    building_->Add(nullptr, name, 0, 0, flags);
}

bool FileManager::AddPackageToPackage(const char16_t* packagePath)
{
    if (!building_ || !packagePath)
        return false;
    ZipFileHandler* package = CachedPackage(packagePath);
    for (int i = 0; i < package->GetCount(); ++i) {
        const ZipFileHandler::FileInfo_t* entry = package->GetEntry(i);
        if (!(entry->flags & ZipFileHandler::kFlagNotCarried))
            building_->Add(package, entry->name, entry->offset, entry->size, 0);
    }
    return true;
}

bool FileManager::BuildUses(const ZipFileHandler* handler) const
{
    if (!building_ || !handler)
        return false;
    for (int i = 0; i < building_->GetCount(); ++i)
        if (building_->GetEntry(i)->handler == handler)
            return true;
    return false;
}

// After a save the file at that path is new: handlers that read it must
// read its new directory.
void FileManager::ReloadHandlersOf(const char16_t* savedPath)
{
    std::string saved = CanonicalPath(savedPath);
    if (saved.empty())
        return;
    auto reload = [&](ZipFileHandler* handler) {
        if (handler && CanonicalPath(handler->GetPath()) == saved) {
            std::u16string path(handler->GetPath());
            handler->Load(path.c_str());
        }
    };
    reload(default_);
    for (int i = 0; i < cache_.GetCount(); ++i)
        reload(cache_[i]);
}

bool FileManager::SavePackage(const char16_t* path, IFileProgressListener* listener)
{
    if (!building_ || !path || !building_->Save(path, listener))
        return false;
    DiscardBuild();
    delete compareOld_;
    delete compareNew_;
    compareOld_ = compareNew_ = nullptr;
    ReloadHandlersOf(path);
    return true;
}

bool FileManager::ExtractFromPackage(const char16_t* packagePath, const char16_t* innerName,
                                     const char16_t* destination)
{
    std::unique_ptr<IFile> source(OpenInPackage(innerName, packagePath));
    if (!source || !destination)
        return false;
    std::unique_ptr<IFile> target(Open(destination, kOpenWrite, 11));
    if (!target)
        return false;
    std::vector<uint8_t> block(kExtractBlock);
    bool ok = true;
    int64_t copied = 0;
    for (;;) {
        int got = source->Read(block.data(), kExtractBlock);
        if (got <= 0)
            break;
        if (!target->Write(block.data(), got)) {
            ok = false;
            break;
        }
        copied += got;
    }
    ok = ok && copied == source->GetSize();
    ok = target->Flush() && ok;
    source->Flush();
    return ok;
}

bool FileManager::BuildPatchPackage(const char16_t* oldPackage, const char16_t* newPackage, int /*unused*/)
{
    if (!oldPackage || !newPackage)
        return false;
    // A package being built may still take its bytes from the comparison
    // packages about to be replaced.
    if (BuildUses(compareOld_) || BuildUses(compareNew_))
        DiscardBuild();
    delete compareOld_;
    delete compareNew_;
    compareOld_ = new ZipFileHandler(this);
    compareNew_ = new ZipFileHandler(this);
    bool loadedOld = compareOld_->Load(oldPackage);
    bool loadedNew = compareNew_->Load(newPackage);
    if (!loadedOld || !loadedNew)
        return false;

    BeginPackage(compareNew_->GetDataVersion());
    for (int i = 0; i < compareNew_->GetCount(); ++i) {
        const ZipFileHandler::FileInfo_t* entry = compareNew_->GetEntry(i);
        const ZipFileHandler::FileInfo_t* old = compareOld_->FindExact(entry->name);
        if (!old || !SameBytes(*old, *entry))
            building_->Add(compareNew_, entry->name, entry->offset, entry->size, 0);
    }
    return true;
}
