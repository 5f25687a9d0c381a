#pragma once

#include <string>
#include <vector>

class IFileManager;

// What "Make Package" packs and how it hands it to the file manager: the
// four resource scripts, then everything under "gfx", "sfx" and "levels"
// of the game folder. No window here.
namespace PackageBuilder {

constexpr int kMaxVersion = 1000000;

// The names to pack, relative to the game folder with "/" between folders:
// the scripts first, then each folder walked depth first with its entries
// in name order, so that a package is the same every time it is built.
// Hidden entries (a leading ".") are skipped, and so is every linked
// folder: a link back up the tree would make the walk endless.
std::vector<std::u16string> CollectNames(const std::u16string& gameDir);

// Empties any package being built and starts one (version 0) with these
// names; returns the list text, a line ended by "\r\n" per name.
std::u16string BeginWith(IFileManager* files, const std::vector<std::u16string>& names);

// The version edit's text: a decimal number within 0..kMaxVersion.
bool ParseVersion(const std::u16string& text, int* version);

// True when the path names the "game.data" the file manager reads the
// game's data from; writing over it would change the bytes under the
// package the editor has open.
bool IsOpenDataPackage(IFileManager* files, const std::u16string& path);

// Sets the version and writes the package at the full path.
bool Write(IFileManager* files, int version, const std::u16string& path);

} // namespace PackageBuilder
