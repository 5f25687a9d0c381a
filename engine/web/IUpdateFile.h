#pragma once

// One entry of the update service's list. Strings are borrowed and empty
// when the list did not give them.
class IUpdateFile {
public:
    virtual ~IUpdateFile() {}
    virtual int GetVersion() = 0;
    virtual const char16_t* GetName() = 0;
    virtual const char16_t* GetNotes() = 0;
    virtual const char16_t* GetFileUrl() = 0;
    virtual int GetFileSize() = 0;
};
