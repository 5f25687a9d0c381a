// Arbitrary bytes as a resource script: load them in normal and in edit
// mode, save the edited text back and check that it loads again unchanged.
#include "ScratchFolder.h"
#include "engine/files/FileManager.h"
#include "engine/render/ITexture.h"
#include "game/world/resources/ResourceManager.h"
#include "game/world/resources/ResourceScript.h"
#include "platform/ui/Ui.h"

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

class SizedTexture final : public ITexture {
public:
    ITexture* GetAtlas() override { return nullptr; }
    void Release() override {}
    void SetName(const char16_t*) override {}
    const char16_t* GetName() override { return u""; }
    int GetWidth() override { return 64; }
    int GetHeight() override { return 96; }
    const uint32_t* LoadPixels(int, int, int, int) override { return nullptr; }
    void FreePixels() override {}
    void GetTexCoords(int, int, int, int, float*, float*, float*, float*) override {}
    void GetFullTexCoords(float*, float*, float*, float*) override {}
    void Bind(int) override {}
};

SizedTexture g_texture;

// Every image exists, so the sections get past their loads.
class ImagesEverywhere final : public ResourceManager {
public:
    ImagesEverywhere() : ResourceManager(nullptr, nullptr, nullptr) {}
    ITexture* LoadTextureA(const char*, bool, int) override { return &g_texture; }
    ITexture* LoadImageA(const char*, bool, int) override { return &g_texture; }
};

Ui::Answer Silent(const char16_t*, const char16_t*, Ui::Icon, Ui::Buttons) { return Ui::Answer::Ok; }

std::string g_folder;

// The file manager is rooted in a folder of its own; the working directory
// stays, since libFuzzer reads and writes its corpus through relative paths.
FileManager* Files()
{
    static FileManager* files = [] {
        g_folder = Fuzz::ScratchFolder();
        char here[4096];
        if (!getcwd(here, sizeof here) || chdir(g_folder.c_str()) != 0)
            std::abort();
        Ui::SetMessageBackend(Silent);
        FileManager* made = new FileManager();
        if (chdir(here) != 0)
            std::abort();
        return made;
    }();
    return files;
}

void Put(const char* name, const uint8_t* data, size_t size)
{
    FILE* f = std::fopen((g_folder + "/" + name).c_str(), "wb");
    if (!f || (size && std::fwrite(data, 1, size, f) != size))
        std::abort();
    std::fclose(f);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FileManager* files = Files();
    Put("fuzz.cfg", data, size);
    {
        ResourceManager manager(nullptr, nullptr, nullptr);
        ResourceScript script(&manager, files);
        script.Load(u"fuzz.cfg");
        script.SaveBack(); // not in edit mode: writes nothing
    }

    ImagesEverywhere manager;
    ResourceScript script(&manager, files);
    script.SetEditMode(true);
    if (!script.Load(u"fuzz.cfg") || !script.SaveBack())
        return 0;
    // With every id written in, the script loads again and needs no edit.
    ImagesEverywhere again;
    ResourceScript reload(&again, files);
    reload.SetEditMode(true);
    if (!reload.Load(u"fuzz.cfg") || reload.GetTokenizer().IsModified() || again.GetCount() != manager.GetCount())
        __builtin_trap();
    return 0;
}
