#pragma once

struct timeval;

namespace cocos2d {

// The one clock of the engine: frame deltas, action timing and gettimeofday.
// Tests switch it to manual so time only moves when they advance it.
class EngineClock {
public:
    // Seconds since an arbitrary start.
    static double now();
    static void useManualClock(bool manual);
    static bool isManual();
    static void advance(double seconds);
};

// Like the system call, but on the engine clock.
int gettimeofday(struct timeval* tp, void* tzp);

} // namespace cocos2d
