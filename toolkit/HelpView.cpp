#include "HelpView.h"

#include <algorithm>

USING_NS_CC;

namespace CocosKito {

namespace {

// The fourth page deliberately shows picture 06 and the fifth picture 04.
const char* const pageFiles[HelpView::pageCount] = {
    "res/help_01.png", "res/help_02.png", "res/help_03.png", "res/help_06.png", "res/help_04.png",
};
const char* const dotOff = "res/help_pager_off.png";
const char* const dotOn = "res/help_pager_on.png";

} // namespace

HelpView* HelpView::create()
{
    auto* view = new HelpView();
    if (view->init()) {
        view->autorelease();
        return view;
    }
    delete view;
    return nullptr;
}

bool HelpView::init()
{
    if (!KITOView::init()) return false;
    const Size visible = Director::getInstance()->getVisibleSize();
    const float w = visible.width;
    const float h = visible.height;

    addChild(LayerColor::create(Color4B::BLACK));

    scrollView = KITOScrollView::create();
    scrollView->setAnchorPoint(Vec2::ZERO);
    scrollView->setPosition(Vec2::ZERO);
    scrollView->setContentSize(Size(w, h));
    scrollView->container->setContentSize(Size(w * 5.0f, h));
    scrollView->container->setPosition(Vec2::ZERO);
    scrollView->bounceHorizontal = true;
    scrollView->bounceVertical = false;
    scrollView->clippingEnabled = true;
    scrollView->pagingEnabled = true;
    scrollView->delegate = this;
    addChild(scrollView);

    for (int i = 0; i < pageCount; ++i) {
        auto* page = Sprite::create(pageFiles[i]);
        if (!page) return false;
        page->setPosition(Vec2(w * 0.5f + w * i, h * 0.5f));
        scrollView->container->addChild(page);
    }

    // The dots belong to the viewport, not to the moving container, so they stay put.
    for (int i = 0; i < pageCount; ++i) {
        auto* dot = Sprite::create(dotOff);
        if (!dot) return false;
        dot->setPosition(Vec2(((w * 0.5f + 17.75f) - 88.75f) + i * 35.5f, 80.0f));
        scrollView->addChild(dot);
        pagerDots[i] = dot;
    }

    closeButton = KITOButtonView::createCloseButton(this);
    if (!closeButton) return false;
    closeButton->setPosition(Vec2(w - 99.0f, h - 99.0f));
    addChild(closeButton);

    currentPage = 0;
    if (!Director::getInstance()->getTextureCache()->addImage(dotOn)) return false;
    pagerDots[0]->setTexture(dotOn);

    leftArrow = Sprite::create("res/help_arrow_l.png");
    rightArrow = Sprite::create("res/help_arrow_r.png");
    if (!leftArrow || !rightArrow) return false;
    leftArrow->setPosition(Vec2(70.0f, h * 0.5f));
    addChild(leftArrow);
    leftArrow->setVisible(false);

    rightArrow->setPosition(Vec2(w - 70.0f, h * 0.5f));
    addChild(rightArrow);
    rightArrow->setVisible(true);
    return true;
}

void HelpView::scrollViewDidScroll(KITOScrollView* view)
{
    if (view != scrollView) return;
    const float x = scrollView->container->getPositionX();
    const float w = scrollView->getContentSize().width;
    const float pages = x / w;
    showPage(static_cast<int>(0.5 - static_cast<double>(pages)));
}

void HelpView::showPage(int page)
{
    pagerDots[currentPage]->setTexture(dotOff);
    // Quick pulls while the pages spring back can carry the content more than half a
    // page past either end; the nearest real page keeps its dot lit then.
    currentPage = std::clamp(page, 0, pageCount - 1);
    pagerDots[currentPage]->setTexture(dotOn);
    leftArrow->setVisible(currentPage != 0);
    rightArrow->setVisible(currentPage != pageCount - 1);
}

void HelpView::onButtonViewEvent(KITOButtonView* button, int event, Touch* touch)
{
    if (button != closeButton || event != KITOButtonView::TouchUpInside) return;
    close();
}

bool HelpView::turnPage(int delta)
{
    const int page = std::clamp(currentPage + delta, 0, pageCount - 1);
    if (page == currentPage) return false;
    scrollView->scrollTo(-scrollView->getContentSize().width * float(page), scrollView->container->getPositionY());
    return true;
}

void HelpView::close()
{
    if (isClosing()) return;
    Action* leaving = RemoveSelf::create(true);
    leaving->setTag(kClosingTag);
    runAction(leaving);
    UserDefault::getInstance()->setIntegerForKey("Help", 1);
    UserDefault::getInstance()->flush();
}

} // namespace CocosKito
