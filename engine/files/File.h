#pragma once

#include "engine/files/IFile.h"

#include <zlib.h>

#include <cstdint>
#include <memory>
#include <string>

// The stream logic shared by every backend: direction, zlib-compressed
// sections inside the stream, typed writes and line reads. Backends supply
// the six raw operations.
//
// Lengths of 0 or less read nothing (0); a negative write length fails and a
// zero-length write succeeds without touching the backend.
class File : public IFile {
public:
    // Sizes of the section buffers; readers of the format rely on the
    // 10,240-byte blocks (sync-flushed) that writers produce.
    static constexpr int kWriteBlockSize = 10240;
    static constexpr int kReadInputSize = 51200;
    static constexpr int kFreshInputSize = 10240;
    static constexpr int kOutputSize = 1048576;

    File(const char16_t* name, int size);
    ~File() override;
    File(const File&) = delete;
    File& operator=(const File&) = delete;

    const char16_t* GetName() override { return name_.c_str(); }
    int GetSize() override { return size_; }
    bool IsWriting() override { return writing_; }
    int Tell() override { return RawTell(); }
    void Seek(int position) override { RawSeek(position); }
    int Skip(int delta) override { return RawSkip(delta); }
    bool BeginCompression() override;
    bool EndCompression() override;
    int Read(void* buffer, int length) override;
    bool ReadLine(char* buffer, int size) override;
    bool Write(const void* data, int length) override;
    bool WriteString(const char16_t* text) override;
    bool WriteInt(int value) override;
    bool Flush() override { return EndCompression(); }
    void CloseAndDelete() override {}

protected:
    virtual int RawTell() = 0;
    virtual void RawSeek(int position) = 0;
    virtual int RawSkip(int delta) = 0;
    virtual int RawRead(void* buffer, int length) = 0;
    virtual bool RawWrite(const void* data, int length) = 0;
    virtual void RawClose() = 0;

    std::u16string name_;
    int size_;
    bool ownsBackend_ = true;
    bool writing_ = true;

private:
    bool EnsureBuffers(int inputSize);
    bool DeflateBlock(int flush);
    int ReadCompressed(uint8_t* out, int length);
    bool Refill();
    void EndStream();

    bool compressing_ = false;
    bool sectionWriting_ = false; // direction of the open section
    bool streamEnded_ = false;
    bool streamBroken_ = false; // zlib gave up on damaged data
    z_stream zs_{};
    std::unique_ptr<uint8_t[]> input_; // compressed side when reading, pending block when writing
    int inputSize_ = 0;
    std::unique_ptr<uint8_t[]> output_; // 1 MiB: deflate output or decompressed bytes
    int pending_ = 0;
    int available_ = 0;
    int readOffset_ = 0;
};
