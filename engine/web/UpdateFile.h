#pragma once

#include "engine/web/IUpdateFile.h"

#include <string>

class UpdateFile : public IUpdateFile {
public:
    int GetVersion() override { return version_; }
    const char16_t* GetName() override { return name_.c_str(); }
    const char16_t* GetNotes() override { return notes_.c_str(); }
    const char16_t* GetFileUrl() override { return fileUrl_.c_str(); }
    int GetFileSize() override { return fileSize_; }

    void SetVersion(int v) { version_ = v; }
    void SetName(std::u16string v) { name_ = std::move(v); }
    void SetNotes(std::u16string v) { notes_ = std::move(v); }
    void SetFileUrl(std::u16string v) { fileUrl_ = std::move(v); }
    void SetFileSize(int v) { fileSize_ = v; }

private:
    int version_ = 0;
    std::u16string name_;
    std::u16string notes_;
    std::u16string fileUrl_;
    int fileSize_ = 0;
};
