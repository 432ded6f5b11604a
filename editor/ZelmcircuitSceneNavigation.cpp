#include "ZelmcircuitScene.h"

USING_NS_CC;

namespace {

// Two board taps closer than this in time and space make a double tap.
constexpr double kDoubleTapTime = 0.3;
constexpr float kDoubleTapDistance = 30.0f;
constexpr float kMaxZoom = 2.0f;

// At or below this zoom the circuit closes for the saved-circuits list;
// between it and the least usable zoom the board comes back to that zoom.
constexpr float kLeaveBoardZoom = 0.3f;
constexpr float kLeastUsableZoom = 0.5f;

// A wheel burst counts as finished once no step came for this long; the
// check runs a little later than that so the last step always passes it.
constexpr float kWheelSettleDelay = 0.31f;
constexpr double kWheelQuiet = 0.3;

timeval now()
{
    timeval t{};
    cocos2d::gettimeofday(&t, nullptr);
    return t;
}

double secondsBetween(const timeval& earlier, const timeval& later)
{
    return double(later.tv_sec - earlier.tv_sec) + double(later.tv_usec - earlier.tv_usec) / 1000.0 / 1000.0;
}

} // namespace

void ZelmcircuitScene::registerNavigationListeners()
{
    // It claims every touch without swallowing, so the ends of touches that
    // scroll the board or handle a part reach it too.
    auto* board = EventListenerTouchOneByOne::create();
    board->setSwallowTouches(false);
    board->onTouchBegan = [this](Touch*, Event*) {
        if (++boardFingers > 1) boardMultiTouch = true;
        return true;
    };
    board->onTouchEnded = [this](Touch* touch, Event*) { boardTouchEnded(touch, true); };
    board->onTouchCancelled = [this](Touch* touch, Event*) { boardTouchEnded(touch, false); };
    _eventDispatcher->addEventListenerWithSceneGraphPriority(board, boardLayer);

    // The topmost layer sees the end of every touch first, before a part
    // or a list item decides whether it was a tap.
    auto* guard = EventListenerTouchOneByOne::create();
    guard->setSwallowTouches(false);
    guard->onTouchBegan = [this](Touch*, Event*) {
        listTapBlocked = false;
        return true;
    };
    guard->onTouchMoved = [this](Touch* touch, Event*) { tapTravel += touch->getDelta(); };
    guard->onTouchEnded = [this](Touch*, Event*) { scrollStopGuardEnded(); };
    guard->onTouchCancelled = [this](Touch*, Event*) { tapTravel = Vec2::ZERO; };
    _eventDispatcher->addEventListenerWithSceneGraphPriority(guard, guardLayer);

    mouseListener = EventListenerMouse::create();
    mouseListener->setEnabled(false);
    mouseListener->onMouseScroll = [this](EventMouse* event) { wheelZoom(event->getScrollY()); };
    _eventDispatcher->addEventListenerWithSceneGraphPriority(mouseListener, this);
}

void ZelmcircuitScene::scrollViewDidScroll(extension::ScrollView*)
{
    viewScrolled = true;
}

void ZelmcircuitScene::scrollViewDidZoom(extension::ScrollView*) {}

void ZelmcircuitScene::scrollViewZoomFinished(extension::ScrollView* view)
{
    onBoardZoomFinished(view);
}

void ZelmcircuitScene::scrollViewTouchFinished(extension::ScrollView* view)
{
    onBoardTouchFinished(view);
}

void ZelmcircuitScene::boardTouchEnded(Touch* touch, bool ended)
{
    // The fingers of a pinch are no taps, however close together they lift:
    // a pinch that closes the circuit must not zoom the next board in.
    const bool tap = ended && !boardMultiTouch;
    if (--boardFingers <= 0) {
        boardFingers = 0;
        boardMultiTouch = false;
    }
    // A part touch marks itself at its end; the mark is used up here either way.
    if (skipDoubleTap) {
        skipDoubleTap = false;
        return;
    }
    if (tap) doubleTap(touch);
}

void ZelmcircuitScene::doubleTap(Touch* touch)
{
    const timeval tapTime = now();
    const Vec2 location = touch->getLocation();
    if (secondsBetween(lastTapTime, tapTime) < kDoubleTapTime &&
        location.distance(lastTapLocation) < kDoubleTapDistance) {
        const float z = boardView->getZoomScale();
        float zoom = z + 1.0f;
        if (z == kMaxZoom)
            zoom = 1.0f;
        else if (z + 0.5f >= kMaxZoom)
            zoom = kMaxZoom;
        boardView->setZoomScale(zoom, true);
    }
    // Every tap is the reference for the next, zoomed or not.
    lastTapTime = tapTime;
    lastTapLocation = location;
}

void ZelmcircuitScene::wheelZoom(float scrollY)
{
    boardView->setZoomScale(boardView->getZoomScale() + scrollY, false);
    wheelZoomTime = now();
    // Each step schedules a settle; only the one that finds no newer step
    // acts. Steps of one frame share their time, so the count tells them apart.
    const unsigned step = ++wheelSteps;
    runAction(Sequence::create(DelayTime::create(kWheelSettleDelay),
                               CallFunc::create([this, step] { settleWheelZoom(step); }), nullptr));
}

void ZelmcircuitScene::settleWheelZoom(unsigned step)
{
    if (step != wheelSteps || secondsBetween(wheelZoomTime, now()) < kWheelQuiet) return;
    onBoardZoomFinished(boardView);
    onBoardTouchFinished(boardView);
}

void ZelmcircuitScene::onBoardZoomFinished(extension::ScrollView* view)
{
    if (view != boardView) return;
    const float z = boardView->getZoomScale();
    if (z > kLeaveBoardZoom) {
        if (z < kLeastUsableZoom) boardView->setZoomScale(kLeastUsableZoom, false);
        return;
    }
    // Closing the circuit clears the board, so it never closes under a part
    // in the hand (lifted, or on its way from the palette): the zoom comes
    // back instead, and the part is put down on a board that still exists.
    if (_gesture->partInHand()) {
        boardView->setZoomScale(kLeastUsableZoom, false);
        return;
    }
    // A press that had not lifted its part yet lets go of it: that part's
    // touch ends with the board.
    _gesture->letGo();
    boardActive = false;
    showSavedList(true);
    peekDrawer(false);
}

void ZelmcircuitScene::onBoardTouchFinished(extension::ScrollView* view)
{
    viewScrolled = false;
    if (view == boardView && boardActive) takeBoardSnapshot();
}

void ZelmcircuitScene::scrollStopGuardEnded()
{
    // A still touch while a view coasted only stopped it: it is no tap.
    if (tapTravel.length() == 0 && viewScrolled) {
        listTapBlocked = true;
        viewScrolled = false;
        if (!savedListShown) takeBoardSnapshot();
    }
    tapTravel = Vec2::ZERO;
}
