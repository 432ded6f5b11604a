#include "TouchHit.h"

USING_NS_CC;

namespace touchhit {

bool inside(Touch* touch, Node* node)
{
    Rect box = node->getBoundingBox();
    if (Node* parent = node->getParent()) box.origin = parent->convertToWorldSpace(box.origin);
    return box.containsPoint(touch->getLocation());
}

void registerButton(Node* button, const std::function<void()>& action)
{
    auto* listener = EventListenerTouchOneByOne::create();
    listener->setSwallowTouches(false);
    listener->onTouchBegan = [](Touch* touch, Event* event) {
        if (!inTarget(touch, event)) return false;
        event->getCurrentTarget()->setColor(Color3B::GRAY);
        return true;
    };
    listener->onTouchMoved = [](Touch* touch, Event* event) {
        event->getCurrentTarget()->setColor(inTarget(touch, event) ? Color3B::GRAY : Color3B::WHITE);
    };
    listener->onTouchEnded = [action](Touch* touch, Event* event) {
        const bool inside = inTarget(touch, event);
        event->getCurrentTarget()->setColor(Color3B::WHITE);
        if (inside) action();
    };
    button->getEventDispatcher()->addEventListenerWithSceneGraphPriority(listener, button);
}

} // namespace touchhit
