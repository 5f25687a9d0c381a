#pragma once

#include <cstdint>

// Our layer in place of the Windows socket library: BSD sockets. Starting
// the library always succeeds; sends never raise SIGPIPE.
namespace Net {

bool Startup();
bool IsStarted();

constexpr uint32_t kNoAddress = 0xFFFFFFFFu;

// Dotted IPv4 text to an address in network byte order, kNoAddress when
// the text is not one.
uint32_t ParseDotted(const char* text);
// First IPv4 address of a name lookup, network byte order; 0 on failure.
uint32_t Resolve(const char* host);

} // namespace Net
