// Turns the level sources into level files through the game's own writer
// and packs the data set into "game.data":
//   levelgen <game folder> <level source folder>
// The game folder already holds the scripts, pictures, sounds and shaders.
#include "LevelSource.h"

#include "engine/core/Engine.h"
#include "engine/core/StringKit.h"
#include "engine/files/IFile.h"
#include "engine/files/IFileManager.h"
#include "game/world/map/LevelFile.h"
#include "game/world/map/World.h"
#include "game/world/resources/IResource.h"
#include "game/world/resources/ResourceClass.h"
#include "game/world/resources/ResourceManager.h"
#include "game/world/resources/ResourceScript.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

namespace fs = std::filesystem;

namespace {

const char* const kScripts[] = {"blocks.cfg", "objects.cfg", "items.cfg", "weapons_fin_vs_rus.cfg"};
const char* const kPackedFolders[] = {"gfx", "sfx", "shaders", "levels"};

IResource* Find(ResourceManager& manager, const std::string& name, std::string* error)
{
    IResource* r = manager.GetByName(Util::Widen(name.c_str()).c_str());
    if (!r || r->GetId() == kNoId)
        *error = "no definition named \"" + name + "\"";
    return (r && r->GetId() != kNoId) ? r : nullptr;
}

// The index position of a floor or wall block.
int BlockIndex(ResourceManager& manager, const std::string& name, std::string* error)
{
    IResource* r = Find(manager, name, error);
    if (!r)
        return -1;
    const int cls = r->GetClassId();
    const int index = manager.GetIndexOfId(r->GetId());
    if ((cls != ResourceClass::Floor && cls != ResourceClass::Wall) || manager.GetIdAt(index) != r->GetId()) {
        *error = "\"" + name + "\" is no floor or wall block";
        return -1;
    }
    return index;
}

bool Build(ResourceManager& manager, IFileManager* files, const LevelSource& src, const std::string& out,
           std::string* error)
{
    World world(&manager);
    const int w = src.Width(), h = src.Height();
    if (w < 1 || w > World::kMaxSide || h > World::kMaxSide) {
        *error = "bad map size";
        return false;
    }
    world.Resize(w, h, 0, 0, 0, 0, -1, -1);
    world.SetCompressBlocks(src.compress);
    std::vector<LevelObject> objects;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < int(src.rows[size_t(y)].size()); ++x) {
            const LevelSource::Glyph& g = src.legend.at(src.rows[size_t(y)][size_t(x)]);
            const int block = BlockIndex(manager, g.block, error);
            if (block < 0)
                return false;
            // Variants from the position, so every build writes the same file.
            world.SetTileVariant(x, y, block, (x * 7 + y * 13 + (x * y) / 3) & 3);
            if (!g.object.empty()) {
                IResource* r = Find(manager, g.object, error);
                if (!r)
                    return false;
                objects.push_back({r->GetId(), float(x * kTileSize), float(y * kTileSize), g.angle});
            }
        }
    for (const auto& o : src.objects) {
        IResource* r = Find(manager, o.name, error);
        if (!r)
            return false;
        objects.push_back({r->GetId(), o.x * kTileSize, o.y * kTileSize, o.angle});
    }
    std::vector<LevelLight> lights;
    for (const auto& l : src.lights)
        lights.push_back({l.type, l.x * kTileSize, l.y * kTileSize, l.angle, l.size, l.power, l.r, l.g, l.b});
    for (const auto& b : src.boxes) {
        auto* box = new World::LightBox(b.x0 * kTileSize, b.y0 * kTileSize, b.x1 * kTileSize, b.y1 * kTileSize);
        box->SetBrightness(b.intensity);
        box->SetColor(b.r, b.g, b.b);
        world.AddLightBox(box);
        world.SetLightBoxBits(box);
    }
    LevelHeader header;
    header.name = Util::Widen(src.name.c_str());
    header.gameMode = src.mode;
    std::unique_ptr<IFile> file(files->Open(Util::Widen(out.c_str()).c_str(), kOpenWrite, kOpenNoPackage));
    if (!file) {
        *error = "cannot write " + out;
        return false;
    }
    // The map picture is left out: the game renders it when it needs one.
    if (!WriteLevel(file.get(), files, header, {}, world, objects, lights, nullptr)) {
        *error = "writing " + out + " failed";
        return false;
    }
    std::printf("levelgen: %s %dx%d, %zu objects, %zu lights, %zu light boxes\n", out.c_str(), w, h, objects.size(),
                lights.size(), src.boxes.size());
    return true;
}

bool Pack(IFileManager* files)
{
    files->BeginPackage(1);
    for (const char* script : kScripts)
        files->AddFileToPackage(Util::Widen(script).c_str(), 0);
    std::vector<std::string> names;
    for (const char* folder : kPackedFolders) {
        if (!fs::is_directory(folder))
            continue;
        for (const auto& entry : fs::recursive_directory_iterator(folder))
            if (entry.is_regular_file() && entry.path().filename().string()[0] != '.')
                names.push_back(entry.path().generic_string());
    }
    std::sort(names.begin(), names.end());
    for (const auto& name : names)
        files->AddFileToPackage(Util::Widen(name.c_str()).c_str(), 0);
    return files->SavePackage(u"game.data", nullptr);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: levelgen <game folder> <level source folder>\n");
        return 2;
    }
    const fs::path sources = fs::absolute(argv[2]);
    if (chdir(argv[1]) != 0) {
        std::fprintf(stderr, "levelgen: no folder %s\n", argv[1]);
        return 1;
    }
    // The old package would hide the files it is rebuilt from.
    fs::remove("game.data");
    fs::create_directories("levels");
    Engine engine;
    IFileManager* files = engine.GetFileManager();
    int status = 0;
    {
        ResourceManager manager(nullptr, &engine, nullptr);
        for (const char* script : kScripts) {
            ResourceScript loader(&manager, files);
            if (!loader.Load(Util::Widen(script).c_str())) {
                std::fprintf(stderr, "levelgen: %s does not load\n", script);
                status = 1;
            }
        }
        manager.BuildIndex();
        std::vector<fs::path> texts;
        for (const auto& entry : fs::directory_iterator(sources))
            if (entry.path().extension() == ".txt")
                texts.push_back(entry.path());
        std::sort(texts.begin(), texts.end());
        for (const auto& path : texts) {
            if (status)
                break;
            std::ifstream in(path);
            std::stringstream text;
            text << in.rdbuf();
            LevelSource src;
            src.file = path.filename().string();
            std::string error;
            if (!src.Parse(text.str(), &error) ||
                !Build(manager, files, src, "levels/" + path.stem().string() + ".lvl", &error)) {
                std::fprintf(stderr, "levelgen: %s\n", error.c_str());
                status = 1;
            }
        }
    }
    if (status == 0 && !Pack(files)) {
        std::fprintf(stderr, "levelgen: game.data could not be written\n");
        status = 1;
    }
    engine.Shutdown();
    return status;
}
