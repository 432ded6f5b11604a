#include <gtest/gtest.h>

#include <sys/time.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "EngineHarness.h"

USING_NS_CC;

TEST(FrameLoop, AutoreleasedObjectsLiveUntilTheEndOfTheFrameUnlessRetained)
{
    EngineHarness h;
    long before = Ref::liveObjectCount();
    Node* dropped = Node::create();
    Node* kept = Node::create();
    Vector<Node*> list;
    list.pushBack(kept);
    EXPECT_EQ(Ref::liveObjectCount(), before + 2);
    (void)dropped;
    h.frame();
    EXPECT_EQ(Ref::liveObjectCount(), before + 1);
    EXPECT_EQ(kept->getReferenceCount(), 1u);
    list.clear();
    EXPECT_EQ(Ref::liveObjectCount(), before);
}

TEST(FrameLoop, QueuedFunctionsRunBeforeUpdatesAndActionsOnTheMainThread)
{
    EngineHarness h;
    std::vector<std::string> order;
    struct Recorder : Node {
        std::vector<std::string>* order;
        void update(float) override { order->push_back("update"); }
    };
    auto* node = new Recorder();
    node->order = &order;
    node->autorelease();
    h.scene()->addChild(node);
    node->scheduleUpdate();
    node->runAction(CallFunc::create([&] { order.push_back("action"); }));
    std::thread::id mainThread = std::this_thread::get_id();
    std::thread::id ranOn;
    std::thread worker([&] {
        h.director()->getScheduler()->performFunctionInCocosThread([&] {
            ranOn = std::this_thread::get_id();
            order.push_back("queued");
        });
    });
    worker.join();
    h.frame();
    EXPECT_EQ(order, (std::vector<std::string>{"queued", "update", "action"}));
    EXPECT_EQ(ranOn, mainThread);
}

TEST(FrameLoop, ManualClockDrivesDeltaTimeAndGettimeofday)
{
    EngineHarness h;
    struct timeval a, b;
    cocos2d::gettimeofday(&a, nullptr);
    h.advance(0.5);
    cocos2d::gettimeofday(&b, nullptr);
    double elapsed = (b.tv_sec - a.tv_sec) + (b.tv_usec - a.tv_usec) / 1e6;
    EXPECT_NEAR(elapsed, 0.5, 1e-6);
    EXPECT_NEAR(h.director()->getDeltaTime(), 1.0 / 60.0, 1e-6);
}

TEST(FrameLoop, StoppedAnimationRunsNothingAndRestartsWithoutAJump)
{
    EngineHarness h;
    Node* node = Node::create();
    h.scene()->addChild(node);
    node->runAction(MoveBy::create(1.0f, Vec2(60, 0)));
    h.advance(0.5);
    float x = node->getPositionX();
    unsigned int frames = h.director()->getTotalFrames();
    h.director()->stopAnimation();
    h.advance(10.0);
    EXPECT_EQ(h.director()->getTotalFrames(), frames);
    EXPECT_FLOAT_EQ(node->getPositionX(), x);
    h.director()->startAnimation();
    h.frame();
    EXPECT_FLOAT_EQ(node->getPositionX(), x);
    h.advance(0.25);
    EXPECT_NEAR(node->getPositionX(), x + 15, 0.01);
}

TEST(FrameLoop, RestsOnlyWhileNothingRunsIsScheduledOrIsQueued)
{
    EngineHarness h;
    h.frame();
    h.frame();
    EXPECT_TRUE(h.director()->isAtRest());

    Node* node = Node::create();
    h.scene()->addChild(node);
    node->runAction(MoveBy::create(0.5f, Vec2(10, 0)));
    EXPECT_FALSE(h.director()->isAtRest());
    h.advance(0.6);
    EXPECT_TRUE(h.director()->isAtRest());

    int fired = 0;
    node->scheduleOnce([&](float) { ++fired; }, 0.2f, "once");
    EXPECT_FALSE(h.director()->isAtRest());
    h.advance(0.3);
    EXPECT_EQ(fired, 1);
    EXPECT_TRUE(h.director()->isAtRest());

    // A node off the scene keeps its actions and timers, paused.
    node->retain();
    node->removeFromParentAndCleanup(false);
    node->runAction(RepeatForever::create(RotateBy::create(1.0f, 90.0f)));
    node->schedule([](float) {}, "paused");
    EXPECT_TRUE(h.director()->isAtRest());
    h.scene()->addChild(node);
    EXPECT_FALSE(h.director()->isAtRest());
    node->removeFromParentAndCleanup(true);
    node->release();
    EXPECT_TRUE(h.director()->isAtRest());

    // Another thread's function wakes the loop and keeps it from resting until it ran.
    Scheduler* scheduler = h.director()->getScheduler();
    std::atomic<int> wakes{0};
    scheduler->setWakeUpCall([&] { ++wakes; });
    bool ran = false;
    std::thread([&] { scheduler->performFunctionInCocosThread([&] { ran = true; }); }).join();
    scheduler->setWakeUpCall(nullptr);
    EXPECT_EQ(wakes.load(), 1);
    EXPECT_FALSE(h.director()->isAtRest());
    h.frame();
    EXPECT_TRUE(ran);
    EXPECT_TRUE(h.director()->isAtRest());
}

TEST(Resolution, ShowAllLetterboxesAWideWindowAndMapsInputBack)
{
    EngineHarness h(1600, 900);
    GLView* view = h.director()->getOpenGLView();
    EXPECT_FLOAT_EQ(view->getScaleX(), 900.0f / 768.0f);
    const Rect& vp = view->getViewPortRect();
    EXPECT_NEAR(vp.origin.x, (1600 - 1024 * 900.0f / 768.0f) / 2, 0.01);
    EXPECT_FLOAT_EQ(vp.origin.y, 0);
    EXPECT_TRUE(h.director()->getVisibleSize().equals(Size(1024, 768)));

    LayerColor* white = LayerColor::create(Color4B::WHITE);
    h.scene()->addChild(white);
    Vec2 touched;
    auto* l = EventListenerTouchOneByOne::create();
    l->onTouchBegan = [&](Touch* t, Event*) {
        touched = t->getLocation();
        return true;
    };
    h.director()->getEventDispatcher()->addEventListenerWithSceneGraphPriority(l, white);
    h.frame();
    Image* shot = h.capture();
    ASSERT_NE(shot, nullptr);
    ASSERT_EQ(shot->getWidth(), 1600);
    // Bars left and right, the whole design area white between them.
    EXPECT_EQ(EngineHarness::pixelAt(shot, 20, 450).r, 0);
    EXPECT_EQ(EngineHarness::pixelAt(shot, 1580, 450).r, 0);
    EXPECT_EQ(EngineHarness::pixelAt(shot, int(vp.origin.x) + 2, 2).r, 255);
    EXPECT_EQ(EngineHarness::pixelAt(shot, int(vp.getMaxX()) - 2, 897).r, 255);

    h.touchDown(0, Vec2(1000, 10));
    EXPECT_NEAR(touched.x, 1000, 0.01);
    EXPECT_NEAR(touched.y, 10, 0.01);
    EXPECT_TRUE(h.director()->convertToGL(Vec2(5, 8)).equals(Vec2(5, 760)));
}

// A smaller design area in the same window is drawn magnified, pictures
// included, with nothing left over at the edges.
TEST(Resolution, ChangedDesignSizeMagnifiesTheWholeScene)
{
    EngineHarness h;
    GLView* view = h.director()->getOpenGLView();
    view->setDesignResolutionSize(800, 600, ResolutionPolicy::SHOW_ALL);
    EXPECT_FLOAT_EQ(view->getScaleX(), 1024.0f / 800.0f);
    EXPECT_TRUE(h.director()->getVisibleSize().equals(Size(800, 600)));

    LayerColor* white = LayerColor::create(Color4B::WHITE);
    h.scene()->addChild(white);
    Sprite* picture = Sprite::create("res/noimage640.png");
    ASSERT_NE(picture, nullptr);
    picture->setAnchorPoint(Vec2::ZERO);
    picture->setPosition(Vec2::ZERO);
    picture->setColor(Color3B(255, 0, 0));
    h.scene()->addChild(picture);
    h.frame();
    Image* shot = h.capture();
    ASSERT_NE(shot, nullptr);
    EXPECT_EQ(EngineHarness::pixelAt(shot, 1021, 2), Color4B(255, 255, 255, 255));
    // The picture's right edge lands at its width in points times 1.28.
    float right = picture->getContentSize().width * 1.28f;
    EXPECT_EQ(EngineHarness::pixelAt(shot, int(right) + 2, 765).g, 255);
    EXPECT_EQ(EngineHarness::pixelAt(shot, int(right) - 3, 765).g, 0);
}

TEST(Resolution, ContentScaleHalvesPicturePixelsIntoPoints)
{
    EngineHarness h;
    Sprite* sprite = Sprite::create("res/loading.png");
    ASSERT_NE(sprite, nullptr);
    Texture2D* texture = sprite->getTexture();
    EXPECT_FLOAT_EQ(sprite->getContentSize().width, texture->getPixelsWide() / 2.0f);
    EXPECT_TRUE(h.director()->getWinSizeInPixels().equals(Size(2048, 1536)));
}

TEST(Stats, PanelShowsFrameRateInTheBottomLeftCorner)
{
    EngineHarness h;
    h.director()->setDisplayStats(true);
    h.advance(0.5);
    Image* shot = h.capture();
    ASSERT_NE(shot, nullptr);
    bool lit = false;
    for (int y = 730; y < 768 && !lit; ++y) {
        for (int x = 0; x < 100 && !lit; ++x) lit = EngineHarness::pixelAt(shot, x, y).r == 255;
    }
    EXPECT_TRUE(lit);
    EXPECT_NEAR(h.director()->getFrameRate(), 60.0f, 0.5f);
}
