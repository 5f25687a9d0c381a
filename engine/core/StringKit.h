#pragma once

#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <string>

// The conversions for the operating system's names (ToOs, FromOs, ToUtf8)
// and the narrow case-insensitive compare sit below the engine, in the
// platform layer that needs them first.
#include "platform/os/OsText.h"

// The system's text is UTF-16 (char16_t units); 8-bit text widens byte by
// byte with sign extension and narrows to the low byte. Formats follow the
// Windows printf rules: in a wide format %s is wide and %S narrow, in an
// 8-bit format %s is narrow and %S wide. Numbers never depend on the locale.
namespace Util {

size_t StrLen(const char16_t* s);
// Copies at most capacity - 1 units and always terminates (capacity > 0).
void StrCopy(char16_t* dst, size_t capacity, const char16_t* src);
char16_t* StrDup(const char16_t* s); // new[]; null stays null
int StrCompare(const char16_t* a, const char16_t* b);
int StrCompareNoCase(const char16_t* a, const char16_t* b);
bool StrEqual(const char16_t* a, const char16_t* b);

char16_t ToLower(char16_t c);
char ToLower(char c);

std::u16string Widen(const char* s);
std::u16string Widen(const char* s, size_t n);
std::string Narrow(const char16_t* s);
std::string Narrow(const std::u16string& s);

std::u16string Format(const char16_t* fmt, ...);
std::u16string FormatV(const char16_t* fmt, va_list args);
std::string Format(const char* fmt, ...);
std::string FormatV(const char* fmt, va_list args);
// Bounded forms: at most capacity - 1 units and a terminator; the length
// written, or -1 when the text was cut.
int FormatTo(char16_t* dst, size_t capacity, const char16_t* fmt, ...);
int FormatTo(char* dst, size_t capacity, const char* fmt, ...);

std::string IntToString(long long v);
std::u16string IntToString16(long long v);
// Fixed notation with the given number of decimals.
std::string FloatToString(double v, int decimals = 6);
std::u16string FloatToString16(double v, int decimals = 6);

// Whole text must be a number (leading white space and a sign allowed);
// out-of-range values fail instead of wrapping.
bool ParseInt(const char* s, long long* out);
bool ParseInt(const char16_t* s, long long* out);
bool ParseFloat(const char* s, double* out);
bool ParseFloat(const char16_t* s, double* out);

// C-runtime style prefix parses: leading number or 0, never failing,
// saturating on overflow.
int AtoI(const char16_t* s);
int AtoI(const char* s);
double AtoF(const char16_t* s);
double AtoF(const char* s);

} // namespace Util
