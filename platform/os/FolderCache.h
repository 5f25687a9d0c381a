#pragma once

#include <string>

namespace Os {

// The entry of a folder whose name equals name without regard to ASCII
// letter case. Folder listings are kept until the folder changes, so a
// miss in a large folder does not read the whole folder each time.
bool FindNameIgnoringCase(const std::string& folder, const std::string& name, std::string* match);

} // namespace Os
