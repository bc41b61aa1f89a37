// Server log lines on a stream, filtered by level. Halls on several threads share one logger;
// lines are written whole.
#pragma once

#include <atomic>
#include <iosfwd>
#include <mutex>
#include <string>
#include <string_view>

namespace vexal::server {

enum class LogLevel { Silent = 0, Error, Warn, Info, Debug };

// "silent", "error", "warn", "info" or "debug"; false for anything else.
bool parseLogLevel(std::string_view text, LogLevel& level);

class Logger {
public:
    Logger(std::ostream* out, LogLevel level) : m_out(out), m_level(level) {}

    bool enabled(LogLevel level) const { return m_out && level <= m_level; }
    void write(LogLevel level, std::string_view text);
    void error(std::string_view text) { write(LogLevel::Error, text); }
    void warn(std::string_view text) { write(LogLevel::Warn, text); }
    void info(std::string_view text) { write(LogLevel::Info, text); }
    void debug(std::string_view text) { write(LogLevel::Debug, text); }

    // Lines written so far at warn level (refused frames among them); tests read it.
    int warnings() const { return m_warnings; }

private:
    std::ostream* m_out;
    LogLevel m_level;
    std::atomic<int> m_warnings{0};
    std::mutex m_mutex;
};

}  // namespace vexal::server
