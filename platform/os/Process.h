#pragma once

#include <string>
#include <vector>

namespace Os {

// Starts a program with these arguments (argv[0] first) and this process's
// environment and current directory; it inherits no descriptor beyond the
// standard three and is not waited for. False when it could not be started.
bool StartProgram(const std::u16string& program, const std::vector<std::u16string>& args);

} // namespace Os
