#include "game/shell/editor/EditorUI.h"

#include "engine/files/IFile.h"
#include "engine/files/IFileManager.h"
#include "engine/render/IRenderer.h"
#include "game/shell/client/Game.h"
#include "game/shell/editor/EditorCamera.h"
#include "game/shell/editor/EditorPlacement.h"
#include "game/world/map/ILevelShell.h"
#include "game/world/map/Light.h"
#include "game/world/map/World.h"
#include "game/world/objects/Object.h"
#include "game/world/state/WorldQueries.h"
#include "game/world/system/GameSystem.h"
#include "game/world/system/ObjectFactory.h"
#include "platform/ui/Ui.h"

#include <algorithm>
#include <memory>

// What the level writer and reader ask of the editor.
class EditorLevelShell : public ILevelShell {
public:
    EditorLevelShell(EditorUI& ui, Game& game) : ui_(ui), game_(game) {}

    std::u16string GetLevelName() override { return ui_.GetLevelName(); }
    void SetLevelName(const std::u16string& name) override { ui_.SetLevelName(name.c_str()); }
    int GetLevelMode() override { return ui_.GetGameMode(); }
    void SetLevelMode(int mode) override { ui_.SetGameMode(mode); }
    bool HasCurrentPicture() override { return ui_.HasPicture(); }
    void SetCurrentPicture(bool held) override { ui_.SetPicture(held); }
    void RenderGameMap() override { game_.RenderGameMap(); }
    bool EncodePicture(std::vector<uint8_t>* png) override
    {
        IRenderer* renderer = game_.GetRenderer();
        void* data = nullptr;
        int size = 0;
        if (!renderer || !renderer->EncodeGameMapImage(&data, &size) || !data || size <= 0)
            return false;
        png->assign(static_cast<const uint8_t*>(data), static_cast<const uint8_t*>(data) + size);
        return true;
    }
    bool DecodePicture(const uint8_t* png, int size) override
    {
        IRenderer* renderer = game_.GetRenderer();
        return renderer && renderer->DecodeGameMapImage(png, size);
    }
    void EmptyLevel() override { ui_.EmptyLevelState(); }
    std::vector<LevelObject> GetPlacedObjects() override
    {
        std::vector<LevelObject> placed;
        for (const EditorObjectEntry& e : ui_.objects_)
            placed.push_back({e.definitionId, e.x, e.y, e.angle});
        return placed;
    }
    std::vector<LevelLight> GetPlacedLights() override
    {
        std::vector<LevelLight> placed;
        for (const EditorLightEntry& e : ui_.lights_) {
            Light* l = e.light;
            LevelLight out;
            out.type = l->GetType();
            out.x = l->GetX();
            out.y = l->GetY();
            out.angle = l->GetAngle();
            out.size = l->GetSize();
            out.power = l->GetPower();
            l->GetColor(&out.red, &out.green, &out.blue);
            placed.push_back(out);
        }
        return placed;
    }
    void SetPlacedObjects(const std::vector<LevelObject>& objects) override
    {
        for (const LevelObject& o : objects)
            ui_.PlaceObject(o.definitionId, o.x, o.y, o.angle);
    }
    void SetPlacedLights(int tag, const std::vector<LevelLight>& lights) override
    {
        for (const LevelLight& l : lights)
            ui_.PlaceLight(tag, l.type, l.x, l.y, l.angle, l.size, l.power, l.red, l.green, l.blue);
    }
    bool FlagSpacingHolds(int mode) override { return ::FlagSpacingHolds(mode, LiveFlags()); }
    void ShowMessage(const char16_t* text, const char16_t* caption, bool error) override
    {
        Ui::ShowMessage(caption, text, error ? Ui::Icon::Error : Ui::Icon::Warning);
    }

private:
    EditorUI& ui_;
    Game& game_;
};

// ---- the level as a whole ---------------------------------------------------------

const char16_t* EditorUI::GetLevelName()
{
    GameSystem* game = game_->GetGameSystem();
    return game ? game->GetLevelTitle() : u"";
}

void EditorUI::SetLevelName(const char16_t* name)
{
    if (GameSystem* game = game_->GetGameSystem())
        game->SetLevelTitle(name);
}

int EditorUI::GetGameMode()
{
    GameSystem* game = game_->GetGameSystem();
    return game ? game->GetLevelGameMode() : 0;
}

void EditorUI::SetGameMode(int mode)
{
    if (GameSystem* game = game_->GetGameSystem())
        game->SetLevelGameMode(mode);
}

void EditorUI::GetLevelSize(int* width, int* height)
{
    World* world = game_->GetWorld();
    *width = world ? world->GetWidth() : 0;
    *height = world ? world->GetHeight() : 0;
}

void EditorUI::GetUsedArea(int* left, int* top, int* right, int* bottom)
{
    *left = *top = *right = *bottom = 0;
    if (World* world = game_->GetWorld())
        world->GetUsedBounds(left, top, right, bottom);
}

bool EditorUI::HasBlocks()
{
    const World* world = game_->GetWorld();
    for (int y = 0; world && y < world->GetHeight(); ++y)
        for (int x = 0; x < world->GetWidth(); ++x)
            if (world->GetBlockAt(x, y) >= 0)
                return true;
    return false;
}

bool EditorUI::GetCompressBlocks()
{
    World* world = game_->GetWorld();
    return world && world->GetCompressBlocks();
}

void EditorUI::SetCompressBlocks(bool on)
{
    if (World* world = game_->GetWorld())
        world->SetCompressBlocks(on);
}

void EditorUI::SetLighting(int mode)
{
    if (World* world = game_->GetWorld())
        world->SetLighting(mode);
}

int EditorUI::GetLighting()
{
    World* world = game_->GetWorld();
    return world ? world->GetLighting() : 0;
}

void EditorUI::EmptyLevelState()
{
    // The previews are world objects too: they go the way they came.
    objectBrush_.Clear();
    scatter_.Clear();
    objects_.clear();
    lights_.clear();
    if (GameSystem* game = game_->GetGameSystem())
        game->ClearLevelObjects();
    picture_ = false;
}

void EditorUI::NewLevel()
{
    if (!started_)
        return;
    if (World* world = game_->GetWorld())
        world->Clear();
    EmptyLevelState();
    minimapDue_ = true;
}

void EditorUI::ResizeLevel(int width, int height, int left, int top)
{
    World* world = game_->GetWorld();
    if (!started_ || !world)
        return;
    // Sizes come from a typed form: a grid nobody can hold, or a corner far
    // off it, leaves the level as it is.
    const int limit = World::kMaxSide;
    if (width < 1 || height < 1 || width > limit || height > limit || left < -limit || left > limit || top < -limit ||
        top > limit)
        return;
    int usedLeft, usedTop, usedRight, usedBottom;
    world->GetUsedBounds(&usedLeft, &usedTop, &usedRight, &usedBottom);
    // The window marks travel with their cells; each window takes its own
    // again at its new place.
    for (EditorObjectEntry& e : objects_)
        if (e.object)
            EditorPlacement::Unmark(e.object);
    world->Resize(width, height, left, top, usedLeft, usedTop, usedRight, usedBottom);
    minimapDue_ = true;
    const float dx = float((left - usedLeft) * kTileSize), dy = float((top - usedTop) * kTileSize);
    for (EditorObjectEntry& e : objects_) {
        e.x += dx;
        e.y += dy;
        if (e.object) {
            e.object->SetPosition(e.x, e.y);
            EditorPlacement::Remark(e.object);
        }
    }
}

// ---- placing what a level file holds ----------------------------------------------

void EditorUI::PlaceObject(int definitionId, float x, float y, float angle)
{
    Object* object = CreateObjectByType(definitionId, x, y);
    if (!object)
        return;
    object->SetAngle(angle);
    EditorObjectEntry entry;
    entry.definitionId = definitionId;
    entry.x = x;
    entry.y = y;
    entry.angle = angle;
    entry.object = object;
    objects_.push_back(entry);
}

void EditorUI::PlaceLight(int tag, int type, float x, float y, float angle, float size, float power, float r, float g,
                          float b)
{
    auto* light = static_cast<Light*>(CreateLight(x, y));
    if (!light)
        return;
    light->SetSize(size);
    if (tag == 4002) {
        light->SetType(type);
        light->SetAngle(angle);
        light->SetPower(power);
        light->SetColor(r, g, b);
    }
    lights_.push_back({light, false});
}

// ---- saving and loading -------------------------------------------------------------

bool EditorUI::SaveLevel(int fileDescriptor)
{
    objectBrush_.Clear();
    scatter_.Clear();
    IFileManager* files = game_->GetFileManager();
    World* world = game_->GetWorld();
    if (!files || !world)
        return false;
    // The new level is written beside the file and put in its place only
    // when whole: a failed save keeps the level that was there.
    IFile* out = files->OpenHandle(fileDescriptor, true, kOpenReplace);
    const bool replacing = out != nullptr;
    if (!out)
        out = files->OpenHandle(fileDescriptor, true, 0);
    if (!out)
        return false;
    EditorLevelShell shell(*this, *game_);
    const bool saved = SaveEditorLevel(out, files, *world, shell);
    if (!saved && replacing)
        out->CloseAndDelete();
    delete out;
    return saved;
}

bool EditorUI::LoadFrom(IFile* file)
{
    World* world = game_->GetWorld();
    if (!file || !world)
        return false;
    EditorLevelShell shell(*this, *game_);
    // The file is read whole first: one that fails leaves the level alone.
    if (!LoadEditorLevel(file, *world, shell))
        return false;
    minimapDue_ = true;
    return true;
}

bool EditorUI::LoadLevel(int fileDescriptor)
{
    objectBrush_.Clear();
    scatter_.Clear();
    IFileManager* files = game_->GetFileManager();
    std::unique_ptr<IFile> file(files ? files->OpenHandle(fileDescriptor, false, 0) : nullptr);
    return LoadFrom(file.get());
}

bool EditorUI::LoadLevelByName(const char16_t* path)
{
    objectBrush_.Clear();
    scatter_.Clear();
    IFileManager* files = game_->GetFileManager();
    std::unique_ptr<IFile> file(files && path ? files->Open(path, kOpenRead, kOpenFullPath | kOpenNoPackage) : nullptr);
    return LoadFrom(file.get());
}

// ---- the minimap and the game-map picture ----------------------------------------------

bool EditorUI::MiniMapTick(WindowHandle window)
{
    if (!started_)
        return false;
    if (minimapDue_) {
        minimapDue_ = false;
        viewMoved_ = false;
        minimapIdle_ = 0;
        MiniMapChanged();
        RenderMiniMap(window);
        return true;
    }
    if (viewMoved_) {
        viewMoved_ = false;
        return true;
    }
    if (++minimapIdle_ <= 99)
        return false;
    minimapIdle_ = 0;
    if (!MiniMapChanged())
        return false;
    RenderMiniMap(window);
    return true;
}

void EditorUI::CenterViewOnMiniMap(int x, int y)
{
    World* world = game_->GetWorld();
    if (!started_ || !world)
        return;
    const float scale = float(std::max(world->GetWidth(), world->GetHeight()) * kTileSize) / 200.0f;
    if (!camera_)
        SelectCamera(WindowHandle(0));
    camera_->x = scale * float(x) - float(viewWidth_ / 2);
    camera_->y = scale * float(y) - float(viewHeight_ / 2);
    viewMoved_ = true;
    MoveCamera(0.0f, 0.0f);
}

bool EditorUI::MiniMapChanged()
{
    World* world = game_->GetWorld();
    if (!started_ || !world || !world->IsChanged())
        return false;
    world->SetChanged(false);
    return true;
}

void EditorUI::RenderMiniMap(WindowHandle window)
{
    if (started_)
        game_->RenderMiniMap(window);
}

void EditorUI::DrawMiniMap(WindowHandle window, int width, int height)
{
    if (started_)
        game_->DrawMiniMap(window, width, height);
}

void EditorUI::RenderGameMap()
{
    if (!started_)
        return;
    game_->RenderGameMap();
    picture_ = true;
}

void EditorUI::DrawGameMap(WindowHandle window, int width, int height)
{
    if (started_)
        game_->DrawGameMap(window, width, height);
}

void EditorUI::ReleaseWindow(WindowHandle window)
{
    if (!started_)
        return;
    if (IRenderer* renderer = game_->GetRenderer())
        renderer->ReleaseWindow(window);
    // A window that is gone needs no camera.
    auto gone = std::find_if(cameras_.begin(), cameras_.end(), [&](const auto& c) { return c->window == window; });
    if (gone != cameras_.end()) {
        if (camera_ == gone->get())
            camera_ = nullptr;
        cameras_.erase(gone);
    }
}

bool EditorUI::ExportGameMap(const char16_t* path)
{
    IRenderer* renderer = game_->GetRenderer();
    return started_ && renderer && path && renderer->SaveGameMapImage(path);
}

bool EditorUI::ImportGameMap(const char16_t* path)
{
    IRenderer* renderer = game_->GetRenderer();
    if (!started_ || !renderer || !path || !renderer->LoadGameMapImage(path))
        return false;
    // The next save stores this picture instead of rendering one.
    picture_ = true;
    return true;
}
