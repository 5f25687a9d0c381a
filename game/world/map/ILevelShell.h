#pragma once

#include "game/world/map/LevelFile.h"

#include <cstdint>
#include <string>
#include <vector>

// What saving and loading a level in the editor needs of the game shell:
// the game state's level header fields and map picture, the editor's
// placed objects and lights, the flag spacing checks and message boxes.
class ILevelShell {
public:
    virtual ~ILevelShell() {}
    virtual std::u16string GetLevelName() = 0;
    virtual void SetLevelName(const std::u16string& name) = 0;
    virtual int GetLevelMode() = 0;
    virtual void SetLevelMode(int mode) = 0;
    // The current-picture flag: set once a map picture is decoded or rendered.
    virtual bool HasCurrentPicture() = 0;
    virtual void SetCurrentPicture(bool held) = 0;
    virtual void RenderGameMap() = 0;
    // The game-map picture as PNG bytes; false leaves the picture out.
    virtual bool EncodePicture(std::vector<uint8_t>* png) = 0;
    virtual bool DecodePicture(const uint8_t* png, int size) = 0;
    // A file read whole replaces the level: the placed objects, lights and
    // everything they made in the world go first.
    virtual void EmptyLevel() = 0;
    virtual std::vector<LevelObject> GetPlacedObjects() = 0;
    virtual std::vector<LevelLight> GetPlacedLights() = 0;
    // Replace the editor's lists; lights of tags 4000 and 4001 carry only
    // their position (and size).
    virtual void SetPlacedObjects(const std::vector<LevelObject>& objects) = 0;
    virtual void SetPlacedLights(int tag, const std::vector<LevelLight>& lights) = 0;
    // The flag spacing of a capture-the-flag (mode 1) or king-of-the-hill
    // (mode 2) level; true for other modes.
    virtual bool FlagSpacingHolds(int mode) = 0;
    virtual void ShowMessage(const char16_t* text, const char16_t* caption, bool error) = 0;
};

// The editor's level save: the flag spacing warnings, then the whole level.
// False when the level could not be written; the file then holds nothing.
bool SaveEditorLevel(IFile* file, IFileManager* files, const World& world, ILevelShell& shell);

// The editor's level load. A file that cannot be read changes nothing (the
// shell is not asked to empty its level); an unknown world version says so
// in a message box.
bool LoadEditorLevel(IFile* file, World& world, ILevelShell& shell);
