#pragma once

#include "engine/audio/IAudio.h"
#include "engine/audio/IAudioBuffer.h"
#include "engine/core/Engine.h"
#include "engine/core/StringKit.h"
#include "engine/render/ITexture.h"
#include "game/world/resources/IEditorListener.h"
#include "game/world/resources/IEditorSelectionPage.h"
#include "game/world/resources/IResourceHost.h"

#include <cstdarg>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

// A texture whose pixel at (x, y) encodes x and y, so a test can tell which
// source pixel landed where. Counts its pixel fetches and releases.
class FakeTexture : public ITexture {
public:
    FakeTexture(int width, int height) : width_(width), height_(height) {}

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

// The real engine with its log and texture loading recorded.
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
};

class FakeAudioBuffer : public IAudioBuffer {
public:
    IAudioSource* CreateSource() override { return nullptr; }
};

class FakeAudio : public IAudio {
public:
    std::vector<std::u16string> paths;
    FakeAudioBuffer buffer;

    bool Init() override { return true; }
    IAudioBuffer* LoadSound(const char16_t* path) override
    {
        paths.push_back(path);
        return &buffer;
    }
    void SetListenerPosition(float, float) override {}
    void GetListenerPosition(float* x, float* y) override { *x = *y = 0.0f; }
    void SetMasterVolume(float) override {}
    bool Reserved(int, int) override { return false; }
    void Update() override {}
    const char16_t* GetEnvironmentPresetName(int) override { return u""; }
    IAudioEnvironment* CreateEnvironment() override { return nullptr; }
    void SetEnvironment(IAudioEnvironment*) override {}
};

class FakePage : public IEditorSelectionPage {};

class RecordingListener : public IEditorListener {
public:
    std::vector<std::pair<IEditorSelectionPage*, IResource*>> items;

    IEditorSelectionPage* AddSelectionPage(const char16_t*) override { return nullptr; }
    void AddSelectionItem(IEditorSelectionPage* page, IResource* item) override { items.push_back({page, item}); }
};

// The game's side of the manager: its renderer, its current-resource record
// and its editor.
class FakeHost : public IResourceHost {
public:
    IRenderer* renderer = nullptr;
    bool editor = false;
    IEditorListener* listener = nullptr;
    FakePage pages[3];

    int recordWrites = 0;
    int position = -2;
    IResource* current = nullptr;
    int blockTools = 0;
    int objectTools = 0;

    IRenderer* GetRenderer() override { return renderer; }
    void SetCurrentResource(int pos, IResource* resource) override
    {
        ++recordWrites;
        position = pos;
        current = resource;
    }
    bool HasEditor() override { return editor; }
    void SelectBlockTool() override { ++blockTools; }
    void SelectObjectTool() override { ++objectTools; }
    IEditorListener* GetStartedEditorListener() override { return editor ? listener : nullptr; }
    IEditorSelectionPage* GetSelectionPage(Page page) override { return &pages[page]; }
};
