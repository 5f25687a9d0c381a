#pragma once

#include "Canvas.h"

#include <string>
#include <vector>

// Writes the generated files under a game folder: pictures to gfx/ through
// the engine's PNG writer, sounds to sfx/ as Ogg Vorbis. A failure is
// reported on stderr and remembered.
class MediaWriter {
public:
    explicit MediaWriter(std::string root) : root_(std::move(root)) {}

    void Picture(const std::string& name, const Canvas& canvas);
    void Sound(const std::string& name, const std::vector<float>& samples);

    bool Ok() const { return ok_; }
    int Count() const { return count_; }

private:
    bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes);

    std::string root_;
    bool ok_ = true;
    int count_ = 0;
};
