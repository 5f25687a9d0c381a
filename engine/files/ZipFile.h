#pragma once

#include "engine/files/File.h"

// A window onto one entry of a package: reads never leave the entry's
// bytes, moves are clamped to them.
class ZipFile final : public File {
public:
    // ownsPackage: the package file is deleted with this file.
    ZipFile(const char16_t* name, IFile* package, int offset, int size, bool ownsPackage = true);
    ~ZipFile() override;

protected:
    int RawTell() override { return position_; }
    void RawSeek(int position) override;
    int RawSkip(int delta) override;
    int RawRead(void* buffer, int length) override;
    bool RawWrite(const void* data, int length) override;
    void RawClose() override;

private:
    void ReleasePackage();

    IFile* package_;
    int offset_;
    int position_ = 0;
};
