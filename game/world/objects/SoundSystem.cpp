#include "game/world/objects/SoundSystem.h"

#include "engine/audio/IAudioBuffer.h"
#include "engine/audio/IAudioSource.h"
#include "engine/core/Random.h"
#include "game/world/net/IMultiplayerHandler.h"
#include "game/world/resources/IResource.h"
#include "game/world/resources/IResourceManager.h"
#include "game/world/resources/ISoundResource.h"
#include "game/world/state/IGameState.h"

#include <algorithm>
#include <cmath>

namespace {
// Counters skip 0 (never played) and 255.
uint8_t NextCounter(uint8_t c) { return c >= 254 ? 1 : uint8_t(c + 1); }

uint8_t VolumeByte(float v)
{
    if (!(v > 0.0f))
        return 0;
    return v >= 255.0f ? 255 : uint8_t(std::lround(v));
}
} // namespace

SoundSource::SoundSource(SoundSystem* system, int id, IResource* resource)
    : soundId(id), system_(system), resource_(resource)
{
    if (ISoundResource* sound = resource ? resource->GetSoundInterface() : nullptr) {
        for (int i = 0, n = sound->GetSampleCount(); i < n; ++i) {
            if (IAudioBuffer* sample = sound->GetSample(i))
                samples_.push_back(sample);
        }
    }
}

SoundSource::~SoundSource()
{
    for (IAudioSource*& voice : voices_) {
        delete voice;
        voice = nullptr;
    }
    if (holder_)
        holder_->source_ = nullptr;
    if (system_ && !system_->clearing_)
        system_->Unlink(this);
}

const MPAPI::FieldRecord* SoundSource::GetFieldTable()
{
    static MPAPI::FieldRecord table[6];
    static bool filled = false;
    if (!filled) {
        auto at = [this](const void* member) {
            return int32_t(static_cast<const char*>(member) -
                           reinterpret_cast<const char*>(static_cast<MPAPI::Object*>(this)));
        };
        table[0] = {MPAPI::kFieldInt32, at(&ownerId), 1, 0, 0};
        table[1] = {MPAPI::kFieldByte, at(&volume), 1, 0, 0};
        table[2] = {MPAPI::kFieldWord, at(&x), 0, 0, 0};
        table[3] = {MPAPI::kFieldWord, at(&y), 0, 0, 0};
        table[4] = {MPAPI::kFieldByte, at(&playCounter), 0, 0, 0};
        table[5] = {MPAPI::kFieldEnd, 0, 0, 0, 0};
        filled = true;
    }
    return table;
}

bool SoundSource::IsNear(float vx, float vy, bool* far)
{
    const float dx = vx - x, dy = vy - y;
    if (!(dx * dx + dy * dy <= 1000000.0f)) {
        if (far)
            *far = true;
        return false;
    }
    if (far)
        *far = false;
    return playCounter != 0 && freshTime > 0.0f;
}

void SoundSource::OnNetUpdate()
{
    // A trigger seen while stale is not played late.
    if (stale) {
        stale = false;
        heardCounter = playCounter;
    }
}

void SoundSource::SetNetPosition(float nx, float ny, float dx, float dy)
{
    const float px = nx + dx, py = ny + dy;
    if (std::isfinite(px) && std::isfinite(py)) {
        x = px;
        y = py;
    }
}

void SoundSource::Trigger(int newVariant, float hold)
{
    if (holdTime > 0.0f && newVariant == variant)
        return;
    playCounter = NextCounter(playCounter);
    holdTime = std::isfinite(hold) ? hold : 0.0f;
    variant = newVariant;
    freshTime = 1.0f;
}

int SoundSource::CountVoices() const
{
    return int(std::count_if(voices_, voices_ + kVoices, [](IAudioSource* v) { return v != nullptr; }));
}

void SoundSource::Update(float dt)
{
    if (holdTime > 0.0f)
        holdTime = std::max(0.0f, holdTime - dt);
    if (samples_.empty())
        return;
    for (IAudioSource*& voice : voices_) {
        if (voice && !voice->IsPlaying()) {
            delete voice;
            voice = nullptr;
        }
    }
    if (heardCounter != playCounter) {
        if (playCounter != 0) {
            if (delay <= 0.0f) {
                Start();
            } else {
                for (float& pending : pendingDelays) {
                    if (pending <= 0.0f) {
                        pending = delay;
                        break;
                    }
                }
            }
        }
        heardCounter = playCounter;
    }
    if (delay > 0.0f) {
        for (float& pending : pendingDelays) {
            if (pending > 0.0f) {
                age = 0.0f;
                pending -= dt;
                if (pending <= 0.0f) {
                    pending = 0.0f;
                    Start();
                }
                break;
            }
        }
    }
}

void SoundSource::Start()
{
    age = 0.0f;
    IAudioBuffer* sample = samples_[size_t(Util::Random()) % samples_.size()];
    IMultiplayerHandler* handler = system_ && system_->game_ ? system_->game_->GetActiveHandler() : nullptr;
    const bool atListener = handler && ownerId != 0 && handler->GetLocalPlayerId() == ownerId;
    auto play = [&](IAudioSource* voice) {
        voice->SetPosition(x, y);
        voice->SetVolume(float(volume));
        voice->Play(false, atListener);
    };
    for (IAudioSource*& voice : voices_) {
        if (!voice) {
            voice = sample->CreateSource();
            if (voice)
                play(voice);
            return;
        }
        if (!voice->IsPlaying()) {
            play(voice);
            return;
        }
    }
    // All voices busy: the oldest is cut and becomes the newest.
    IAudioSource* oldest = voices_[0];
    oldest->Stop();
    oldest->SetBuffer(sample);
    play(oldest);
    std::rotate(voices_, voices_ + 1, voices_ + kVoices);
}

void SoundSourcePtr::Reset(SoundSource* source)
{
    if (source == source_)
        return;
    if (source_) {
        source_->holder_ = nullptr;
        delete source_;
    }
    source_ = source;
    if (source_)
        source_->holder_ = this;
}

SoundSystem::SoundSystem(IGameState* game, IResourceManager* resources) : game_(game), resources_(resources) {}

SoundSystem::~SoundSystem()
{
    Clear();
    // Once the game state goes, the copies are ours like every other
    // replicated object: the client has let go of them by then.
    std::vector<SoundSource*> copies;
    copies.swap(sources_);
    for (SoundSource* source : copies) {
        if (!source)
            continue;
        source->system_ = nullptr;
        delete source;
    }
}

SoundSource* SoundSystem::MakeUnlisted(int soundId)
{
    IResource* resource = resources_ ? resources_->GetById(soundId) : nullptr;
    if (!resource || !resource->GetSoundInterface())
        return nullptr;
    return new SoundSource(this, soundId, resource);
}

SoundSource* SoundSystem::Make(int soundId)
{
    SoundSource* source = MakeUnlisted(soundId);
    if (!source)
        return nullptr;
    // Without a handler (an editor or a test) the source is simply local.
    if (IMultiplayerHandler* handler = game_ ? game_->GetActiveHandler() : nullptr)
        handler->AddObject(source);
    sources_.push_back(source);
    return source;
}

SoundSource* SoundSystem::PlayAt(int soundId, float x, float y, float volume)
{
    if (!std::isfinite(x) || !std::isfinite(y))
        return nullptr;
    SoundSource* source = Make(soundId);
    if (!source)
        return nullptr;
    source->volume = VolumeByte(std::max(0.0f, std::min(255.0f, volume)) * 10.0f);
    source->x = x;
    source->y = y;
    source->Trigger(0, 0.0f);
    return source;
}

SoundSource* SoundSystem::CreateAttached(int soundId, int ownerId)
{
    SoundSource* source = Make(soundId);
    if (!source)
        return nullptr;
    source->ownerId = ownerId;
    TakeSoundSettings(source);
    return source;
}

void SoundSystem::TakeSoundSettings(SoundSource* source)
{
    source->attached = true;
    ISoundResource* sound = source->resource_->GetSoundInterface();
    source->delay = std::isfinite(sound->GetVolume()) ? sound->GetVolume() : 0.0f;
    source->volume = VolumeByte(sound->GetRange());
}

SoundSource* SoundSystem::CreateCopy(int soundId)
{
    SoundSource* copy = MakeUnlisted(soundId);
    if (!copy)
        return nullptr;
    copy->replica_ = true;
    TakeSoundSettings(copy);
    return copy;
}

void SoundSystem::Adopt(SoundSource* copy)
{
    if (copy && copy->replica_ && copy->system_ == this &&
        std::find(sources_.begin(), sources_.end(), copy) == sources_.end())
        sources_.push_back(copy);
}

SoundSource* SoundSystem::GetShared(int soundId, float x, float y)
{
    if (!std::isfinite(x) || !std::isfinite(y))
        return nullptr;
    IResource* resource = resources_ ? resources_->GetById(soundId) : nullptr;
    if (!resource || !resource->GetSoundInterface())
        return nullptr;
    for (SoundSource* source : sources_) {
        if (source && source->shared && source->soundId == soundId && std::fabs(source->x - x) < 500.0f &&
            std::fabs(source->y - y) < 500.0f)
            return source;
    }
    SoundSource* source = CreateAttached(soundId, 0);
    if (source)
        source->shared = true;
    return source;
}

template <class F> void SoundSystem::Walk(F f)
{
    ++walking_;
    for (size_t i = 0; i < sources_.size(); ++i) {
        if (sources_[i])
            f(sources_[i]);
    }
    if (--walking_ == 0 && holes_) {
        sources_.erase(std::remove(sources_.begin(), sources_.end(), nullptr), sources_.end());
        holes_ = false;
    }
}

void SoundSystem::Unlink(SoundSource* source)
{
    auto it = std::find(sources_.begin(), sources_.end(), source);
    if (it == sources_.end())
        return;
    if (walking_) {
        *it = nullptr;
        holes_ = true;
    } else {
        sources_.erase(it);
    }
    if (source->replica_)
        return;
    if (IMultiplayerHandler* handler = game_ ? game_->GetActiveHandler() : nullptr)
        handler->RemoveObject(source);
}

void SoundSystem::Update(float dt)
{
    if (!std::isfinite(dt))
        return;
    Walk([dt](SoundSource* source) { source->Update(dt); });
}

void SoundSystem::ExpireSources(float dt)
{
    if (!std::isfinite(dt))
        return;
    Walk([dt](SoundSource* source) {
        if (source->freshTime > 0.0f)
            source->freshTime = std::max(0.0f, source->freshTime - dt);
        if (source->attached && !source->shared)
            return;
        source->age += dt;
        if (source->age > (source->shared ? 20.0f : 4.0f))
            delete source;
    });
}

void SoundSystem::Clear()
{
    clearing_ = true;
    std::vector<SoundSource*> doomed;
    doomed.swap(sources_);
    // The handler forgets them too, so that nothing keeps a freed source.
    IMultiplayerHandler* handler = game_ ? game_->GetActiveHandler() : nullptr;
    for (SoundSource* source : doomed) {
        if (!source)
            continue;
        if (source->replica_) {
            sources_.push_back(source);
            continue;
        }
        if (handler)
            handler->RemoveObject(source);
        delete source;
    }
    clearing_ = false;
    holes_ = false;
}
