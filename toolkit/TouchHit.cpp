#include "TouchHit.h"

USING_NS_CC;

namespace touchhit {

bool inside(Touch* touch, Node* node)
{
    Rect box = node->getBoundingBox();
    if (Node* parent = node->getParent()) box.origin = parent->convertToWorldSpace(box.origin);
    return box.containsPoint(touch->getLocation());
}

namespace {

bool shown(const Node* node)
{
    for (; node; node = node->getParent())
        if (!node->isVisible()) return false;
    return true;
}

void registerPress(Node* button, const std::function<void()>& action, bool covering)
{
    auto* listener = EventListenerTouchOneByOne::create();
    listener->setSwallowTouches(covering);
    listener->onTouchBegan = [covering](Touch* touch, Event* event) {
        if (!inTarget(touch, event) || (covering && !shown(event->getCurrentTarget()))) return false;
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

} // namespace

void registerButton(Node* button, const std::function<void()>& action) { registerPress(button, action, false); }

void registerCoveringButton(Node* button, const std::function<void()>& action) { registerPress(button, action, true); }

} // namespace touchhit
