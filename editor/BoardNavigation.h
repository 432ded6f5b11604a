#pragma once

#include <sys/time.h>

#include "cocos2d.h"
#include "extensions/cocos-ext.h"

// Moving about the board: one finger pans it (the scroll view does that),
// two pinch it, a double tap zooms in, the wheel zooms in steps, and zooming
// out far enough closes the circuit for the saved-circuits list.
class BoardNavigation : public cocos2d::extension::ScrollViewDelegate {
public:
    class Host {
    public:
        virtual ~Host() = default;
        // A part lifted, or on its way from the palette.
        virtual bool partInHand() const = 0;
        // A press that has not lifted its part yet lets go of it.
        virtual void letGoOfPress() = 0;
        // Zoomed out far enough: the circuit closes for the list.
        virtual void leaveBoard() = 0;
        // A touch sequence on the board ended with the board at rest.
        virtual void boardSettled() = 0;
        virtual bool boardShown() const = 0;
    };

    // Delayed steps run on actionNode.
    BoardNavigation(Host& host, cocos2d::extension::ScrollView* board, cocos2d::Node* actionNode);
    BoardNavigation(const BoardNavigation&) = delete;
    BoardNavigation& operator=(const BoardNavigation&) = delete;

    // Counts the fingers on the board and tells taps from pinches.
    void registerListeners(cocos2d::Node* boardLayer);

    void scrollViewDidScroll(cocos2d::extension::ScrollView* view) override;
    void scrollViewDidZoom(cocos2d::extension::ScrollView* view) override;
    void scrollViewZoomFinished(cocos2d::extension::ScrollView* view) override;
    void scrollViewTouchFinished(cocos2d::extension::ScrollView* view) override;

    void onBoardZoomFinished();
    void onBoardTouchFinished();
    void wheelZoom(float scrollY);
    // The keys' zoom: to scale, settled as a wheel step is.
    void zoomTo(float scale);
    // The board slides by a share of the screen (-1..1 each way), no
    // further than its edges; +x shows what lies to the right.
    void pan(const cocos2d::Vec2& screens);

    // The board moved since the last touch sequence on it ended.
    bool scrolled() const { return _scrolled; }
    void setScrolled(bool scrolled) { _scrolled = scrolled; }
    // A part touch ended: its finger's end is no tap of the board's.
    void skipNextTap() { _skipDoubleTap = true; }
    const cocos2d::Vec2& lastTapLocation() const { return _lastTapLocation; }
    cocos2d::extension::ScrollView* board() const { return _board; }

private:
    void boardTouchEnded(cocos2d::Touch* touch, bool ended);
    void doubleTap(cocos2d::Touch* touch);
    void settleWheelZoom(unsigned step);

    Host& _host;
    cocos2d::extension::ScrollView* _board;
    cocos2d::Node* _actionNode;
    bool _scrolled = false;
    bool _skipDoubleTap = false;
    struct timeval _lastTapTime {};
    cocos2d::Vec2 _lastTapLocation;
    struct timeval _wheelZoomTime {};
    // Fingers on the board now, and whether two were down together since
    // it last had none.
    int _fingers = 0;
    bool _multiTouch = false;
    // Counts wheel steps, so that only the last of a burst settles the zoom.
    unsigned _wheelSteps = 0;
};
