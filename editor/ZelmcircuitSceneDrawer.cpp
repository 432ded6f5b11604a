#include <algorithm>

#include "ZelmcircuitScene.h"

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

void ZelmcircuitScene::DragPace::add(const Vec2& delta)
{
    const unsigned frame = Director::getInstance()->getTotalFrames();
    if (frame != lastFrame) lastMove = Vec2::ZERO;
    lastMove += delta;
    lastFrame = frame;
}

float ZelmcircuitScene::DragPace::releaseY(Touch* touch)
{
    if (touch->getDelta() != Vec2::ZERO) add(touch->getDelta());
    // A finger that rested before lifting was not moving any more.
    if (Director::getInstance()->getTotalFrames() - lastFrame > 1) return 0.0f;
    return lastMove.y;
}

float ZelmcircuitScene::drawerOpenY() const
{
    const float visibleHeight = Director::getInstance()->getVisibleSize().height;
    return visibleHeight - drawerPanel->getContentSize().height * 0.5f;
}

float ZelmcircuitScene::drawerPeekingY() const
{
    return drawerHiddenY() - kPeekingStrip;
}

float ZelmcircuitScene::drawerHiddenY() const
{
    const float visibleHeight = Director::getInstance()->getVisibleSize().height;
    return visibleHeight + drawerPanel->getContentSize().height * 0.5f;
}

void ZelmcircuitScene::moveDrawer(float y, float seconds)
{
    drawerPanel->stopActionByTag(kDrawerSlideTag);
    auto* slide = EaseExponentialOut::create(
        MoveTo::create(seconds, Vec2(drawerPanel->getContentSize().width * 0.5f, y)));
    slide->setTag(kDrawerSlideTag);
    drawerPanel->runAction(slide);
}

void ZelmcircuitScene::slideDrawer(bool open)
{
    drawerPeeking = !savedListShown;
    float y = open ? drawerOpenY() : savedListShown ? drawerHiddenY() : drawerPeekingY();
    moveDrawer(y, kSlideTime);
    mouseListener->setEnabled(!open);
}

void ZelmcircuitScene::peekDrawer(bool peek)
{
    moveDrawer(peek ? drawerPeekingY() : drawerHiddenY(), kPeekTime);
    drawerPeeking = peek;
}

void ZelmcircuitScene::dragDrawer(Touch* touch, float upperLimit)
{
    // The finger takes the panel from any slide still on its way.
    drawerPanel->stopActionByTag(kDrawerSlideTag);
    const float y = drawerPanel->getPositionY() + touch->getDelta().y;
    drawerPanel->setPositionY(std::max(drawerOpenY(), std::min(upperLimit, y)));
}

void ZelmcircuitScene::releaseSettingsIcon(Touch* touch)
{
    const float y = drawerPanel->getPositionY();
    const float open = drawerOpenY();
    const float d = settingsPace.releaseY(touch);
    if (settingsTravel.length() < kTapTravel)
        slideDrawer(false);
    else if (y > open + kSettingsCloses)
        slideDrawer(false);
    else if (y > open + kSettingsFlickCloses && d > kFlick)
        slideDrawer(false);
    else
        slideDrawer(true);
    settingsIcon->setColor(Color3B::WHITE);
    settingsTravel = Vec2::ZERO;
}

void ZelmcircuitScene::releaseTab(Touch* touch)
{
    const float y = drawerPanel->getPositionY();
    const float peek = drawerPeekingY();
    const float d = tabPace.releaseY(touch);
    if (tabTravel.length() < kTapTravel)
        peekDrawer(!drawerPeeking);
    else if (y < peek - kTabOpens || (y < peek - kTabFlickOpens && d < -kFlick))
        slideDrawer(true);
    else if (drawerPeeking)
        peekDrawer(y < peek + kPeekingHides);
    else
        peekDrawer(y <= peek + kHiddenStaysHidden);
    tabTravel = Vec2::ZERO;
}

void ZelmcircuitScene::registerDrawerListeners()
{
    auto* tab = EventListenerTouchOneByOne::create();
    tab->setSwallowTouches(true);
    tab->onTouchBegan = [this](Touch* touch, Event* event) {
        if (!hitTestNode(touch, event)) return false;
        tabPace = DragPace();
        return true;
    };
    tab->onTouchMoved = [this](Touch* touch, Event*) {
        dragDrawer(touch, drawerHiddenY());
        tabTravel += touch->getDelta();
        tabPace.add(touch->getDelta());
    };
    // A cancelled drag still leaves the panel at one of its resting places.
    tab->onTouchEnded = tab->onTouchCancelled = [this](Touch* touch, Event*) { releaseTab(touch); };
    _eventDispatcher->addEventListenerWithSceneGraphPriority(tab, drawerTab);

    // Not swallowing: the panel under the icon still ends text entry.
    auto* settings = EventListenerTouchOneByOne::create();
    settings->setSwallowTouches(false);
    settings->onTouchBegan = [this](Touch* touch, Event* event) {
        if (!hitTestNode(touch, event)) return false;
        event->getCurrentTarget()->setColor(Color3B::GRAY);
        settingsPace = DragPace();
        return true;
    };
    settings->onTouchMoved = [this](Touch* touch, Event*) {
        dragDrawer(touch, drawerPeekingY());
        settingsTravel += touch->getDelta();
        settingsPace.add(touch->getDelta());
    };
    settings->onTouchEnded = settings->onTouchCancelled = [this](Touch* touch, Event*) {
        releaseSettingsIcon(touch);
    };
    _eventDispatcher->addEventListenerWithSceneGraphPriority(settings, settingsIcon);
}
