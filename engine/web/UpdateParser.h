#pragma once

#include "engine/core/List.h"
#include "engine/xml/XMLInterface.h"

class IUpdateFile;
class UpdateFile;

// Reads the update list into the engine's list: one entry per
// <updateFile> with its name, notes, version, fileUrl and fileSize.
class UpdateParser : public nsParser::XMLInterface {
public:
    explicit UpdateParser(Util::List<IUpdateFile>* files) : files_(files) {}

    void StartElement(const char16_t* name) override;
    void EndElement(const char16_t* name) override;
    void TagClosed() override {}
    void Attribute(const char16_t*, TextToken*) override {}
    void Text(const char16_t* text) override;

private:
    enum { kNone, kUpdateFile, kName, kNotes, kVersion, kFileUrl, kFileSize };
    Util::List<IUpdateFile>* files_;
    int current_ = kNone;
    UpdateFile* file_ = nullptr; // owned by the list
};
