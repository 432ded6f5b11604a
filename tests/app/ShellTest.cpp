#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/stat.h>

#include <cstdio>
#include <cmath>
#include <cstdlib>
#include <string>

#include "AppConstants.h"
#include "AppHarness.h"

USING_NS_CC;

namespace {
// A listener on a full-screen node under everything, counting touches it gets.
int* addCounterBelow(ZelmcircuitScene* editor)
{
    static int count;
    count = 0;
    Node* below = Node::create();
    below->setContentSize(Size(1024, 768));
    // Right under the overlay, above the pager and the drawer, which both swallow.
    editor->addChild(below);
    editor->busyOverlay()->setLocalZOrder(1);
    auto* l = EventListenerTouchOneByOne::create();
    l->onTouchBegan = [](Touch*, Event*) {
        ++count;
        return true;
    };
    editor->getEventDispatcher()->addEventListenerWithSceneGraphPriority(l, below);
    return &count;
}

Node* spinnerOf(LoadingLayer* overlay)
{
    for (Node* child : overlay->getChildren()) {
        if (dynamic_cast<Sprite*>(child)) return child;
    }
    return nullptr;
}
} // namespace

TEST(Startup, WindowResolutionAndThumbnailFolderAreSetUp)
{
    AppHarness app;
    ASSERT_TRUE(app.launched);
    Director* d = Director::getInstance();
    EXPECT_EQ(d->getOpenGLView()->getViewName(), "VELOQUIX");
    EXPECT_TRUE(d->getVisibleSize().equals(Size(1024, 768)));
    EXPECT_FLOAT_EQ(d->getContentScaleFactor(), 2.0f);
    EXPECT_NEAR(d->getAnimationInterval(), 1.0f / 60.0f, 1e-7);
    EXPECT_TRUE(d->isDisplayStats());
    EXPECT_TRUE(FileUtils::getInstance()->isDirectoryExist(FileUtils::getInstance()->getWritablePath() + "screen"));
    ASSERT_NE(app.editor(), nullptr);
    EXPECT_EQ(d->getRunningScene()->getChildrenCount(), 1);
    GLContextAttrs attrs = GLView::getGLContextAttrs();
    EXPECT_EQ(attrs.depthBits, 24);
    EXPECT_EQ(attrs.stencilBits, 8);
}

TEST(Startup, ExistingThumbnailFolderIsLeftAlone)
{
    std::string home = makeTemporaryHome();
    std::string screen = home + "/screen";
    mkdir(home.c_str(), 0700);
    mkdir(screen.c_str(), 0700);
    FILE* f = std::fopen((screen + "/keep.png").c_str(), "w");
    ASSERT_NE(f, nullptr);
    std::fputs("x", f);
    std::fclose(f);
    {
        HeadlessDriver::prepareEnvironment();
        AppDelegate delegate;
        ASSERT_TRUE(Application::getInstance()->launch());
        struct stat st;
        EXPECT_EQ(stat((screen + "/keep.png").c_str(), &st), 0);
        Director::destroyInstance();
        UserDefault::destroyInstance();
        FileUtils::destroyInstance();
    }
    removeTree(home.substr(0, home.rfind('/')));
}

TEST(Constants, ShowcaseUrlEndsWithSlashAndFollowsTheEnvironment)
{
    unsetenv("VELOQUIX_SHOWCASE_URL");
    std::string builtIn = veloquix::showcaseBaseUrl();
    EXPECT_EQ(builtIn.back(), '/');
    EXPECT_EQ(builtIn.rfind("http", 0), 0u);
    setenv("VELOQUIX_SHOWCASE_URL", "http://127.0.0.1:8123/api", 1);
    EXPECT_EQ(veloquix::showcaseBaseUrl(), "http://127.0.0.1:8123/api/");
    unsetenv("VELOQUIX_SHOWCASE_URL");
    EXPECT_EQ(veloquix::partImageFiles[2], "res/circuit_corner.png");
    for (const std::string& file : veloquix::partImageFiles) {
        EXPECT_FALSE(FileUtils::getInstance()->fullPathForFilename(file).empty()) << file;
    }
}

TEST(BusyOverlay, LetsTouchesThroughAtRestAndSwallowsThemWhileBusy)
{
    AppHarness app;
    int* below = addCounterBelow(app.editor());
    app.touchDown(0, Vec2(300, 300));
    app.touchUp(0);
    EXPECT_EQ(*below, 1);

    app.editor()->busyOverlay()->showBusy();
    app.touchDown(0, Vec2(300, 300));
    app.touchUp(0);
    EXPECT_EQ(*below, 1);

    app.advance(0.25);
    Node* dim = app.editor()->busyOverlay()->getChildren().at(0);
    EXPECT_EQ(dim->getOpacity(), 128);
    EXPECT_EQ(spinnerOf(app.editor()->busyOverlay())->getOpacity(), 255);
}

TEST(BusyOverlay, HideRightAfterShowPassesTouchesAtOnceAndFadesFromWhereItWas)
{
    AppHarness app;
    int* below = addCounterBelow(app.editor());
    LoadingLayer* overlay = app.editor()->busyOverlay();
    overlay->showBusy();
    app.advance(0.1);
    Node* spinner = spinnerOf(overlay);
    int halfway = spinner->getOpacity();
    EXPECT_GT(halfway, 0);
    EXPECT_LT(halfway, 255);
    overlay->hideBusy();
    app.touchDown(0, Vec2(10, 10));
    app.touchUp(0);
    EXPECT_EQ(*below, 1);
    app.frame();
    EXPECT_LE(spinner->getOpacity(), halfway);
    app.advance(0.3);
    EXPECT_EQ(spinner->getOpacity(), 0);
}

TEST(BusyOverlay, SpinnerTurnsOncePerHalfSecond)
{
    AppHarness app;
    Node* spinner = spinnerOf(app.editor()->busyOverlay());
    ASSERT_NE(spinner, nullptr);
    app.frame();
    float start = spinner->getRotation();
    app.advance(0.25);
    EXPECT_NEAR(std::fmod(spinner->getRotation() - start + 720.0f, 360.0f), 180.0f, 0.5f);
    app.advance(0.25);
    EXPECT_NEAR(std::fmod(spinner->getRotation() - start + 720.0f, 360.0f), 0.0f, 0.5f);
    EXPECT_TRUE(spinner->getPosition().equals(Vec2(512, 384)));
}

TEST(BusyOverlay, KeepsFramesComingOnlyWhileItCanBeSeen)
{
    AppHarness app(true);
    Director* director = Director::getInstance();
    app.advance(1.0);
    EXPECT_TRUE(director->isAtRest()) << "a hidden spinner needs no frames";
    LoadingLayer* overlay = app.editor()->busyOverlay();
    overlay->showBusy();
    app.advance(1.0);
    EXPECT_FALSE(director->isAtRest()) << "the spinner turns while it shows";
    overlay->hideBusy();
    app.advance(0.1);
    EXPECT_FALSE(director->isAtRest()) << "fading out";
    app.advance(0.3);
    EXPECT_TRUE(director->isAtRest());
}

TEST(Startup, AStoreThatIsNotADatabaseIsSetAsideAndTheApplicationStillStarts)
{
    std::string home = makeTemporaryHome();
    mkdir(home.c_str(), 0700);
    std::string store = home + "/UserDefault.sqlite";
    FILE* f = std::fopen(store.c_str(), "w");
    ASSERT_NE(f, nullptr);
    std::fputs("this is not a database at all, just some bytes that were left here\n", f);
    std::fclose(f);
    {
        HeadlessDriver::prepareEnvironment();
        AppDelegate delegate;
        ASSERT_TRUE(Application::getInstance()->launch());
        Director::getInstance()->mainLoop();
        UserDefault::getInstance()->setStringForKey("probe", "ok");
        UserDefault::getInstance()->flush();
        EXPECT_EQ(UserDefault::getInstance()->getStringForKey("probe"), "ok");
        Director::destroyInstance();
        UserDefault::destroyInstance();
        FileUtils::destroyInstance();
    }
    bool setAside = false;
    if (DIR* dir = opendir(home.c_str())) {
        while (dirent* entry = readdir(dir)) {
            if (std::string(entry->d_name).rfind("UserDefault.sqlite.corrupt", 0) == 0) setAside = true;
        }
        closedir(dir);
    }
    EXPECT_TRUE(setAside);
    removeTree(home.substr(0, home.rfind('/')));
}
