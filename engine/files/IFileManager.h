#pragma once

class IFile;
class IFileProgressListener;

// Open modes and flags of IFileManager::Open.
enum : int {
    kOpenRead = 0,
    kOpenWrite = 1,
};
enum : int {
    kOpenFullPath = 1,     // the path is complete, not under the game directory
    kOpenNoPackage = 2,    // never look into "game.data"
    kOpenNumberedName = 4, // writing: pick the first free name_N.ext
    // Writing: the bytes go to a temporary file beside the target, which
    // takes the target's place at Flush (or when the file is deleted) once
    // every write succeeded. Null when the target may not be written.
    kOpenReplace = 16,
};

class IFileManager {
public:
    virtual ~IFileManager() {}
    // Borrowed: the manager's, for its whole life.
    virtual const char16_t* GetGameDir() = 0;
    virtual bool DeleteFile(const char16_t* path) = 0;
    virtual bool MoveFile(const char16_t* from, const char16_t* to) = 0;
    virtual bool FileExists(const char16_t* path) = 0;
    // A new file the caller deletes.
    virtual IFile* CreateMemoryFile(int capacity) = 0;
    // A new file the caller deletes; handle: a file descriptor that stays the
    // caller's. Writing with kOpenReplace: a replacement of the plain file
    // the descriptor names (see Open), null when it names none; the
    // descriptor itself is left on the old file.
    virtual IFile* OpenHandle(int handle, bool writing, int flags) = 0;
    // A new file the caller deletes; null when there is no such entry.
    virtual IFile* OpenInPackage(const char16_t* innerName, const char16_t* packagePath) = 0;
    // A new file the caller deletes; null when it cannot be opened.
    virtual IFile* Open(const char16_t* path, int mode, int flags) = 0;
    // Borrowed: valid until the next FindFirst.
    virtual const char16_t* FindFirst(const char16_t* pattern) = 0;
    // Borrowed: valid until the next FindFirst.
    virtual const char16_t* FindNext() = 0;
    virtual bool HasDataPackage() = 0;
    virtual int GetDataVersion() = 0;
    virtual void SetPackageVersion(int version) = 0;
    virtual void BeginPackage(int version) = 0;
    virtual void AddFileToPackage(const char16_t* path, int flags) = 0;
    virtual bool AddPackageToPackage(const char16_t* packagePath) = 0;
    virtual bool SavePackage(const char16_t* path, IFileProgressListener* listener) = 0;
    virtual bool ExtractFromPackage(const char16_t* packagePath, const char16_t* innerName,
                                    const char16_t* destination) = 0;
    virtual bool BuildPatchPackage(const char16_t* oldPackage, const char16_t* newPackage, int unused) = 0;
};
