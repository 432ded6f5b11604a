#include "base/CCClock.h"

#include <sys/time.h>

#include <chrono>
#include <cmath>

namespace cocos2d {

namespace {
bool manualClock = false;
// Starts at a whole day so time stamps derived from it look like real ones.
double manualSeconds = 86400.0;

double steadySeconds()
{
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}
} // namespace

double EngineClock::now() { return manualClock ? manualSeconds : steadySeconds(); }

void EngineClock::useManualClock(bool manual) { manualClock = manual; }

bool EngineClock::isManual() { return manualClock; }

void EngineClock::advance(double seconds) { manualSeconds += seconds; }

int gettimeofday(struct timeval* tp, void*)
{
    if (!tp) return -1;
    double t = EngineClock::now();
    double whole = std::floor(t);
    tp->tv_sec = static_cast<time_t>(whole);
    tp->tv_usec = static_cast<suseconds_t>(std::lround((t - whole) * 1e6));
    if (tp->tv_usec >= 1000000) {
        tp->tv_sec += 1;
        tp->tv_usec -= 1000000;
    }
    return 0;
}

} // namespace cocos2d
