#pragma once

// What the script tests of both builds share: a resource manager whose
// images and sounds are fakes, a file manager rooted in a temporary folder,
// and captured message boxes.

#include "engine/core/StringKit.h"
#include "engine/files/FileManager.h"
#include "engine/files/IFile.h"
#include "game/world/resources/BlockResource.h"
#include "game/world/resources/GraphicsResource.h"
#include "game/world/resources/ObjectResource.h"
#include "game/world/resources/ResourceManager.h"
#include "game/world/resources/ResourceScript.h"
#include "game/world/resources/SoundResource.h"
#include "platform/ui/Ui.h"
#include "support/EngineFakes.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace ScriptTest {

struct LoadCall {
    std::string kind; // "texture", "image", "sound"
    std::string file;
    bool pack;
    int group;
};

// A real manager (no host, no engine, no audio) with fake image and sound
// loading, which records what the parser asks for.
class RecordingManager : public IResourceManager {
public:
    RecordingManager() : real_(nullptr, nullptr, nullptr) {}

    void AddTexture(const std::string& file, int w, int h) { textures_[file] = std::make_unique<FakeTexture>(w, h); }
    void AddSample(const std::string& file) { samples_[file] = std::make_unique<FakeAudioBuffer>(); }
    IAudioBuffer* Sample(const std::string& file) { return samples_.count(file) ? samples_[file].get() : nullptr; }
    ITexture* Texture(const std::string& file) { return textures_.count(file) ? textures_[file].get() : nullptr; }
    ResourceManager& Real() { return real_; }

    std::vector<LoadCall> loads;
    std::vector<IResource*> floors, walls, finished;

    bool Contains(IResource* r) override { return real_.Contains(r); }
    IResource* GetById(int id) override { return real_.GetById(id); }
    IResource* GetByName(const char16_t* name) override { return real_.GetByName(name); }
    int NewId(bool tile) override { return real_.NewId(tile); }
    void AssignNewIds(IResource* const* r, const bool* tiles, int count) override
    {
        real_.AssignNewIds(r, tiles, count);
    }
    ITexture* LoadTextureA(const char* file, bool pack, int group) override
    {
        loads.push_back({"texture", file, pack, group});
        return Texture(file);
    }
    ITexture* LoadTexture(const char16_t* file, bool pack, int group) override
    {
        return LoadTextureA(Util::Narrow(file).c_str(), pack, group);
    }
    ITexture* LoadImageA(const char* file, bool pack, int group) override
    {
        loads.push_back({"image", file, pack, group});
        return Texture(file);
    }
    ITexture* LoadImage(const char16_t* file, bool pack, int group) override
    {
        return LoadImageA(Util::Narrow(file).c_str(), pack, group);
    }
    IAudioBuffer* LoadSound(const char16_t* file) override
    {
        std::string narrow = Util::Narrow(file);
        loads.push_back({"sound", narrow, false, 0});
        return Sample(narrow);
    }
    GraphicsResource* CreateGraphicsResource(ITexture* t, int l, int tp, int r, int b) override
    {
        return real_.CreateGraphicsResource(t, l, tp, r, b);
    }
    SoundResource* CreateSoundResource() override { return real_.CreateSoundResource(); }
    void SetCurrentResource(IResource* r) override { real_.SetCurrentResource(r); }
    int GetIdAt(int i) override { return real_.GetIdAt(i); }
    int GetIndexOfId(int id) override { return real_.GetIndexOfId(id); }
    IResource* GetAt(int i) override { return real_.GetAt(i); }
    int GetClassAt(int i) override { return real_.GetClassAt(i); }
    int NoOpA() override { return 0; }
    void NoOpB() override {}
    BlockResource* CreateBlockResource(ITexture* sheet, int row) override
    {
        return real_.CreateBlockResource(sheet, row);
    }
    ObjectResource* CreateObjectResource(int classId) override { return real_.CreateObjectResource(classId); }
    bool ApplyItemDefinitions(WeaponTable* t) override { return real_.ApplyItemDefinitions(t); }
    void NotifyListenerA(IResource* r) override { floors.push_back(r); }
    void NotifyListenerB(IResource* r) override { walls.push_back(r); }
    void NotifyListenerC(IResource* r) override { finished.push_back(r); }
    void DrawTileMasked(int, float, float, int, float, float, float) override {}
    void DrawTileQuad(int, int, int, int, float, float, int, int) override {}
    void DrawTileAt(int, float, float, bool) override {}
    void DrawTileTinted(int, float, float, int, int, int) override {}
    void PrepareTileTexture(int, int) override {}
    ITexture* ReadTilePixels(int, int, Quad*) override { return nullptr; }
    bool ReadTilePixelsPart(int, int, int, int, float*, float*, float*) override { return false; }

private:
    ResourceManager real_;
    std::map<std::string, std::unique_ptr<FakeTexture>> textures_;
    std::map<std::string, std::unique_ptr<FakeAudioBuffer>> samples_;
};

struct Message {
    std::u16string title;
    std::u16string text;
    Ui::Icon icon;
};

inline std::vector<Message>& Messages()
{
    static std::vector<Message> messages;
    return messages;
}

inline Ui::Answer CaptureMessage(const char16_t* title, const char16_t* text, Ui::Icon icon, Ui::Buttons)
{
    Messages().push_back({title ? title : u"", text ? text : u"", icon});
    return Ui::Answer::Ok;
}

inline std::string Narrow(const std::u16string& s) { return Util::Narrow(s); }

using TestSupport::ReadText;

inline std::string ScriptText(const ResourceScript& script)
{
    const TextTokenizer& t = script.GetTokenizer();
    std::string out(size_t(t.GetLength()), '\0');
    for (int i = 0; i < t.GetLength(); ++i)
        out[size_t(i)] = char(t.GetText()[i] & 0xFF);
    return out;
}

// A temporary game folder with a file manager rooted there; every test
// starts with no message boxes captured.
class ScriptFixture : public ::testing::Test {
protected:
    ScriptFixture() : cd_(dir_.Path()), files_(std::make_unique<FileManager>())
    {
        Messages().clear();
        Ui::SetMessageBackend(CaptureMessage);
    }
    ~ScriptFixture() override { Ui::SetMessageBackend(nullptr); }

    void Write(const std::string& name, const std::string& text)
    {
        TestSupport::WriteAll(dir_.File(name), text.data(), text.size());
    }

    // The images and sound the error cases rely on.
    static void Stock(RecordingManager& m)
    {
        m.AddTexture("body.png", 64, 32);
        m.AddTexture("tiles.png", 64, 128);
        m.AddSample("s.ogg");
    }

    // Writes the script and loads it into a manager (the fixture's one by
    // default); the script object stays in script_.
    bool Load(const std::string& text, bool editMode = false, const std::string& name = "test.cfg",
              RecordingManager* manager = nullptr)
    {
        Write(name, text);
        script_ = std::make_unique<ResourceScript>(manager ? manager : &manager_, files_.get());
        script_->SetEditMode(editMode);
        return script_->Load(Util::Widen(name.c_str()).c_str());
    }

    static std::string Failure(const std::string& file, int line, const std::string& message)
    {
        return "Resource script (" + file + ") parse failed on line " + std::to_string(line) + ": " + message;
    }

    ObjectResource* Block(int id) { return dynamic_cast<ObjectResource*>(manager_.GetById(id)); }
    ObjectResource* Named(const char16_t* name) { return dynamic_cast<ObjectResource*>(manager_.GetByName(name)); }

    TestSupport::TempDir dir_;
    TestSupport::ScopedChdir cd_;
    std::unique_ptr<FileManager> files_;
    RecordingManager manager_;
    std::unique_ptr<ResourceScript> script_;
};

} // namespace ScriptTest
