#include "base/CCEventDispatcher.h"

#include <algorithm>

#include "2d/CCNode.h"
#include "2d/CCScene.h"
#include "base/CCDirector.h"
#include "base/CCEventListenerTouch.h"
#include "base/CCEventTouch.h"
#include "base/CCTouch.h"
#include "base/ccMacros.h"

namespace cocos2d {

namespace {
EventListener::Type listenerTypeFor(const Event* event)
{
    switch (event->getType()) {
    case Event::Type::TOUCH:
        return EventListener::Type::TOUCH_ONE_BY_ONE;
    case Event::Type::MOUSE:
        return EventListener::Type::MOUSE;
    case Event::Type::KEYBOARD:
        return EventListener::Type::KEYBOARD;
    default:
        return EventListener::Type::CUSTOM;
    }
}

bool isAncestorOrSelf(const Node* ancestor, const Node* node)
{
    for (const Node* n = node; n; n = n->getParent()) {
        if (n == ancestor) return true;
    }
    return false;
}
} // namespace

EventDispatcher::EventDispatcher() = default;

EventDispatcher::~EventDispatcher()
{
    for (EventListener* l : _listeners) l->release();
    for (EventListener* l : _toAdd) l->release();
}

void EventDispatcher::addListener(EventListener* listener)
{
    listener->retain();
    listener->setRegistered(true);
    if (_inDispatch > 0) {
        // Joins after the event being dispatched, as in the engine.
        _toAdd.push_back(listener);
    } else {
        _listeners.push_back(listener);
    }
}

void EventDispatcher::addEventListenerWithSceneGraphPriority(EventListener* listener, Node* node)
{
    if (!listener || !node || !listener->checkAvailable() || listener->isRegistered()) {
        CCLOG("EventDispatcher: invalid or already registered listener");
        return;
    }
    listener->setAssociatedNode(node);
    listener->setFixedPriority(0);
    listener->setPaused(!node->isRunning());
    addListener(listener);
}

void EventDispatcher::addEventListenerWithFixedPriority(EventListener* listener, int fixedPriority)
{
    if (!listener || !listener->checkAvailable() || listener->isRegistered() || fixedPriority == 0) {
        CCLOG("EventDispatcher: invalid listener or priority 0 for a fixed-priority listener");
        return;
    }
    listener->setAssociatedNode(nullptr);
    listener->setFixedPriority(fixedPriority);
    listener->setPaused(false);
    addListener(listener);
}

void EventDispatcher::removeEventListener(EventListener* listener)
{
    if (!listener) return;
    auto drop = [&](std::vector<EventListener*>& list) {
        auto it = std::find(list.begin(), list.end(), listener);
        if (it == list.end()) return false;
        listener->setRegistered(false);
        listener->setAssociatedNode(nullptr);
        if (_inDispatch > 0 && &list == &_listeners) {
            // Swept after dispatch; skipped meanwhile because it is unregistered.
            return true;
        }
        list.erase(it);
        listener->release();
        return true;
    };
    if (!drop(_listeners)) drop(_toAdd);
}

void EventDispatcher::removeEventListenersForType(EventListener::Type type)
{
    std::vector<EventListener*> matching;
    for (EventListener* l : _listeners) {
        if (l->getType() == type && l->isRegistered()) matching.push_back(l);
    }
    for (EventListener* l : _toAdd) {
        if (l->getType() == type) matching.push_back(l);
    }
    for (EventListener* l : matching) removeEventListener(l);
}

void EventDispatcher::removeEventListenersForTarget(Node* target, bool recursive)
{
    std::vector<EventListener*> matching;
    for (EventListener* l : _listeners) {
        if (l->isRegistered() && l->getAssociatedNode() &&
            (l->getAssociatedNode() == target || (recursive && isAncestorOrSelf(target, l->getAssociatedNode())))) {
            matching.push_back(l);
        }
    }
    for (EventListener* l : _toAdd) {
        if (l->getAssociatedNode() == target ||
            (recursive && l->getAssociatedNode() && isAncestorOrSelf(target, l->getAssociatedNode()))) {
            matching.push_back(l);
        }
    }
    for (EventListener* l : matching) removeEventListener(l);
}

void EventDispatcher::removeAllEventListeners()
{
    std::vector<EventListener*> all = _listeners;
    all.insert(all.end(), _toAdd.begin(), _toAdd.end());
    for (EventListener* l : all) {
        if (l->isRegistered()) removeEventListener(l);
    }
}

void EventDispatcher::pauseEventListenersForTarget(Node* target, bool recursive)
{
    for (auto* list : {&_listeners, &_toAdd}) {
        for (EventListener* l : *list) {
            Node* node = l->getAssociatedNode();
            if (node == target || (recursive && node && isAncestorOrSelf(target, node))) l->setPaused(true);
        }
    }
}

void EventDispatcher::resumeEventListenersForTarget(Node* target, bool recursive)
{
    for (auto* list : {&_listeners, &_toAdd}) {
        for (EventListener* l : *list) {
            Node* node = l->getAssociatedNode();
            if (node == target || (recursive && node && isAncestorOrSelf(target, node))) l->setPaused(false);
        }
    }
}

void EventDispatcher::setPriority(EventListener* listener, int fixedPriority)
{
    if (listener && !listener->getAssociatedNode() && fixedPriority != 0) listener->setFixedPriority(fixedPriority);
}

bool EventDispatcher::hasEventListener(EventListener* listener) const
{
    return (std::find(_listeners.begin(), _listeners.end(), listener) != _listeners.end() ||
            std::find(_toAdd.begin(), _toAdd.end(), listener) != _toAdd.end()) &&
           listener->isRegistered();
}

void EventDispatcher::visitNode(Node* node, std::vector<std::pair<float, Node*>>& out)
{
    node->sortAllChildren();
    auto& children = node->getChildren();
    ptrdiff_t i = 0;
    for (; i < children.size(); ++i) {
        Node* child = children.at(i);
        if (child->getLocalZOrder() >= 0) break;
        visitNode(child, out);
    }
    out.emplace_back(node->getGlobalZOrder(), node);
    for (; i < children.size(); ++i) visitNode(children.at(i), out);
}

void EventDispatcher::computeNodeOrder()
{
    _nodeOrder.clear();
    Scene* scene = Director::getInstance()->getRunningScene();
    if (!scene) return;
    std::vector<std::pair<float, Node*>> order;
    visitNode(scene, order);
    std::stable_sort(order.begin(), order.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    int index = 0;
    for (auto& entry : order) _nodeOrder[entry.second] = ++index;
}

void EventDispatcher::forEachListenerInOrder(EventListener::Type type,
                                             const std::function<bool(EventListener*)>& visit)
{
    std::vector<EventListener*> before, sceneGraph, after;
    for (EventListener* l : _listeners) {
        if (l->getType() != type) continue;
        if (l->getAssociatedNode()) {
            sceneGraph.push_back(l);
        } else if (l->getFixedPriority() < 0) {
            before.push_back(l);
        } else {
            after.push_back(l);
        }
    }
    auto byPriority = [](EventListener* a, EventListener* b) { return a->getFixedPriority() < b->getFixedPriority(); };
    std::stable_sort(before.begin(), before.end(), byPriority);
    std::stable_sort(after.begin(), after.end(), byPriority);
    if (!sceneGraph.empty()) {
        computeNodeOrder();
        auto orderOf = [this](EventListener* l) {
            auto it = _nodeOrder.find(l->getAssociatedNode());
            return it == _nodeOrder.end() ? 0 : it->second;
        };
        // Listeners of one node keep their registration order.
        std::stable_sort(sceneGraph.begin(), sceneGraph.end(),
                         [&](EventListener* a, EventListener* b) { return orderOf(a) > orderOf(b); });
    }
    std::vector<EventListener*> ordered;
    ordered.reserve(before.size() + sceneGraph.size() + after.size());
    ordered.insert(ordered.end(), before.begin(), before.end());
    ordered.insert(ordered.end(), sceneGraph.begin(), sceneGraph.end());
    ordered.insert(ordered.end(), after.begin(), after.end());
    // Keep every listener alive while it may be called, even if a handler removes it.
    for (EventListener* l : ordered) l->retain();
    for (EventListener* l : ordered) {
        if (!l->isEnabled() || l->isPaused() || !l->isRegistered()) continue;
        if (visit(l)) break;
    }
    for (EventListener* l : ordered) l->release();
}

std::vector<EventListener*> EventDispatcher::getListenersInDispatchOrder(EventListener::Type type)
{
    std::vector<EventListener*> result;
    forEachListenerInOrder(type, [&](EventListener* l) {
        result.push_back(l);
        return false;
    });
    return result;
}

void EventDispatcher::dispatchEvent(Event* event)
{
    if (!_isEnabled) return;
    ++_inDispatch;
    if (event->getType() == Event::Type::TOUCH) {
        dispatchTouchEvent(static_cast<EventTouch*>(event));
    } else {
        forEachListenerInOrder(listenerTypeFor(event), [&](EventListener* l) {
            event->setCurrentTarget(l->getAssociatedNode());
            if (l->getCallback()) l->getCallback()(event);
            return event->isStopped();
        });
    }
    --_inDispatch;
    if (_inDispatch == 0) flushPending();
}

void EventDispatcher::dispatchTouchEvent(EventTouch* event)
{
    std::vector<Touch*> touches = event->getTouches();
    for (Touch* touch : touches) touch->retain();
    for (Touch* touch : touches) {
        forEachListenerInOrder(EventListener::Type::TOUCH_ONE_BY_ONE, [&](EventListener* base) {
            auto* listener = static_cast<EventListenerTouchOneByOne*>(base);
            event->setCurrentTarget(listener->getAssociatedNode());
            bool claimed = false;
            auto& owned = listener->_claimedTouches;
            switch (event->getEventCode()) {
            case EventTouch::EventCode::BEGAN:
                if (listener->onTouchBegan) {
                    claimed = listener->onTouchBegan(touch, event);
                    if (claimed && listener->isRegistered()) owned.push_back(touch);
                }
                break;
            case EventTouch::EventCode::MOVED: {
                auto it = std::find(owned.begin(), owned.end(), touch);
                if (it != owned.end()) {
                    claimed = true;
                    if (listener->onTouchMoved) listener->onTouchMoved(touch, event);
                }
                break;
            }
            case EventTouch::EventCode::ENDED:
            case EventTouch::EventCode::CANCELLED: {
                auto it = std::find(owned.begin(), owned.end(), touch);
                if (it != owned.end()) {
                    claimed = true;
                    owned.erase(it);
                    bool ended = event->getEventCode() == EventTouch::EventCode::ENDED;
                    if (ended && listener->onTouchEnded) listener->onTouchEnded(touch, event);
                    if (!ended && listener->onTouchCancelled) listener->onTouchCancelled(touch, event);
                }
                break;
            }
            }
            if (event->isStopped()) return true;
            return claimed && listener->isRegistered() && listener->isSwallowTouches();
        });
        if (event->isStopped()) break;
    }
    for (Touch* touch : touches) touch->release();
}

void EventDispatcher::flushPending()
{
    for (auto it = _listeners.begin(); it != _listeners.end();) {
        if (!(*it)->isRegistered()) {
            (*it)->release();
            it = _listeners.erase(it);
        } else {
            ++it;
        }
    }
    for (EventListener* l : _toAdd) _listeners.push_back(l);
    _toAdd.clear();
}

} // namespace cocos2d
