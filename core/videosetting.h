// The video switch kept in "vidiosetting.ini" in the program's folder.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vexal {

constexpr std::string_view kVideoSettingFile = "vidiosetting.ini";
constexpr std::string_view kVideoSettingSection = "vidiosetting";
constexpr std::string_view kVideoSettingKey = "vidiovalue";

// Whether video chat is on. A missing file is created with "vidiovalue" = "1" and means on;
// an existing file's value 0 means off and any other number on. Nothing (a failed start-up) when
// the file exists but its value is missing, empty or not a number.
std::optional<bool> readVideoSetting(const std::string& programDir);

}  // namespace vexal
