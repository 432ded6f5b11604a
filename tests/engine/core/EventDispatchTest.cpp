#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "EngineHarness.h"

USING_NS_CC;

namespace {

// A full-screen node whose listener records what it heard.
struct Probe {
    Node* node;
    EventListenerTouchOneByOne* listener;
};

Probe addProbe(Node* parent, const std::string& name, std::vector<std::string>* log, bool claim, bool swallow,
               int z = 0)
{
    Node* node = Node::create();
    node->setContentSize(Size(1024, 768));
    parent->addChild(node, z);
    auto* listener = EventListenerTouchOneByOne::create();
    listener->setSwallowTouches(swallow);
    listener->onTouchBegan = [=](Touch*, Event*) {
        log->push_back(name + ":began");
        return claim;
    };
    listener->onTouchMoved = [=](Touch*, Event*) { log->push_back(name + ":moved"); };
    listener->onTouchEnded = [=](Touch*, Event*) { log->push_back(name + ":ended"); };
    listener->onTouchCancelled = [=](Touch*, Event*) { log->push_back(name + ":cancelled"); };
    node->getEventDispatcher()->addEventListenerWithSceneGraphPriority(listener, node);
    return {node, listener};
}

using Log = std::vector<std::string>;

} // namespace

TEST(EventDispatch, TopmostNodeIsAskedFirstByZOrderThenOrderOfAddition)
{
    EngineHarness h;
    Log log;
    addProbe(h.scene(), "low", &log, false, false, 0);
    addProbe(h.scene(), "high", &log, false, false, 5);
    addProbe(h.scene(), "later", &log, false, false, 0);
    addProbe(h.scene(), "below", &log, false, false, -1);
    h.touchDown(0, Vec2(10, 10));
    EXPECT_EQ(log, (Log{"high:began", "later:began", "low:began", "below:began"}));
}

// The order is worked out once and kept between events: every change that
// moves it must be seen by the next event.
TEST(EventDispatch, OrderFollowsZOrderChildrenAndListenersChangedBetweenTouches)
{
    EngineHarness h;
    Log log;
    Probe a = addProbe(h.scene(), "a", &log, false, false, 0);
    Probe b = addProbe(h.scene(), "b", &log, false, false, 1);
    auto touch = [&] {
        log.clear();
        h.touchDown(0, Vec2(10, 10));
        h.touchUp(0);
        return log;
    };
    EXPECT_EQ(touch(), (Log{"b:began", "a:began"}));
    a.node->setLocalZOrder(2);
    EXPECT_EQ(touch(), (Log{"a:began", "b:began"}));
    b.node->setGlobalZOrder(1);
    EXPECT_EQ(touch(), (Log{"b:began", "a:began"}));
    b.node->setGlobalZOrder(0);
    Probe child = addProbe(b.node, "child", &log, false, false);
    EXPECT_EQ(touch(), (Log{"a:began", "child:began", "b:began"}));
    b.node->removeChild(child.node);
    a.node->getEventDispatcher()->removeEventListener(a.listener);
    EXPECT_EQ(touch(), (Log{"b:began"}));
    addProbe(h.scene(), "c", &log, false, false, 1);
    h.scene()->reorderChild(b.node, 3);
    EXPECT_EQ(touch(), (Log{"b:began", "c:began"}));
}

TEST(EventDispatch, ChildIsAskedBeforeItsParentAndNegativeChildAfter)
{
    EngineHarness h;
    Log log;
    Probe parent = addProbe(h.scene(), "parent", &log, false, false);
    addProbe(parent.node, "child", &log, false, false, 1);
    addProbe(parent.node, "under", &log, false, false, -1);
    h.touchDown(0, Vec2(10, 10));
    EXPECT_EQ(log, (Log{"child:began", "parent:began", "under:began"}));
}

TEST(EventDispatch, SwallowingClaimHidesTouchFromLaterListeners)
{
    EngineHarness h;
    Log log;
    addProbe(h.scene(), "bottom", &log, true, false);
    addProbe(h.scene(), "top", &log, true, true);
    h.touchDown(0, Vec2(10, 10));
    h.touchMove(0, Vec2(20, 10));
    h.touchUp(0);
    EXPECT_EQ(log, (Log{"top:began", "top:moved", "top:ended"}));
}

TEST(EventDispatch, NonSwallowingClaimsShareTheTouchAndUnclaimedHearNothingMore)
{
    EngineHarness h;
    Log log;
    addProbe(h.scene(), "c", &log, true, false);
    addProbe(h.scene(), "b", &log, false, true);
    addProbe(h.scene(), "a", &log, true, false);
    h.touchDown(0, Vec2(10, 10));
    h.touchMove(0, Vec2(20, 10));
    h.touchUp(0);
    // b declined: a swallowing flag without a claim does not stop the touch.
    EXPECT_EQ(log, (Log{"a:began", "b:began", "c:began", "a:moved", "c:moved", "a:ended", "c:ended"}));
}

TEST(EventDispatch, FixedPrioritiesSurroundSceneGraphListeners)
{
    EngineHarness h;
    Log log;
    addProbe(h.scene(), "graph", &log, false, false);
    auto fixed = [&](const std::string& name, int priority) {
        auto* l = EventListenerTouchOneByOne::create();
        l->onTouchBegan = [&log, name](Touch*, Event*) {
            log.push_back(name);
            return false;
        };
        h.director()->getEventDispatcher()->addEventListenerWithFixedPriority(l, priority);
    };
    fixed("after2", 2);
    fixed("after1", 1);
    fixed("before", -1);
    h.touchDown(0, Vec2(10, 10));
    EXPECT_EQ(log, (Log{"before", "graph:began", "after1", "after2"}));
}

TEST(EventDispatch, DisabledListenerIsSkippedButInvisibleNodeStillHears)
{
    EngineHarness h;
    Log log;
    Probe hidden = addProbe(h.scene(), "hidden", &log, false, false);
    Probe off = addProbe(h.scene(), "off", &log, false, false);
    hidden.node->setVisible(false);
    off.listener->setEnabled(false);
    h.touchDown(0, Vec2(10, 10));
    EXPECT_EQ(log, (Log{"hidden:began"}));
}

TEST(EventDispatch, ListenersPauseWithTheirNodeAndGoAwayOnCleanup)
{
    EngineHarness h;
    Log log;
    Probe probe = addProbe(h.scene(), "p", &log, true, false);
    probe.node->retain();
    probe.node->removeFromParentAndCleanup(false);
    h.touchDown(0, Vec2(10, 10));
    h.touchUp(0);
    EXPECT_TRUE(log.empty());

    h.scene()->addChild(probe.node);
    h.touchDown(0, Vec2(10, 10));
    h.touchUp(0);
    EXPECT_EQ(log, (Log{"p:began", "p:ended"}));

    probe.node->removeFromParentAndCleanup(true);
    EXPECT_FALSE(h.director()->getEventDispatcher()->hasEventListener(probe.listener));
    probe.node->release();
}

TEST(EventDispatch, CloneKeepsCallbacksAndSwallowFlag)
{
    EngineHarness h;
    Log log;
    Probe original = addProbe(h.scene(), "orig", &log, true, true);
    auto* copy = original.listener->clone();
    EXPECT_TRUE(copy->isSwallowTouches());
    Node* other = Node::create();
    h.scene()->addChild(other, 3);
    h.director()->getEventDispatcher()->addEventListenerWithSceneGraphPriority(copy, other);
    h.touchDown(0, Vec2(10, 10));
    // The clone (on the node drawn on top) claims and swallows; the original never hears it.
    ASSERT_EQ(log.size(), 1u);
}

TEST(EventDispatch, SeveralFingersAreFollowedSeparately)
{
    EngineHarness h;
    std::vector<int> began, ended;
    Vec2 delta;
    Node* node = Node::create();
    h.scene()->addChild(node);
    auto* l = EventListenerTouchOneByOne::create();
    l->onTouchBegan = [&](Touch* t, Event* e) {
        EXPECT_EQ(e->getCurrentTarget(), node);
        began.push_back(t->getID());
        return true;
    };
    l->onTouchMoved = [&](Touch* t, Event*) {
        if (t->getID() == 1) delta = t->getDelta();
    };
    l->onTouchEnded = [&](Touch* t, Event*) { ended.push_back(t->getID()); };
    h.director()->getEventDispatcher()->addEventListenerWithSceneGraphPriority(l, node);
    h.touchDown(0, Vec2(100, 100));
    h.touchDown(1, Vec2(300, 300));
    h.touchMove(1, Vec2(310, 290));
    h.touchUp(1);
    h.touchUp(0);
    EXPECT_EQ(began, (std::vector<int>{0, 1}));
    EXPECT_EQ(ended, (std::vector<int>{1, 0}));
    EXPECT_FLOAT_EQ(delta.x, 10.0f);
    EXPECT_FLOAT_EQ(delta.y, -10.0f);
}

TEST(EventDispatch, ListenerAddedDuringDispatchWaitsForTheNextTouch)
{
    EngineHarness h;
    int lateCalls = 0;
    Node* node = Node::create();
    h.scene()->addChild(node);
    auto* first = EventListenerTouchOneByOne::create();
    first->onTouchBegan = [&](Touch*, Event*) {
        auto* late = EventListenerTouchOneByOne::create();
        late->onTouchBegan = [&](Touch*, Event*) {
            ++lateCalls;
            return false;
        };
        h.director()->getEventDispatcher()->addEventListenerWithFixedPriority(late, 1);
        return false;
    };
    h.director()->getEventDispatcher()->addEventListenerWithSceneGraphPriority(first, node);
    h.touchDown(0, Vec2(1, 1));
    EXPECT_EQ(lateCalls, 0);
    h.touchUp(0);
    first->setEnabled(false);
    h.touchDown(0, Vec2(1, 1));
    EXPECT_EQ(lateCalls, 1);
}

TEST(EventDispatch, WheelGivesOneTenthPerNotchAtTheCursor)
{
    EngineHarness h;
    float scroll = 0;
    Vec2 cursor;
    Node* node = Node::create();
    h.scene()->addChild(node);
    auto* mouse = EventListenerMouse::create();
    mouse->onMouseScroll = [&](EventMouse* e) {
        scroll = e->getScrollY();
        cursor = Vec2(e->getCursorX(), e->getCursorY());
    };
    h.director()->getEventDispatcher()->addEventListenerWithSceneGraphPriority(mouse, node);
    h.director()->getOpenGLView()->handleMouseWheel(100, 68, 0, 1);
    EXPECT_FLOAT_EQ(scroll, 0.1f);
    EXPECT_FLOAT_EQ(cursor.x, 100);
    EXPECT_FLOAT_EQ(cursor.y, 700);
    h.wheel(-0.25f, Vec2(512, 384));
    EXPECT_FLOAT_EQ(scroll, -0.25f);
}

TEST(EventDispatch, ManyListenersLeaveInAnyOrderAndTheRestKeepTheirTurns)
{
    EngineHarness h;
    h.frame();
    const long before = Ref::liveObjectCount();
    Log log;
    std::vector<Probe> probes;
    for (int i = 0; i < 100; ++i) probes.push_back(addProbe(h.scene(), std::to_string(i), &log, false, false, i % 7));
    EventDispatcher* dispatcher = h.director()->getEventDispatcher();
    // Every other one from the front, then most of the rest from the back:
    // removals both ways, the listing compacted on the way.
    for (int i = 0; i < 100; i += 2) probes[size_t(i)].node->removeFromParentAndCleanup(true);
    for (int i = 99; i > 20; i -= 2) dispatcher->removeEventListenersForTarget(probes[size_t(i)].node);
    Log expected;
    for (int z = 6; z >= 0; --z)
        for (int i = 19; i >= 1; i -= 2)
            if (i % 7 == z) expected.push_back(std::to_string(i) + ":began");
    h.touchDown(0, Vec2(10, 10));
    EXPECT_EQ(log, expected);
    EXPECT_FALSE(dispatcher->hasEventListener(probes[0].listener));
    EXPECT_FALSE(dispatcher->hasEventListener(probes[99].listener));
    EXPECT_TRUE(dispatcher->hasEventListener(probes[1].listener));

    // Paused and resumed with their parent, recursively.
    Node* parent = Node::create();
    h.scene()->addChild(parent, 10);
    Probe child = addProbe(parent, "child", &log, false, false);
    dispatcher->pauseEventListenersForTarget(parent, true);
    log.clear();
    h.touchDown(1, Vec2(10, 10));
    EXPECT_EQ(log.size(), expected.size());
    dispatcher->resumeEventListenersForTarget(parent, true);
    log.clear();
    h.touchDown(2, Vec2(10, 10));
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.front(), "child:began");
    (void)child;
    for (int touch = 0; touch < 3; ++touch) h.touchUp(touch);

    h.scene()->removeAllChildrenWithCleanup(true);
    h.frame();
    EXPECT_EQ(Ref::liveObjectCount(), before);
}

TEST(EventDispatch, ListenerRemovedAndAddedAgainDuringDispatchHearsOnce)
{
    EngineHarness h;
    int calls = 0;
    Node* node = Node::create();
    h.scene()->addChild(node);
    EventDispatcher* dispatcher = h.director()->getEventDispatcher();
    auto* listener = EventListenerTouchOneByOne::create();
    listener->onTouchBegan = [&](Touch*, Event*) {
        ++calls;
        listener->retain();
        dispatcher->removeEventListener(listener);
        dispatcher->addEventListenerWithSceneGraphPriority(listener, node);
        listener->release();
        return false;
    };
    dispatcher->addEventListenerWithSceneGraphPriority(listener, node);
    h.frame();
    const unsigned int references = listener->getReferenceCount();
    h.touchDown(0, Vec2(1, 1));
    EXPECT_EQ(calls, 1);
    h.touchUp(0);
    h.touchDown(0, Vec2(1, 1));
    EXPECT_EQ(calls, 2);
    h.frame();
    EXPECT_EQ(listener->getReferenceCount(), references);
}

TEST(EventDispatch, RemovingAListenerFreedSinceItsNodeLeftReadsNothingOfIt)
{
    EngineHarness h;
    EventDispatcher* dispatcher = h.director()->getEventDispatcher();
    Node* node = Node::create();
    h.scene()->addChild(node);
    auto* listener = EventListenerTouchOneByOne::create();
    listener->onTouchBegan = [](Touch*, Event*) { return false; };
    dispatcher->addEventListenerWithSceneGraphPriority(listener, node);
    h.frame();
    // Cleaned up with its node, the listener is freed; a holder that kept
    // its address (as a view's destructor does) removes it once more.
    node->removeFromParentAndCleanup(true);
    dispatcher->removeEventListener(listener);
    EXPECT_FALSE(dispatcher->hasEventListener(listener));
}
