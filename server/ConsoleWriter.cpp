#include "server/ConsoleWriter.h"

#include "engine/core/StringKit.h"
#include "platform/console/ConsoleOutput.h"

#include <cstdarg>

void ConsoleWriter::Print(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    std::string text = Util::FormatV(format, args);
    va_end(args);
    Write(text);
}

void ConsoleWriter::PrintDirect(const char16_t* format, ...)
{
    va_list args;
    va_start(args, format);
    std::u16string text = Util::FormatV(format, args);
    va_end(args);
    Write(Util::ToOs(text));
}

void ConsoleWriter::Write(const std::string& text)
{
    pending_ += text;
    for (size_t end; (end = pending_.find('\n')) != std::string::npos;) {
        output_->Write(pending_.substr(0, end + 1));
        pending_.erase(0, end + 1);
    }
}

void ConsoleWriter::Flush()
{
    output_->Write(std::move(pending_));
    pending_.clear();
}
