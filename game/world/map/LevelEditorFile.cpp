#include "game/world/map/ILevelShell.h"

#include "game/world/map/World.h"

bool SaveEditorLevel(IFile* file, IFileManager* files, const World& world, ILevelShell& shell)
{
    const int mode = shell.GetLevelMode();
    // A level with crowded flags is still saved; the game refuses to run it.
    if (mode == 1 && !shell.FlagSpacingHolds(1))
        shell.ShowMessage(u"Flag's distance to other flag must be at least 320 pixels.\nLevel can't be played",
                          u"Save level", false);
    else if (mode == 2 && !shell.FlagSpacingHolds(2))
        shell.ShowMessage(u"Flag's distance to other flag must be at least 100 pixels.\nLevel can't be played",
                          u"Save level", false);
    if (!shell.HasCurrentPicture()) {
        shell.RenderGameMap();
        shell.SetCurrentPicture(true);
    }
    std::vector<uint8_t> picture;
    if (!shell.EncodePicture(&picture) || picture.size() > size_t(kMaxLevelPicture))
        picture.clear();
    LevelHeader header;
    header.name = shell.GetLevelName().substr(0, LevelHeader::kNameUnits);
    header.gameMode = mode;
    return WriteLevel(file, files, header, picture, world, shell.GetPlacedObjects(), shell.GetPlacedLights(), nullptr);
}

bool LoadEditorLevel(IFile* file, World& world, ILevelShell& shell)
{
    LevelContents level;
    LevelReadFailure why = LevelReadFailure::None;
    if (!ReadLevel(file, world.GetResources(), &level, &why)) {
        if (why == LevelReadFailure::WorldVersion)
            shell.ShowMessage(u"Unknown level version", u"Error!", true);
        return false;
    }
    shell.EmptyLevel();
    shell.SetLevelName(level.header.name);
    shell.SetLevelMode(level.header.gameMode);
    shell.SetCurrentPicture(false);
    if (!level.picture.empty() && shell.DecodePicture(level.picture.data(), int(level.picture.size())))
        shell.SetCurrentPicture(true);
    level.world.ApplyTo(world);
    shell.SetPlacedObjects(level.objects);
    world.BuildMeshes(false);
    shell.SetPlacedLights(level.lightTag, level.lights);
    return true;
}
