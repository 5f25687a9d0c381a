#pragma once

#include "engine/net/Object.h"

#include <cstdint>
#include <vector>

class IGameState;
class IAudioBuffer;
class IAudioSource;
class IResource;
class IResourceManager;
class SoundSourcePtr;
class SoundSystem;

// A replicated sound of the world: a sound resource at a place with a play
// counter. Each machine plays the sound when it sees the counter move.
class SoundSource : public MPAPI::Object {
public:
    static constexpr int kTypeId = 20;
    static constexpr int kVoices = 5;

    ~SoundSource() override;

    const MPAPI::FieldRecord* GetFieldTable() override;
    int GetTypeId() override { return kTypeId; }
    int GetSubTypeId() override { return soundId; }
    float GetX() override { return x; }
    float GetY() override { return y; }
    bool IsNear(float vx, float vy, bool* far) override;
    void OnNetUpdate() override;
    void OnNetStale() override { stale = true; }
    // Non-finite values from the network leave the position as it was.
    void SetNetPosition(float nx, float ny, float dx, float dy) override;

    // Starts the sound once more, unless the same variant is still held.
    void Trigger(int variant, float hold);
    int CountVoices() const;

    int soundId = 0;
    int32_t ownerId = 0;
    uint8_t volume = 50;
    float x = 0.0f, y = 0.0f;
    bool attached = false;
    uint8_t playCounter = 0;
    uint8_t heardCounter = 0;
    float age = 0.0f;
    bool stale = false;
    bool shared = false;
    float delay = 0.0f;
    float pendingDelays[kVoices] = {};
    float freshTime = 0.0f;
    float holdTime = 0.0f;
    int variant = 0;

private:
    friend class SoundSystem;
    friend class SoundSourcePtr;
    SoundSource(SoundSystem* system, int soundId, IResource* resource);
    void Update(float dt);
    void Start();

    SoundSystem* system_;
    IResource* resource_;
    // A client's copy of a server's source: the networking layer made it and
    // deletes it, so the sound system only lists it.
    bool replica_ = false;
    std::vector<IAudioBuffer*> samples_;
    IAudioSource* voices_[kVoices] = {};
    // The holder that owns this source, told when someone else destroys it.
    SoundSourcePtr* holder_ = nullptr;
};

// Owns one source; the source may go first (level load, the sound system's
// end) and the holder is then simply empty.
class SoundSourcePtr {
public:
    SoundSourcePtr() = default;
    explicit SoundSourcePtr(SoundSource* source) { Reset(source); }
    ~SoundSourcePtr() { Reset(nullptr); }
    SoundSourcePtr(const SoundSourcePtr&) = delete;
    SoundSourcePtr& operator=(const SoundSourcePtr&) = delete;

    void Reset(SoundSource* source);
    SoundSource* Get() const { return source_; }
    SoundSource* operator->() const { return source_; }
    explicit operator bool() const { return source_ != nullptr; }

private:
    friend class SoundSource;
    SoundSource* source_ = nullptr;
};

// Every sound source of this machine; game code asks it for sources and
// triggers them rather than playing audio itself.
class SoundSystem {
public:
    SoundSystem(IGameState* game, IResourceManager* resources);
    virtual ~SoundSystem();
    SoundSystem(const SoundSystem&) = delete;
    SoundSystem& operator=(const SoundSystem&) = delete;

    // A one-shot at a place; volume 10.0 is the byte 100.
    SoundSource* PlayAt(int soundId, float x, float y, float volume);
    SoundSource* CreateAttached(int soundId, int ownerId);
    // A pooled source within 500 units of (x, y), else a new one; the caller
    // places and triggers it.
    SoundSource* GetShared(int soundId, float x, float y);
    // The copy of a replicated source: made on the network's receive thread,
    // listed by Adopt on the game thread, deleted only by the networking layer.
    SoundSource* CreateCopy(int soundId);
    void Adopt(SoundSource* copy);

    // Plays what the counters ask for; every machine that outputs sound.
    void Update(float dt);
    // Destroys one-shots after 4 s and shared sources after 20 s; serving.
    void ExpireSources(float dt);
    // Destroys every source this machine made; copies stay the network's.
    void Clear();
    int Count() const { return int(sources_.size()); }

private:
    friend class SoundSource;
    SoundSource* Make(int soundId);
    SoundSource* MakeUnlisted(int soundId);
    void TakeSoundSettings(SoundSource* source);
    void Unlink(SoundSource* source);
    template <class F> void Walk(F f);

    IGameState* game_;
    IResourceManager* resources_;
    std::vector<SoundSource*> sources_;
    bool clearing_ = false;
    int walking_ = 0;
    bool holes_ = false;
};
