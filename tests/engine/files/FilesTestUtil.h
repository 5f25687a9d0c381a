#pragma once

#include "engine/files/FileManager.h"
#include "engine/files/IFile.h"
#include "support/TestSupport.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace FilesTest {

using Bytes = std::vector<uint8_t>;

inline Bytes ToBytes(const std::string& s) { return Bytes(s.begin(), s.end()); }

inline void PutInt(Bytes& out, int32_t v)
{
    uint32_t u = uint32_t(v);
    for (int i = 0; i < 4; ++i)
        out.push_back(uint8_t(u >> (8 * i)));
}

inline void PutName(Bytes& out, const std::u16string& name)
{
    for (char16_t c : name) {
        out.push_back(uint8_t(c));
        out.push_back(uint8_t(c >> 8));
    }
    out.push_back(0);
    out.push_back(0);
}

struct Entry {
    std::u16string name;
    Bytes bytes;
    int32_t flags = 0;
};

// A package laid out by hand from the format: header, the entries' bytes
// back to back, then the directory.
inline Bytes BuildPackage(int32_t dataVersion, const std::vector<Entry>& entries, bool version0 = false)
{
    Bytes out;
    if (!version0) {
        PutInt(out, -1);
        PutInt(out, 1);
        PutInt(out, dataVersion);
    }
    size_t dirField = out.size();
    PutInt(out, 0);
    std::vector<int32_t> offsets;
    for (const Entry& e : entries) {
        offsets.push_back(int32_t(out.size()));
        out.insert(out.end(), e.bytes.begin(), e.bytes.end());
    }
    int32_t dir = int32_t(out.size());
    for (int i = 0; i < 4; ++i)
        out[dirField + i] = uint8_t(uint32_t(dir) >> (8 * i));
    PutInt(out, int32_t(entries.size()));
    for (size_t i = 0; i < entries.size(); ++i) {
        PutName(out, entries[i].name);
        PutInt(out, offsets[i]);
        PutInt(out, int32_t(entries[i].bytes.size()));
        if (!version0)
            PutInt(out, entries[i].flags);
    }
    return out;
}

// Everything from the current position to the end.
inline Bytes ReadRest(IFile* file, int chunk = 4096)
{
    Bytes out;
    Bytes buf(size_t(chunk > 0 ? chunk : 1));
    for (;;) {
        int n = file->Read(buf.data(), int(buf.size()));
        if (n <= 0)
            break;
        out.insert(out.end(), buf.begin(), buf.begin() + n);
    }
    return out;
}

inline Bytes ReadFile(IFileManager& fm, const char16_t* path, int flags = 0)
{
    std::unique_ptr<IFile> f(fm.Open(path, kOpenRead, flags));
    return f ? ReadRest(f.get()) : Bytes{0xDE, 0xAD};
}

// A game directory of its own for each test, with a file manager in it.
class GameDirTest {
protected:
    GameDirTest() : chdir_(dir_.Path()), fm_(new FileManager()) {}
    std::string At(const std::string& name) const { return dir_.File(name); }
    void Put(const std::string& name, const Bytes& bytes)
    {
        size_t slash = name.rfind('/');
        if (slash != std::string::npos)
            TestSupport::MakeDirs(dir_.File(name.substr(0, slash)));
        TestSupport::WriteAll(dir_.File(name), bytes);
    }
    void Put(const std::string& name, const std::string& text) { Put(name, ToBytes(text)); }

    TestSupport::TempDir dir_;
    TestSupport::ScopedChdir chdir_;
    std::unique_ptr<FileManager> fm_;
};

} // namespace FilesTest
