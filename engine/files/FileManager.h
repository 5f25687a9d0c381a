#pragma once

#include "engine/core/List.h"
#include "engine/files/IFileManager.h"

#include <string>

class ZipFileHandler;

// Turns names into open files: under the game directory, inside "game.data"
// before the disk, or inside any package; and builds packages.
class FileManager final : public IFileManager {
public:
    struct FindFile {
        std::u16string name;
    };

    // The game directory is the current directory at this point.
    FileManager();
    ~FileManager() override;
    FileManager(const FileManager&) = delete;
    FileManager& operator=(const FileManager&) = delete;

    const char16_t* GetGameDir() override { return gameDir_.c_str(); }
    bool DeleteFile(const char16_t* path) override;
    bool MoveFile(const char16_t* from, const char16_t* to) override;
    bool FileExists(const char16_t* path) override;
    IFile* CreateMemoryFile(int capacity) override;
    IFile* OpenHandle(int handle, bool writing, int flags) override;
    IFile* OpenInPackage(const char16_t* innerName, const char16_t* packagePath) override;
    IFile* Open(const char16_t* path, int mode, int flags) override;
    const char16_t* FindFirst(const char16_t* pattern) override;
    const char16_t* FindNext() override;
    bool HasDataPackage() override;
    int GetDataVersion() override;
    void SetPackageVersion(int version) override;
    void BeginPackage(int version) override;
    void AddFileToPackage(const char16_t* path, int flags) override;
    bool AddPackageToPackage(const char16_t* packagePath) override;
    bool SavePackage(const char16_t* path, IFileProgressListener* listener) override;
    bool ExtractFromPackage(const char16_t* packagePath, const char16_t* innerName,
                            const char16_t* destination) override;
    bool BuildPatchPackage(const char16_t* oldPackage, const char16_t* newPackage, int unused) override;

    // The package matcher: "*" matches any run of units, "\\" in the
    // pattern counts as "/", and running out of name or pattern succeeds.
    static bool MatchPattern(const char16_t* name, const char16_t* pattern);

private:
    ZipFileHandler* DefaultPackage();
    ZipFileHandler* CachedPackage(const char16_t* path);
    std::u16string UnderGameDir(const char16_t* path) const;
    void DiscardBuild();
    bool BuildUses(const ZipFileHandler* handler) const;
    void ReloadHandlersOf(const char16_t* savedPath);

    std::u16string gameDir_;
    ZipFileHandler* building_ = nullptr;
    ZipFileHandler* compareOld_ = nullptr;
    ZipFileHandler* compareNew_ = nullptr;
    ZipFileHandler* default_ = nullptr;
    Util::List<ZipFileHandler> cache_;
    Util::List<FindFile> found_;
    int nextFound_ = 0;
};
