#pragma once

#include <functional>

#include "base/CCEventKeyboard.h"
#include "base/CCEventListener.h"

namespace cocos2d {

class EventListenerKeyboard : public EventListener {
public:
    static EventListenerKeyboard* create();

    EventListenerKeyboard* clone() override;
    bool checkAvailable() override { return onKeyPressed || onKeyReleased; }

    std::function<void(EventKeyboard::KeyCode, Event*)> onKeyPressed;
    std::function<void(EventKeyboard::KeyCode, Event*)> onKeyReleased;

private:
    void handle(Event* event);
};

} // namespace cocos2d
