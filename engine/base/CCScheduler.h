#pragma once

#include <climits>
#include <functional>
#include <list>
#include <mutex>
#include <string>
#include <unordered_set>
#include <vector>

#include "base/CCRef.h"

namespace cocos2d {

using ccSchedulerFunc = std::function<void(float)>;

// One tick per frame: queued main-thread functions, then per-target updates in
// priority order, then timed callbacks, then actions (the action manager is
// ticked by the Director right after).
class Scheduler : public Ref {
public:
    static const int PRIORITY_SYSTEM;
    static const int PRIORITY_NON_SYSTEM_MIN;
    static constexpr unsigned int CC_REPEAT_FOREVER = UINT_MAX - 1;

    Scheduler();
    ~Scheduler() override;

    float getTimeScale() const { return _timeScale; }
    void setTimeScale(float timeScale) { _timeScale = timeScale; }

    void update(float dt);

    void schedule(const ccSchedulerFunc& callback, void* target, float interval, unsigned int repeat, float delay,
                  bool paused, const std::string& key);
    void schedule(const ccSchedulerFunc& callback, void* target, float interval, bool paused,
                  const std::string& key);
    void unschedule(const std::string& key, void* target);
    bool isScheduled(const std::string& key, const void* target) const;

    // The target's update(float) is called once a frame; lower priority first.
    template <class T>
    void scheduleUpdate(T* target, int priority, bool paused)
    {
        scheduleUpdateFunction(
            target, [target](float dt) { target->update(dt); }, priority, paused);
    }
    void scheduleUpdateFunction(void* target, const ccSchedulerFunc& callback, int priority, bool paused);
    void unscheduleUpdate(void* target);

    void unscheduleAllForTarget(void* target);
    void unscheduleAll();

    void pauseTarget(void* target);
    void resumeTarget(void* target);
    bool isTargetPaused(void* target) const;

    // Thread-safe: runs the function on the main thread at the next tick.
    void performFunctionInCocosThread(std::function<void()> function);
    void removeAllFunctionsToBePerformedInCocosThread();
    // Called from the thread that queues a function, right after queueing it:
    // a main loop asleep until something happens is woken by it. Set it
    // before any other thread queues anything.
    void setWakeUpCall(std::function<void()> wake);

    // Whether the next tick would call anything: an update or a timer that
    // is not paused, or a queued function. Without any, a frame can wait.
    bool hasWork() const;

private:
    struct UpdateEntry {
        void* target;
        ccSchedulerFunc callback;
        int priority;
        bool paused;
        bool markedForDeletion;
    };
    struct Timer {
        void* target;
        std::string key;
        ccSchedulerFunc callback;
        float interval;
        float elapsed;
        float delay;
        unsigned int repeat;
        unsigned int timesExecuted;
        bool useDelay;
        bool paused;
        bool markedForDeletion;
    };

    void runQueuedFunctions();
    void runTimer(Timer& timer, float dt);
    void purgeDeleted();

    float _timeScale = 1.0f;
    std::list<UpdateEntry> _updates;
    std::list<Timer> _timers;
    // A whole scene leaving pauses every node in it.
    std::unordered_set<void*> _pausedTargets;
    bool _updating = false;

    mutable std::mutex _performMutex;
    std::vector<std::function<void()>> _functionsToPerform;
    std::function<void()> _wakeUp;
};

} // namespace cocos2d
