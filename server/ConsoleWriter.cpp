#include "server/ConsoleWriter.h"

#include "engine/core/StringKit.h"

#include <cstdarg>
#include <cstdio>

void ConsoleWriter::Print(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    std::string text = Util::FormatV(format, args);
    va_end(args);
    std::fwrite(text.data(), 1, text.size(), stdout);
}

void ConsoleWriter::PrintDirect(const char16_t* format, ...)
{
    va_list args;
    va_start(args, format);
    std::u16string text = Util::FormatV(format, args);
    va_end(args);
    std::string out = Util::ToOs(text);
    std::fwrite(out.data(), 1, out.size(), stdout);
}
