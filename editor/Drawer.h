#pragma once

#include <functional>

#include "DragPace.h"
#include "ScreenMode.h"
#include "cocos2d.h"

// The panel hanging from the top edge: its palette strip peeks over the
// board, the whole of it slides open over the board and out of sight over
// the saved-circuits list. Dragged by its tab or its settings icon.
class Drawer {
public:
    Drawer(ScreenMode& mode, cocos2d::Sprite* panel, cocos2d::Sprite* tab, cocos2d::Sprite* settingsIcon);
    Drawer(const Drawer&) = delete;
    Drawer& operator=(const Drawer&) = delete;

    // onPanelTouched runs for every touch the panel takes from the board.
    void registerListeners(std::function<void()> onPanelTouched);

    // Closing goes to peeking, or out of sight while the saved list shows.
    // The wheel zooms unless the drawer is open.
    void slideDrawer(bool open);
    // Peeking or hidden; leaves the wheel as it is.
    void peekDrawer(bool peek);
    // Pulled down from where it rests, all the way or part of it.
    bool isOpen() const;
    float openY() const;
    float peekingY() const;
    float hiddenY() const;

    cocos2d::Sprite* panel() const { return _panel; }
    cocos2d::Sprite* tab() const { return _tab; }
    cocos2d::Sprite* settingsIcon() const { return _settingsIcon; }
    const cocos2d::Vec2& tabTravel() const { return _tabTravel; }
    const cocos2d::Vec2& settingsTravel() const { return _settingsTravel; }

private:
    void moveDrawer(float y, float seconds);
    void dragDrawer(cocos2d::Touch* touch, float upperLimit);
    void releaseTab(cocos2d::Touch* touch);
    void releaseSettingsIcon(cocos2d::Touch* touch);

    ScreenMode& _mode;
    cocos2d::Sprite* _panel;
    cocos2d::Sprite* _tab;
    cocos2d::Sprite* _settingsIcon;
    cocos2d::Vec2 _tabTravel;
    cocos2d::Vec2 _settingsTravel;
    DragPace _tabPace;
    DragPace _settingsPace;
};
