#pragma once

#include <array>

#include "KITOButtonView.h"
#include "KITOScrollView.h"
#include "KITOView.h"

namespace CocosKito {

// The full-screen help: five pictures paged sideways, a row of page dots, an arrow
// on each side that has more pages, and a close button. Being an outermost view on
// an opaque background it takes every touch while it is shown.
//
// The opener adds what create() gives on top; the close button removes it again.
class HelpView : public KITOView, public KITOButtonViewDelegate, public KITOScrollViewDelegate {
public:
    static constexpr int pageCount = 5;

    // Autoreleased; nullptr when one of its pictures cannot be loaded (the
    // texture cache names it on stderr).
    static HelpView* create();
    bool init() override;
    void onButtonViewEvent(KITOButtonView* button, int event, cocos2d::Touch* touch) override;
    void scrollViewDidScroll(KITOScrollView* view) override;

    // Slides to the page delta pages on, within the first and the last;
    // false when there is none that way.
    bool turnPage(int delta);
    // What the close button does: the view goes and is not shown by itself again.
    void close();
    bool isClosing() { return getActionByTag(kClosingTag) != nullptr; }

    int getCurrentPage() const { return currentPage; }
    KITOScrollView* getScrollView() const { return scrollView; }
    KITOButtonView* getCloseButton() const { return closeButton; }
    cocos2d::Sprite* getPagerDot(int index) const { return pagerDots.at(index); }
    cocos2d::Sprite* getLeftArrow() const { return leftArrow; }
    cocos2d::Sprite* getRightArrow() const { return rightArrow; }

private:
    // Marks the removal under way, so a second close is no second removal.
    static constexpr int kClosingTag = 0x6c05;

    void showPage(int page);

    int currentPage = 0;
    KITOScrollView* scrollView = nullptr;
    KITOButtonView* closeButton = nullptr;
    std::array<cocos2d::Sprite*, pageCount> pagerDots {};
    cocos2d::Sprite* leftArrow = nullptr;
    cocos2d::Sprite* rightArrow = nullptr;
};

} // namespace CocosKito
