#include "outside/options/Backends.h"
#include "outside/options/OptionSettings.h"

#include "platform/os/OsText.h"

#include <cstring>
#include <utility>
#include <vector>

namespace Options {

bool RunScripted(IGame* game, const char* answer, const char* settings, Answer* out, std::u16string* error)
{
    if (!answer || !*answer || std::strcmp(answer, "start") == 0) {
        *out = Answer::Start;
    } else if (std::strcmp(answer, "save") == 0) {
        *out = Answer::Save;
    } else if (std::strcmp(answer, "cancel") == 0) {
        *out = Answer::Cancel;
    } else {
        *error = u"VORNHAL_OPTIONS is \"" + Util::FromOs(answer) + u"\"; it takes start, save or cancel";
        return false;
    }

    // Every entry is checked before any is written.
    std::vector<std::pair<const Setting*, std::u16string>> changes;
    const std::string text = settings ? settings : "";
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find(';', start);
        if (end == std::string::npos)
            end = text.size();
        const std::string entry = text.substr(start, end - start);
        start = end + 1;
        if (entry.empty())
            continue;
        const size_t equals = entry.find('=');
        const Setting* setting = equals == std::string::npos ? nullptr : FindSetting(entry.substr(0, equals));
        if (!setting) {
            *error = u"VORNHAL_OPTIONS_SET: \"" + Util::FromOs(entry) + u"\" names no setting";
            return false;
        }
        std::u16string value, why;
        if (!ParseSetting(*setting, Util::FromOs(entry.substr(equals + 1)), &value, &why)) {
            *error = u"VORNHAL_OPTIONS_SET: " + why;
            return false;
        }
        changes.emplace_back(setting, value);
    }
    // A cancelled dialog keeps the settings as they were.
    if (*out != Answer::Cancel)
        for (const auto& change : changes)
            WriteSetting(*change.first, game, change.second);
    return true;
}

} // namespace Options
