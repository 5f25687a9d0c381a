#pragma once

// What the client shows, line by line, for whoever watches it from outside
// (a tester driving the program with real input waits on these lines). When
// the environment names a file in VORNHAL_SCREEN_LOG, each line is appended
// to it as "<what>" or "<what>: <text>" in UTF-8; otherwise nothing is
// written.
namespace ScreenLog {

void Write(const char* what, const char16_t* text = nullptr);

} // namespace ScreenLog
