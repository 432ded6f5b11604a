#include <gtest/gtest.h>

#include <vector>

#include "AppConstants.h"
#include "EngineHarness.h"
#include "KITOButtonView.h"

USING_NS_CC;
using CocosKito::KITOButtonView;
using CocosKito::KITOView;

namespace {

struct Recorder : CocosKito::KITOButtonViewDelegate {
    void onButtonViewEvent(KITOButtonView*, int event, Touch*) override { events.push_back(event); }
    std::vector<int> events;
};

using Events = std::vector<int>;

// A 100 x 50 button at (200, 300) inside a full-screen outermost view.
struct ButtonScene {
    explicit ButtonScene(EngineHarness& h, Node* content = nullptr)
    {
        root = KITOView::create();
        root->setContentSize(Size(1024, 768));
        if (!content) content = Sprite::create("res/common_close.png");
        button = KITOButtonView::create(content, &recorder, Size(100, 50));
        button->setPosition(200, 300);
        root->addChild(button);
        h.scene()->addChild(root);
        h.frame();
    }
    Color3B background() const { return button->getChildByName(veloquix::kButtonBackgroundName)->getColor(); }
    KITOView* root;
    KITOButtonView* button;
    Recorder recorder;
};

const Color3B kGrey = Color3B::GRAY;
const Color3B kWhite = Color3B::WHITE;

} // namespace

TEST(KITOButtonView, DragOutAndBackInThenReleaseInside)
{
    EngineHarness h;
    ButtonScene s(h);
    int callbackUps = 0;
    s.button->setCallback(KITOButtonView::TouchUpInside, [&](KITOButtonView*, Touch*) { ++callbackUps; });

    h.touchDown(0, Vec2(250, 320));
    EXPECT_EQ(s.background(), kGrey);
    h.touchMove(0, Vec2(260, 320));
    h.touchMove(0, Vec2(400, 320));
    EXPECT_EQ(s.background(), kWhite);
    h.touchMove(0, Vec2(410, 320));
    h.touchMove(0, Vec2(250, 330));
    EXPECT_EQ(s.background(), kGrey);
    h.touchUp(0);
    EXPECT_EQ(s.background(), kWhite);
    EXPECT_EQ(s.recorder.events, (Events{1, 5, 6, 6, 5, 3}));
    EXPECT_EQ(callbackUps, 1);
    EXPECT_FALSE(s.button->isPressed());
}

TEST(KITOButtonView, ReleaseDecidedByLastMoveNotByTheReleasePoint)
{
    EngineHarness h;
    ButtonScene s(h);
    h.touchDown(0, Vec2(250, 320));
    h.touchMove(0, Vec2(500, 320));
    h.touchUp(0);
    EXPECT_EQ(s.recorder.events, (Events{1, 6, 4}));
    EXPECT_EQ(s.background(), kWhite);
}

TEST(KITOButtonView, EdgesCountAsInside)
{
    EngineHarness h;
    ButtonScene s(h);
    h.touchDown(0, Vec2(200, 300));
    h.touchMove(0, Vec2(300, 350));
    h.touchUp(0);
    EXPECT_EQ(s.recorder.events, (Events{1, 5, 3}));
}

TEST(KITOButtonView, TouchBeginningOutsideRaisesNothingButIsTracked)
{
    EngineHarness h;
    ButtonScene s(h);
    h.touchDown(0, Vec2(150, 320));
    EXPECT_NE(s.button->getTrackingTouch(), nullptr);
    h.touchMove(0, Vec2(250, 320));
    h.touchUp(0);
    EXPECT_TRUE(s.recorder.events.empty());
    EXPECT_EQ(s.button->getTrackingTouch(), nullptr);
}

TEST(KITOButtonView, CancelWhilePressed)
{
    EngineHarness h;
    ButtonScene s(h);
    int cancels = 0;
    s.button->setCallback(KITOButtonView::Cancel, [&](KITOButtonView*, Touch*) { ++cancels; });
    h.touchDown(0, Vec2(250, 320));
    h.touchCancel(0);
    EXPECT_EQ(s.recorder.events, (Events{1, 7}));
    EXPECT_EQ(cancels, 1);
    EXPECT_EQ(s.background(), kWhite);
}

TEST(KITOButtonView, NoColourChangeWithoutHighlight)
{
    EngineHarness h;
    ButtonScene s(h);
    s.button->highlightEnabled = false;
    h.touchDown(0, Vec2(250, 320));
    EXPECT_EQ(s.background(), kWhite);
    h.touchUp(0);
    EXPECT_EQ(s.recorder.events, (Events{1, 3}));
}

TEST(KITOButtonView, NoColourChangeWithANonSpriteBackground)
{
    EngineHarness h;
    ButtonScene s(h, LayerColor::create(Color4B(0, 0, 255, 255), 100, 50));
    const Color3B blue(0, 0, 255);
    h.touchDown(0, Vec2(250, 320));
    EXPECT_EQ(s.background(), blue);
    h.touchMove(0, Vec2(500, 320));
    h.touchUp(0);
    EXPECT_EQ(s.background(), blue);
    EXPECT_EQ(s.recorder.events, (Events{1, 6, 4}));
}

TEST(KITOButtonView, SetColorAndOpacityReachOnlyTheBackground)
{
    EngineHarness h;
    ButtonScene s(h);
    s.button->setColor(Color3B::RED);
    s.button->setOpacity(100);
    EXPECT_EQ(s.background(), Color3B::RED);
    EXPECT_EQ(s.button->getChildByName(veloquix::kButtonBackgroundName)->getOpacity(), 100);
    EXPECT_EQ(s.button->getColor(), kWhite);
    EXPECT_EQ(s.button->getOpacity(), 255);
}

TEST(KITOButtonView, RemovedWhilePressedComesBackWhite)
{
    EngineHarness h;
    ButtonScene s(h);
    s.button->retain();
    h.touchDown(0, Vec2(250, 320));
    EXPECT_EQ(s.background(), kGrey);
    s.button->removeFromParent();
    EXPECT_EQ(s.background(), kWhite);
    s.button->release();
}

TEST(KITOButtonView, CloseButtonIsThePictureSized)
{
    EngineHarness h;
    Recorder recorder;
    KITOButtonView* button = KITOButtonView::createCloseButton(&recorder);
    ASSERT_NE(button, nullptr);
    Node* background = button->getChildByName(veloquix::kButtonBackgroundName);
    ASSERT_NE(background, nullptr);
    EXPECT_EQ(button->getContentSize(), background->getContentSize());
    EXPECT_TRUE(background->isIgnoreAnchorPointForPosition());
    EXPECT_EQ(button->getDelegate(), &recorder);
}
