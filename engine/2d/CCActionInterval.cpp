#include "2d/CCActionInterval.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "2d/CCNode.h"
#include "base/ccCreate.h"

namespace cocos2d {

namespace {

// Elapsed time after the first step. It is not zero so that an action whose
// end coincides with a frame (a 0.05 s delay at 60 frames a second) completes
// in that frame instead of a frame later through rounding.
constexpr double kFirstTickElapsed = 1e-6;

// Collects the actions before the terminating nullptr.
Vector<FiniteTimeAction*> untilNull(const std::vector<FiniteTimeAction*>& list)
{
    Vector<FiniteTimeAction*> actions;
    for (FiniteTimeAction* action : list) {
        if (!action) break;
        actions.pushBack(action);
    }
    return actions;
}

} // namespace

// ---------------------------------------------------------------- ActionInterval

bool ActionInterval::initWithDuration(float duration)
{
    // Zero stays zero: progress of a zero-length action is 1 from its first step.
    _duration = std::max(0.0f, duration);
    _elapsed = 0.0;
    _firstTick = true;
    return true;
}

bool ActionInterval::isDone() const { return _elapsed >= _duration; }

void ActionInterval::startWithTarget(Node* target)
{
    FiniteTimeAction::startWithTarget(target);
    _elapsed = 0.0;
    _firstTick = true;
}

void ActionInterval::step(float dt)
{
    if (_firstTick) {
        _firstTick = false;
        _elapsed = kFirstTickElapsed;
    } else {
        _elapsed += dt;
    }
    const double progress = _duration > 0.0f ? std::clamp(_elapsed / _duration, 0.0, 1.0) : 1.0;
    update(static_cast<float>(progress));
}

void ActionInterval::restartAfter(Node* target, double carriedTime)
{
    startWithTarget(target);
    _firstTick = false;
    _elapsed = carriedTime;
    const double progress = _duration > 0.0f ? std::clamp(_elapsed / _duration, 0.0, 1.0) : 1.0;
    update(static_cast<float>(progress));
}

// ---------------------------------------------------------------- Sequence

Sequence* Sequence::createUntilNull(const std::vector<FiniteTimeAction*>& list)
{
    return create(untilNull(list));
}

Sequence* Sequence::create(const Vector<FiniteTimeAction*>& arrayOfActions)
{
    return created(new (std::nothrow) Sequence(), [&](auto* sequence) { return sequence->init(arrayOfActions); });
}

Sequence* Sequence::createWithTwoActions(FiniteTimeAction* actionOne, FiniteTimeAction* actionTwo)
{
    return created(new (std::nothrow) Sequence(),
                   [&](auto* sequence) { return sequence->initWithTwoActions(actionOne, actionTwo); });
}

bool Sequence::initWithTwoActions(FiniteTimeAction* actionOne, FiniteTimeAction* actionTwo)
{
    if (!actionOne || !actionTwo) return false;
    return init(Vector<FiniteTimeAction*>{actionOne, actionTwo});
}

bool Sequence::init(const Vector<FiniteTimeAction*>& arrayOfActions)
{
    if (arrayOfActions.empty()) return false;
    _actions = arrayOfActions;
    _ends.clear();
    double end = 0.0;
    for (FiniteTimeAction* action : _actions) {
        end += std::max(0.0f, action->getDuration());
        _ends.push_back(end);
    }
    _last = -1;
    return ActionInterval::initWithDuration(static_cast<float>(end));
}

Sequence* Sequence::clone() const
{
    Vector<FiniteTimeAction*> copies;
    for (FiniteTimeAction* action : _actions) copies.pushBack(action->clone());
    return create(copies);
}

Sequence* Sequence::reverse() const
{
    Vector<FiniteTimeAction*> reversed;
    for (auto it = _actions.crbegin(); it != _actions.crend(); ++it) {
        FiniteTimeAction* action = (*it)->reverse();
        if (!action) return nullptr;
        reversed.pushBack(action);
    }
    return create(reversed);
}

void Sequence::startWithTarget(Node* target)
{
    ActionInterval::startWithTarget(target);
    _last = -1;
}

void Sequence::stop()
{
    if (_last >= 0) _actions.at(_last)->stop();
    ActionInterval::stop();
}

void Sequence::finish(int index)
{
    FiniteTimeAction* action = _actions.at(index);
    if (index != _last) action->startWithTarget(_target);
    action->update(1.0f);
    action->stop();
}

double Sequence::localTime(int index, double now) const
{
    const double start = index > 0 ? _ends[index - 1] : 0.0;
    const double length = _ends[index] - start;
    if (length <= 0.0) return 1.0;
    return std::clamp((now - start) / length, 0.0, 1.0);
}

void Sequence::update(float time)
{
    const int count = static_cast<int>(_actions.size());
    const double now = static_cast<double>(time) * _ends.back();

    // The action that owns this moment: the first one not yet over; at the
    // very end, the last one.
    int found = count - 1;
    for (int i = 0; i < count; ++i) {
        if (now < _ends[i]) {
            found = i;
            break;
        }
    }

    if (found > _last) {
        for (int i = std::max(_last, 0); i < found; ++i) finish(i);
        _actions.at(found)->startWithTarget(_target);
    } else if (found < _last) {
        // Progress went back (an ease curve that overshoots): undo the later one.
        _actions.at(_last)->update(0.0f);
        _actions.at(_last)->stop();
        _actions.at(found)->startWithTarget(_target);
    } else if (_actions.at(found)->isDone()) {
        // An instant or zero-length action that has already run must not run again.
        return;
    }
    _last = found;
    _actions.at(found)->update(static_cast<float>(localTime(found, now)));
}

// ---------------------------------------------------------------- Spawn

Spawn* Spawn::createUntilNull(const std::vector<FiniteTimeAction*>& list) { return create(untilNull(list)); }

Spawn* Spawn::create(const Vector<FiniteTimeAction*>& arrayOfActions)
{
    return created(new (std::nothrow) Spawn(), [&](auto* spawn) { return spawn->init(arrayOfActions); });
}

Spawn* Spawn::createWithTwoActions(FiniteTimeAction* action1, FiniteTimeAction* action2)
{
    return created(new (std::nothrow) Spawn(),
                   [&](auto* spawn) { return spawn->initWithTwoActions(action1, action2); });
}

bool Spawn::initWithTwoActions(FiniteTimeAction* action1, FiniteTimeAction* action2)
{
    if (!action1 || !action2) return false;
    return init(Vector<FiniteTimeAction*>{action1, action2});
}

bool Spawn::init(const Vector<FiniteTimeAction*>& arrayOfActions)
{
    if (arrayOfActions.empty()) return false;
    _actions = arrayOfActions;
    float longest = 0.0f;
    for (FiniteTimeAction* action : _actions) longest = std::max(longest, action->getDuration());
    _finished.assign(_actions.size(), false);
    return ActionInterval::initWithDuration(longest);
}

Spawn* Spawn::clone() const
{
    Vector<FiniteTimeAction*> copies;
    for (FiniteTimeAction* action : _actions) copies.pushBack(action->clone());
    return create(copies);
}

Spawn* Spawn::reverse() const
{
    Vector<FiniteTimeAction*> reversed;
    for (FiniteTimeAction* action : _actions) {
        FiniteTimeAction* inverse = action->reverse();
        if (!inverse) return nullptr;
        reversed.pushBack(inverse);
    }
    return create(reversed);
}

void Spawn::startWithTarget(Node* target)
{
    ActionInterval::startWithTarget(target);
    _finished.assign(_actions.size(), false);
    for (FiniteTimeAction* action : _actions) action->startWithTarget(target);
}

void Spawn::stop()
{
    for (size_t i = 0; i < _finished.size(); ++i) {
        if (!_finished[i]) {
            _finished[i] = true;
            _actions.at(i)->stop();
        }
    }
    ActionInterval::stop();
}

void Spawn::update(float time)
{
    const double now = static_cast<double>(time) * _duration;
    for (size_t i = 0; i < _finished.size(); ++i) {
        if (_finished[i]) continue;
        FiniteTimeAction* action = _actions.at(i);
        const double length = action->getDuration();
        const double local = length > 0.0 ? std::min(1.0, now / length) : 1.0;
        action->update(static_cast<float>(local));
        if (local >= 1.0) {
            _finished[i] = true;
            action->stop();
        }
    }
}

// ---------------------------------------------------------------- RepeatForever

RepeatForever* RepeatForever::create(ActionInterval* action)
{
    return created(new (std::nothrow) RepeatForever(), [&](auto* repeat) { return repeat->initWithAction(action); });
}

RepeatForever::~RepeatForever()
{
    if (_innerAction) _innerAction->release();
}

bool RepeatForever::initWithAction(ActionInterval* action)
{
    if (!action) return false;
    setInnerAction(action);
    return true;
}

void RepeatForever::setInnerAction(ActionInterval* action)
{
    if (action == _innerAction) return;
    if (action) action->retain();
    if (_innerAction) _innerAction->release();
    _innerAction = action;
}

RepeatForever* RepeatForever::clone() const { return create(_innerAction->clone()); }

RepeatForever* RepeatForever::reverse() const
{
    ActionInterval* inverse = _innerAction->reverse();
    return inverse ? create(inverse) : nullptr;
}

void RepeatForever::startWithTarget(Node* target)
{
    ActionInterval::startWithTarget(target);
    _innerAction->startWithTarget(target);
}

void RepeatForever::stop()
{
    _innerAction->stop();
    ActionInterval::stop();
}

void RepeatForever::step(float dt)
{
    _innerAction->step(dt);
    if (!_innerAction->isDone()) return;

    const double period = _innerAction->getDuration();
    double carried = 0.0;
    if (period > 0.0) {
        carried = _innerAction->_elapsed - period;
        // A frame longer than a whole cycle skips the cycles it covered.
        if (carried >= period) carried = std::fmod(carried, period);
    }
    _innerAction->restartAfter(_target, carried);
}

// ---------------------------------------------------------------- MoveBy / MoveTo

MoveBy* MoveBy::create(float duration, const Vec2& deltaPosition)
{
    return created(new (std::nothrow) MoveBy(), [&](auto* a) { return a->initWithDuration(duration, deltaPosition); });
}

bool MoveBy::initWithDuration(float duration, const Vec2& deltaPosition)
{
    _positionDelta = deltaPosition;
    return ActionInterval::initWithDuration(duration);
}

MoveBy* MoveBy::clone() const { return create(_duration, _positionDelta); }

MoveBy* MoveBy::reverse() const { return create(_duration, -_positionDelta); }

void MoveBy::startWithTarget(Node* target)
{
    ActionInterval::startWithTarget(target);
    _startPosition = target->getPosition();
    _previousPosition = _startPosition;
}

void MoveBy::update(float time)
{
    if (!_target) return;
    const Vec2 current = _target->getPosition();
    _startPosition += current - _previousPosition;
    const Vec2 position = _startPosition + _positionDelta * time;
    _target->setPosition(position);
    _previousPosition = position;
}

MoveTo* MoveTo::create(float duration, const Vec2& position)
{
    return created(new (std::nothrow) MoveTo(), [&](auto* a) { return a->initWithDuration(duration, position); });
}

bool MoveTo::initWithDuration(float duration, const Vec2& position)
{
    _endPosition = position;
    return ActionInterval::initWithDuration(duration);
}

MoveTo* MoveTo::clone() const { return create(_duration, _endPosition); }

// An absolute destination has no inverse.
MoveTo* MoveTo::reverse() const { return nullptr; }

void MoveTo::startWithTarget(Node* target)
{
    MoveBy::startWithTarget(target);
    _positionDelta = _endPosition - _startPosition;
}

void MoveTo::update(float time)
{
    if (!_target) return;
    // Interpolating between the two ends lands on the destination exactly.
    _target->setPosition(_startPosition * (1.0f - time) + _endPosition * time);
}

// ---------------------------------------------------------------- RotateTo / RotateBy

RotateTo* RotateTo::create(float duration, float dstAngle)
{
    return created(new (std::nothrow) RotateTo(), [&](auto* a) { return a->initWithDuration(duration, dstAngle); });
}

bool RotateTo::initWithDuration(float duration, float dstAngle)
{
    _dstAngle = dstAngle;
    return ActionInterval::initWithDuration(duration);
}

RotateTo* RotateTo::clone() const { return create(_duration, _dstAngle); }

RotateTo* RotateTo::reverse() const { return nullptr; }

void RotateTo::startWithTarget(Node* target)
{
    ActionInterval::startWithTarget(target);
    // Whole turns already made do not count, so the turn takes the short way.
    _startAngle = std::fmod(target->getRotation(), 360.0f);
    _diffAngle = _dstAngle - _startAngle;
    if (_diffAngle > 180.0f) _diffAngle -= 360.0f;
    if (_diffAngle < -180.0f) _diffAngle += 360.0f;
}

void RotateTo::update(float time)
{
    if (_target) _target->setRotation(_startAngle + _diffAngle * time);
}

RotateBy* RotateBy::create(float duration, float deltaAngle)
{
    return created(new (std::nothrow) RotateBy(), [&](auto* a) { return a->initWithDuration(duration, deltaAngle); });
}

bool RotateBy::initWithDuration(float duration, float deltaAngle)
{
    _deltaAngle = deltaAngle;
    return ActionInterval::initWithDuration(duration);
}

RotateBy* RotateBy::clone() const { return create(_duration, _deltaAngle); }

RotateBy* RotateBy::reverse() const { return create(_duration, -_deltaAngle); }

void RotateBy::startWithTarget(Node* target)
{
    ActionInterval::startWithTarget(target);
    _startAngle = target->getRotation();
}

void RotateBy::update(float time)
{
    if (_target) _target->setRotation(_startAngle + _deltaAngle * time);
}

// ---------------------------------------------------------------- ScaleTo / ScaleBy

ScaleTo* ScaleTo::create(float duration, float scale) { return create(duration, scale, scale); }

ScaleTo* ScaleTo::create(float duration, float scaleX, float scaleY)
{
    return created(new (std::nothrow) ScaleTo(),
                   [&](auto* a) { return a->initWithDuration(duration, scaleX, scaleY); });
}

bool ScaleTo::initWithDuration(float duration, float scaleX, float scaleY)
{
    _endScaleX = scaleX;
    _endScaleY = scaleY;
    return ActionInterval::initWithDuration(duration);
}

ScaleTo* ScaleTo::clone() const { return create(_duration, _endScaleX, _endScaleY); }

ScaleTo* ScaleTo::reverse() const { return nullptr; }

void ScaleTo::startWithTarget(Node* target)
{
    ActionInterval::startWithTarget(target);
    _startScaleX = target->getScaleX();
    _startScaleY = target->getScaleY();
    _deltaX = _endScaleX - _startScaleX;
    _deltaY = _endScaleY - _startScaleY;
}

void ScaleTo::update(float time)
{
    if (!_target) return;
    _target->setScaleX(_startScaleX + _deltaX * time);
    _target->setScaleY(_startScaleY + _deltaY * time);
}

ScaleBy* ScaleBy::create(float duration, float scale) { return create(duration, scale, scale); }

ScaleBy* ScaleBy::create(float duration, float scaleX, float scaleY)
{
    return created(new (std::nothrow) ScaleBy(),
                   [&](auto* a) { return a->initWithDuration(duration, scaleX, scaleY); });
}

ScaleBy* ScaleBy::clone() const { return create(_duration, _endScaleX, _endScaleY); }

ScaleBy* ScaleBy::reverse() const
{
    if (_endScaleX == 0.0f || _endScaleY == 0.0f) return nullptr;
    return create(_duration, 1.0f / _endScaleX, 1.0f / _endScaleY);
}

void ScaleBy::startWithTarget(Node* target)
{
    ScaleTo::startWithTarget(target);
    _deltaX = _startScaleX * _endScaleX - _startScaleX;
    _deltaY = _startScaleY * _endScaleY - _startScaleY;
}

// ---------------------------------------------------------------- Fades

FadeTo* FadeTo::create(float duration, uint8_t opacity)
{
    return created(new (std::nothrow) FadeTo(), [&](auto* a) { return a->initWithDuration(duration, opacity); });
}

bool FadeTo::initWithDuration(float duration, uint8_t opacity)
{
    _toOpacity = opacity;
    return ActionInterval::initWithDuration(duration);
}

FadeTo* FadeTo::clone() const { return create(_duration, _toOpacity); }

FadeTo* FadeTo::reverse() const { return nullptr; }

void FadeTo::startWithTarget(Node* target)
{
    ActionInterval::startWithTarget(target);
    _fromOpacity = target->getOpacity();
}

void FadeTo::update(float time)
{
    if (!_target) return;
    const float opacity = _fromOpacity + (static_cast<float>(_toOpacity) - _fromOpacity) * time;
    _target->setOpacity(static_cast<uint8_t>(std::clamp(opacity, 0.0f, 255.0f)));
}

FadeIn* FadeIn::create(float duration)
{
    return created(new (std::nothrow) FadeIn(), [&](auto* a) { return a->initWithDuration(duration, uint8_t{255}); });
}

FadeIn* FadeIn::clone() const { return create(_duration); }

FadeTo* FadeIn::reverse() const { return FadeOut::create(_duration); }

FadeOut* FadeOut::create(float duration)
{
    return created(new (std::nothrow) FadeOut(), [&](auto* a) { return a->initWithDuration(duration, uint8_t{0}); });
}

FadeOut* FadeOut::clone() const { return create(_duration); }

FadeTo* FadeOut::reverse() const { return FadeIn::create(_duration); }

// ---------------------------------------------------------------- DelayTime

DelayTime* DelayTime::create(float duration)
{
    return created(new (std::nothrow) DelayTime(), [&](auto* a) { return a->initWithDuration(duration); });
}

DelayTime* DelayTime::clone() const { return create(_duration); }

DelayTime* DelayTime::reverse() const { return create(_duration); }

// ---------------------------------------------------------------- TargetedAction

TargetedAction* TargetedAction::create(Node* target, FiniteTimeAction* action)
{
    return created(new (std::nothrow) TargetedAction(),
                   [&](auto* targeted) { return targeted->initWithTarget(target, action); });
}

TargetedAction::~TargetedAction()
{
    if (_forcedTarget) _forcedTarget->release();
    if (_action) _action->release();
}

bool TargetedAction::initWithTarget(Node* target, FiniteTimeAction* action)
{
    if (!target || !action) return false;
    setForcedTarget(target);
    action->retain();
    if (_action) _action->release();
    _action = action;
    return ActionInterval::initWithDuration(action->getDuration());
}

void TargetedAction::setForcedTarget(Node* forcedTarget)
{
    if (forcedTarget == _forcedTarget) return;
    if (forcedTarget) forcedTarget->retain();
    if (_forcedTarget) _forcedTarget->release();
    _forcedTarget = forcedTarget;
}

TargetedAction* TargetedAction::clone() const { return create(_forcedTarget, _action->clone()); }

TargetedAction* TargetedAction::reverse() const
{
    FiniteTimeAction* inverse = _action->reverse();
    return inverse ? create(_forcedTarget, inverse) : nullptr;
}

void TargetedAction::startWithTarget(Node* target)
{
    ActionInterval::startWithTarget(target);
    _action->startWithTarget(_forcedTarget);
}

void TargetedAction::stop()
{
    _action->stop();
    ActionInterval::stop();
}

void TargetedAction::update(float time) { _action->update(time); }

} // namespace cocos2d
