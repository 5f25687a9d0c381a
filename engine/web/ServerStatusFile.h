#pragma once

#include <string>
#include <vector>

class IFileManager;

// The small XML file that describes a running server, rewritten with every
// queued announcement.
class ServerStatusFile {
public:
    static constexpr size_t kPlayerListLimit = 4000;

    // The file's bytes: each unit as its low byte.
    static std::string BuildText(const char16_t* name, const char16_t* level, int players, int maxPlayers,
                                 const std::vector<std::u16string>& playerNames);
    // False when the file cannot be written.
    static bool Write(IFileManager* files, const char16_t* path, const std::string& text);

    // "&", "<", ">" and the double quote as entities; units whose low byte
    // is 0 would end the text and are left out.
    static std::u16string Escape(const char16_t* text);
};
