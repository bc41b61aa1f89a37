// The wall clock the countdowns read: seconds since local midnight, single precision.
#pragma once

namespace vexal {

class Clock {
public:
    virtual ~Clock() = default;
    virtual float secondsSinceMidnight() const = 0;
};

// The real local time.
class SystemClock final : public Clock {
public:
    float secondsSinceMidnight() const override;
};

constexpr float kSecondsPerDay = 86400.0f;

// Seconds from `earlier` to `later` on a clock that goes back to 0 at midnight: a later reading
// below the earlier one means midnight passed in between.
float secondsBetween(float earlier, float later);

}  // namespace vexal
