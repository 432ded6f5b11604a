#pragma once

#include <functional>

#include "cocos2d.h"

// A still touch on a view that is coasting only stops it: it must not count
// as a tap on whatever lies under the finger. Hung on the topmost layer, the
// guard sees the end of every touch before a part or a list item decides
// whether it was a tap.
class ScrollStopGuard {
public:
    // coasting tells whether a view moved since its last touch ended;
    // stopped runs when a still touch only stopped it.
    ScrollStopGuard(std::function<bool()> coasting, std::function<void()> stopped);
    ScrollStopGuard(const ScrollStopGuard&) = delete;
    ScrollStopGuard& operator=(const ScrollStopGuard&) = delete;

    void registerListener(cocos2d::Node* topLayer);
    // The touch now ending only stopped a coasting view.
    bool tapBlocked() const { return _tapBlocked; }
    const cocos2d::Vec2& travel() const { return _travel; }

private:
    void touchEnded();

    std::function<bool()> _coasting;
    std::function<void()> _stopped;
    bool _tapBlocked = false;
    cocos2d::Vec2 _travel;
};
