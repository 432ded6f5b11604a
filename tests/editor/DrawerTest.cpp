#include "EditingFixture.h"

USING_NS_CC;

// The drawer starts peeking (the fixture puts it there). The panel is
// 868 points high, so on the 768-point screen it rests at y = 334 open,
// 1102 peeking and 1202 hidden.
class DrawerTest : public EditingTest {
protected:
    float y() const { return ed->drawer().panel()->getPositionY(); }
    float open() const { return ed->drawer().openY(); }
    float peek() const { return ed->drawer().peekingY(); }
    float hidden() const { return ed->drawer().hiddenY(); }
    static Vec2 worldCentre(Node* node) { return node->getParent()->convertToWorldSpace(node->getPosition()); }
    Vec2 tab() const { return worldCentre(ed->drawer().tab()); }
    Vec2 settings() const { return worldCentre(ed->drawer().settingsIcon()); }

    void tapAt(const Vec2& point)
    {
        app->touchDown(0, point);
        app->frame();
        app->touchUp(0);
    }
    // Drags from the point by the offset: all but its last `last` points in
    // one move, those in a second move a frame later; the finger stays down.
    void drag(const Vec2& from, const Vec2& offset, float last)
    {
        app->touchDown(0, from);
        app->frame();
        const Vec2 lastStep = offset.getNormalized() * last;
        app->touchMove(0, from + offset - lastStep);
        app->frame();
        app->touchMove(0, from + offset);
        app->frame();
    }
    // The same, lifting the finger right after the last move.
    void pull(const Vec2& from, const Vec2& offset, float last)
    {
        drag(from, offset, last);
        app->touchUp(0);
    }
    // A slide's first frame is its start, so it ends one frame after its time.
    void slid() { app->advance(0.7), app->frame(); }
    void peeked() { app->advance(0.5), app->frame(); }
    void openDrawer()
    {
        ed->slideDrawer(true);
        slid();
        ASSERT_FLOAT_EQ(y(), open());
    }
};

TEST_F(DrawerTest, TapsOnTheTabToggleHiddenAndPeekingInHalfASecond)
{
    ASSERT_TRUE(ed->mode().wheelEnabled());
    tapAt(tab());
    EXPECT_FALSE(ed->mode().drawerPeeking());
    app->advance(0.25);
    EXPECT_GT(y(), peek());
    EXPECT_LT(y(), hidden());
    app->advance(0.25);
    EXPECT_LT(y(), hidden());
    app->frame();
    EXPECT_FLOAT_EQ(y(), hidden());
    EXPECT_FLOAT_EQ(ed->drawer().panel()->getPositionX(), 512);

    tapAt(tab());
    EXPECT_TRUE(ed->mode().drawerPeeking());
    peeked();
    EXPECT_FLOAT_EQ(y(), peek());
    EXPECT_TRUE(ed->mode().wheelEnabled()) << "peeking leaves the wheel as it was";
}

TEST_F(DrawerTest, UnderFivePointsOfTravelIsATap)
{
    pull(tab(), Vec2(3, -3), 1);
    peeked();
    EXPECT_FLOAT_EQ(y(), hidden()) << "4.2 points: a tap";

    // Ten down and ten back up add up to nothing: a tap again.
    const Vec2 start = tab();
    drag(start, Vec2(0, -10), 5);
    app->touchMove(0, start);
    app->frame();
    app->touchUp(0);
    peeked();
    EXPECT_FLOAT_EQ(y(), peek());

    pull(tab(), Vec2(3, -4), 1);
    peeked();
    EXPECT_FLOAT_EQ(y(), peek()) << "5 points: a drag, which falls back";
    EXPECT_TRUE(ed->mode().drawerPeeking());
    EXPECT_EQ(ed->drawer().tabTravel(), Vec2::ZERO);
}

TEST_F(DrawerTest, TheTabDragsThePanelVerticallyBetweenOpenAndHidden)
{
    const Vec2 start = tab();
    drag(start, Vec2(40, -200), 50);
    EXPECT_FLOAT_EQ(y(), peek() - 200);
    EXPECT_FLOAT_EQ(ed->drawer().panel()->getPositionX(), 512);
    EXPECT_EQ(ed->drawer().tabTravel(), Vec2(40, -200));
    app->touchMove(0, start + Vec2(0, -2000));
    EXPECT_FLOAT_EQ(y(), open());
    app->touchMove(0, start + Vec2(0, 5000));
    EXPECT_FLOAT_EQ(y(), hidden());
    app->touchUp(0);
}

TEST_F(DrawerTest, A350PointTabDragOpensTheDrawerIn07Seconds)
{
    ed->slideDrawer(false); // the wheel on, as after start-up
    slid();
    ASSERT_TRUE(ed->mode().wheelEnabled());
    pull(tab(), Vec2(0, -350), 1);
    EXPECT_FLOAT_EQ(y(), peek() - 350);
    EXPECT_FALSE(ed->mode().wheelEnabled());
    EXPECT_TRUE(ed->mode().drawerPeeking());
    app->advance(0.5);
    EXPECT_GT(y(), open());
    app->advance(0.2);
    app->frame();
    EXPECT_FLOAT_EQ(y(), open());
}

TEST_F(DrawerTest, SlowTabDragsFallBackAndQuickOnesOpen)
{
    // 150 points whose last movement is 5: slow.
    pull(tab(), Vec2(0, -150), 5);
    slid();
    EXPECT_FLOAT_EQ(y(), peek());

    // The same ending with a movement of 6: quick.
    pull(tab(), Vec2(0, -150), 6);
    slid();
    EXPECT_FLOAT_EQ(y(), open());
    ed->slideDrawer(false);
    slid();

    // A quick pull that rested before the finger lifted is a slow one.
    drag(tab(), Vec2(0, -150), 50);
    app->advance(0.1);
    app->touchUp(0);
    slid();
    EXPECT_FLOAT_EQ(y(), peek());

    // A quick pull that stays within 100 points of peeking falls back.
    pull(tab(), Vec2(0, -100), 50);
    slid();
    EXPECT_FLOAT_EQ(y(), peek());

    // Slowly, 300 points fall back and 301 open.
    pull(tab(), Vec2(0, -300), 1);
    slid();
    EXPECT_FLOAT_EQ(y(), peek());
    pull(tab(), Vec2(0, -301), 1);
    slid();
    EXPECT_FLOAT_EQ(y(), open());
}

TEST_F(DrawerTest, PullingThePeekingTab25UpHidesItAndAHiddenOne75DownPeeks)
{
    pull(tab(), Vec2(0, 24), 1);
    peeked();
    EXPECT_FLOAT_EQ(y(), peek());
    EXPECT_TRUE(ed->mode().drawerPeeking());

    pull(tab(), Vec2(0, 25), 1);
    peeked();
    EXPECT_FLOAT_EQ(y(), hidden());
    EXPECT_FALSE(ed->mode().drawerPeeking());

    // Hidden: 24 down stays above peek + 75 and stays hidden; 25 down peeks.
    pull(tab(), Vec2(0, -24), 1);
    peeked();
    EXPECT_FLOAT_EQ(y(), hidden());
    EXPECT_FALSE(ed->mode().drawerPeeking());
    pull(tab(), Vec2(0, -25), 1);
    peeked();
    EXPECT_FLOAT_EQ(y(), peek());
    EXPECT_TRUE(ed->mode().drawerPeeking());
}

TEST_F(DrawerTest, ACancelledTabDragStillEndsAtARestingPlace)
{
    drag(tab(), Vec2(0, -350), 1);
    app->touchCancel(0);
    slid();
    EXPECT_FLOAT_EQ(y(), open());
    EXPECT_EQ(ed->drawer().tabTravel(), Vec2::ZERO);
}

TEST_F(DrawerTest, ATapOnTheSettingsIconClosesTheOpenDrawer)
{
    openDrawer();
    app->touchDown(0, settings());
    EXPECT_EQ(ed->drawer().settingsIcon()->getColor(), Color3B::GRAY);
    app->frame();
    app->touchUp(0);
    EXPECT_EQ(ed->drawer().settingsIcon()->getColor(), Color3B::WHITE);
    EXPECT_TRUE(ed->mode().wheelEnabled());
    EXPECT_TRUE(ed->mode().drawerPeeking());
    app->advance(0.5);
    EXPECT_GT(y(), open());
    EXPECT_LT(y(), peek());
    app->advance(0.2);
    app->frame();
    EXPECT_FLOAT_EQ(y(), peek());

    // While the saved list shows, the drawer goes out of sight instead.
    openDrawer();
    ed->mode().setListShown(true);
    tapAt(settings());
    EXPECT_FALSE(ed->mode().drawerPeeking());
    slid();
    EXPECT_FLOAT_EQ(y(), hidden());
}

TEST_F(DrawerTest, TheSettingsIconNeverLiftsThePanelAbovePeeking)
{
    openDrawer();
    drag(settings(), Vec2(0, 1000), 50);
    EXPECT_FLOAT_EQ(y(), peek());
    app->touchUp(0);
    slid();
    EXPECT_FLOAT_EQ(y(), peek());
    EXPECT_EQ(ed->drawer().settingsTravel(), Vec2::ZERO);
}

TEST_F(DrawerTest, SettingsIconReleaseRules)
{
    // 301 up closes whatever the pace; 300 slowly opens again.
    openDrawer();
    pull(settings(), Vec2(0, 300), 1);
    slid();
    EXPECT_FLOAT_EQ(y(), open());
    pull(settings(), Vec2(0, 301), 1);
    slid();
    EXPECT_FLOAT_EQ(y(), peek());

    // 150 up ending with a movement of 5 opens again; of 6, closes.
    openDrawer();
    pull(settings(), Vec2(0, 150), 5);
    slid();
    EXPECT_FLOAT_EQ(y(), open());
    EXPECT_FALSE(ed->mode().wheelEnabled());
    pull(settings(), Vec2(0, 150), 6);
    slid();
    EXPECT_FLOAT_EQ(y(), peek());

    // Within 100 points of open it opens again however quick.
    openDrawer();
    pull(settings(), Vec2(0, 100), 50);
    slid();
    EXPECT_FLOAT_EQ(y(), open());
    EXPECT_EQ(ed->drawer().settingsIcon()->getColor(), Color3B::WHITE);
}

TEST_F(DrawerTest, ANewSlideReplacesTheOneRunning)
{
    ed->slideDrawer(true);
    app->advance(0.1);
    ed->peekDrawer(false);
    app->advance(1.0);
    EXPECT_FLOAT_EQ(y(), hidden());
    EXPECT_FALSE(ed->mode().drawerPeeking());

    // And the other way round: a slide started during a peek wins.
    ed->peekDrawer(true);
    app->advance(0.1);
    ed->slideDrawer(true);
    app->advance(1.0);
    EXPECT_FLOAT_EQ(y(), open());
}

TEST_F(DrawerTest, TheFingerTakesThePanelFromARunningSlide)
{
    ed->peekDrawer(false);
    drag(tab(), Vec2(0, -10), 5);
    const float held = y();
    app->advance(0.5);
    EXPECT_FLOAT_EQ(y(), held);
    app->touchUp(0);
}
