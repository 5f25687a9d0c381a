#pragma once

class IAudioSource;

// Decoded sound data; belongs to the audio object that loaded it.
class IAudioBuffer {
public:
    virtual ~IAudioBuffer() {}
    // A new voice on this sound that the caller owns; null on an audio error.
    virtual IAudioSource* CreateSource() = 0;
};
