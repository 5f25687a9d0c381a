#pragma once

#include "support/ChildProcess.h"

#include <string>
#include <vector>

// The real "server" program on a pseudo-terminal in a folder of its own.
class ServerProcess : public TestSupport::ChildProcess {
public:
    explicit ServerProcess(const std::string& folder, const std::vector<std::string>& args = {})
        : ChildProcess(std::string(VORNHAL_BUILD_DIR) + "/server", args, folder, Terminal)
    {
    }
};
