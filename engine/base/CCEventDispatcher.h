#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <unordered_map>
#include <vector>

#include "base/CCEventListener.h"
#include "base/CCRef.h"

namespace cocos2d {

class Event;
class EventTouch;
class Node;

// Listeners with scene-graph priority are asked in reverse drawing order (the
// node drawn on top first); fixed-priority listeners below 0 come before them
// and those above 0 after, lower values first.
class EventDispatcher : public Ref {
public:
    EventDispatcher();
    ~EventDispatcher() override;

    void addEventListenerWithSceneGraphPriority(EventListener* listener, Node* node);
    void addEventListenerWithFixedPriority(EventListener* listener, int fixedPriority);
    void removeEventListener(EventListener* listener);
    void removeEventListenersForType(EventListener::Type type);
    void removeEventListenersForTarget(Node* target, bool recursive = false);
    void removeAllEventListeners();
    void pauseEventListenersForTarget(Node* target, bool recursive = false);
    void resumeEventListenersForTarget(Node* target, bool recursive = false);
    void setPriority(EventListener* listener, int fixedPriority);

    void setEnabled(bool enabled) { _isEnabled = enabled; }
    bool isEnabled() const { return _isEnabled; }

    void dispatchEvent(Event* event);

    // Registered listeners of a type, in the order they would be asked now.
    std::vector<EventListener*> getListenersInDispatchOrder(EventListener::Type type);
    bool hasEventListener(EventListener* listener) const;

private:
    // One registration: the listener, null once it was removed outside a
    // dispatch, and the order it was registered in. A listener removed during
    // a dispatch stays listed, unregistered, until the dispatch is over.
    struct Entry {
        EventListener* listener;
        uint64_t order;
    };

    void addListener(EventListener* listener);
    void dispatchTouchEvent(EventTouch* event);
    void forEachListenerInOrder(EventListener::Type type, const std::function<bool(EventListener*)>& visit);
    // The listeners of a type in the order they are asked, worked out again
    // only when a listener came or went or the scene's order moved: an event
    // on a board of thousands of parts is not a sort of thousands.
    std::shared_ptr<const std::vector<EventListener*>> listenersInOrder(EventListener::Type type);
    void listenersChanged() { ++_listenersVersion; }
    void computeNodeOrder();
    void visitNode(Node* node, std::vector<std::pair<float, Node*>>& out);
    void flushPending();
    // The entry registering this listener now; nullptr when none does.
    Entry* findEntry(EventListener* listener);
    bool isCurrent(const Entry& entry) const;
    // Listeners of nodes for which match(node) holds, in registration order.
    template <class Match>
    std::vector<EventListener*> listenersOfNodes(Match match) const;
    void compact();

    std::vector<Entry> _listeners;
    std::vector<Entry> _toAdd;
    // The registered listeners of each node, in registration order: a node
    // entering or leaving the scene, or freed, finds its own at once instead
    // of looking through every listener.
    std::unordered_map<Node*, std::vector<EventListener*>> _byNode;
    uint64_t _nextOrder = 1;
    // Entries of _listeners that no longer register anything.
    size_t _stale = 0;
    std::unordered_map<Node*, int> _nodeOrder;
    struct OrderCache {
        uint64_t listenersVersion = 0;
        uint64_t sceneVersion = 0;
        const Node* scene = nullptr;
        std::shared_ptr<const std::vector<EventListener*>> ordered;
    };
    std::unordered_map<int, OrderCache> _orderCache;
    uint64_t _listenersVersion = 1;
    int _inDispatch = 0;
    bool _isEnabled = true;
};

} // namespace cocos2d
