#pragma once

#include "engine/files/File.h"

#include <memory>

// A growable byte array. Writes always append; a read or a seek turns the
// file into a reading one, a write turns it back.
class MemoryFile final : public File {
public:
    static constexpr int kDefaultCapacity = 1048576;
    static constexpr int kGrowth = 524288;

    explicit MemoryFile(int capacity);

    // The bytes written so far.
    int GetSize() override { return length_; }

protected:
    int RawTell() override { return position_; }
    void RawSeek(int position) override;
    int RawSkip(int delta) override;
    int RawRead(void* buffer, int length) override;
    bool RawWrite(const void* data, int length) override;
    void RawClose() override {}

private:
    std::unique_ptr<uint8_t[]> data_;
    int capacity_;
    int length_ = 0;
    int position_ = 0;
};
