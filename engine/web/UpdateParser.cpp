#include "engine/web/UpdateParser.h"

#include "engine/core/StringKit.h"
#include "engine/web/UpdateFile.h"

void UpdateParser::StartElement(const char16_t* name)
{
    if (Util::StrEqual(name, u"updateFile")) {
        file_ = new UpdateFile();
        files_->Add(file_);
        current_ = kUpdateFile;
    } else if (Util::StrEqual(name, u"name")) {
        current_ = kName;
    } else if (Util::StrEqual(name, u"notes")) {
        current_ = kNotes;
    } else if (Util::StrEqual(name, u"version")) {
        current_ = kVersion;
    } else if (Util::StrEqual(name, u"fileUrl")) {
        current_ = kFileUrl;
    } else if (Util::StrEqual(name, u"fileSize")) {
        current_ = kFileSize;
    }
}

void UpdateParser::EndElement(const char16_t* name)
{
    current_ = kNone;
    if (Util::StrEqual(name, u"updateFile"))
        file_ = nullptr;
}

void UpdateParser::Text(const char16_t* text)
{
    if (!file_ || !text)
        return;
    switch (current_) {
    case kName:
        file_->SetName(text);
        break;
    case kNotes:
        file_->SetNotes(text);
        break;
    case kFileUrl:
        file_->SetFileUrl(text);
        break;
    case kVersion:
        file_->SetVersion(Util::AtoI(text));
        break;
    case kFileSize:
        file_->SetFileSize(Util::AtoI(text));
        break;
    default:
        break;
    }
}
