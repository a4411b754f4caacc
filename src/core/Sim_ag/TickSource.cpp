// System millisecond clock.
#include "Sim_ag/TickSource.h"

#include <chrono>
#include <ctime>

namespace korvo {

uint32_t TSystemTickSource::TickCount() const {
#if defined(CLOCK_MONOTONIC_COARSE)
    timespec ts;
    if (clock_gettime(CLOCK_MONOTONIC_COARSE, &ts) == 0)
        return uint32_t(uint64_t(ts.tv_sec) * 1000u + uint64_t(ts.tv_nsec) / 1000000u);
#endif
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now().time_since_epoch());
    return uint32_t(ms.count());
}

ITickSource& SystemTickSource() {
    static TSystemTickSource source;
    return source;
}

} // namespace korvo
