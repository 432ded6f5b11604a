#include "Drawer.h"

#include <algorithm>
#include <utility>

#include "TouchHit.h"

USING_NS_CC;

namespace {

// Only the palette strip, the bottom of the panel, shows while it peeks.
constexpr float kPeekingStrip = 100.0f;
constexpr float kSlideTime = 0.7f;
constexpr float kPeekTime = 0.5f;
// One slide of the panel at a time: a new one replaces the one running.
constexpr int kDrawerSlideTag = 0xd5a1;

// A drag shorter than this in total is a tap.
constexpr float kTapTravel = 5.0f;
// A finger whose last movement was longer than this was flicking the panel.
constexpr float kFlick = 5.0f;

// Settings icon: how far above the open position the released panel closes
// anyway, and from how far it closes when flicked up.
constexpr float kSettingsCloses = 300.0f;
constexpr float kSettingsFlickCloses = 100.0f;

// Tab: how far below peeking the released panel opens anyway, and from how
// far it opens when flicked down; how far up a peeking or a hidden panel
// must have been pulled to hide.
constexpr float kTabOpens = 300.0f;
constexpr float kTabFlickOpens = 100.0f;
constexpr float kPeekingHides = 25.0f;
constexpr float kHiddenStaysHidden = 75.0f;

} // namespace

Drawer::Drawer(ScreenMode& mode, Sprite* panel, Sprite* tab, Sprite* settingsIcon)
    : _mode(mode), _panel(panel), _tab(tab), _settingsIcon(settingsIcon)
{
}

float Drawer::openY() const
{
    const float visibleHeight = Director::getInstance()->getVisibleSize().height;
    return visibleHeight - _panel->getContentSize().height * 0.5f;
}

float Drawer::peekingY() const
{
    return hiddenY() - kPeekingStrip;
}

float Drawer::hiddenY() const
{
    const float visibleHeight = Director::getInstance()->getVisibleSize().height;
    return visibleHeight + _panel->getContentSize().height * 0.5f;
}

void Drawer::moveDrawer(float y, float seconds)
{
    _panel->stopActionByTag(kDrawerSlideTag);
    auto* slide =
        EaseExponentialOut::create(MoveTo::create(seconds, Vec2(_panel->getContentSize().width * 0.5f, y)));
    slide->setTag(kDrawerSlideTag);
    _panel->runAction(slide);
}

void Drawer::slideDrawer(bool open)
{
    const float y = open ? openY() : _mode.listShown() ? hiddenY() : peekingY();
    _mode.drawerSlid(open);
    moveDrawer(y, kSlideTime);
}

bool Drawer::isOpen() const
{
    const float rest = _mode.listShown() ? hiddenY() : peekingY();
    return _panel->getPositionY() < rest - 1.0f;
}

void Drawer::peekDrawer(bool peek)
{
    moveDrawer(peek ? peekingY() : hiddenY(), kPeekTime);
    _mode.setDrawerPeeking(peek);
}

void Drawer::dragDrawer(Touch* touch, float upperLimit)
{
    // The finger takes the panel from any slide still on its way.
    _panel->stopActionByTag(kDrawerSlideTag);
    const float y = _panel->getPositionY() + touch->getDelta().y;
    _panel->setPositionY(std::max(openY(), std::min(upperLimit, y)));
}

void Drawer::releaseSettingsIcon(Touch* touch)
{
    const float y = _panel->getPositionY();
    const float open = openY();
    const float d = _settingsPace.releaseY(touch);
    if (_settingsTravel.length() < kTapTravel)
        slideDrawer(false);
    else if (y > open + kSettingsCloses)
        slideDrawer(false);
    else if (y > open + kSettingsFlickCloses && d > kFlick)
        slideDrawer(false);
    else
        slideDrawer(true);
    _settingsIcon->setColor(Color3B::WHITE);
    _settingsTravel = Vec2::ZERO;
}

void Drawer::releaseTab(Touch* touch)
{
    const float y = _panel->getPositionY();
    const float peek = peekingY();
    const float d = _tabPace.releaseY(touch);
    const bool peeking = _mode.drawerPeeking();
    if (_tabTravel.length() < kTapTravel)
        peekDrawer(!peeking);
    else if (y < peek - kTabOpens || (y < peek - kTabFlickOpens && d < -kFlick))
        slideDrawer(true);
    else if (peeking)
        peekDrawer(y < peek + kPeekingHides);
    else
        peekDrawer(y <= peek + kHiddenStaysHidden);
    _tabTravel = Vec2::ZERO;
}

void Drawer::registerListeners(std::function<void()> onPanelTouched)
{
    auto* panel = EventListenerTouchOneByOne::create();
    panel->setSwallowTouches(true);
    panel->onTouchBegan = [onPanelTouched](Touch* touch, Event* event) {
        if (!touchhit::inTarget(touch, event)) return false;
        if (onPanelTouched) onPanelTouched();
        return true;
    };
    _panel->getEventDispatcher()->addEventListenerWithSceneGraphPriority(panel, _panel);

    auto* tab = EventListenerTouchOneByOne::create();
    tab->setSwallowTouches(true);
    tab->onTouchBegan = [this](Touch* touch, Event* event) {
        if (!touchhit::inTarget(touch, event)) return false;
        _tabPace = DragPace();
        return true;
    };
    tab->onTouchMoved = [this](Touch* touch, Event*) {
        dragDrawer(touch, hiddenY());
        _tabTravel += touch->getDelta();
        _tabPace.add(touch->getDelta());
    };
    // A cancelled drag still leaves the panel at one of its resting places.
    tab->onTouchEnded = tab->onTouchCancelled = [this](Touch* touch, Event*) { releaseTab(touch); };
    _panel->getEventDispatcher()->addEventListenerWithSceneGraphPriority(tab, _tab);

    // Not swallowing: the panel under the icon still ends text entry.
    auto* settings = EventListenerTouchOneByOne::create();
    settings->setSwallowTouches(false);
    settings->onTouchBegan = [this](Touch* touch, Event* event) {
        if (!touchhit::inTarget(touch, event)) return false;
        event->getCurrentTarget()->setColor(Color3B::GRAY);
        _settingsPace = DragPace();
        return true;
    };
    settings->onTouchMoved = [this](Touch* touch, Event*) {
        dragDrawer(touch, peekingY());
        _settingsTravel += touch->getDelta();
        _settingsPace.add(touch->getDelta());
    };
    settings->onTouchEnded = settings->onTouchCancelled = [this](Touch* touch, Event*) {
        releaseSettingsIcon(touch);
    };
    _panel->getEventDispatcher()->addEventListenerWithSceneGraphPriority(settings, _settingsIcon);
}
