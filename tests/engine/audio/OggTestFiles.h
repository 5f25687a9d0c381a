#pragma once

#include "engine/files/IFile.h"
#include "engine/files/IFileManager.h"

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace AudioTest {

// Sample value of a frame and channel, -1..1.
using Signal = std::function<float(int64_t frame, int channel)>;

float Sine(int64_t frame, int channel, int rate, float hz, float amplitude);

// An Ogg Vorbis stream made by libvorbisenc.
std::vector<uint8_t> EncodeOgg(int channels, int rate, int64_t frames, const Signal& signal, float quality = 0.3f);
std::vector<uint8_t> EncodeSine(int channels, int rate, double seconds, float hz = 440.0f, float amplitude = 0.5f);

// libvorbisfile's own decode: frames of floats per channel, interleaved.
struct Reference {
    int channels = 0;
    int rate = 0;
    std::vector<float> samples;
};
bool DecodeWithVorbisfile(const std::vector<uint8_t>& bytes, Reference& out);

// A read-only file over bytes.
class BytesFile : public IFile {
public:
    BytesFile(std::u16string name, std::vector<uint8_t> bytes) : name_(std::move(name)), bytes_(std::move(bytes)) {}
    const char16_t* GetName() override { return name_.c_str(); }
    int GetSize() override { return int(bytes_.size()); }
    bool IsWriting() override { return false; }
    int Tell() override { return int(pos_); }
    void Seek(int position) override { pos_ = std::min(bytes_.size(), size_t(position < 0 ? 0 : position)); }
    int Skip(int delta);
    bool BeginCompression() override { return false; }
    bool EndCompression() override { return false; }
    int Read(void* buffer, int length) override;
    bool ReadLine(char*, int) override { return false; }
    bool Write(const void*, int) override { return false; }
    bool WriteString(const char16_t*) override { return false; }
    bool WriteInt(int) override { return false; }
    bool Flush() override { return true; }
    void CloseAndDelete() override { delete this; }

    // The largest single read asked for.
    static int largestRead;

private:
    std::u16string name_;
    std::vector<uint8_t> bytes_;
    size_t pos_ = 0;
};

// Files by exact name; counts the opens.
class FakeFileManager : public IFileManager {
public:
    std::map<std::u16string, std::vector<uint8_t>> files;
    int opens = 0;

    const char16_t* GetGameDir() override { return u""; }
    bool DeleteFile(const char16_t*) override { return false; }
    bool MoveFile(const char16_t*, const char16_t*) override { return false; }
    bool FileExists(const char16_t* path) override { return files.count(path) > 0; }
    IFile* CreateMemoryFile(int) override { return nullptr; }
    IFile* OpenHandle(int, bool, int) override { return nullptr; }
    IFile* OpenInPackage(const char16_t*, const char16_t*) override { return nullptr; }
    IFile* Open(const char16_t* path, int mode, int flags) override;
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
};

// The sound device of the test process: openal-soft's wave-file writer,
// set up before the first OpenAL call. Each device opened truncates the
// file; closing it completes the header.
const std::string& WaveFilePath();
void UseWaveDevice();

// 16-bit stereo frames of a wave file, and its rate; false when the file is
// not such a file.
bool ReadWave(const std::string& path, std::vector<int16_t>& samples, int& rate);

} // namespace AudioTest
