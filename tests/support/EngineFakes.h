#pragma once

// Stand-ins for the engine's interfaces, one each, shared by every test.

#include "engine/audio/IAudio.h"
#include "engine/audio/IAudioBuffer.h"
#include "engine/core/Engine.h"
#include "engine/core/ITimer.h"
#include "engine/core/StringKit.h"
#include "engine/files/IFile.h"
#include "engine/files/IFileManager.h"
#include "engine/render/IInput.h"
#include "engine/render/ITexture.h"
#include "engine/web/IPlayerScores.h"

#include <algorithm>
#include <atomic>
#include <cstdarg>
#include <cstdint>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

// A texture whose pixel at (x, y) encodes x and y, so a test can tell which
// source pixel landed where. Counts its pixel fetches and releases.
class FakeTexture : public ITexture {
public:
    explicit FakeTexture(int width = 32, int height = 32) : width_(width), height_(height) {}

    static uint32_t PixelAt(int x, int y) { return 0xFF000000u | (uint32_t(y & 0xfff) << 12) | uint32_t(x & 0xfff); }
    static int XOf(uint32_t p) { return int(p & 0xfff); }
    static int YOf(uint32_t p) { return int((p >> 12) & 0xfff); }

    int loads = 0;
    int frees = 0;
    bool failLoads = false;
    std::vector<std::vector<int>> loadRects;
    std::vector<std::vector<int>> texCoordRects;

    ITexture* GetAtlas() override { return nullptr; }
    void Release() override {}
    void SetName(const char16_t*) override {}
    const char16_t* GetName() override { return u""; }
    int GetWidth() override { return width_; }
    int GetHeight() override { return height_; }
    const uint32_t* LoadPixels(int x0, int y0, int x1, int y1) override
    {
        ++loads;
        loadRects.push_back({x0, y0, x1, y1});
        if (failLoads || x1 <= x0 || y1 <= y0)
            return nullptr;
        const int w = x1 - x0, h = y1 - y0;
        // Exactly the rectangle: a read past it is a read past the buffer.
        pixels_.reset(new uint32_t[size_t(w) * size_t(h)]);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                pixels_[size_t(y) * size_t(w) + size_t(x)] = PixelAt(x0 + x, y0 + y);
        return pixels_.get();
    }
    void FreePixels() override
    {
        ++frees;
        pixels_.reset();
    }
    void GetTexCoords(int x0, int y0, int x1, int y1, float* u0, float* v0, float* u1, float* v1) override
    {
        texCoordRects.push_back({x0, y0, x1, y1});
        *u0 = float(x0) / float(width_);
        *v0 = float(y0) / float(height_);
        *u1 = float(x1) / float(width_);
        *v1 = float(y1) / float(height_);
    }
    void GetFullTexCoords(float* u0, float* v0, float* u1, float* v1) override
    {
        *u0 = *v0 = 0.0f;
        *u1 = *v1 = 1.0f;
    }
    void Bind(int) override {}

private:
    int width_;
    int height_;
    std::unique_ptr<uint32_t[]> pixels_;
};

class FakeAudioBuffer : public IAudioBuffer {
public:
    IAudioSource* CreateSource() override { return nullptr; }
};

// Keeps the sounds asked for, the master volumes and the reverb set.
class FakeAudio : public IAudio {
public:
    std::vector<std::u16string> paths;
    std::vector<float> volumes;
    FakeAudioBuffer buffer;

    bool Init() override { return true; }
    IAudioBuffer* LoadSound(const char16_t* path) override
    {
        paths.push_back(path);
        return &buffer;
    }
    void SetListenerPosition(float, float) override {}
    void GetListenerPosition(float* x, float* y) override { *x = *y = 0.0f; }
    void SetMasterVolume(float volume) override { volumes.push_back(volume); }
    bool Reserved(int, int) override { return false; }
    void Update() override {}
    const char16_t* GetEnvironmentPresetName(int) override { return u""; }
    IAudioEnvironment* CreateEnvironment() override { return nullptr; }
    void SetEnvironment(IAudioEnvironment* chosen) override { environment = chosen; }

    IAudioEnvironment* environment = nullptr;
};

// Actions, keys and mouse buttons held as the test sets them; keeps the keys
// read.
class FakeInput : public IInput {
public:
    std::set<int> actions, keys, buttons;
    std::vector<int> keysRead;

    bool InitKeyboard() override { return true; }
    bool InitKeyboardForWindow(int) override { return true; }
    bool InitMouse() override { return true; }
    bool InitMouseForWindow(int) override { return true; }
    void ReleaseKeyboard() override {}
    void ReleaseMouse() override {}
    bool Update() override { return true; }
    bool IsActionDown(int action) override { return actions.count(action) > 0; }
    float TakeMouseDeltaX() override { return 0.0f; }
    float TakeMouseDeltaY() override { return 0.0f; }
    float TakeWheelDelta() override { return 0.0f; }
    bool IsMouseButtonDown(int button) override { return buttons.count(button) > 0; }
    bool IsKeyDown(int key) override
    {
        keysRead.push_back(key);
        return keys.count(key) > 0;
    }
    int GetKeyOfAction(int) override { return -1; }
};

// A clock whose n-th reading the test scripts; read from any thread.
class ScriptedTimer : public ITimer {
public:
    explicit ScriptedTimer(std::function<float(int n)> reading) : reading_(std::move(reading)) {}
    void Reset() override {}
    float GetElapsed() override { return reading_(reads_++); }

private:
    std::function<float(int)> reading_;
    std::atomic<int> reads_{0};
};

// A read-only file over bytes; its size may be set to one it does not hold.
class BytesFile : public IFile {
public:
    BytesFile(std::u16string name, std::vector<uint8_t> bytes)
        : size(int(bytes.size())), name_(std::move(name)), bytes_(std::move(bytes))
    {
    }
    const char16_t* GetName() override { return name_.c_str(); }
    int GetSize() override { return size; }
    bool IsWriting() override { return false; }
    int Tell() override { return int(pos_); }
    void Seek(int position) override { pos_ = std::min(bytes_.size(), size_t(position < 0 ? 0 : position)); }
    int Skip(int delta) override
    {
        Seek(int(pos_) + delta);
        return int(pos_);
    }
    bool BeginCompression() override { return false; }
    bool EndCompression() override { return false; }
    int Read(void* buffer, int length) override
    {
        largestRead = std::max(largestRead, length);
        size_t n = std::min(bytes_.size() - pos_, size_t(length < 0 ? 0 : length));
        if (n)
            std::memcpy(buffer, bytes_.data() + pos_, n);
        pos_ += n;
        return int(n);
    }
    bool ReadLine(char*, int) override { return false; }
    bool Write(const void*, int) override { return false; }
    bool WriteString(const char16_t*) override { return false; }
    bool WriteInt(int) override { return false; }
    bool Flush() override { return true; }
    void CloseAndDelete() override { delete this; }

    int size;
    // The largest single read asked for.
    static inline int largestRead = 0;

private:
    std::u16string name_;
    std::vector<uint8_t> bytes_;
    size_t pos_ = 0;
};

// Files by exact name over a real manager (or none); a test may take over
// opening. Counts the opens.
class FakeFileManager : public IFileManager {
public:
    explicit FakeFileManager(IFileManager* real = nullptr) : real_(real) {}
    std::map<std::u16string, std::vector<uint8_t>> files;
    std::function<IFile*(const char16_t*, int, int)> onOpen;
    int opens = 0;

    IFile* Open(const char16_t* path, int mode, int flags) override
    {
        ++opens;
        if (onOpen)
            return onOpen(path, mode, flags);
        auto it = files.find(path ? path : u"");
        if (it != files.end())
            return mode == kOpenRead ? new BytesFile(it->first, it->second) : nullptr;
        return real_ ? real_->Open(path, mode, flags) : nullptr;
    }
    bool FileExists(const char16_t* p) override { return files.count(p) > 0 || (real_ && real_->FileExists(p)); }
    const char16_t* GetGameDir() override { return real_ ? real_->GetGameDir() : u""; }
    bool DeleteFile(const char16_t* p) override { return real_ && real_->DeleteFile(p); }
    bool MoveFile(const char16_t* a, const char16_t* b) override { return real_ && real_->MoveFile(a, b); }
    IFile* CreateMemoryFile(int c) override { return real_ ? real_->CreateMemoryFile(c) : nullptr; }
    IFile* OpenHandle(int h, bool w, int f) override { return real_ ? real_->OpenHandle(h, w, f) : nullptr; }
    IFile* OpenInPackage(const char16_t* i, const char16_t* p) override
    {
        return real_ ? real_->OpenInPackage(i, p) : nullptr;
    }
    const char16_t* FindFirst(const char16_t* p) override { return real_ ? real_->FindFirst(p) : nullptr; }
    const char16_t* FindNext() override { return real_ ? real_->FindNext() : nullptr; }
    bool HasDataPackage() override { return real_ && real_->HasDataPackage(); }
    int GetDataVersion() override { return real_ ? real_->GetDataVersion() : 0; }
    void SetPackageVersion(int v) override { real_ ? real_->SetPackageVersion(v) : void(); }
    void BeginPackage(int v) override { real_ ? real_->BeginPackage(v) : void(); }
    void AddFileToPackage(const char16_t* p, int f) override { real_ ? real_->AddFileToPackage(p, f) : void(); }
    bool AddPackageToPackage(const char16_t* p) override { return real_ && real_->AddPackageToPackage(p); }
    bool SavePackage(const char16_t* p, IFileProgressListener* l) override { return real_ && real_->SavePackage(p, l); }
    bool ExtractFromPackage(const char16_t* p, const char16_t* i, const char16_t* d) override
    {
        return real_ && real_->ExtractFromPackage(p, i, d);
    }
    bool BuildPatchPackage(const char16_t* a, const char16_t* b, int u) override
    {
        return real_ && real_->BuildPatchPackage(a, b, u);
    }

private:
    IFileManager* real_;
};

// The real engine with its log and texture loading recorded, and frame
// times the test chooses (0.125 s adds up to whole seconds exactly).
class RecordingEngine : public Engine {
public:
    struct Load {
        std::u16string path;
        bool packIntoAtlas;
        int atlasGroup;
        bool ex;
    };

    std::string log;
    std::vector<Load> loads;
    ITexture* answer = nullptr;
    float frameTime = 0.125f;

    RecordingEngine() { log.reserve(4096); }

    void Log(const char* format, ...) override
    {
        va_list args;
        va_start(args, format);
        log += Util::FormatV(format, args);
        va_end(args);
    }
    ITexture* LoadTexture(const char16_t* path, bool packIntoAtlas, int atlasGroup) override
    {
        loads.push_back({path, packIntoAtlas, atlasGroup, false});
        return answer;
    }
    ITexture* LoadTextureEx(const char16_t* path, bool packIntoAtlas, int atlasGroup) override
    {
        loads.push_back({path, packIntoAtlas, atlasGroup, true});
        return answer;
    }
    float GetFrameTime1() override { return frameTime; }
};

// A player's score record: keeps what is added; the account is the one given.
class FakeScores : public IPlayerScores {
public:
    explicit FakeScores(int accountId = 0) : accountId(accountId) {}
    void AddPoints(int n) override { points += n; }
    int GetScore() override { return points; }
    int GetRank() override { return rank; }
    int GetPoints() override { return points; }
    void AddKillStats(int f, int d, int s) override { frags += f, deaths += d, suicides += s; }
    void AddCaptures(int n) override { captures += n; }
    int GetCaptures() override { return captures; }
    void AddObjectivePoints(int n) override { objective += n; }
    void AddRoundStats(int, int, int) override {}
    int GetAccountId() override { return accountId; }
    int accountId;
    int points = 0, frags = 0, deaths = 0, suicides = 0, captures = 0, objective = 0, rank = 0;
};
