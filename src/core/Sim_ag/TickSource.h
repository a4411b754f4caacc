// Millisecond tick count for the soft PLC: cycle time, statistics, GET_TIME and the timers of the
// standard library. The app uses the system's monotonic clock, tests and the CLI a virtual clock.
// Ticks are 32-bit and wrap after about 49.7 days; compare them only through TicksSince.
#pragma once

#include <cstdint>

namespace korvo {

class ITickSource {
public:
    virtual uint32_t TickCount() const = 0;

protected:
    ~ITickSource() = default;
};

// Milliseconds elapsed from `from` to `now`, correct across one wrap of the counter.
constexpr uint32_t TicksSince(uint32_t now, uint32_t from) {
    return uint32_t(now - from);
}

// Monotonic system clock in milliseconds. Uses the coarse clock (a few ms resolution, a few ns per
// read), which is cheap enough to read on every step in run mode.
class TSystemTickSource final : public ITickSource {
public:
    uint32_t TickCount() const override;
};

// A clock that moves only when told to.
class TVirtualTickSource final : public ITickSource {
public:
    explicit TVirtualTickSource(uint32_t start = 0) : FNow(start) {}
    uint32_t TickCount() const override { return FNow; }
    void Set(uint32_t now) { FNow = now; }
    void Advance(uint32_t ms) { FNow += ms; }

private:
    uint32_t FNow;
};

// The process-wide system clock, the soft PLC's default.
ITickSource& SystemTickSource();

} // namespace korvo
