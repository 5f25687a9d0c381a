#include "support/TestSupport.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace TestSupport {

TempDir::TempDir()
{
    char tmpl[] = "/tmp/vornhal-test-XXXXXX";
    if (!mkdtemp(tmpl))
        throw std::runtime_error("mkdtemp failed");
    path_ = tmpl;
}

TempDir::~TempDir()
{
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

ScopedChdir::ScopedChdir(const std::string& dir)
{
    char buf[4096];
    if (getcwd(buf, sizeof buf))
        old_ = buf;
    if (chdir(dir.c_str()) != 0)
        throw std::runtime_error("chdir failed: " + dir);
}

ScopedChdir::~ScopedChdir()
{
    if (!old_.empty() && chdir(old_.c_str()) != 0)
        std::perror("chdir");
}

std::vector<uint8_t> ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void WriteAll(const std::string& path, const void* data, size_t size)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(static_cast<const char*>(data), std::streamsize(size));
    if (!out)
        throw std::runtime_error("cannot write " + path);
}

void WriteAll(const std::string& path, const std::vector<uint8_t>& bytes) { WriteAll(path, bytes.data(), bytes.size()); }

void MakeDirs(const std::string& path) { std::filesystem::create_directories(path); }

void WriteFuzzSeed(const std::string& target, const std::string& name, const void* data, size_t size)
{
    const char* root = std::getenv("VORNHAL_FUZZ_SEEDS");
    if (!root || !*root)
        return;
    std::string dir = std::string(root) + "/" + target;
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    WriteAll(dir + "/" + name, data, size);
}

void WriteFuzzSeed(const std::string& target, const std::string& name, const std::vector<uint8_t>& bytes)
{
    WriteFuzzSeed(target, name, bytes.data(), bytes.size());
}

std::vector<uint8_t> PseudoRandomBytes(size_t n, uint32_t seed)
{
    std::vector<uint8_t> v(n);
    uint32_t s = seed ? seed : 1;
    for (size_t i = 0; i < n; ++i) {
        s ^= s << 13;
        s ^= s >> 17;
        s ^= s << 5;
        v[i] = uint8_t(s >> 24);
    }
    return v;
}

} // namespace TestSupport
