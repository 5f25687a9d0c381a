// Bytes as a package file: load its directory, then list, match, open and
// read its entries the way the game and the patcher do.
#include "engine/core/StringKit.h"
#include "engine/files/FileManager.h"
#include "engine/files/IFile.h"
#include "engine/files/ZipFileHandler.h"

#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

namespace {

constexpr int kMaxEntries = 256;
constexpr int kMaxEntryBytes = 65536;
constexpr int kMaxSectionBytes = 1 << 20;

struct Scratch {
    Scratch()
    {
        char name[] = "/tmp/vornhal-fuzz-package-XXXXXX";
        fd = mkstemp(name);
        if (fd < 0)
            std::abort();
        path = Util::FromOs(name);
    }
    ~Scratch()
    {
        ::close(fd);
        ::unlink(Util::ToOs(path).c_str());
    }
    int fd;
    std::u16string path;
    FileManager manager;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static Scratch scratch;
    if (ftruncate(scratch.fd, 0) != 0 || pwrite(scratch.fd, data, size, 0) != ssize_t(size))
        return 0;

    ZipFileHandler package(&scratch.manager);
    package.Load(scratch.path.c_str());
    static uint8_t buffer[kMaxEntryBytes];
    int count = package.GetCount() < kMaxEntries ? package.GetCount() : kMaxEntries;
    for (int i = 0; i < count; ++i) {
        const ZipFileHandler::FileInfo_t* entry = package.GetEntry(i);
        FileManager::MatchPattern(entry->name.c_str(), u"levels/*.lvl");
        // Every listed entry is found by its name, except names stored with
        // "\\", which a request can never spell.
        if (entry->name.find(u'\\') == std::u16string::npos && package.Find(entry->name.c_str()) == nullptr)
            std::abort();
        std::unique_ptr<IFile> file(package.OpenEntry(*entry));
        if (!file)
            continue;
        int got = file->Read(buffer, kMaxEntryBytes);
        if (got > entry->size)
            std::abort();
        file->Seek(entry->size / 2);
        file->Skip(-1);
        file->Read(buffer, 16);
        if (i == 0) {
            file->Seek(0);
            file->BeginCompression();
            for (int total = 0; total < kMaxSectionBytes;) {
                int n = file->Read(buffer, kMaxEntryBytes);
                if (n <= 0)
                    break;
                total += n;
            }
            file->EndCompression();
        }
    }
    return 0;
}
