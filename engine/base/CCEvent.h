#pragma once

#include "base/CCRef.h"

namespace cocos2d {

class Node;

class Event : public Ref {
public:
    enum class Type { TOUCH, KEYBOARD, ACCELERATION, MOUSE, FOCUS, GAME_CONTROLLER, CUSTOM };

    explicit Event(Type type) : _type(type) {}

    Type getType() const { return _type; }
    void stopPropagation() { _isStopped = true; }
    bool isStopped() const { return _isStopped; }
    // The node the listener being called was registered on.
    Node* getCurrentTarget() { return _currentTarget; }
    void setCurrentTarget(Node* target) { _currentTarget = target; }

protected:
    Type _type;
    bool _isStopped = false;
    Node* _currentTarget = nullptr;
};

} // namespace cocos2d
