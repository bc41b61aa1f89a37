#include "server/options.h"

#include <algorithm>
#include <charconv>
#include <iterator>
#include <thread>

namespace vexal::server {

const char* const kUsage =
    "usage: vexal-server [--port N] [--tables N] [--bot-wait SECONDS|off] [--turn-seconds N]\n"
    "                    [--seed N] [--log-level silent|error|warn|info|debug] [--stake N]\n"
    "                    [--wealth N] [--start-coins N] [--reconnect-seconds N] [--bot-delay-ms N]\n"
    "                    [--silence-seconds N] [--accounts FILE] [--relief-floor N]\n"
    "                    [--reliefs-per-day N] [--threads N] [--selfplay ROUNDS]\n";

int defaultThreads() {
    const unsigned cores = std::thread::hardware_concurrency();
    return cores == 0 ? 1 : static_cast<int>(cores);
}

namespace {

bool toInt(const std::string& text, int64_t& value) {
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, value);
    return ec == std::errc() && ptr == end;
}

}  // namespace

std::optional<Options> parseOptions(const std::vector<std::string>& args, std::string& error) {
    static const std::string kFlags[] = {"--port", "--tables", "--bot-wait", "--turn-seconds", "--seed",
                                         "--log-level", "--stake", "--wealth", "--start-coins",
                                         "--reconnect-seconds", "--bot-delay-ms", "--silence-seconds",
                                         "--accounts", "--relief-floor", "--reliefs-per-day", "--threads",
                                         "--selfplay"};
    Options o;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& flag = args[i];
        if (std::find(std::begin(kFlags), std::end(kFlags), flag) == std::end(kFlags)) {
            error = "unknown flag " + flag;
            return std::nullopt;
        }
        if (i + 1 >= args.size()) {
            error = flag + " needs a value";
            return std::nullopt;
        }
        const std::string& text = args[++i];
        if (flag == "--log-level") {
            if (!parseLogLevel(text, o.logLevel)) {
                error = "unknown log level " + text;
                return std::nullopt;
            }
            continue;
        }
        if (flag == "--accounts") {
            if (text.empty()) {
                error = "--accounts needs a file name";
                return std::nullopt;
            }
            o.hall.accountsFile = text;
            continue;
        }
        int64_t v = 0;
        if (flag == "--bot-wait" && text == "off") {
            o.hall.table.bots = false;
            continue;
        }
        if (!toInt(text, v)) {
            error = flag + " takes a whole number, not \"" + text + "\"";
            return std::nullopt;
        }
        auto inRange = [&](int64_t lo, int64_t hi) {
            if (v >= lo && v <= hi)
                return true;
            error = flag + " must lie in " + std::to_string(lo) + ".." + std::to_string(hi);
            return false;
        };
        if (flag == "--port") {
            if (!inRange(0, 65535)) return std::nullopt;
            o.port = static_cast<uint16_t>(v);
        } else if (flag == "--tables") {
            if (!inRange(1, kMaxTables)) return std::nullopt;
            o.hall.tables = static_cast<int>(v);
        } else if (flag == "--bot-wait") {
            if (v < 0) {
                o.hall.table.bots = false;
            } else {
                if (!inRange(0, 86400)) return std::nullopt;
                o.hall.table.botWait = Millis(v * 1000);
            }
        } else if (flag == "--turn-seconds") {
            // The client reads 2 or less as 15, and one byte carries it.
            if (!inRange(3, 255)) return std::nullopt;
            o.hall.table.turnSeconds = static_cast<int>(v);
        } else if (flag == "--seed") {
            o.hall.table.seed = static_cast<uint64_t>(v);
            o.seedGiven = true;
        } else if (flag == "--stake") {
            if (!inRange(1, 1'000'000'000)) return std::nullopt;
            o.hall.table.stake = v;
        } else if (flag == "--wealth") {
            if (!inRange(0, 1000)) return std::nullopt;
            o.hall.table.wealth = v;
        } else if (flag == "--start-coins") {
            if (!inRange(0, 1'000'000'000'000)) return std::nullopt;
            o.hall.table.startCoins = v;
        } else if (flag == "--reconnect-seconds") {
            if (!inRange(1, 86400)) return std::nullopt;
            o.hall.table.reconnectWindow = Millis(v * 1000);
        } else if (flag == "--bot-delay-ms") {
            if (!inRange(0, 60'000)) return std::nullopt;
            o.hall.table.botDelay = Millis(v);
        } else if (flag == "--silence-seconds") {
            if (!inRange(1, 86400)) return std::nullopt;
            o.hall.silenceLimit = Millis(v * 1000);
        } else if (flag == "--relief-floor") {
            if (!inRange(0, 1'000'000'000'000)) return std::nullopt;
            o.hall.table.reliefFloor = v;
        } else if (flag == "--reliefs-per-day") {
            if (!inRange(0, 1000)) return std::nullopt;
            o.hall.table.reliefsPerDay = static_cast<int>(v);
        } else if (flag == "--threads") {
            if (!inRange(1, 256)) return std::nullopt;
            o.threads = static_cast<int>(v);
        } else if (flag == "--selfplay") {
            if (!inRange(1, 100'000'000)) return std::nullopt;
            o.selfPlayRounds = static_cast<int>(v);
        } else {
            error = "unknown flag " + flag;
            return std::nullopt;
        }
    }
    return o;
}

}  // namespace vexal::server
