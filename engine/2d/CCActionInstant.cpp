#include "2d/CCActionInstant.h"

#include <new>

#include "2d/CCNode.h"
#include "base/ccCreate.h"

namespace cocos2d {

void ActionInstant::startWithTarget(Node* target)
{
    FiniteTimeAction::startWithTarget(target);
    _done = false;
}

void ActionInstant::step(float) { update(1.0f); }

void ActionInstant::update(float) { _done = true; }

Show* Show::create()
{
    return created(new (std::nothrow) Show(), [](auto*) { return true; });
}

Show* Show::clone() const { return create(); }

ActionInstant* Show::reverse() const { return Hide::create(); }

void Show::update(float time)
{
    ActionInstant::update(time);
    if (_target) _target->setVisible(true);
}

Hide* Hide::create()
{
    return created(new (std::nothrow) Hide(), [](auto*) { return true; });
}

Hide* Hide::clone() const { return create(); }

ActionInstant* Hide::reverse() const { return Show::create(); }

void Hide::update(float time)
{
    ActionInstant::update(time);
    if (_target) _target->setVisible(false);
}

Place* Place::create(const Vec2& position)
{
    return created(new (std::nothrow) Place(), [&](auto* a) { return a->initWithPosition(position); });
}

bool Place::initWithPosition(const Vec2& position)
{
    _position = position;
    return true;
}

Place* Place::clone() const { return create(_position); }

Place* Place::reverse() const { return create(_position); }

void Place::update(float time)
{
    ActionInstant::update(time);
    if (_target) _target->setPosition(_position);
}

RemoveSelf* RemoveSelf::create(bool isNeedCleanUp)
{
    return created(new (std::nothrow) RemoveSelf(), [&](auto* a) { return a->init(isNeedCleanUp); });
}

bool RemoveSelf::init(bool isNeedCleanUp)
{
    _isNeedCleanUp = isNeedCleanUp;
    return true;
}

RemoveSelf* RemoveSelf::clone() const { return create(_isNeedCleanUp); }

RemoveSelf* RemoveSelf::reverse() const { return create(_isNeedCleanUp); }

void RemoveSelf::update(float time)
{
    ActionInstant::update(time);
    if (_target) _target->removeFromParentAndCleanup(_isNeedCleanUp);
}

CallFunc* CallFunc::create(const std::function<void()>& func)
{
    return created(new (std::nothrow) CallFunc(), [&](auto* a) { return a->initWithFunction(func); });
}

bool CallFunc::initWithFunction(const std::function<void()>& func)
{
    _function = func;
    return true;
}

void CallFunc::execute()
{
    if (_function) _function();
}

CallFunc* CallFunc::clone() const { return create(_function); }

CallFunc* CallFunc::reverse() const { return create(_function); }

void CallFunc::update(float time)
{
    ActionInstant::update(time);
    execute();
}

} // namespace cocos2d
