#pragma once

#include <climits>

// The decimal number the text starts with, as the screens read their
// fields: false (and 0) when it does not start with a digit; digits beyond
// an int saturate instead of wrapping; anything after the digits is ignored.
inline bool LeadingNumber(const char16_t* text, int* value)
{
    long long n = 0;
    const char16_t* p = text;
    for (; p && *p >= u'0' && *p <= u'9'; ++p)
        n = n > INT_MAX ? n : n * 10 + (*p - u'0');
    *value = int(n > INT_MAX ? INT_MAX : n);
    return p && p != text;
}
