#include "server/log.h"

#include <ostream>

namespace vexal::server {

bool parseLogLevel(std::string_view text, LogLevel& level) {
    static constexpr std::pair<std::string_view, LogLevel> kNames[] = {
        {"silent", LogLevel::Silent}, {"error", LogLevel::Error}, {"warn", LogLevel::Warn},
        {"info", LogLevel::Info},     {"debug", LogLevel::Debug}};
    for (auto [name, value] : kNames) {
        if (text == name) {
            level = value;
            return true;
        }
    }
    return false;
}

void Logger::write(LogLevel level, std::string_view text) {
    if (level == LogLevel::Warn)
        ++m_warnings;
    if (!enabled(level))
        return;
    static constexpr const char* kTags[] = {"", "error", "warn", "info", "debug"};
    std::lock_guard lock(m_mutex);
    *m_out << kTags[static_cast<int>(level)] << ": " << text << '\n';
    m_out->flush();
}

}  // namespace vexal::server
