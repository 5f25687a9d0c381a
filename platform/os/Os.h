#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Our layer over the operating system's kernel services: clocks, sleeping,
// the current directory and file names. System paths are UTF-16 with "\\"
// or "/" between components.
namespace Os {

// Monotonic counter and its ticks per second.
int64_t CounterNow();
int64_t CounterFrequency();
void SleepMs(int ms);

std::u16string CurrentDirectory();

// A system path as the operating system's bytes: "\\" becomes "/". When the
// path does not exist as written, each component is matched without regard
// to case, as the system's files expect.
std::string NativePath(const char16_t* path);
std::string NativePath(const std::u16string& path);

bool Exists(const char16_t* path); // a file or folder
bool IsReadableFile(const char16_t* path);
bool RemoveFile(const char16_t* path);
bool RenameFile(const char16_t* from, const char16_t* to);
// True when the folder is there afterwards (made now or before).
bool MakeFolder(const char16_t* path);

// Names of the plain files (not folders) in a folder, unsorted.
std::vector<std::u16string> ListFiles(const char16_t* folder);

// POSIX descriptors; -1 on failure.
int OpenForRead(const char16_t* path);
int OpenForWrite(const char16_t* path); // create or truncate
// The full path that names the plain file open on the descriptor now;
// empty when there is none (a pipe, a removed file).
std::u16string PathOfHandle(int fd);

bool IsMainThread();

} // namespace Os
