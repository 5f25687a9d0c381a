#pragma once

// Where the dedicated server's console text goes. Formats follow the
// system's printf rules (see the string kit).
class IMessageWriter {
public:
    virtual ~IMessageWriter() {}
    virtual void Print(const char* format, ...) = 0;
    virtual void PrintDirect(const char16_t* format, ...) = 0;
};
