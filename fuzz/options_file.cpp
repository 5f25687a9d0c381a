// Arbitrary bytes as "game.opt": read them into fresh options, write them
// out into memory and read that back.
#include "engine/files/File.h"
#include "engine/files/IFileManager.h"
#include "engine/files/MemoryFile.h"
#include "game/world/settings/GameOptions.h"
#include "game/world/settings/OptionsFile.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace {

// Bans name hosts; the fuzzer must not look them up on the network, so
// only dotted quads resolve here.
uint32_t NoLookup(const char16_t* host)
{
    uint32_t address = 0;
    int octet = 0;
    for (int part = 0; part < 4; ++part) {
        int value = 0, digits = 0;
        while (host && *host >= u'0' && *host <= u'9' && digits < 4) {
            value = value * 10 + (*host++ - u'0');
            ++digits;
        }
        if (digits == 0 || value > 255)
            return 0;
        address |= uint32_t(value) << (8 * octet++);
        if (part < 3 && *host++ != u'.')
            return 0;
    }
    return *host ? 0 : address;
}

// Hands out the fuzz input as the one file there is and keeps what is
// written, so the written text can be read again.
class MemoryFiles final : public IFileManager {
public:
    std::string content;

    const char16_t* GetGameDir() override { return u""; }
    bool DeleteFile(const char16_t*) override { return true; }
    bool MoveFile(const char16_t*, const char16_t*) override
    {
        content = written;
        return true;
    }
    bool FileExists(const char16_t*) override { return true; }
    IFile* CreateMemoryFile(int capacity) override { return new MemoryFile(capacity); }
    IFile* OpenHandle(int, bool, int) override { return nullptr; }
    IFile* OpenInPackage(const char16_t*, const char16_t*) override { return nullptr; }
    IFile* Open(const char16_t*, int mode, int) override
    {
        if (mode == kOpenWrite)
            return new Capture(this);
        auto* f = new MemoryFile(int(content.size()) + 1);
        f->Write(content.data(), int(content.size()));
        f->Seek(0);
        return f;
    }
    const char16_t* FindFirst(const char16_t*) override { return nullptr; }
    const char16_t* FindNext() override { return nullptr; }
    bool HasDataPackage() override { return false; }
    int GetDataVersion() override { return 0; }
    void SetPackageVersion(int) override {}
    void BeginPackage(int) override {}
    void AddFileToPackage(const char16_t*, int) override {}
    bool AddPackageToPackage(const char16_t*) override { return false; }
    bool SavePackage(const char16_t*, IFileProgressListener*) override { return false; }
    bool ExtractFromPackage(const char16_t*, const char16_t*, const char16_t*) override { return false; }
    bool BuildPatchPackage(const char16_t*, const char16_t*, int) override { return false; }

private:
    class Capture final : public File {
    public:
        explicit Capture(MemoryFiles* owner) : File(u"capture", 0), owner_(owner) { owner_->written.clear(); }

    protected:
        int RawTell() override { return int(owner_->written.size()); }
        void RawSeek(int) override {}
        int RawSkip(int) override { return 0; }
        int RawRead(void*, int) override { return 0; }
        bool RawWrite(const void* data, int length) override
        {
            owner_->written.append(static_cast<const char*>(data), size_t(length));
            return true;
        }
        void RawClose() override {}

    private:
        MemoryFiles* owner_;
    };

    std::string written;
};

// The reader keeps 2047 characters of a text; an escaped "&", "<" or ">"
// takes up to five, so only texts well below that are sure to come back.
bool TextsFitTheReader(GameOptions& o)
{
    const size_t limit = 2047 / 5;
    auto fits = [&](const char16_t* s) { return std::u16string(s).size() <= limit; };
    bool ok = fits(o.GetScreenshotPath()) && fits(o.GetDefaultAddress()) && fits(o.GetServerInfoFile());
    for (int i = 0; i < o.GetOperatorCount(); ++i)
        ok = ok && fits(o.GetOperator(i));
    for (int mode = 0; mode < 100; ++mode)
        for (int i = 0; i < o.GetMapCycleCount(mode); ++i)
            ok = ok && fits(o.GetMapCycleLevel(mode, i));
    return ok;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    MemoryFiles files;
    files.content.assign(reinterpret_cast<const char*>(data), size);
    GameOptions first;
    first.SetAddressResolver(NoLookup);
    if (!ReadOptionsFile(&files, &first, nullptr))
        return 0;
    WriteOptionsFile(&files, &first, first.GetUpdaterString());
    std::string once = files.content;
    GameOptions second;
    second.SetAddressResolver(NoLookup);
    ReadOptionsFile(&files, &second, nullptr);
    WriteOptionsFile(&files, &second, second.GetUpdaterString());
    // What the game writes, it reads back the same.
    if (TextsFitTheReader(first) && files.content != once)
        __builtin_trap();
    return 0;
}
