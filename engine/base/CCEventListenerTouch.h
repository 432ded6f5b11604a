#pragma once

#include <functional>
#include <vector>

#include "base/CCEventListener.h"

namespace cocos2d {

class Touch;

class EventListenerTouchOneByOne : public EventListener {
public:
    using ccTouchBeganCallback = std::function<bool(Touch*, Event*)>;
    using ccTouchCallback = std::function<void(Touch*, Event*)>;

    static EventListenerTouchOneByOne* create();

    // A claiming listener that swallows hides the touch from every listener after it.
    void setSwallowTouches(bool needSwallow) { _needSwallow = needSwallow; }
    bool isSwallowTouches() const { return _needSwallow; }

    EventListenerTouchOneByOne* clone() override;
    bool checkAvailable() override;

    ccTouchBeganCallback onTouchBegan;
    ccTouchCallback onTouchMoved;
    ccTouchCallback onTouchEnded;
    ccTouchCallback onTouchCancelled;

    // Touches this listener claimed and still follows.
    std::vector<Touch*> _claimedTouches;

private:
    bool _needSwallow = false;
};

} // namespace cocos2d
