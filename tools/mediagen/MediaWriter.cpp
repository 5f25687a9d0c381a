#include "MediaWriter.h"

#include "OggWriter.h"
#include "SoundSynth.h"

#include "engine/files/MemoryFile.h"
#include "engine/png/PngImage.h"

#include <cstdio>
#include <filesystem>
#include <fstream>

bool MediaWriter::WriteFile(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::error_code error;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), error);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    out.close();
    if (bytes.empty() || !out) {
        std::fprintf(stderr, "mediagen: cannot write %s\n", path.c_str());
        ok_ = false;
        return false;
    }
    ++count_;
    return true;
}

void MediaWriter::Picture(const std::string& name, const Canvas& canvas)
{
    MemoryFile file(0);
    PngImage png(&file);
    const std::vector<uint32_t> pixels = canvas.WriterPixels();
    png.SetPixels(canvas.Width(), canvas.Height(), pixels.data());
    std::vector<uint8_t> bytes;
    if (png.Write()) {
        bytes.resize(size_t(file.GetSize()));
        file.Seek(0);
        if (file.Read(bytes.data(), int(bytes.size())) != int(bytes.size()))
            bytes.clear();
    }
    WriteFile(root_ + "/gfx/" + name, bytes);
}

void MediaWriter::Sound(const std::string& name, const std::vector<float>& samples)
{
    WriteFile(root_ + "/sfx/" + name, OggWriter::EncodeMono(samples, SoundSynth::kRate));
}
