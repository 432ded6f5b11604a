#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "EngineHarness.h"
#include "KITOView.h"

USING_NS_CC;
using CocosKito::KITOView;

namespace {

using Log = std::vector<std::string>;

// A view whose handlers record what reached them before doing the default routing.
class ProbeView : public KITOView {
public:
    static ProbeView* make(const std::string& name, Log* log, bool claim, const Size& size = Size(1024, 768))
    {
        auto* view = new ProbeView();
        view->init();
        view->autorelease();
        view->name = name;
        view->log = log;
        view->claim = claim;
        view->setContentSize(size);
        return view;
    }
    bool touchBegan(Touch* t, Event* e) override
    {
        log->push_back(name + ":began");
        return KITOView::touchBegan(t, e) || claim;
    }
    void touchMoved(Touch* t, Event* e) override
    {
        log->push_back(name + ":moved");
        KITOView::touchMoved(t, e);
    }
    void touchEnded(Touch* t, Event* e) override
    {
        log->push_back(name + ":ended");
        KITOView::touchEnded(t, e);
    }
    void touchCancelled(Touch* t, Event* e) override
    {
        log->push_back(name + ":cancelled");
        KITOView::touchCancelled(t, e);
    }
    std::string name;
    Log* log = nullptr;
    bool claim = false;
};

// A plain node below the views with a listener that claims everything.
void addListenerBelow(Node* parent, Log* log)
{
    Node* node = Node::create();
    parent->addChild(node, -10);
    auto* listener = EventListenerTouchOneByOne::create();
    listener->onTouchBegan = [log](Touch*, Event*) {
        log->push_back("below:began");
        return true;
    };
    listener->onTouchEnded = [log](Touch*, Event*) { log->push_back("below:ended"); };
    node->getEventDispatcher()->addEventListenerWithSceneGraphPriority(listener, node);
}


bool isRed(Image* image, float x, float y)
{
    Color4B c = EngineHarness::pixelAt(image, int(x), int(768 - 1 - y));
    return c.r > 200 && c.g < 50 && c.b < 50;
}

// A clipping view filled with red beyond its own rectangle.
KITOView* redClipper(const Vec2& position, const Size& size)
{
    KITOView* view = KITOView::create();
    view->clippingEnabled = true;
    view->setPosition(position);
    view->setContentSize(size);
    LayerColor* fill = LayerColor::create(Color4B::RED, 2048, 2048);
    fill->setPosition(-1024, -1024);
    view->addChild(fill);
    return view;
}

} // namespace

TEST(KITOViewTouches, TopmostChildFirstFirstClaimerWinsAndEveryTrackerHearsTheEnd)
{
    EngineHarness h;
    Log log;
    ProbeView* outer = ProbeView::make("outer", &log, false);
    outer->addChild(ProbeView::make("a", &log, true));
    outer->addChild(ProbeView::make("b", &log, false));
    outer->addChild(ProbeView::make("c", &log, true), -1);
    h.scene()->addChild(outer);
    h.frame();
    EXPECT_NE(outer->getTouchListener(), nullptr);
    EXPECT_EQ(outer->getChildren().at(1)->getChildrenCount(), 0);
    EXPECT_EQ(static_cast<KITOView*>(outer->getChildren().at(1))->getTouchListener(), nullptr);

    h.touchDown(0, Vec2(10, 10));
    EXPECT_EQ(log, (Log{"outer:began", "b:began", "a:began"}));
    log.clear();
    h.touchMove(0, Vec2(20, 10));
    h.touchUp(0);
    // b refused the touch but still tracked it, so it hears the move and the end; c was never asked.
    EXPECT_EQ(log, (Log{"outer:moved", "b:moved", "a:moved", "outer:ended", "b:ended", "a:ended"}));
    for (Node* child : outer->getChildren()) EXPECT_EQ(static_cast<KITOView*>(child)->getTrackingTouch(), nullptr);
}

TEST(KITOViewTouches, SecondTouchWhileTrackingIsClaimedButIgnored)
{
    EngineHarness h;
    Log log;
    ProbeView* outer = ProbeView::make("outer", &log, false);
    h.scene()->addChild(outer);
    addListenerBelow(h.scene(), &log);
    h.frame();
    h.touchDown(0, Vec2(10, 10));
    h.touchDown(1, Vec2(50, 50));
    h.touchMove(1, Vec2(60, 50));
    h.touchUp(1);
    EXPECT_EQ(log, (Log{"outer:began"}));
    h.touchUp(0);
    EXPECT_EQ(log, (Log{"outer:began", "outer:ended"}));
}

TEST(KITOViewTouches, DisabledOutermostViewLetsTheTouchGoBelow)
{
    EngineHarness h;
    Log log;
    ProbeView* outer = ProbeView::make("outer", &log, true);
    outer->touchEnabled = false;
    h.scene()->addChild(outer);
    addListenerBelow(h.scene(), &log);
    h.frame();
    h.touchDown(0, Vec2(10, 10));
    h.touchUp(0);
    EXPECT_EQ(log, (Log{"below:began", "below:ended"}));
}

TEST(KITOViewTouches, ClippingOutermostViewSwallowsOutsideTouchWithoutTracking)
{
    EngineHarness h;
    Log log;
    ProbeView* outer = ProbeView::make("outer", &log, true, Size(100, 100));
    outer->clippingEnabled = true;
    outer->setPosition(200, 200);
    h.scene()->addChild(outer);
    addListenerBelow(h.scene(), &log);
    h.frame();

    h.touchDown(0, Vec2(150, 250));
    EXPECT_EQ(outer->getTrackingTouch(), nullptr);
    h.touchMove(0, Vec2(250, 250));
    h.touchUp(0);
    EXPECT_TRUE(log.empty());

    h.touchDown(1, Vec2(250, 250));
    h.touchUp(1);
    EXPECT_EQ(log, (Log{"outer:began", "outer:ended"}));
}

TEST(KITOViewTouches, ViewBelowANonViewNodeHasAParentViewButGetsNoTouches)
{
    EngineHarness h;
    Log log;
    ProbeView* outer = ProbeView::make("outer", &log, false);
    Node* plain = Node::create();
    ProbeView* hidden = ProbeView::make("hidden", &log, true);
    plain->addChild(hidden);
    outer->addChild(plain);
    h.scene()->addChild(outer);
    h.frame();
    EXPECT_EQ(hidden->getParentView(), outer);
    EXPECT_EQ(hidden->getTouchListener(), nullptr);
    h.touchDown(0, Vec2(10, 10));
    h.touchUp(0);
    EXPECT_EQ(log, (Log{"outer:began", "outer:ended"}));
}

TEST(KITOViewTouches, ReAddingAViewRegistersAFreshListener)
{
    EngineHarness h;
    Log log;
    ProbeView* view = ProbeView::make("view", &log, true);
    view->retain();
    h.scene()->addChild(view);
    h.frame();
    EventListenerTouchOneByOne* first = view->getTouchListener();
    ASSERT_NE(first, nullptr);
    view->removeFromParent();
    EXPECT_EQ(view->getTouchListener(), nullptr);
    EXPECT_EQ(view->getParentView(), nullptr);

    h.scene()->addChild(view);
    h.frame();
    EXPECT_NE(view->getTouchListener(), nullptr);
    EXPECT_TRUE(h.director()->getEventDispatcher()->hasEventListener(view->getTouchListener()));
    h.touchDown(0, Vec2(10, 10));
    h.touchUp(0);
    EXPECT_EQ(log, (Log{"view:began", "view:ended"}));
    view->release();
}

TEST(KITOViewClipping, NestedClippingViewsDrawOnlyInTheIntersection)
{
    EngineHarness h;
    KITOView* outer = KITOView::create();
    outer->clippingEnabled = true;
    outer->setPosition(100, 100);
    outer->setContentSize(Size(200, 200));
    outer->addChild(redClipper(Vec2(100, 100), Size(200, 200)));
    h.scene()->addChild(outer);
    h.frame();
    Image* image = h.capture();
    EXPECT_TRUE(isRed(image, 250, 250));
    EXPECT_TRUE(isRed(image, 201, 201));
    EXPECT_TRUE(isRed(image, 298, 298));
    EXPECT_FALSE(isRed(image, 150, 150)); // inside the outer view only
    EXPECT_FALSE(isRed(image, 350, 350)); // inside the inner view only
    EXPECT_FALSE(isRed(image, 250, 320));
    EXPECT_FALSE(h.director()->getOpenGLView()->isScissorEnabled());
}

TEST(KITOViewClipping, NonClippingViewPassesTheOuterRectangleOn)
{
    EngineHarness h;
    KITOView* outer = KITOView::create();
    outer->clippingEnabled = true;
    outer->setPosition(100, 100);
    outer->setContentSize(Size(200, 200));
    KITOView* middle = KITOView::create();
    middle->setPosition(50, 50);
    middle->setContentSize(Size(10, 10));
    // The inner clipper covers the outer rectangle and more; the middle view is tiny but
    // does not clip, so only the outer rectangle limits the drawing.
    middle->addChild(redClipper(Vec2(-100, -100), Size(600, 600)));
    outer->addChild(middle);
    h.scene()->addChild(outer);
    h.frame();
    Image* image = h.capture();
    EXPECT_TRUE(isRed(image, 110, 110));
    EXPECT_TRUE(isRed(image, 290, 290));
    EXPECT_FALSE(isRed(image, 90, 200));
    EXPECT_FALSE(isRed(image, 200, 310));
}

TEST(KITOViewClipping, ViewOutsideItsClippingParentIsNotVisitedAtAll)
{
    EngineHarness h;
    int visits = 0;
    struct Counter : Node {
        int* visits = nullptr;
        void visit(Renderer* r, const Mat4& t, uint32_t f) override
        {
            ++*visits;
            Node::visit(r, t, f);
        }
    };
    KITOView* outer = KITOView::create();
    outer->clippingEnabled = true;
    outer->setPosition(100, 100);
    outer->setContentSize(Size(200, 200));
    KITOView* inner = redClipper(Vec2(10, 10), Size(100, 100));
    auto* counter = new Counter();
    counter->visits = &visits;
    counter->autorelease();
    inner->addChild(counter);
    outer->addChild(inner);
    h.scene()->addChild(outer);
    h.frame();
    EXPECT_EQ(visits, 1);
    EXPECT_TRUE(isRed(h.capture(), 150, 150));

    inner->setPosition(250, 10); // scrolled out to the right
    visits = 0;
    h.frame();
    Image* image = h.capture();
    EXPECT_EQ(visits, 0);
    for (float x = 100; x < 400; x += 10) EXPECT_FALSE(isRed(image, x, 150)) << x;
}

TEST(KITOViewTouches, ViewRemovedDuringATouchFollowsNewTouchesWhenAddedAgain)
{
    EngineHarness h;
    Log log;
    ProbeView* view = ProbeView::make("view", &log, true);
    view->retain();
    h.scene()->addChild(view);
    h.frame();
    h.touchDown(0, Vec2(10, 10));
    view->removeFromParent();
    EXPECT_EQ(view->getTrackingTouch(), nullptr);
    h.touchUp(0);

    h.scene()->addChild(view);
    h.frame();
    log.clear();
    h.touchDown(1, Vec2(20, 20));
    h.touchUp(1);
    EXPECT_EQ(log, (Log{"view:began", "view:ended"}));
    view->release();
}
