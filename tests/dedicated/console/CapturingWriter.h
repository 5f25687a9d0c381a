#pragma once

// The console's replies kept as one text.
#include "engine/core/StringKit.h"
#include "game/shell/console/IMessageWriter.h"

#include <cstdarg>
#include <string>

class CapturingWriter : public IMessageWriter {
public:
    void Print(const char* format, ...) override
    {
        va_list args;
        va_start(args, format);
        text += Util::FormatV(format, args);
        va_end(args);
    }
    void PrintDirect(const char16_t*, ...) override {}
    std::string text;
};
