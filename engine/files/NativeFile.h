#pragma once

#include "engine/files/File.h"

#include <string>

// A file on disk over a POSIX descriptor.
class NativeFile : public File {
public:
    // fullPath: the disk path CloseAndDelete removes (may be empty).
    // ownsHandle false leaves the descriptor open for its owner.
    NativeFile(const char16_t* fullPath, const char16_t* name, int handle, bool ownsHandle = true);
    ~NativeFile() override;

    void CloseAndDelete() override;
    const char16_t* GetFullPath() const { return fullPath_.c_str(); }
    void SetWriting(bool writing) { writing_ = writing; }

protected:
    int RawTell() override { return position_; }
    void RawSeek(int position) override;
    int RawSkip(int delta) override;
    int RawRead(void* buffer, int length) override;
    bool RawWrite(const void* data, int length) override;
    void RawClose() override;
    int Handle() const { return handle_; }

private:
    int handle_;
    std::u16string fullPath_;
    int position_ = 0;
};
