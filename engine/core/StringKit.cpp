#include "engine/core/StringKit.h"

#include <charconv>
#include <climits>
#include <cmath>
#include <cstring>

namespace Util {

size_t StrLen(const char16_t* s)
{
    if (!s)
        return 0;
    size_t n = 0;
    while (s[n])
        ++n;
    return n;
}

void StrCopy(char16_t* dst, size_t capacity, const char16_t* src)
{
    if (!dst || capacity == 0)
        return;
    size_t i = 0;
    if (src)
        for (; i + 1 < capacity && src[i]; ++i)
            dst[i] = src[i];
    dst[i] = 0;
}

char16_t* StrDup(const char16_t* s)
{
    if (!s)
        return nullptr;
    size_t n = StrLen(s);
    char16_t* d = new char16_t[n + 1];
    std::memcpy(d, s, (n + 1) * sizeof(char16_t));
    return d;
}

int StrCompare(const char16_t* a, const char16_t* b)
{
    if (!a)
        a = u"";
    if (!b)
        b = u"";
    for (;; ++a, ++b) {
        if (*a != *b)
            return *a < *b ? -1 : 1;
        if (!*a)
            return 0;
    }
}

bool StrEqual(const char16_t* a, const char16_t* b) { return StrCompare(a, b) == 0; }

char16_t ToLower(char16_t c) { return (c >= u'A' && c <= u'Z') ? char16_t(c + 32) : c; }
char ToLower(char c) { return (c >= 'A' && c <= 'Z') ? char(c + 32) : c; }

int StrCompareNoCase(const char16_t* a, const char16_t* b)
{
    if (!a)
        a = u"";
    if (!b)
        b = u"";
    for (;; ++a, ++b) {
        char16_t x = ToLower(*a), y = ToLower(*b);
        if (x != y)
            return x < y ? -1 : 1;
        if (!x)
            return 0;
    }
}

static char16_t WidenByte(char c) { return char16_t(int16_t(int8_t(c))); }

std::u16string Widen(const char* s, size_t n)
{
    std::u16string out;
    if (!s)
        return out;
    out.resize(n);
    for (size_t i = 0; i < n; ++i)
        out[i] = WidenByte(s[i]);
    return out;
}

std::u16string Widen(const char* s) { return s ? Widen(s, std::strlen(s)) : std::u16string(); }

std::string Narrow(const char16_t* s)
{
    std::string out;
    if (!s)
        return out;
    for (; *s; ++s)
        out.push_back(char(*s & 0xFF));
    return out;
}

std::string Narrow(const std::u16string& s) { return Narrow(s.c_str()); }

// ---- numbers ----

std::string IntToString(long long v)
{
    char buf[32];
    auto r = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, r.ptr);
}

std::u16string IntToString16(long long v) { return Widen(IntToString(v).c_str()); }

std::string FloatToString(double v, int decimals)
{
    if (std::isnan(v))
        return "nan";
    if (std::isinf(v))
        return v < 0 ? "-inf" : "inf";
    if (decimals < 0)
        decimals = 6;
    if (decimals > 60)
        decimals = 60;
    char buf[400];
    auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, decimals);
    if (r.ec != std::errc())
        return "0";
    return std::string(buf, r.ptr);
}

std::u16string FloatToString16(double v, int decimals) { return Widen(FloatToString(v, decimals).c_str()); }

template <typename C> static std::string AsciiOf(const C* s, bool* clean)
{
    std::string out;
    *clean = true;
    if (!s)
        return out;
    for (; *s; ++s) {
        auto u = static_cast<std::make_unsigned_t<C>>(*s);
        if (u >= 0x80) {
            *clean = false;
            break;
        }
        out.push_back(char(u));
    }
    return out;
}

static const char* SkipSpace(const char* p)
{
    while (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\r' || *p == '\v' || *p == '\f')
        ++p;
    return p;
}

bool ParseInt(const char* s, long long* out)
{
    if (!s)
        return false;
    const char* p = SkipSpace(s);
    if (*p == '+')
        ++p;
    const char* end = p + std::strlen(p);
    long long v = 0;
    auto r = std::from_chars(p, end, v);
    if (r.ec != std::errc() || r.ptr != end)
        return false;
    *out = v;
    return true;
}

bool ParseInt(const char16_t* s, long long* out)
{
    bool clean;
    std::string a = AsciiOf(s, &clean);
    return clean && ParseInt(a.c_str(), out);
}

bool ParseFloat(const char* s, double* out)
{
    if (!s)
        return false;
    const char* p = SkipSpace(s);
    if (*p == '+')
        ++p;
    const char* end = p + std::strlen(p);
    double v = 0;
    auto r = std::from_chars(p, end, v, std::chars_format::general);
    if (r.ec != std::errc() || r.ptr != end || !std::isfinite(v))
        return false;
    *out = v;
    return true;
}

bool ParseFloat(const char16_t* s, double* out)
{
    bool clean;
    std::string a = AsciiOf(s, &clean);
    return clean && ParseFloat(a.c_str(), out);
}

int AtoI(const char* s)
{
    if (!s)
        return 0;
    const char* p = SkipSpace(s);
    bool neg = false;
    if (*p == '+' || *p == '-')
        neg = *p++ == '-';
    long long v = 0;
    for (; *p >= '0' && *p <= '9'; ++p) {
        v = v * 10 + (*p - '0');
        if (v > (long long)INT_MAX + 1) {
            v = (long long)INT_MAX + 1;
            break;
        }
    }
    if (neg)
        v = -v;
    if (v > INT_MAX)
        v = INT_MAX;
    return int(v);
}

int AtoI(const char16_t* s)
{
    bool clean;
    return AtoI(AsciiOf(s, &clean).c_str());
}

double AtoF(const char* s)
{
    if (!s)
        return 0;
    const char* p = SkipSpace(s);
    if (*p == '+')
        ++p;
    double v = 0;
    auto r = std::from_chars(p, p + std::strlen(p), v, std::chars_format::general);
    if (r.ec == std::errc::result_out_of_range)
        return 0;
    if (r.ec != std::errc())
        return 0;
    return v;
}

double AtoF(const char16_t* s)
{
    bool clean;
    return AtoF(AsciiOf(s, &clean).c_str());
}

// ---- formatting ----

namespace {

struct Spec {
    bool left = false, plus = false, space = false, alt = false, zero = false;
    int width = 0;
    int precision = -1;
    int size = 0; // -1 short/narrow, 0 default, 1 long/wide, 2 64-bit
};

void Pad(std::u16string& out, const std::u16string& body, const Spec& sp, bool numeric)
{
    size_t w = sp.width > 0 ? size_t(sp.width) : 0;
    if (body.size() >= w) {
        out += body;
        return;
    }
    size_t fill = w - body.size();
    if (sp.left) {
        out += body;
        out.append(fill, u' ');
    } else if (sp.zero && numeric) {
        size_t signLen = 0;
        if (!body.empty() && (body[0] == u'-' || body[0] == u'+' || body[0] == u' '))
            signLen = 1;
        if (body.size() >= signLen + 2 && body[signLen] == u'0' &&
            (body[signLen + 1] == u'x' || body[signLen + 1] == u'X'))
            signLen += 2;
        out.append(body, 0, signLen);
        out.append(fill, u'0');
        out.append(body, signLen, std::u16string::npos);
    } else {
        out.append(fill, u' ');
        out += body;
    }
}

std::u16string IntBody(unsigned long long mag, bool neg, int base, bool upper, const Spec& sp, bool isSigned)
{
    char digits[72];
    int n = 0;
    const char* set = upper ? "0123456789ABCDEF" : "0123456789abcdef";
    while (mag) {
        digits[n++] = set[mag % base];
        mag /= base;
    }
    std::u16string body;
    if (isSigned) {
        if (neg)
            body += u'-';
        else if (sp.plus)
            body += u'+';
        else if (sp.space)
            body += u' ';
    }
    if (sp.alt && base == 16 && n > 0)
        body += upper ? u"0X" : u"0x";
    if (sp.alt && base == 8)
        body += u'0';
    int prec = sp.precision < 0 ? 1 : sp.precision;
    for (int i = n; i < prec; ++i)
        body += u'0';
    for (int i = n - 1; i >= 0; --i)
        body += char16_t(digits[i]);
    return body;
}

std::u16string FloatBody(double v, char conv, const Spec& sp)
{
    std::u16string body;
    bool neg = std::signbit(v);
    if (neg)
        body += u'-';
    else if (sp.plus)
        body += u'+';
    else if (sp.space)
        body += u' ';
    double a = std::fabs(v);
    bool upper = conv == 'E' || conv == 'G' || conv == 'F';
    if (std::isnan(a)) {
        body += upper ? u"NAN" : u"nan";
        return body;
    }
    if (std::isinf(a)) {
        body += upper ? u"INF" : u"inf";
        return body;
    }
    int prec = sp.precision < 0 ? 6 : (sp.precision > 60 ? 60 : sp.precision);
    char buf[400];
    std::to_chars_result r;
    char lc = char(ToLower(conv));
    if (lc == 'f') {
        r = std::to_chars(buf, buf + sizeof buf, a, std::chars_format::fixed, prec);
    } else if (lc == 'e') {
        r = std::to_chars(buf, buf + sizeof buf, a, std::chars_format::scientific, prec);
    } else {
        r = std::to_chars(buf, buf + sizeof buf, a, std::chars_format::general, prec == 0 ? 1 : prec);
    }
    if (r.ec != std::errc())
        return body + u"0";
    for (char* p = buf; p < r.ptr; ++p) {
        char c = *p;
        if (upper && c == 'e')
            c = 'E';
        body += char16_t(c);
    }
    if (sp.alt && prec == 0 && lc == 'f')
        body += u'.';
    return body;
}

template <typename C> void AppendNarrowString(std::u16string& piece, const char* s, int precision)
{
    if (!s)
        s = "(null)";
    for (int i = 0; s[i] && (precision < 0 || i < precision); ++i)
        piece += WidenByte(s[i]);
}

void AppendWideString(std::u16string& piece, const char16_t* s, int precision)
{
    if (!s)
        s = u"(null)";
    for (int i = 0; s[i] && (precision < 0 || i < precision); ++i)
        piece += s[i];
}

template <typename C> std::u16string FormatCore(const C* fmt, va_list args)
{
    constexpr bool wideFormat = sizeof(C) == 2;
    std::u16string out;
    if (!fmt)
        return out;
    auto at = [&](const C* p) -> char16_t { return char16_t(static_cast<std::make_unsigned_t<C>>(*p)); };
    for (const C* p = fmt; *p; ++p) {
        if (at(p) != u'%') {
            out += wideFormat ? at(p) : WidenByte(char(*p));
            continue;
        }
        const C* start = p;
        ++p;
        if (!*p)
            break;
        if (at(p) == u'%') {
            out += u'%';
            continue;
        }
        Spec sp;
        for (;; ++p) {
            char16_t f = at(p);
            if (f == u'-')
                sp.left = true;
            else if (f == u'+')
                sp.plus = true;
            else if (f == u' ')
                sp.space = true;
            else if (f == u'#')
                sp.alt = true;
            else if (f == u'0')
                sp.zero = true;
            else
                break;
        }
        if (at(p) == u'*') {
            sp.width = va_arg(args, int);
            if (sp.width < 0) {
                sp.left = true;
                sp.width = sp.width == INT_MIN ? 0 : -sp.width;
            }
            ++p;
        } else {
            while (at(p) >= u'0' && at(p) <= u'9') {
                sp.width = sp.width * 10 + (at(p) - u'0');
                if (sp.width > 4096)
                    sp.width = 4096;
                ++p;
            }
        }
        if (at(p) == u'.') {
            ++p;
            sp.precision = 0;
            if (at(p) == u'*') {
                sp.precision = va_arg(args, int);
                if (sp.precision < 0)
                    sp.precision = -1;
                ++p;
            } else {
                while (at(p) >= u'0' && at(p) <= u'9') {
                    sp.precision = sp.precision * 10 + (at(p) - u'0');
                    if (sp.precision > 4096)
                        sp.precision = 4096;
                    ++p;
                }
            }
        }
        if (sp.width > 4096)
            sp.width = 4096;
        for (bool more = true; more && *p;) {
            char16_t m = at(p);
            if (m == u'h') {
                sp.size = -1;
                ++p;
            } else if (m == u'l' || m == u'w') {
                sp.size = sp.size == 1 ? 2 : 1;
                ++p;
            } else if (m == u'L' || m == u'q' || m == u'j') {
                sp.size = 2;
                ++p;
            } else if (m == u'z' || m == u't') {
                sp.size = 2;
                ++p;
            } else if (m == u'I' && at(p + 1) == u'6' && at(p + 2) == u'4') {
                sp.size = 2;
                p += 3;
            } else if (m == u'I' && at(p + 1) == u'3' && at(p + 2) == u'2') {
                sp.size = 0;
                p += 3;
            } else
                more = false;
        }
        if (!*p)
            break;
        char16_t conv = at(p);
        std::u16string piece;
        switch (conv) {
        case u'd':
        case u'i': {
            long long v =
                sp.size == 2 ? va_arg(args, long long) : (sp.size == 1 ? va_arg(args, long) : va_arg(args, int));
            if (sp.size == -1)
                v = (short)v;
            unsigned long long mag = v < 0 ? 0ULL - (unsigned long long)v : (unsigned long long)v;
            Pad(out, IntBody(mag, v < 0, 10, false, sp, true), sp, sp.precision < 0);
            continue;
        }
        case u'u':
        case u'x':
        case u'X':
        case u'o': {
            unsigned long long v = sp.size == 2
                                       ? va_arg(args, unsigned long long)
                                       : (sp.size == 1 ? va_arg(args, unsigned long) : va_arg(args, unsigned int));
            if (sp.size == -1)
                v = (unsigned short)v;
            int base = conv == u'o' ? 8 : (conv == u'u' ? 10 : 16);
            Pad(out, IntBody(v, false, base, conv == u'X', sp, false), sp, sp.precision < 0);
            continue;
        }
        case u'p': {
            void* v = va_arg(args, void*);
            Spec ps = sp;
            ps.alt = true;
            Pad(out, IntBody((unsigned long long)(uintptr_t)v, false, 16, false, ps, false), sp, false);
            continue;
        }
        case u'f':
        case u'F':
        case u'e':
        case u'E':
        case u'g':
        case u'G': {
            double v = sp.size == 2 ? (double)va_arg(args, long double) : va_arg(args, double);
            Pad(out, FloatBody(v, char(conv), sp), sp, std::isfinite(v));
            continue;
        }
        case u'c':
        case u'C': {
            int v = va_arg(args, int);
            bool wide = (conv == u'c') == wideFormat;
            if (sp.size == -1)
                wide = false;
            if (sp.size == 1)
                wide = true;
            piece += wide ? char16_t(v) : WidenByte(char(v));
            Pad(out, piece, sp, false);
            continue;
        }
        case u's':
        case u'S': {
            bool wide = (conv == u's') == wideFormat;
            if (sp.size == -1)
                wide = false;
            if (sp.size == 1)
                wide = true;
            if (wide)
                AppendWideString(piece, va_arg(args, const char16_t*), sp.precision);
            else
                AppendNarrowString<C>(piece, va_arg(args, const char*), sp.precision);
            Pad(out, piece, sp, false);
            continue;
        }
        case u'n':
            (void)va_arg(args, int*); // never written through
            continue;
        default:
            // Unknown conversion: copy it as it stands.
            for (const C* q = start; q <= p; ++q)
                out += wideFormat ? at(q) : WidenByte(char(*q));
            continue;
        }
    }
    return out;
}

} // namespace

std::u16string FormatV(const char16_t* fmt, va_list args)
{
    va_list copy;
    va_copy(copy, args);
    std::u16string s = FormatCore(fmt, copy);
    va_end(copy);
    return s;
}

std::u16string Format(const char16_t* fmt, ...)
{
    va_list a;
    va_start(a, fmt);
    std::u16string s = FormatCore(fmt, a);
    va_end(a);
    return s;
}

std::string FormatV(const char* fmt, va_list args)
{
    va_list copy;
    va_copy(copy, args);
    std::string s = Narrow(FormatCore(fmt, copy));
    va_end(copy);
    return s;
}

std::string Format(const char* fmt, ...)
{
    va_list a;
    va_start(a, fmt);
    std::string s = Narrow(FormatCore(fmt, a));
    va_end(a);
    return s;
}

int FormatTo(char16_t* dst, size_t capacity, const char16_t* fmt, ...)
{
    if (!dst || capacity == 0)
        return -1;
    va_list a;
    va_start(a, fmt);
    std::u16string s = FormatCore(fmt, a);
    va_end(a);
    StrCopy(dst, capacity, s.c_str());
    return s.size() < capacity ? int(s.size()) : -1;
}

int FormatTo(char* dst, size_t capacity, const char* fmt, ...)
{
    if (!dst || capacity == 0)
        return -1;
    va_list a;
    va_start(a, fmt);
    std::string s = Narrow(FormatCore(fmt, a));
    va_end(a);
    size_t n = s.size() < capacity ? s.size() : capacity - 1;
    std::memcpy(dst, s.data(), n);
    dst[n] = 0;
    return s.size() < capacity ? int(n) : -1;
}

} // namespace Util
