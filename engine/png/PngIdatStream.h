#pragma once

#include "engine/files/File.h"

#include <cstdint>

// The image data of a PNG as one stream: the payloads of consecutive IDAT
// chunks joined together, read through the file layer's compressed section
// so that data split over several chunks inflates as one zlib stream. The
// chunk framing (CRCs, headers) never reaches the inflater, and the stream
// ends at the first chunk that is not IDAT.
class PngIdatStream : public File {
public:
    // The source stands on the first IDAT chunk's data, length bytes long;
    // it stays the caller's.
    PngIdatStream(IFile* source, uint32_t length);

protected:
    int RawTell() override { return position_; }
    void RawSeek(int) override {}
    // The inflater steps back only when its zlib stream ended; whatever
    // follows in the chunks is not image data, so the stream ends there.
    int RawSkip(int) override
    {
        ended_ = true;
        return position_;
    }
    int RawRead(void* buffer, int length) override;
    bool RawWrite(const void*, int) override { return false; }
    void RawClose() override {}

private:
    bool NextChunk();

    IFile* source_;
    uint32_t left_; // data bytes of the current chunk not yet read
    int position_ = 0;
    bool ended_ = false;
};
