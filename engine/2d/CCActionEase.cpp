#include "2d/CCActionEase.h"

#include <cmath>
#include <new>

#include "base/ccCreate.h"

namespace cocos2d {

namespace {

float exponentialIn(float t) { return t == 0.0f ? 0.0f : static_cast<float>(std::exp2(10.0 * (t - 1.0))); }

float exponentialOut(float t) { return t == 1.0f ? 1.0f : static_cast<float>(1.0 - std::exp2(-10.0 * t)); }

} // namespace

ActionEase::~ActionEase()
{
    if (_inner) _inner->release();
}

bool ActionEase::initWithAction(ActionInterval* action)
{
    if (!action) return false;
    action->retain();
    if (_inner) _inner->release();
    _inner = action;
    return ActionInterval::initWithDuration(action->getDuration());
}

void ActionEase::startWithTarget(Node* target)
{
    ActionInterval::startWithTarget(target);
    _inner->startWithTarget(_target);
}

void ActionEase::stop()
{
    _inner->stop();
    ActionInterval::stop();
}

void ActionEase::update(float time) { _inner->update(time); }

EaseExponentialOut* EaseExponentialOut::create(ActionInterval* action)
{
    return created(new (std::nothrow) EaseExponentialOut(), [&](auto* ease) { return ease->initWithAction(action); });
}

EaseExponentialOut* EaseExponentialOut::clone() const { return create(_inner->clone()); }

ActionEase* EaseExponentialOut::reverse() const
{
    ActionInterval* inverse = _inner->reverse();
    return inverse ? EaseExponentialIn::create(inverse) : nullptr;
}

void EaseExponentialOut::update(float time) { _inner->update(exponentialOut(time)); }

EaseExponentialIn* EaseExponentialIn::create(ActionInterval* action)
{
    return created(new (std::nothrow) EaseExponentialIn(), [&](auto* ease) { return ease->initWithAction(action); });
}

EaseExponentialIn* EaseExponentialIn::clone() const { return create(_inner->clone()); }

ActionEase* EaseExponentialIn::reverse() const
{
    ActionInterval* inverse = _inner->reverse();
    return inverse ? EaseExponentialOut::create(inverse) : nullptr;
}

void EaseExponentialIn::update(float time) { _inner->update(exponentialIn(time)); }

EaseExponentialInOut* EaseExponentialInOut::create(ActionInterval* action)
{
    return created(new (std::nothrow) EaseExponentialInOut(), [&](auto* ease) { return ease->initWithAction(action); });
}

EaseExponentialInOut* EaseExponentialInOut::clone() const { return create(_inner->clone()); }

ActionEase* EaseExponentialInOut::reverse() const
{
    ActionInterval* inverse = _inner->reverse();
    return inverse ? EaseExponentialInOut::create(inverse) : nullptr;
}

void EaseExponentialInOut::update(float time)
{
    const float eased = time < 0.5f ? 0.5f * exponentialIn(time * 2.0f)
                                    : 0.5f + 0.5f * exponentialOut(time * 2.0f - 1.0f);
    _inner->update(eased);
}

} // namespace cocos2d
