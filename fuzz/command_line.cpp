// Arbitrary command lines for the game program: any bytes, words of any
// length, UTF-8 broken anywhere.
#include "launcher/CommandLine.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const LaunchArguments args = ParseCommandLine(std::string(reinterpret_cast<const char*>(data), size));
    if (args.first.size() > kMaxWordUnits || args.second.size() > kMaxWordUnits)
        std::abort();
    return 0;
}
