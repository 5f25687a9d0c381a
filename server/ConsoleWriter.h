#pragma once

#include "game/shell/console/IMessageWriter.h"

// The server's console output: 8-bit text as its bytes, UTF-16 text as the
// operating system's text.
class ConsoleWriter : public IMessageWriter {
public:
    void Print(const char* format, ...) override;
    void PrintDirect(const char16_t* format, ...) override;
};
