#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "base/CCRef.h"

namespace cocos2d {

class Event;
class Node;

class EventListener : public Ref {
public:
    enum class Type { UNKNOWN, TOUCH_ONE_BY_ONE, TOUCH_ALL_AT_ONCE, KEYBOARD, MOUSE, ACCELERATION, FOCUS, CUSTOM };

    virtual bool checkAvailable() = 0;
    virtual EventListener* clone() = 0;

    void setEnabled(bool enabled) { _isEnabled = enabled; }
    bool isEnabled() const { return _isEnabled; }
    Type getType() const { return _type; }
    Node* getAssociatedNode() const { return _node; }

    // Dispatcher bookkeeping.
    void setPaused(bool paused) { _paused = paused; }
    bool isPaused() const { return _paused; }
    void setRegistered(bool registered) { _isRegistered = registered; }
    bool isRegistered() const { return _isRegistered; }
    void setAssociatedNode(Node* node) { _node = node; }
    void setFixedPriority(int priority) { _fixedPriority = priority; }
    int getFixedPriority() const { return _fixedPriority; }
    // When it was registered last, among its dispatcher's listeners.
    void setRegistrationOrder(uint64_t order) { _registrationOrder = order; }
    uint64_t getRegistrationOrder() const { return _registrationOrder; }
    const std::function<void(Event*)>& getCallback() const { return _onEvent; }

protected:
    EventListener() = default;
    bool init(Type type, const std::function<void(Event*)>& callback);

    std::function<void(Event*)> _onEvent;
    Type _type = Type::UNKNOWN;
    bool _isRegistered = false;
    bool _paused = true;
    bool _isEnabled = true;
    int _fixedPriority = 0;
    uint64_t _registrationOrder = 0;
    Node* _node = nullptr;
};

} // namespace cocos2d
