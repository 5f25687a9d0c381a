// Package entry reads against plain reads of the same bytes, and compressed
// section reads against raw zlib inflate of the same bytes. Opening the last
// entry of a large package against opening its first, building package
// directories of two sizes, and disk names that miss their case against
// exact ones. The data is made once.
#include "engine/core/StringKit.h"
#include "engine/files/FileManager.h"
#include "engine/files/IFile.h"
#include "engine/files/MemoryFile.h"
#include "platform/os/Os.h"

#include <benchmark/benchmark.h>
#include <zlib.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int kDataSize = 64 << 20;

// Text-like bytes: words drawn from a small vocabulary compress about as
// level data and scripts do.
std::vector<uint8_t> MakeData()
{
    static const char* words[] = {"floor ", "wall ", "tile ", "light ", "object ", "team ", "flag ", "spawn ",
                                  "0 ",     "1 ",    "255 ",  "-1 ",    "\n",      "x=",    "y=",    "angle "};
    std::vector<uint8_t> out;
    out.reserve(kDataSize);
    uint32_t s = 12345;
    while (out.size() < size_t(kDataSize)) {
        s = s * 1103515245u + 12345u;
        const char* w = words[(s >> 16) & 15];
        for (; *w && out.size() < size_t(kDataSize); ++w)
            out.push_back(uint8_t(*w));
        if (((s >> 8) & 7) == 0 && out.size() < size_t(kDataSize))
            out.push_back(uint8_t(s >> 24)); // a little noise
    }
    return out;
}

void RefreshPageCache(const std::string& path)
{
    int fd = ::open(path.c_str(), O_RDONLY);
    if (fd < 0 || fsync(fd) != 0 || posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED) != 0)
        std::abort();
    std::vector<uint8_t> buffer(1 << 20);
    while (::read(fd, buffer.data(), buffer.size()) > 0) {
    }
    ::close(fd);
}

struct Fixture {
    Fixture()
    {
        char dirName[] = "/tmp/vornhal-bench-files-XXXXXX";
        if (!mkdtemp(dirName))
            std::abort();
        dir = dirName;
        char old[4096];
        if (!getcwd(old, sizeof old) || chdir(dir.c_str()) != 0)
            std::abort();
        manager.reset(new FileManager());
        if (chdir(old) != 0)
            std::abort();

        std::vector<uint8_t> data = MakeData();
        std::string plainPath = dir + "/plain.bin";
        FILE* f = std::fopen(plainPath.c_str(), "wb");
        if (!f || std::fwrite(data.data(), 1, data.size(), f) != data.size() || std::fclose(f) != 0)
            std::abort();

        // The same bytes as the one entry of a package.
        packagePath = Util::FromOs(dir + "/bench.data");
        manager->BeginPackage(1);
        manager->AddFileToPackage(u"plain.bin", 0);
        if (!manager->SavePackage(packagePath.c_str(), nullptr))
            std::abort();

        // How a file was written shapes its page cache (folio sizes) and so
        // the speed of later reads; drop the package's pages and read them
        // back through readahead, as a game meets them.
        std::remove(plainPath.c_str());
        packageOsPath = Util::ToOs(packagePath);
        RefreshPageCache(packageOsPath);

        // The same bytes as a compressed section, as the engine writes it.
        section.reset(new MemoryFile(0));
        section->BeginCompression();
        section->Write(data.data(), int(data.size()));
        section->EndCompression();
        compressed.resize(size_t(section->GetSize()));
        section->Seek(0);
        if (section->Read(compressed.data(), int(compressed.size())) != int(compressed.size()))
            std::abort();
    }
    ~Fixture()
    {
        manager.reset();
        std::remove(packageOsPath.c_str());
        rmdir(dir.c_str());
    }

    std::string dir;
    std::u16string packagePath;
    std::string packageOsPath;
    std::unique_ptr<FileManager> manager;
    std::unique_ptr<MemoryFile> section;
    std::vector<uint8_t> compressed;
};

Fixture& Data()
{
    static Fixture fixture;
    return fixture;
}

int64_t ReadEntry(Fixture& fx, std::vector<uint8_t>& buffer)
{
    std::unique_ptr<IFile> entry(fx.manager->OpenInPackage(u"plain.bin", fx.packagePath.c_str()));
    int64_t total = 0;
    for (int n; (n = entry->Read(buffer.data(), int(buffer.size()))) > 0;)
        total += n;
    return total;
}

// The yardstick: read(2) of the package's first 64 MiB, aligned at the
// file's start, over the very page-cache pages the entry lies in. A second
// file of the same bytes is no yardstick: where its pages happen to sit in
// memory moves plain reads of it against the package by 10% or more from
// one run to the next.
int64_t ReadPlain(Fixture& fx, std::vector<uint8_t>& buffer)
{
    int fd = ::open(fx.packageOsPath.c_str(), O_RDONLY);
    int64_t total = 0;
    while (total < kDataSize) {
        size_t want = size_t(std::min<int64_t>(int64_t(buffer.size()), kDataSize - total));
        ssize_t n = ::read(fd, buffer.data(), want);
        if (n <= 0)
            break;
        total += n;
    }
    ::close(fd);
    return total;
}

// Median time of an entry read over that of a plain read, the two taken in
// turns (each going first in half the rounds) so that both meet the same
// machine.
double EntryOverPlain(Fixture& fx, std::vector<uint8_t>& buffer)
{
    std::vector<double> entry, plain;
    auto time = [&](int64_t (*read)(Fixture&, std::vector<uint8_t>&), std::vector<double>& out) {
        auto t0 = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(read(fx, buffer));
        out.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
    };
    for (int i = 0; i < 32; ++i) {
        if (i % 2)
            time(ReadPlain, plain);
        time(ReadEntry, entry);
        if (i % 2 == 0)
            time(ReadPlain, plain);
    }
    auto median = [](std::vector<double>& v) {
        std::sort(v.begin(), v.end());
        return (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
    };
    return median(entry) / median(plain);
}

void BM_PackageEntryRead(benchmark::State& state)
{
    Fixture& fx = Data();
    std::vector<uint8_t> buffer(size_t(state.range(0)));
    for (auto _ : state) {
        if (ReadEntry(fx, buffer) != kDataSize)
            state.SkipWithError("short entry");
        benchmark::DoNotOptimize(buffer.data());
    }
    state.SetBytesProcessed(state.iterations() * int64_t(kDataSize));
    state.counters["x_plain"] = EntryOverPlain(fx, buffer);
}

void BM_PlainFileRead(benchmark::State& state)
{
    Fixture& fx = Data();
    std::vector<uint8_t> buffer(size_t(state.range(0)));
    for (auto _ : state) {
        if (ReadPlain(fx, buffer) != kDataSize)
            state.SkipWithError("short read");
        benchmark::DoNotOptimize(buffer.data());
    }
    state.SetBytesProcessed(state.iterations() * int64_t(kDataSize));
}

void BM_CompressedSectionRead(benchmark::State& state)
{
    Fixture& fx = Data();
    std::vector<uint8_t> buffer(size_t(state.range(0)));
    for (auto _ : state) {
        fx.section->Seek(0);
        fx.section->BeginCompression();
        int64_t total = 0;
        for (int n; (n = fx.section->Read(buffer.data(), int(buffer.size()))) > 0;)
            total += n;
        fx.section->EndCompression();
        if (total != kDataSize)
            state.SkipWithError("short section");
        benchmark::DoNotOptimize(buffer.data());
    }
    state.SetBytesProcessed(state.iterations() * int64_t(kDataSize));
}

void BM_RawZlibInflate(benchmark::State& state)
{
    Fixture& fx = Data();
    std::vector<uint8_t> buffer(size_t(state.range(0)));
    for (auto _ : state) {
        z_stream zs{};
        inflateInit(&zs);
        zs.next_in = fx.compressed.data();
        zs.avail_in = uInt(fx.compressed.size());
        int64_t total = 0;
        int rc = Z_OK;
        while (rc == Z_OK) {
            zs.next_out = buffer.data();
            zs.avail_out = uInt(buffer.size());
            rc = inflate(&zs, Z_NO_FLUSH);
            total += int64_t(buffer.size() - zs.avail_out);
        }
        inflateEnd(&zs);
        if (rc != Z_STREAM_END || total != kDataSize)
            state.SkipWithError("bad stream");
        benchmark::DoNotOptimize(buffer.data());
    }
    state.SetBytesProcessed(state.iterations() * int64_t(kDataSize));
}

constexpr int kManyEntries = 10000;

std::u16string EntryName(int i) { return u"levels/entry" + Util::IntToString16(i) + u".lvl"; }

// A package of many small entries, a folder of as many files, and a file
// manager for both.
struct ManyFixture {
    ManyFixture()
    {
        char dirName[] = "/tmp/vornhal-bench-many-XXXXXX";
        if (!mkdtemp(dirName))
            std::abort();
        dir = dirName;
        std::vector<uint8_t> bytes;
        auto put = [&](uint32_t v) {
            for (int i = 0; i < 4; ++i)
                bytes.push_back(uint8_t(v >> (8 * i)));
        };
        put(0xFFFFFFFFu);
        put(1);
        put(1);
        put(16 + 4 * kManyEntries);
        for (int i = 0; i < kManyEntries; ++i)
            put(uint32_t(i));
        put(kManyEntries);
        for (int i = 0; i < kManyEntries; ++i) {
            for (char16_t c : EntryName(i)) {
                bytes.push_back(uint8_t(c));
                bytes.push_back(uint8_t(c >> 8));
            }
            bytes.push_back(0);
            bytes.push_back(0);
            put(uint32_t(16 + 4 * i));
            put(4);
            put(0);
        }
        packagePath = Util::FromOs(dir + "/many.data");
        FILE* f = std::fopen((dir + "/many.data").c_str(), "wb");
        if (!f || std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size() || std::fclose(f) != 0)
            std::abort();

        folder = dir + "/folder";
        if (mkdir(folder.c_str(), 0755) != 0)
            std::abort();
        for (int i = 0; i < kManyEntries; ++i) {
            int fd = ::open((folder + "/File" + std::to_string(i) + ".txt").c_str(), O_CREAT | O_WRONLY, 0644);
            if (fd < 0)
                std::abort();
            ::close(fd);
        }
        // A folder changed this very moment is read again at each miss;
        // one that has been left alone for a while is what a game sees.
        struct timespec old[2] = {{1000000000, 0}, {1000000000, 0}};
        if (utimensat(AT_FDCWD, folder.c_str(), old, 0) != 0)
            std::abort();

        char cwd[4096];
        if (!getcwd(cwd, sizeof cwd) || chdir(dir.c_str()) != 0)
            std::abort();
        manager.reset(new FileManager());
        if (chdir(cwd) != 0)
            std::abort();
    }
    ~ManyFixture()
    {
        manager.reset();
        std::filesystem::remove_all(dir);
    }

    std::string dir;
    std::string folder;
    std::u16string packagePath;
    std::unique_ptr<FileManager> manager;
};

ManyFixture& Many()
{
    static ManyFixture fixture;
    return fixture;
}

// Arg 0 opens the first entry, arg 1 the last.
void BM_OpenPackageEntry(benchmark::State& state)
{
    ManyFixture& fx = Many();
    std::u16string name = EntryName(state.range(0) ? kManyEntries - 1 : 0);
    for (auto _ : state) {
        std::unique_ptr<IFile> entry(fx.manager->OpenInPackage(name.c_str(), fx.packagePath.c_str()));
        if (!entry)
            state.SkipWithError("no entry");
        benchmark::DoNotOptimize(entry.get());
    }
}

void BM_BuildPackageDirectory(benchmark::State& state)
{
    ManyFixture& fx = Many();
    std::vector<std::u16string> names;
    for (int i = 0; i < state.range(0); ++i)
        names.push_back(EntryName(i));
    for (auto _ : state) {
        fx.manager->BeginPackage(1);
        for (const std::u16string& name : names)
            fx.manager->AddFileToPackage(name.c_str(), 0);
    }
    state.SetComplexityN(state.range(0));
}

// Arg 0: the name as it is on disk; 1: in other letter case; 2: no such file.
void BM_DiskName(benchmark::State& state)
{
    ManyFixture& fx = Many();
    const char* names[] = {"/File5000.txt", "/FILE5000.TXT", "/File99999.txt"};
    std::u16string path = Util::FromOs(fx.folder + names[state.range(0)]);
    for (auto _ : state)
        benchmark::DoNotOptimize(Os::NativePath(path));
}

} // namespace

BENCHMARK(BM_OpenPackageEntry)->Arg(0)->Arg(1);
BENCHMARK(BM_BuildPackageDirectory)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->Complexity();
BENCHMARK(BM_DiskName)->Arg(0)->Arg(1)->Arg(2);
BENCHMARK(BM_PackageEntryRead)->Arg(64 << 10)->Arg(1 << 20)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainFileRead)->Arg(64 << 10)->Arg(1 << 20)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CompressedSectionRead)->Arg(64 << 10)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RawZlibInflate)->Arg(64 << 10)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
