#pragma once

#include "engine/core/List.h"

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

class IFile;
class IFileManager;
class IFileProgressListener;

// One package file: its directory, read from disk or built up entry by
// entry, and the writer of the format.
//
//   int32 -1, int32 format version 1, int32 data version, int32 directory
//   offset; the entries' bytes from byte 16; at the directory: int32 count,
//   then per entry the UTF-16 name with its 0 unit, int32 offset, int32 size
//   and int32 flags. A first int32 other than -1 is the directory offset of
//   a version-0 file, whose entries have no flags.
class ZipFileHandler {
public:
    struct FileInfo_t {
        ZipFileHandler* handler; // where the bytes are; null: the disk file of that name
        std::u16string name;
        int32_t offset;
        int32_t size;
        int32_t flags;
    };

    // Flag bit 0: the entry is not carried into another package.
    static constexpr int32_t kFlagNotCarried = 1;
    static constexpr int kMaxNameUnits = 10239;

    explicit ZipFileHandler(IFileManager* manager);
    ~ZipFileHandler();
    ZipFileHandler(const ZipFileHandler&) = delete;
    ZipFileHandler& operator=(const ZipFileHandler&) = delete;

    // Replaces the directory by the package's; false (and empty) when the
    // file is missing or not a sound package.
    bool Load(const char16_t* path);
    // Writes the package beside path and moves it over path once complete,
    // so a failure leaves any earlier file of that name as it was.
    bool Save(const char16_t* path, IFileProgressListener* listener);

    void Clear();
    // Adds an entry, replacing one of exactly the same name.
    void Add(ZipFileHandler* source, const std::u16string& name, int32_t offset, int32_t size, int32_t flags);

    // Lookup as callers name files: "\\" in the request counts as "/".
    const FileInfo_t* Find(const char16_t* name) const;
    const FileInfo_t* FindExact(const std::u16string& name) const;
    // A fresh reading file over the entry, with its own handle on the package.
    IFile* OpenEntry(const FileInfo_t& entry) const;

    int GetCount() const { return entries_.GetCount(); }
    const FileInfo_t* GetEntry(int i) const { return entries_.Get(i); }
    int GetDataVersion() const { return dataVersion_; }
    void SetDataVersion(int version) { dataVersion_ = version; }
    const char16_t* GetPath() const { return path_.c_str(); }

private:
    bool ReadDirectory(IFile* file);
    struct Placement {
        int32_t offset;
        int32_t size;
    };
    bool WriteContents(IFile* out, IFileProgressListener* listener);
    bool WriteEntries(IFile* out, IFileProgressListener* listener, std::vector<Placement>& placed);

    IFileManager* manager_;
    int32_t dataVersion_ = 0;
    std::u16string path_;
    Util::List<FileInfo_t> entries_;
    // Name to the position of the first entry of that name.
    std::unordered_map<std::u16string, int> index_;
};
