#pragma once

#include "engine/xml/TextTokenizer.h"

#include <string>
#include <vector>

class IFileManager;
class IResource;
class IResourceManager;
class ITexture;
class ObjectResource;
class SoundResource;
class TextToken;

// Reads one resource-definition script and creates its blocks, images,
// sounds and tiles in a resource manager as it parses. In edit mode (not in
// the dedicated server) definitions written without an id get one, the id
// is written into the script text, and SaveBack stores the changed text.
class ResourceScript {
public:
    ResourceScript(IResourceManager* manager, IFileManager* files);
    ~ResourceScript();
    ResourceScript(const ResourceScript&) = delete;
    ResourceScript& operator=(const ResourceScript&) = delete;

    // Before Load; ignored in the dedicated server.
    void SetEditMode(bool on);
    bool GetEditMode() const { return editMode_; }

    // True when the whole script was parsed. A missing or unreadable file
    // fails silently; a parse error shows one message naming file and line.
    bool Load(const char16_t* fileName);
    void AssignPendingIds();
    // Writes a changed script back (through a temporary file, so a failed
    // write leaves the old script whole). True when nothing had to be done;
    // false, silently, when the script file may not be written.
    bool SaveBack();

    // The line of the last token read.
    int GetLine() const { return line_; }
    const char16_t* GetFileName() const { return hasFileName_ ? fileName_.c_str() : nullptr; }
    const TextTokenizer& GetTokenizer() const { return tokenizer_; }
    int GetPendingCount() const { return int(pendingIds_.size()); }

private:
    struct PendingId {
        IResource* resource;
        TextToken* place;
        bool separator; // "id, " in front of a section's first argument, else "id "
        bool tile;
    };

    // One value of a section's argument list. Kinds are the stored types of
    // ParameterValue.
    struct Value {
        int kind = 0;
        std::string text;
        std::u16string wideText;
        int integer = 0;
        double real = 0.0;
        double x = 0.0;
        double y = 0.0;
        int red = 0;
        int green = 0;
        int blue = 0;
    };

    bool ReadFile(std::vector<char>& bytes);
    void Report(const std::string& message);
    // What the two builds do apart (ResourcesClient.cpp, ResourcesDedicated.cpp):
    // a client shows a parse failure in a box and needs every tile sheet; the
    // dedicated server prints it, loads no pictures and plays no sounds. Its
    // SetEditMode does nothing.
    void ShowReport(const std::string& text);
    void RequireSheet(const ITexture* sheet, const std::string& fileName);
    void SetSoundDelay(SoundResource* sound, double delay);

    // Tokens: Take fails at the end of the script.
    TextToken* Take();
    [[noreturn]] void Fail(const std::string& message);
    void Expect(char symbol);
    static bool Is(const TextToken* t, const char* text);
    static bool IsNumber(const TextToken* t);
    static double NumberOf(const TextToken* t);
    // One point of a polygon from its x token on: x "," y; at most 64.
    void ReadPoint(const TextToken* x, std::vector<float>& points);
    // An explicit id: it must fit an int, and be unused.
    int CheckedId(const TextToken* t);
    void CheckTileId(int id);
    void CheckUnused(int id);
    void AddPending(IResource* resource, const TextToken* at, bool separator, bool tile);

    void ParseScript();
    void ParseBlock(TextToken* classToken);
    Value ReadValue();
    // "pivot", "co" and "row" of an image; anything else fails.
    void ApplyPlacement(IResource* graphics, const Value& v);
    // After a value: true at ")", on at ",", else "'(' expected".
    bool EndOfValues();
    // The optional leading id of a section (kNoId without one), then its
    // file. Object and tile ids must be unused; a sound's is checked later.
    enum class IdUse { Object, Tile, Sound };
    TextToken* ReadIdAndFile(const char* idMessage, IdUse use, int* id);

    void ParseObjectGfx(ObjectResource* block);
    void ParseLinkGfx(ObjectResource* block);
    void ParseWreckedGfx(ObjectResource* block);
    void ParseParameter(ObjectResource* block);
    void ParseObjectSfx(ObjectResource* block);
    void ParseLinkSfx(ObjectResource* block);
    void ParseTileGfx(ObjectResource* block, int classId);
    void ParseShadowGfx(ObjectResource* block);
    void ParseBounding(ObjectResource* block);
    void ParseBreakable(ObjectResource* block);

    IResourceManager* manager_;
    IFileManager* files_;
    TextTokenizer tokenizer_;
    std::u16string fileName_;
    bool hasFileName_ = false;
    bool editMode_ = false;
    int line_ = 1;
    std::vector<PendingId> pendingIds_;
};
