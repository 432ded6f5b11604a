#include "BoardNavigation.h"

#include <algorithm>

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

BoardNavigation::BoardNavigation(Host& host, extension::ScrollView* board, Node* actionNode)
    : _host(host), _board(board), _actionNode(actionNode)
{
    cocos2d::gettimeofday(&_lastTapTime, nullptr);
}

void BoardNavigation::registerListeners(Node* boardLayer)
{
    // It claims every touch without swallowing, so the ends of touches that
    // scroll the board or handle a part reach it too.
    auto* board = EventListenerTouchOneByOne::create();
    board->setSwallowTouches(false);
    board->onTouchBegan = [this](Touch*, Event*) {
        if (++_fingers > 1) _multiTouch = true;
        return true;
    };
    board->onTouchEnded = [this](Touch* touch, Event*) { boardTouchEnded(touch, true); };
    board->onTouchCancelled = [this](Touch* touch, Event*) { boardTouchEnded(touch, false); };
    boardLayer->getEventDispatcher()->addEventListenerWithSceneGraphPriority(board, boardLayer);
}

void BoardNavigation::scrollViewDidScroll(extension::ScrollView*)
{
    _scrolled = true;
}

void BoardNavigation::scrollViewDidZoom(extension::ScrollView*) {}

void BoardNavigation::scrollViewZoomFinished(extension::ScrollView*)
{
    onBoardZoomFinished();
}

void BoardNavigation::scrollViewTouchFinished(extension::ScrollView*)
{
    onBoardTouchFinished();
}

void BoardNavigation::boardTouchEnded(Touch* touch, bool ended)
{
    // The fingers of a pinch are no taps, however close together they lift:
    // a pinch that closes the circuit must not zoom the next board in.
    const bool tap = ended && !_multiTouch;
    if (--_fingers <= 0) {
        _fingers = 0;
        _multiTouch = false;
    }
    // A part touch marks itself at its end; the mark is used up here either way.
    if (_skipDoubleTap) {
        _skipDoubleTap = false;
        return;
    }
    if (tap) doubleTap(touch);
}

void BoardNavigation::doubleTap(Touch* touch)
{
    const timeval tapTime = now();
    const Vec2 location = touch->getLocation();
    if (secondsBetween(_lastTapTime, tapTime) < kDoubleTapTime &&
        location.distance(_lastTapLocation) < kDoubleTapDistance) {
        const float z = _board->getZoomScale();
        float zoom = z + 1.0f;
        if (z == kMaxZoom)
            zoom = 1.0f;
        else if (z + 0.5f >= kMaxZoom)
            zoom = kMaxZoom;
        _board->setZoomScale(zoom, true);
    }
    // Every tap is the reference for the next, zoomed or not.
    _lastTapTime = tapTime;
    _lastTapLocation = location;
}

void BoardNavigation::wheelZoom(float scrollY)
{
    _board->setZoomScale(_board->getZoomScale() + scrollY, false);
    _wheelZoomTime = now();
    // Each step schedules a settle; only the one that finds no newer step
    // acts. Steps of one frame share their time, so the count tells them apart.
    const unsigned step = ++_wheelSteps;
    _actionNode->runAction(Sequence::create(DelayTime::create(kWheelSettleDelay),
                                            CallFunc::create([this, step] { settleWheelZoom(step); }), nullptr));
}

void BoardNavigation::zoomTo(float scale)
{
    wheelZoom(scale - _board->getZoomScale());
}

void BoardNavigation::pan(const Vec2& screens)
{
    const Size screen = _board->getViewSize();
    const Vec2 lo = _board->minContainerOffset();
    const Vec2 hi = _board->maxContainerOffset();
    const Vec2 at = _board->getContentOffset() - Vec2(screens.x * screen.width, screens.y * screen.height);
    const Vec2 to(std::max(lo.x, std::min(hi.x, at.x)), std::max(lo.y, std::min(hi.y, at.y)));
    if (to == _board->getContentOffset()) return;
    _board->setContentOffset(to, false);
    onBoardTouchFinished();
}

void BoardNavigation::settleWheelZoom(unsigned step)
{
    if (step != _wheelSteps || secondsBetween(_wheelZoomTime, now()) < kWheelQuiet) return;
    onBoardZoomFinished();
    onBoardTouchFinished();
}

void BoardNavigation::onBoardZoomFinished()
{
    const float z = _board->getZoomScale();
    if (z > kLeaveBoardZoom) {
        if (z < kLeastUsableZoom) _board->setZoomScale(kLeastUsableZoom, false);
        return;
    }
    // Closing the circuit clears the board, so it never closes under a part
    // in the hand (lifted, or on its way from the palette): the zoom comes
    // back instead, and the part is put down on a board that still exists.
    if (_host.partInHand()) {
        _board->setZoomScale(kLeastUsableZoom, false);
        return;
    }
    // A press that had not lifted its part yet lets go of it: that part's
    // touch ends with the board.
    _host.letGoOfPress();
    _host.leaveBoard();
}

void BoardNavigation::onBoardTouchFinished()
{
    _scrolled = false;
    if (_host.boardShown()) _host.boardSettled();
}
