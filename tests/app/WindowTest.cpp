#include <SDL.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "AppConstants.h"
#include "AppHarness.h"
#include "WindowPlacement.h"
#include "WindowTitle.h"

USING_NS_CC;
using veloquix::choosePlacement;
using veloquix::decodePlacement;
using veloquix::encodePlacement;
using veloquix::firstPlacement;
using veloquix::fitToDisplays;

namespace {

const Size kDesign(1024, 768);

// The whole window, title bar included, within the usable area.
bool inside(const Rect& window, const Rect& usable)
{
    return window.getMinX() >= usable.getMinX() && window.getMaxX() <= usable.getMaxX() &&
           window.getMinY() >= usable.getMinY() &&
           window.getMaxY() + veloquix::titleBarAllowance(usable) <= usable.getMaxY();
}

WindowPlacement kept(float x, float y, float w, float h)
{
    WindowPlacement placement;
    placement.bounds = Rect(x, y, w, h);
    placement.positioned = true;
    return placement;
}

} // namespace

TEST(WindowPlacement, FirstLaunchIsAsLargeAsFitsAtTheDesignAspectUpToTwice)
{
    // A laptop screen with a panel at the top: not off the bottom any more.
    Rect laptop(0, 28, 1366, 740);
    WindowPlacement small = firstPlacement(kDesign, laptop);
    EXPECT_TRUE(inside(small.bounds, laptop));
    EXPECT_NEAR(small.bounds.size.width / small.bounds.size.height, 4.0f / 3.0f, 0.01f);
    EXPECT_GT(small.bounds.size.height, 680.0f);
    EXPECT_NEAR(small.bounds.getMidX(), laptop.getMidX(), 1.0f);

    // A large screen: twice the design size, no more, centred.
    Rect large(0, 0, 3840, 2160);
    WindowPlacement big = firstPlacement(kDesign, large);
    EXPECT_EQ(big.bounds.size, Size(2048, 1536));
    EXPECT_TRUE(inside(big.bounds, large));
    EXPECT_NEAR(big.bounds.getMidX(), 1920.0f, 1.0f);

    // A 2560 x 1600 screen at 192 dpi: nearly twice, not a third of it.
    WindowPlacement dense = firstPlacement(kDesign, Rect(0, 32, 2560, 1568));
    EXPECT_GT(dense.bounds.size.width, 1900.0f);
    EXPECT_TRUE(inside(dense.bounds, Rect(0, 32, 2560, 1568)));
}

TEST(WindowPlacement, KeptPlacementIsBroughtOntoTheDisplaysPresent)
{
    const std::vector<Rect> two{Rect(0, 0, 1920, 1080), Rect(1920, 0, 1280, 1024)};
    // On the second display, as it was.
    WindowPlacement right = fitToDisplays(kept(2000, 100, 1000, 750), two);
    EXPECT_TRUE(right.bounds.equals(Rect(2000, 100, 1000, 750)));

    // That display is gone: onto the first, centred, whole.
    const std::vector<Rect> one{Rect(0, 0, 1920, 1080)};
    WindowPlacement moved = fitToDisplays(kept(2000, 100, 1000, 750), one);
    EXPECT_TRUE(inside(moved.bounds, one[0]));
    EXPECT_EQ(moved.bounds.size, Size(1000, 750));
    EXPECT_NEAR(moved.bounds.getMidX(), 960.0f, 1.0f);

    // Hanging over an edge: pushed in; larger than the screen: made smaller.
    WindowPlacement edge = fitToDisplays(kept(1500, 900, 800, 600), one);
    EXPECT_TRUE(inside(edge.bounds, one[0]));
    EXPECT_EQ(edge.bounds.size, Size(800, 600));
    WindowPlacement huge = fitToDisplays(kept(-50, -50, 2560, 1600), {Rect(0, 28, 1366, 740)});
    EXPECT_TRUE(inside(huge.bounds, Rect(0, 28, 1366, 740)));

    // The states ride along.
    WindowPlacement full = kept(10, 40, 800, 600);
    full.fullscreen = true;
    full.maximized = true;
    WindowPlacement back = fitToDisplays(full, one);
    EXPECT_TRUE(back.fullscreen);
    EXPECT_TRUE(back.maximized);
}

TEST(WindowPlacement, KeptTextReadsBackAndAnythingElseMeansTheFirstLaunch)
{
    WindowPlacement full = kept(-1200, 35, 1365, 1024);
    full.maximized = true;
    WindowPlacement read;
    ASSERT_TRUE(decodePlacement(encodePlacement(full), &read));
    EXPECT_TRUE(read.bounds.equals(full.bounds));
    EXPECT_TRUE(read.maximized);
    EXPECT_FALSE(read.fullscreen);
    for (const char* bad : {"", "10 10 800 600 0", "10 10 800 600 0 0 7", "10 10 800 600 2 0", "a b c d e f",
                            "10 10 20 20 0 0", "10 10 800 -600 0 0", "10 10 99999999 600 0 0"}) {
        EXPECT_FALSE(decodePlacement(bad, &read)) << bad;
    }
    const std::vector<Rect> laptop{Rect(0, 28, 1366, 740)};
    EXPECT_TRUE(choosePlacement("garbage", laptop, kDesign).bounds.equals(firstPlacement(kDesign, laptop[0]).bounds));
    EXPECT_TRUE(choosePlacement("100 100 800 600 0 0", laptop, kDesign).bounds.equals(Rect(100, 100, 800, 600)));
    WindowPlacement unknown = choosePlacement("", {}, kDesign);
    EXPECT_FALSE(unknown.positioned);
    EXPECT_EQ(unknown.bounds.size, kDesign);
}

TEST(WindowTitle, NamesTheOpenCircuitOnOneLine)
{
    EXPECT_EQ(veloquix::windowTitleFor(""), "VELOQUIX");
    EXPECT_EQ(veloquix::windowTitleFor("  \n"), "VELOQUIX");
    EXPECT_EQ(veloquix::windowTitleFor("Ring 1"), "VELOQUIX \xE2\x80\x94 Ring 1");
    EXPECT_EQ(veloquix::windowTitleFor(" Figure\neight\t"), "VELOQUIX \xE2\x80\x94 Figure eight");

    AppHarness app(true);
    GLView* view = Director::getInstance()->getOpenGLView();
    veloquix::showCircuitInWindowTitle("日本 ring");
    EXPECT_EQ(view->getViewName(), "VELOQUIX \xE2\x80\x94 日本 ring");
    EXPECT_STREQ(SDL_GetWindowTitle(view->getWindow()), "VELOQUIX \xE2\x80\x94 日本 ring");
    veloquix::showCircuitInWindowTitle("");
    EXPECT_STREQ(SDL_GetWindowTitle(view->getWindow()), "VELOQUIX");
}

TEST(WindowPlacement, HeadlessRunsIgnoreAndKeepNoWindowPlacement)
{
    AppHarness app(std::function<void(UserDefault*)>(
        [](UserDefault* store) { store->setStringForKey(veloquix::kWindowPlacementKey, "5 5 400 300 0 1"); }));
    ASSERT_TRUE(app.launched);
    GLView* view = Director::getInstance()->getOpenGLView();
    EXPECT_EQ(view->getFrameSize(), Size(1024, 768));
    EXPECT_FALSE(view->isFullscreen());
    UserDefault::getInstance()->deleteValueForKey(veloquix::kWindowPlacementKey);
    cocos2d::Application::getInstance()->applicationWillTerminate();
    EXPECT_EQ(UserDefault::getInstance()->getStringForKey(veloquix::kWindowPlacementKey), "");
}
