#include "base/CCEventDispatcher.h"

#include <algorithm>
#include <unordered_set>

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

// Every listener registered now, with any dispatcher, by address. A caller
// may ask to remove a listener that was removed and freed since (a node's
// destructor removing its own once more): such an address is only ever
// compared, never read, since it is not in this set.
std::unordered_set<const EventListener*>& registeredListeners()
{
    static std::unordered_set<const EventListener*> listeners;
    return listeners;
}
} // namespace

EventDispatcher::EventDispatcher() = default;

EventDispatcher::~EventDispatcher()
{
    for (Entry& e : _listeners) {
        if (isCurrent(e)) registeredListeners().erase(e.listener);
        if (e.listener) e.listener->release();
    }
    for (Entry& e : _toAdd) {
        registeredListeners().erase(e.listener);
        e.listener->release();
    }
}

bool EventDispatcher::isCurrent(const Entry& entry) const
{
    return entry.listener && entry.listener->isRegistered() && entry.listener->getRegistrationOrder() == entry.order;
}

EventDispatcher::Entry* EventDispatcher::findEntry(EventListener* listener)
{
    if (!listener || registeredListeners().count(listener) == 0 || !listener->isRegistered()) return nullptr;
    const uint64_t order = listener->getRegistrationOrder();
    // Entries are listed in the order they were registered in.
    auto it = std::lower_bound(_listeners.begin(), _listeners.end(), order,
                               [](const Entry& e, uint64_t o) { return e.order < o; });
    if (it != _listeners.end() && it->order == order && it->listener == listener) return &*it;
    for (Entry& e : _toAdd)
        if (e.listener == listener && e.order == order) return &e;
    return nullptr;
}

template <class Match>
std::vector<EventListener*> EventDispatcher::listenersOfNodes(Match match) const
{
    std::vector<EventListener*> found;
    for (const auto& [node, listeners] : _byNode)
        if (match(node)) found.insert(found.end(), listeners.begin(), listeners.end());
    std::sort(found.begin(), found.end(), [](const EventListener* a, const EventListener* b) {
        return a->getRegistrationOrder() < b->getRegistrationOrder();
    });
    return found;
}

void EventDispatcher::addListener(EventListener* listener)
{
    listener->retain();
    listener->setRegistered(true);
    listener->setRegistrationOrder(_nextOrder++);
    listenersChanged();
    registeredListeners().insert(listener);
    if (Node* node = listener->getAssociatedNode()) _byNode[node].push_back(listener);
    const Entry entry{listener, listener->getRegistrationOrder()};
    if (_inDispatch > 0) {
        // Joins after the event being dispatched, as in the engine.
        _toAdd.push_back(entry);
    } else {
        _listeners.push_back(entry);
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
    Entry* entry = findEntry(listener);
    if (!entry) return;
    if (Node* node = listener->getAssociatedNode()) {
        auto found = _byNode.find(node);
        if (found != _byNode.end()) {
            auto& ofNode = found->second;
            auto at = std::find(ofNode.begin(), ofNode.end(), listener);
            if (at != ofNode.end()) ofNode.erase(at);
            if (ofNode.empty()) _byNode.erase(found);
        }
    }
    listener->setRegistered(false);
    listener->setAssociatedNode(nullptr);
    listenersChanged();
    registeredListeners().erase(listener);
    if (!_toAdd.empty() && entry >= &_toAdd.front() && entry <= &_toAdd.back()) {
        _toAdd.erase(_toAdd.begin() + (entry - &_toAdd.front()));
        listener->release();
        return;
    }
    ++_stale;
    // Swept after dispatch; skipped meanwhile because it is unregistered.
    if (_inDispatch > 0) return;
    entry->listener = nullptr;
    // Removed ones leave gaps, closed once they are half the list: removing
    // every listener of a large board costs each removal the same.
    if (_stale > 32 && _stale * 2 > _listeners.size()) compact();
    listener->release();
}

void EventDispatcher::compact()
{
    std::vector<EventListener*> dropped;
    size_t kept = 0;
    for (Entry& e : _listeners) {
        if (isCurrent(e)) {
            _listeners[kept++] = e;
        } else if (e.listener) {
            dropped.push_back(e.listener);
        }
    }
    _listeners.resize(kept);
    _stale = 0;
    listenersChanged();
    for (EventListener* l : dropped) l->release();
}

void EventDispatcher::removeEventListenersForType(EventListener::Type type)
{
    std::vector<EventListener*> matching;
    for (const Entry& e : _listeners)
        if (isCurrent(e) && e.listener->getType() == type) matching.push_back(e.listener);
    for (const Entry& e : _toAdd)
        if (e.listener->getType() == type) matching.push_back(e.listener);
    for (EventListener* l : matching) removeEventListener(l);
}

void EventDispatcher::removeEventListenersForTarget(Node* target, bool recursive)
{
    std::vector<EventListener*> matching;
    if (recursive) {
        matching = listenersOfNodes([target](Node* node) { return isAncestorOrSelf(target, node); });
    } else {
        auto found = _byNode.find(target);
        if (found == _byNode.end()) return;
        // All of the node's go: its index entry goes first, in one piece.
        matching = std::move(found->second);
        _byNode.erase(found);
    }
    for (EventListener* l : matching) removeEventListener(l);
}

void EventDispatcher::removeAllEventListeners()
{
    std::vector<EventListener*> all;
    for (const Entry& e : _listeners)
        if (isCurrent(e)) all.push_back(e.listener);
    for (const Entry& e : _toAdd) all.push_back(e.listener);
    for (EventListener* l : all) {
        if (l->isRegistered()) removeEventListener(l);
    }
}

void EventDispatcher::pauseEventListenersForTarget(Node* target, bool recursive)
{
    if (recursive) {
        for (EventListener* l : listenersOfNodes([target](Node* node) { return isAncestorOrSelf(target, node); }))
            l->setPaused(true);
        return;
    }
    auto found = _byNode.find(target);
    if (found == _byNode.end()) return;
    for (EventListener* l : found->second) l->setPaused(true);
}

void EventDispatcher::resumeEventListenersForTarget(Node* target, bool recursive)
{
    if (recursive) {
        for (EventListener* l : listenersOfNodes([target](Node* node) { return isAncestorOrSelf(target, node); }))
            l->setPaused(false);
        return;
    }
    auto found = _byNode.find(target);
    if (found == _byNode.end()) return;
    for (EventListener* l : found->second) l->setPaused(false);
}

void EventDispatcher::setPriority(EventListener* listener, int fixedPriority)
{
    if (listener && !listener->getAssociatedNode() && fixedPriority != 0) {
        listener->setFixedPriority(fixedPriority);
        listenersChanged();
    }
}

bool EventDispatcher::hasEventListener(EventListener* listener) const
{
    return const_cast<EventDispatcher*>(this)->findEntry(listener) != nullptr;
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

std::shared_ptr<const std::vector<EventListener*>> EventDispatcher::listenersInOrder(EventListener::Type type)
{
    OrderCache& cache = _orderCache[int(type)];
    const Node* scene = Director::getInstance()->getRunningScene();
    if (cache.ordered && cache.listenersVersion == _listenersVersion &&
        cache.sceneVersion == Node::getSceneOrderVersion() && cache.scene == scene)
        return cache.ordered;
    std::vector<EventListener*> before, sceneGraph, after;
    for (const Entry& e : _listeners) {
        if (!isCurrent(e) || e.listener->getType() != type) continue;
        EventListener* l = e.listener;
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
    auto ordered = std::make_shared<std::vector<EventListener*>>();
    ordered->reserve(before.size() + sceneGraph.size() + after.size());
    ordered->insert(ordered->end(), before.begin(), before.end());
    ordered->insert(ordered->end(), sceneGraph.begin(), sceneGraph.end());
    ordered->insert(ordered->end(), after.begin(), after.end());
    cache.listenersVersion = _listenersVersion;
    cache.sceneVersion = Node::getSceneOrderVersion();
    cache.scene = scene;
    cache.ordered = std::move(ordered);
    return cache.ordered;
}

void EventDispatcher::forEachListenerInOrder(EventListener::Type type,
                                             const std::function<bool(EventListener*)>& visit)
{
    // Held for the whole walk: a handler that adds or removes a listener
    // makes a new list for later events and leaves this one as it is.
    const std::shared_ptr<const std::vector<EventListener*>> ordered = listenersInOrder(type);
    // Keep every listener alive while it may be called, even if a handler removes it.
    for (EventListener* l : *ordered) l->retain();
    for (EventListener* l : *ordered) {
        if (!l->isEnabled() || l->isPaused() || !l->isRegistered()) continue;
        if (visit(l)) break;
    }
    for (EventListener* l : *ordered) l->release();
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
    if (_stale > 0) compact();
    if (!_toAdd.empty()) listenersChanged();
    _listeners.insert(_listeners.end(), _toAdd.begin(), _toAdd.end());
    _toAdd.clear();
}

} // namespace cocos2d
