#include "base/CCScheduler.h"

#include <algorithm>

namespace cocos2d {

const int Scheduler::PRIORITY_SYSTEM = INT_MIN;
const int Scheduler::PRIORITY_NON_SYSTEM_MIN = INT_MIN + 1;

Scheduler::Scheduler() = default;

Scheduler::~Scheduler() = default;

void Scheduler::scheduleUpdateFunction(void* target, const ccSchedulerFunc& callback, int priority, bool paused)
{
    for (auto it = _updates.begin(); it != _updates.end(); ++it) {
        if (it->target == target && !it->markedForDeletion) {
            // Already scheduled: only a priority change reorders it.
            if (it->priority == priority) {
                it->paused = paused;
                return;
            }
            it->markedForDeletion = true;
            break;
        }
    }
    UpdateEntry entry{target, callback, priority, paused, false};
    // Keep the list sorted by priority; equal priorities in order of scheduling.
    auto pos = std::find_if(_updates.begin(), _updates.end(),
                            [&](const UpdateEntry& e) { return e.priority > priority; });
    _updates.insert(pos, entry);
}

void Scheduler::unscheduleUpdate(void* target)
{
    for (auto& entry : _updates) {
        if (entry.target == target) entry.markedForDeletion = true;
    }
    if (!_updating) purgeDeleted();
}

void Scheduler::schedule(const ccSchedulerFunc& callback, void* target, float interval, unsigned int repeat,
                         float delay, bool paused, const std::string& key)
{
    for (auto& timer : _timers) {
        if (timer.target == target && timer.key == key && !timer.markedForDeletion) {
            // Rescheduling the same key only changes its interval, like the engine.
            timer.interval = interval;
            return;
        }
    }
    Timer timer{target, key,    callback, interval, -1.0f, delay, repeat, 0, delay > 0.0f,
                paused || isTargetPaused(target), false};
    _timers.push_back(timer);
}

void Scheduler::schedule(const ccSchedulerFunc& callback, void* target, float interval, bool paused,
                         const std::string& key)
{
    schedule(callback, target, interval, CC_REPEAT_FOREVER, 0.0f, paused, key);
}

void Scheduler::unschedule(const std::string& key, void* target)
{
    for (auto& timer : _timers) {
        if (timer.target == target && timer.key == key) timer.markedForDeletion = true;
    }
    if (!_updating) purgeDeleted();
}

bool Scheduler::isScheduled(const std::string& key, const void* target) const
{
    for (const auto& timer : _timers) {
        if (timer.target == target && timer.key == key && !timer.markedForDeletion) return true;
    }
    return false;
}

void Scheduler::unscheduleAllForTarget(void* target)
{
    for (auto& timer : _timers) {
        if (timer.target == target) timer.markedForDeletion = true;
    }
    for (auto& entry : _updates) {
        if (entry.target == target) entry.markedForDeletion = true;
    }
    _pausedTargets.erase(target);
    if (!_updating) purgeDeleted();
}

void Scheduler::unscheduleAll()
{
    for (auto& timer : _timers) timer.markedForDeletion = true;
    for (auto& entry : _updates) entry.markedForDeletion = true;
    _pausedTargets.clear();
    if (!_updating) purgeDeleted();
}

void Scheduler::pauseTarget(void* target)
{
    _pausedTargets.insert(target);
    for (auto& timer : _timers) {
        if (timer.target == target) timer.paused = true;
    }
    for (auto& entry : _updates) {
        if (entry.target == target) entry.paused = true;
    }
}

void Scheduler::resumeTarget(void* target)
{
    _pausedTargets.erase(target);
    for (auto& timer : _timers) {
        if (timer.target == target) timer.paused = false;
    }
    for (auto& entry : _updates) {
        if (entry.target == target) entry.paused = false;
    }
}

bool Scheduler::isTargetPaused(void* target) const
{
    return _pausedTargets.count(target) != 0;
}

void Scheduler::performFunctionInCocosThread(std::function<void()> function)
{
    std::function<void()> wake;
    {
        std::lock_guard<std::mutex> lock(_performMutex);
        _functionsToPerform.push_back(std::move(function));
        wake = _wakeUp;
    }
    if (wake) wake();
}

void Scheduler::setWakeUpCall(std::function<void()> wake)
{
    std::lock_guard<std::mutex> lock(_performMutex);
    _wakeUp = std::move(wake);
}

bool Scheduler::hasWork() const
{
    for (const auto& entry : _updates) {
        if (!entry.paused && !entry.markedForDeletion) return true;
    }
    for (const auto& timer : _timers) {
        if (!timer.paused && !timer.markedForDeletion) return true;
    }
    std::lock_guard<std::mutex> lock(_performMutex);
    return !_functionsToPerform.empty();
}

void Scheduler::removeAllFunctionsToBePerformedInCocosThread()
{
    std::lock_guard<std::mutex> lock(_performMutex);
    _functionsToPerform.clear();
}

void Scheduler::runQueuedFunctions()
{
    std::vector<std::function<void()>> functions;
    {
        std::lock_guard<std::mutex> lock(_performMutex);
        functions.swap(_functionsToPerform);
    }
    for (auto& function : functions) function();
}

void Scheduler::runTimer(Timer& timer, float dt)
{
    if (timer.elapsed < 0.0f) {
        timer.elapsed = 0.0f;
        return;
    }
    timer.elapsed += dt;
    if (timer.useDelay) {
        if (timer.elapsed < timer.delay) return;
        timer.callback(timer.elapsed);
        timer.elapsed -= timer.delay;
        timer.timesExecuted += 1;
        timer.useDelay = false;
    } else {
        if (timer.elapsed < timer.interval) return;
        timer.callback(timer.elapsed);
        timer.elapsed = timer.interval > 0.0f ? timer.elapsed - timer.interval : 0.0f;
        timer.timesExecuted += 1;
    }
    if (timer.repeat != CC_REPEAT_FOREVER && timer.timesExecuted > timer.repeat) {
        timer.markedForDeletion = true;
    }
}

void Scheduler::update(float dt)
{
    runQueuedFunctions();

    _updating = true;
    dt *= _timeScale;
    // Entries added during the loop are appended or inserted; std::list keeps
    // iterators valid, and new entries wait for the next frame by their flag.
    std::vector<UpdateEntry*> current;
    for (auto& entry : _updates) current.push_back(&entry);
    for (UpdateEntry* entry : current) {
        if (!entry->paused && !entry->markedForDeletion) entry->callback(dt);
    }
    std::vector<Timer*> timers;
    for (auto& timer : _timers) timers.push_back(&timer);
    for (Timer* timer : timers) {
        if (!timer->paused && !timer->markedForDeletion) runTimer(*timer, dt);
    }
    _updating = false;
    purgeDeleted();
}

void Scheduler::purgeDeleted()
{
    _updates.remove_if([](const UpdateEntry& e) { return e.markedForDeletion; });
    _timers.remove_if([](const Timer& t) { return t.markedForDeletion; });
}

} // namespace cocos2d
