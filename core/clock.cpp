#include "core/clock.h"

#include <chrono>
#include <ctime>

namespace vexal {

float SystemClock::secondsSinceMidnight() const {
    using namespace std::chrono;
    const auto now = system_clock::now();
    const std::time_t t = system_clock::to_time_t(now);
    std::tm local{};
    localtime_r(&t, &local);
    const auto fraction = duration_cast<milliseconds>(now.time_since_epoch()) % 1000;
    return static_cast<float>(local.tm_hour * 3600 + local.tm_min * 60 + local.tm_sec) +
           static_cast<float>(fraction.count()) / 1000.0f;
}

float secondsBetween(float earlier, float later) {
    const float d = later - earlier;
    return d < 0 ? d + kSecondsPerDay : d;
}

}  // namespace vexal
