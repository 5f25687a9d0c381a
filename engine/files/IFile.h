#pragma once

// The engine's byte stream. Files are made by the file manager and deleted by
// their user through the virtual destructor.
class IFile {
public:
    virtual ~IFile() {}
    virtual const char16_t* GetName() = 0;
    virtual int GetSize() = 0;
    virtual bool IsWriting() = 0;
    virtual int Tell() = 0;
    virtual void Seek(int position) = 0;
    virtual int Skip(int delta) = 0;
    virtual bool BeginCompression() = 0;
    virtual bool EndCompression() = 0;
    virtual int Read(void* buffer, int length) = 0;
    virtual bool ReadLine(char* buffer, int size) = 0;
    virtual bool Write(const void* data, int length) = 0;
    virtual bool WriteString(const char16_t* text) = 0;
    virtual bool WriteInt(int value) = 0;
    virtual bool Flush() = 0;
    virtual void CloseAndDelete() = 0;
};
