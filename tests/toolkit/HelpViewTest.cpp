#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "EngineHarness.h"
#include "HelpView.h"

USING_NS_CC;
using CocosKito::HelpView;

namespace {

constexpr float W = 1024;
constexpr float H = 768;
const Vec2 closePoint(975, 718);

struct TouchLog {
    int began = 0;
    int moved = 0;
    int ended = 0;
    int total() const { return began + moved + ended; }
};

// An editor-like layer with a full-screen touchable node below where the help goes,
// and the help opened over it the way the editor opens it.
struct OpenHelp {
    explicit OpenHelp(EngineHarness& h)
    {
        editor = Layer::create();
        h.scene()->addChild(editor);
        auto* below = LayerColor::create(Color4B(0, 80, 0, 255));
        editor->addChild(below);
        auto* listener = EventListenerTouchOneByOne::create();
        listener->onTouchBegan = [this](Touch*, Event*) { ++log.began; return true; };
        listener->onTouchMoved = [this](Touch*, Event*) { ++log.moved; };
        listener->onTouchEnded = [this](Touch*, Event*) { ++log.ended; };
        below->getEventDispatcher()->addEventListenerWithSceneGraphPriority(listener, below);

        help = HelpView::create();
        help->setAnchorPoint(Vec2::ZERO);
        help->setPosition(Vec2::ZERO);
        help->retain(); // kept past its removal so the test can look at it
        editor->addChild(help);
        h.frame();
    }
    ~OpenHelp() { help->release(); }

    float x() const { return help->getScrollView()->container->getPositionX(); }
    bool isOpen() const { return help->getParent() == editor; }

    Layer* editor;
    HelpView* help;
    TouchLog log;
};

Texture2D* texture(const std::string& file)
{
    return Director::getInstance()->getTextureCache()->addImage(file);
}

// Exactly the dot of `page` shows the lit picture; the arrows say which sides have pages.
void expectPage(const OpenHelp& o, int page)
{
    EXPECT_EQ(o.help->getCurrentPage(), page);
    for (int i = 0; i < HelpView::pageCount; ++i) {
        const char* want = i == page ? "res/help_pager_on.png" : "res/help_pager_off.png";
        EXPECT_EQ(o.help->getPagerDot(i)->getTexture(), texture(want)) << "dot " << i;
    }
    EXPECT_EQ(o.help->getLeftArrow()->isVisible(), page != 0);
    EXPECT_EQ(o.help->getRightArrow()->isVisible(), page != HelpView::pageCount - 1);
}

// A horizontal drag in equal steps; the release speed is half a step. The pages
// rest during a drag, so frames in between would change nothing.
void drag(EngineHarness& h, Vec2 from, float dx, int steps)
{
    h.touchDown(0, from);
    for (int i = 1; i <= steps; ++i) h.touchMove(0, from + Vec2(dx * i / steps, 0));
    h.touchUp(0);
}

bool near(const Color4B& a, const Color4B& b, int tolerance)
{
    return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance && std::abs(a.b - b.b) <= tolerance;
}

} // namespace

TEST(HelpView, OpensOnTheFirstPageInTheGivenLayout)
{
    EngineHarness h;
    OpenHelp o(h);
    expectPage(o, 0);
    EXPECT_EQ(o.x(), 0);

    auto& children = o.help->getChildren();
    ASSERT_EQ(children.size(), 5u);
    EXPECT_NE(dynamic_cast<LayerColor*>(children.at(0)), nullptr);
    EXPECT_EQ(children.at(1), o.help->getScrollView());
    EXPECT_EQ(children.at(2), o.help->getCloseButton());
    EXPECT_EQ(children.at(3), o.help->getLeftArrow());
    EXPECT_EQ(children.at(4), o.help->getRightArrow());
    EXPECT_EQ(o.help->getCloseButton()->getPosition(), Vec2(W - 99, H - 99));

    // The pages keep this order; the fourth shows picture 06 and the fifth picture 04.
    const char* files[] = { "res/help_01.png", "res/help_02.png", "res/help_03.png", "res/help_06.png",
        "res/help_04.png" };
    auto& pages = o.help->getScrollView()->container->getChildren();
    ASSERT_EQ(pages.size(), 5u);
    for (int i = 0; i < 5; ++i) {
        auto* page = dynamic_cast<Sprite*>(pages.at(i));
        ASSERT_NE(page, nullptr);
        EXPECT_EQ(page->getTexture(), texture(files[i])) << "page " << i;
        EXPECT_EQ(page->getPosition(), Vec2(W * 0.5f + W * i, H * 0.5f));
    }
    // The dots sit on the viewport, centred around the middle one.
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(o.help->getPagerDot(i)->getParent(), o.help->getScrollView());
        EXPECT_FLOAT_EQ(o.help->getPagerDot(i)->getPositionX(), 441.0f + 35.5f * i);
        EXPECT_FLOAT_EQ(o.help->getPagerDot(i)->getPositionY(), 80.0f);
    }
}

TEST(HelpView, CapturedFrameShowsTheFirstPictureAndTheDotsRow)
{
    EngineHarness h;
    OpenHelp o(h);
    h.frame();
    Image* shot = h.capture();
    ASSERT_NE(shot, nullptr);

    Image picture;
    ASSERT_TRUE(picture.initWithImageFile("res/help_01.png"));
    // Flat areas of the first picture (the dark backdrop and the light board), pictures at twice point size.
    for (Vec2 p : { Vec2(60, 400), Vec2(300, 300), Vec2(950, 200), Vec2(330, 150) }) {
        Color4B seen = EngineHarness::pixelAt(shot, int(p.x), int(H - p.y));
        Color4B want = EngineHarness::pixelAt(&picture, int(p.x * 2), int((H - p.y) * 2));
        EXPECT_TRUE(near(seen, want, 24)) << "at " << p.x << "," << p.y;
    }
    Color4B board = EngineHarness::pixelAt(shot, 300, int(H - 300));
    EXPECT_GT(board.r + board.g + board.b, 300);

    // Dot 0 lit red, dot 1 pale, and nothing of them 12 points above the row at y = 80.
    Color4B lit = EngineHarness::pixelAt(shot, 441, int(H - 80));
    EXPECT_GT(lit.r, 150);
    EXPECT_LT(lit.g, 110);
    Color4B off = EngineHarness::pixelAt(shot, 477, int(H - 80));
    Color4B offInPicture = EngineHarness::pixelAt(&picture, 954, int((H - 80) * 2));
    EXPECT_GT(off.g, offInPicture.g + 40);
    EXPECT_LT(std::abs(off.r - off.g), 30);
    Color4B aboveRow = EngineHarness::pixelAt(shot, 441, int(H - 92));
    Color4B aboveInPicture = EngineHarness::pixelAt(&picture, 882, int((H - 92) * 2));
    EXPECT_TRUE(near(aboveRow, aboveInPicture, 24));
}

TEST(HelpView, DotsAndArrowsFollowTheDragLiveAndPagesMoveOneAtATime)
{
    EngineHarness h;
    OpenHelp o(h);

    // 10 points a step: slow. The first step leaves the first page, so it is divided by 3.2.
    h.touchDown(0, Vec2(900, 400));
    h.frame();
    for (int i = 1; i <= 60; ++i) {
        h.touchMove(0, Vec2(900 - 10 * i, 400));
        if (i % 10 == 0) h.frame();
        if (i == 50) {
            EXPECT_NEAR(o.x(), -(10 / 3.2f + 490), 0.01);
            expectPage(o, 0);
        }
    }
    EXPECT_NEAR(o.x(), -(10 / 3.2f + 590), 0.01);
    expectPage(o, 1); // past half a page while the finger is still down
    h.touchUp(0);
    h.advance(3.0);
    EXPECT_FLOAT_EQ(o.x(), -W);
    expectPage(o, 1);

    // A slow drag under half a page goes back to the same page.
    drag(h, Vec2(900, 400), -400, 40);
    h.advance(3.0);
    EXPECT_FLOAT_EQ(o.x(), -W);
    expectPage(o, 1);

    // Fast flicks of 100 points move one page each and stop at the last one.
    for (int page = 2; page <= 5; ++page) {
        drag(h, Vec2(800, 400), -100, 5);
        h.advance(3.0);
        int want = page < 5 ? page : 4;
        EXPECT_FLOAT_EQ(o.x(), -W * want) << "flick " << page;
        expectPage(o, want);
    }
    EXPECT_TRUE(o.isOpen());
    EXPECT_EQ(o.log.total(), 0);
}

TEST(HelpView, FirstPageFollowsAPullByAThirdAndSpringsBack)
{
    EngineHarness h;
    OpenHelp o(h);
    h.touchDown(0, Vec2(200, 400));
    h.frame();
    for (int i = 1; i <= 32; ++i) {
        h.touchMove(0, Vec2(200 + 10 * i, 400));
        h.frame();
        EXPECT_NEAR(o.x(), i * 10 / 3.2f, 0.01);
        expectPage(o, 0);
    }
    h.touchUp(0);
    float last = o.x();
    for (int frame = 0; frame < 180; ++frame) {
        h.frame();
        EXPECT_LT(std::fabs(o.x() - last), 30.0f) << "frame " << frame;
        EXPECT_EQ(o.help->getCurrentPage(), 0);
        last = o.x();
    }
    EXPECT_FLOAT_EQ(o.x(), 0);
    expectPage(o, 0);
}

TEST(HelpView, PullsFarPastTheLastPageKeepTheLastDotLit)
{
    EngineHarness h;
    OpenHelp o(h);
    o.help->getScrollView()->container->setPosition(-4 * W, 0);

    // Each pull at the end counts a third of the finger's travel; pulls that catch the
    // springing pages add up to more than half a page past the last one.
    for (int pull = 0; pull < 3; ++pull) {
        h.touchDown(0, Vec2(950, 400));
        for (int i = 1; i <= 90; ++i) h.touchMove(0, Vec2(950 - 10 * i, 400));
        h.touchUp(0);
    }
    ASSERT_LT(o.x(), -4.5f * W);
    expectPage(o, 4);
    h.advance(3.0);
    EXPECT_FLOAT_EQ(o.x(), -4 * W);
    expectPage(o, 4);

    o.help->getScrollView()->container->setPosition(0, 0);
    for (int pull = 0; pull < 6; ++pull) {
        h.touchDown(0, Vec2(60, 400));
        for (int i = 1; i <= 90; ++i) h.touchMove(0, Vec2(60 + 10 * i, 400));
        h.touchUp(0);
    }
    ASSERT_GT(o.x(), 1.5f * W);
    expectPage(o, 0);
    h.advance(4.0);
    EXPECT_FLOAT_EQ(o.x(), 0);
    expectPage(o, 0);
}

TEST(HelpView, CloseButtonClosesOnlyOnReleaseInside)
{
    EngineHarness h;
    OpenHelp o(h);
    auto* store = UserDefault::getInstance();

    // Press, slide off, release: still open, and the pages did not move under the drag.
    h.touchDown(0, closePoint);
    h.frame();
    for (int i = 1; i <= 10; ++i) {
        h.touchMove(0, closePoint - Vec2(30 * i, 20 * i));
        h.frame();
    }
    h.touchUp(0);
    h.advance(0.5);
    EXPECT_TRUE(o.isOpen());
    EXPECT_EQ(o.x(), 0);
    EXPECT_EQ(store->getIntegerForKey("Help", 0), 0);

    // A tap elsewhere does not close it either.
    h.touchDown(0, Vec2(512, 384));
    h.touchUp(0);
    h.advance(0.5);
    EXPECT_TRUE(o.isOpen());

    // Press, slide off, slide back, release: it closes.
    h.touchDown(0, closePoint);
    h.touchMove(0, Vec2(600, 400));
    h.frame();
    h.touchMove(0, closePoint + Vec2(10, 10));
    h.frame();
    h.touchUp(0);
    EXPECT_EQ(store->getIntegerForKey("Help", 0), 1);
    h.frame();
    EXPECT_EQ(o.help->getParent(), nullptr);
    EXPECT_EQ(o.help->getTouchListener(), nullptr);
    EXPECT_EQ(o.editor->getChildrenCount(), 1);
    EXPECT_NE(HeadlessDriver::dumpStore().find("\"Help\""), std::string::npos);

    // Nothing reached the editor while the help was open; now it does.
    EXPECT_EQ(o.log.total(), 0);
    h.touchDown(0, Vec2(512, 384));
    h.touchUp(0);
    h.frame();
    EXPECT_EQ(o.log.began, 1);
    EXPECT_EQ(o.log.ended, 1);
}

// With a picture missing the help cannot be made: the opener gets nothing to
// add instead of a view that crashes on its first frame, and the one line
// on stderr names the picture.
TEST(HelpView, IsNotMadeWithoutOneOfItsPictures)
{
    EngineHarness h;
    const std::string res = h.home() + "-res";
    ASSERT_EQ(::mkdir(res.c_str(), 0700), 0);
    ASSERT_EQ(::mkdir((res + "/res").c_str(), 0700), 0);
    for (const char* file : {"help_01.png", "help_02.png", "help_06.png", "help_04.png", "help_pager_off.png",
                             "help_pager_on.png", "common_close.png", "help_arrow_l.png", "help_arrow_r.png"}) {
        const std::string from = std::string(VELOQUIX_SOURCE_DIR) + "/res/" + file;
        ASSERT_EQ(::symlink(from.c_str(), (res + "/res/" + file).c_str()), 0) << file;
    }
    FileUtils* files = FileUtils::getInstance();
    const std::vector<std::string> searchPaths = files->getSearchPaths();
    files->setSearchPaths({res});

    testing::internal::CaptureStderr();
    HelpView* help = HelpView::create();
    const std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_EQ(help, nullptr);
    EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 1) << errors;
    EXPECT_NE(errors.find("res/help_03.png"), std::string::npos) << errors;

    // With it back, the same folder makes a whole help.
    const std::string missing = std::string(VELOQUIX_SOURCE_DIR) + "/res/help_03.png";
    ASSERT_EQ(::symlink(missing.c_str(), (res + "/res/help_03.png").c_str()), 0);
    help = HelpView::create();
    ASSERT_NE(help, nullptr);
    EXPECT_EQ(help->getScrollView()->container->getChildrenCount(), 5);
    files->setSearchPaths(searchPaths);
}
