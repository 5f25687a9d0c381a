#pragma once

#include "engine/files/NativeFile.h"

#include <sys/types.h>

#include <string>

// A new version of a disk file, written under a temporary name beside it
// and put in its place by Flush once every write succeeded, so a failed
// save never hurts the file it was meant to replace. The old file's
// permission bits and owner carry over; a symbolic link is written through
// (the file it leads to gets the new bytes, the link stays).
class ReplacementFile final : public NativeFile {
public:
    // Null when the target may not be written (no plain file, no write
    // permission bit, or this process may not open it for writing), or no
    // temporary file can be made beside it.
    static ReplacementFile* Create(const std::u16string& diskPath, const char16_t* name);
    ~ReplacementFile() override;

    // Ends an open compressed section, then puts the file in place; false
    // when a write failed (the temporary is removed) or the move failed.
    // Later writes go to the file in its place.
    bool Flush() override;
    // Before Flush: drops the new version and keeps the old file.
    void CloseAndDelete() override;

protected:
    bool RawWrite(const void* data, int length) override;

private:
    ReplacementFile(const std::u16string& tempPath, const char16_t* name, int handle);
    bool Place();
    void Abandon();

    std::string target_;
    std::string temp_;
    bool hadTarget_ = false;
    mode_t mode_ = 0;
    uid_t owner_ = 0;
    gid_t group_ = 0;
    bool failed_ = false;
    bool done_ = false;
    bool placed_ = false;
};
