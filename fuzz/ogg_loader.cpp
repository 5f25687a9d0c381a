// Arbitrary bytes through the whole-file Ogg Vorbis decode of the sound
// loader, without a sound device.
#include "engine/audio/OggDecoder.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    OggDecoder::Sound sound;
    if (OggDecoder().DecodeMemory(data, size, sound)) {
        // Whatever decodes is whole frames of one or two channels at a
        // plausible rate.
        if (sound.channels < 1 || sound.channels > 2 || sound.samples.size() % size_t(sound.channels) != 0 ||
            sound.rate < OggDecoder::kMinRate || sound.rate > OggDecoder::kMaxRate)
            __builtin_trap();
    }
    return 0;
}
