#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace TestSupport {

// A fresh folder under /tmp, removed with everything in it at the end of
// its scope, or when the process ends first (exit, a crash).
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& Path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
    int slot_ = -1;
};

// Runs the scope in another current directory and returns to the old one.
class ScopedChdir {
public:
    explicit ScopedChdir(const std::string& dir);
    ~ScopedChdir();

private:
    std::string old_;
};

std::vector<uint8_t> ReadAll(const std::string& path);
// The file's bytes as they are; empty when it cannot be read.
std::string ReadText(const std::string& path);
void WriteAll(const std::string& path, const void* data, size_t size);
void WriteAll(const std::string& path, const std::vector<uint8_t>& bytes);
void MakeDirs(const std::string& path);

// When VORNHAL_FUZZ_SEEDS names a folder, tests leave the inputs they build
// there as seeds for the fuzz target of that name.
void WriteFuzzSeed(const std::string& target, const std::string& name, const void* data, size_t size);
void WriteFuzzSeed(const std::string& target, const std::string& name, const std::vector<uint8_t>& bytes);

// Deterministic bytes for round trips.
std::vector<uint8_t> PseudoRandomBytes(size_t n, uint32_t seed);

} // namespace TestSupport
