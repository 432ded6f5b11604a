#include "ScrollStopGuard.h"

#include <utility>

USING_NS_CC;

ScrollStopGuard::ScrollStopGuard(std::function<bool()> coasting, std::function<void()> stopped)
    : _coasting(std::move(coasting)), _stopped(std::move(stopped))
{
}

void ScrollStopGuard::registerListener(Node* topLayer)
{
    auto* guard = EventListenerTouchOneByOne::create();
    guard->setSwallowTouches(false);
    guard->onTouchBegan = [this](Touch*, Event*) {
        _tapBlocked = false;
        return true;
    };
    guard->onTouchMoved = [this](Touch* touch, Event*) { _travel += touch->getDelta(); };
    guard->onTouchEnded = [this](Touch*, Event*) { touchEnded(); };
    guard->onTouchCancelled = [this](Touch*, Event*) { _travel = Vec2::ZERO; };
    topLayer->getEventDispatcher()->addEventListenerWithSceneGraphPriority(guard, topLayer);
}

void ScrollStopGuard::touchEnded()
{
    if (_travel.length() == 0 && _coasting()) {
        _tapBlocked = true;
        _stopped();
    }
    _travel = Vec2::ZERO;
}
