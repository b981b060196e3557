#include "devices/MonotonicClock.h"

#include <chrono>

namespace {
class SteadyClock final : public MonotonicClock
{
public:
    qint64 nowMs() const override
    {
        using namespace std::chrono;
        return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
    }
};
} // namespace

const MonotonicClock &MonotonicClock::system()
{
    static const SteadyClock clock;
    return clock;
}
