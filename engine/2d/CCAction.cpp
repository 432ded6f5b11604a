#include "2d/CCAction.h"

namespace cocos2d {

bool Action::isDone() const { return true; }

void Action::startWithTarget(Node* target)
{
    _originalTarget = target;
    _target = target;
}

void Action::stop() { _target = nullptr; }

void Action::step(float) {}

void Action::update(float) {}

} // namespace cocos2d
