#pragma once

#include <functional>

#include "cocos2d.h"

// What the screen shows: the board or the saved-circuits list over it, and
// whether the drawer rests out (peeking or open) or hidden. The mouse wheel
// zooms the board only while the list is away and the drawer not slid open.
class ScreenMode {
public:
    // The wheel's listener hangs on wheelNode; each step goes to onWheel.
    ScreenMode(cocos2d::Node* wheelNode, std::function<void(float scrollY)> onWheel);
    ScreenMode(const ScreenMode&) = delete;
    ScreenMode& operator=(const ScreenMode&) = delete;

    bool listShown() const { return _listShown; }
    // The list shows or goes; the wheel is off while it shows.
    void setListShown(bool shown);

    bool drawerPeeking() const { return _drawerPeeking; }
    void setDrawerPeeking(bool peeking) { _drawerPeeking = peeking; }
    // The drawer slid open or closed: closed it rests peeking, or hidden
    // while the list shows, and the wheel is on unless it is open.
    void drawerSlid(bool open);

    bool wheelEnabled() const;

private:
    bool _listShown = true;
    bool _drawerPeeking = true;
    cocos2d::EventListenerMouse* _wheel = nullptr;
};
