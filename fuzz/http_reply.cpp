// Feeds arbitrary bytes to the HTTP reply parser in pieces whose sizes the
// first input byte picks, taking body bytes as a streaming reader would.

#include "engine/web/HTTPResponseParser.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    size_t step = size_t(data[0] % 61) + 1;
    bool capped = data[0] & 0x80;
    const char* bytes = reinterpret_cast<const char*>(data + 1);
    size_t n = size - 1;

    HTTPUtils::HTTPResponseParser parser(capped ? 512 : 0);
    char out[1024];
    int64_t taken = 0;
    for (size_t at = 0; at < n; at += step) {
        size_t piece = step < n - at ? step : n - at;
        parser.Feed(bytes + at, piece);
        if (parser.BodySize() > 0 && (at / step) % 3 == 0)
            taken += int64_t(parser.TakeBody(out, sizeof out));
        if (parser.BodySize() > (capped ? 512u : n))
            std::abort();
    }
    parser.Finish();
    taken += int64_t(parser.TakeBody(out, sizeof out));
    while (parser.BodySize() > 0)
        taken += int64_t(parser.TakeBody(out, sizeof out));
    // Never more body than input, never more handed out than framed.
    if (taken != parser.BodyTotal() || parser.BodyTotal() > int64_t(n))
        std::abort();
    if (parser.IsDone() && parser.HasError())
        std::abort();
    return 0;
}
