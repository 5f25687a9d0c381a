#pragma once

#include "game/shell/console/IMessageWriter.h"

#include <string>

namespace Console {
class ConsoleOutput;
}

// The server's console output: 8-bit text as its bytes, UTF-16 text as the
// operating system's text. Whole lines go to the output as they end; the
// start of a line (a prompt, a key's echo) when it is flushed.
class ConsoleWriter : public IMessageWriter {
public:
    explicit ConsoleWriter(Console::ConsoleOutput* output) : output_(output) {}
    ~ConsoleWriter() override { Flush(); }
    ConsoleWriter(const ConsoleWriter&) = delete;
    ConsoleWriter& operator=(const ConsoleWriter&) = delete;

    void Print(const char* format, ...) override;
    void PrintDirect(const char16_t* format, ...) override;
    void Write(const std::string& text);
    void Flush();

private:
    Console::ConsoleOutput* output_;
    std::string pending_;
};
