#include "core/videosetting.h"

#include <filesystem>

#include "core/numbers.h"
#include "core/inifile.h"

namespace vexal {

std::optional<bool> readVideoSetting(const std::string& programDir) {
    const std::filesystem::path path = std::filesystem::path(programDir) / kVideoSettingFile;
    classIniFile ini(path.string());
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) {
        // The write's outcome does not matter: video is on either way.
        ini.WriteIniKey(kVideoSettingSection, kVideoSettingKey, "1");
        return true;
    }
    const std::optional<double> value =
        parseStrictNumber(ini.GetIniKey(kVideoSettingSection, kVideoSettingKey));
    if (!value) return std::nullopt;
    return *value != 0;
}

}  // namespace vexal
