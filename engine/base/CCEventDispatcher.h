#pragma once

#include <functional>
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
    void addListener(EventListener* listener);
    void dispatchTouchEvent(EventTouch* event);
    void forEachListenerInOrder(EventListener::Type type, const std::function<bool(EventListener*)>& visit);
    void computeNodeOrder();
    void visitNode(Node* node, std::vector<std::pair<float, Node*>>& out);
    void flushPending();

    std::vector<EventListener*> _listeners;
    std::vector<EventListener*> _toAdd;
    std::unordered_map<Node*, int> _nodeOrder;
    int _inDispatch = 0;
    bool _isEnabled = true;
};

} // namespace cocos2d
