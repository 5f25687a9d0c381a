#pragma once

#include <string>

// Temporary files that no other user can reach: a fresh folder of mode
// 0700, and files created in it that never replace what is already there.
// Paths are UTF-16 system paths; empty means failure.
namespace Os {

// $TMPDIR when it names a folder, else "/tmp".
std::u16string TempDirectory();
// A new folder "<parent>/<prefix>XXXXXX" that only this user may enter.
std::u16string MakePrivateFolder(const std::u16string& parent, const char* prefix);
// A new empty file "<folder>/<prefix>XXXXXX" of mode 0600.
std::u16string MakeTempFile(const std::u16string& folder, const char* prefix);
// Creates the file, which must not exist yet (a link there fails too);
// the descriptor, or -1.
int CreateNewFile(const std::u16string& path, int mode);
void CloseFile(int fd);
// Removes the plain files of the folder (no subfolders) and the folder.
bool RemoveFolderAndFiles(const std::u16string& folder);

} // namespace Os
