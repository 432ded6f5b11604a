#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "AppConstants.h"
#include "HelpView.h"
#include "app/AppHarness.h"

USING_NS_CC;

namespace {

std::vector<std::string> labelTexts(Node* parent)
{
    std::vector<std::string> texts;
    for (Node* child : parent->getChildren()) {
        if (auto* label = dynamic_cast<Label*>(child)) texts.push_back(label->getString());
    }
    return texts;
}

Vec2 worldCentre(Node* node)
{
    const Size size = node->getContentSize();
    return node->convertToWorldSpace(Vec2(size.width * 0.5f, size.height * 0.5f));
}

void tap(AppHarness& app, const Vec2& point)
{
    app.touchDown(0, point);
    app.touchUp(0);
    app.frame();
}

CocosKito::HelpView* helpOnTop(ZelmcircuitScene* editor)
{
    return dynamic_cast<CocosKito::HelpView*>(editor->getChildren().back());
}

// Puts a stand-in xdg-open first on PATH that adds the link it was given to
// a log, one a line, and reads the log back.
class RecordedLinks {
public:
    RecordedLinks()
    {
        char pattern[] = "/tmp/veloquix-links-XXXXXX";
        dir = mkdtemp(pattern);
        record = dir + "/links";
        std::ofstream script(dir + "/xdg-open");
        script << "#!/bin/sh\nprintf '%s\\n' \"$1\" >> '" << record << "'\n";
        script.close();
        ::chmod((dir + "/xdg-open").c_str(), 0700);
        const char* path = std::getenv("PATH");
        oldPath = path ? path : "";
        setenv("PATH", (dir + ":" + oldPath).c_str(), 1);
    }
    ~RecordedLinks()
    {
        setenv("PATH", oldPath.c_str(), 1);
        removeTree(dir);
    }
    // The next link opened after those already taken; the opener runs on
    // its own, so this waits for it (empty after ten seconds without one).
    std::string next()
    {
        for (int i = 0; i < 1000; ++i) {
            std::ifstream in(record);
            std::vector<std::string> links;
            for (std::string line; std::getline(in, line);) links.push_back(line);
            if (links.size() > taken) return links[taken++];
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return std::string();
    }

private:
    std::string dir, record, oldPath;
    size_t taken = 0;
};

} // namespace

TEST(EditorStartUp, FirstLaunchStoresOpenAndShowsTheHelpPagerOnTop)
{
    AppHarness app;
    ZelmcircuitScene* editor = app.editor();
    ASSERT_NE(editor, nullptr);
    EXPECT_TRUE(UserDefault::getInstance()->getBoolForKey("open", false));
    CocosKito::HelpView* help = helpOnTop(editor);
    ASSERT_NE(help, nullptr);
    EXPECT_EQ(help->getPosition(), Vec2::ZERO);
    EXPECT_EQ(help->getAnchorPoint(), Vec2::ZERO);
    EXPECT_EQ(help->getCurrentPage(), 0);
    EXPECT_FALSE(help->getLeftArrow()->isVisible());
    EXPECT_TRUE(editor->signIn().nameField()->getString().empty());
    EXPECT_TRUE(editor->signIn().codeField()->getString().empty());
}

TEST(EditorStartUp, ReturningLaunchShowsNoHelpAndRefillsTheStoredName)
{
    AppHarness app(std::function<void(UserDefault*)>([](UserDefault* store) {
        store->setBoolForKey("open", true);
        store->setStringForKey("name", "racer7");
    }));
    ZelmcircuitScene* editor = app.editor();
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(helpOnTop(editor), nullptr);
    EXPECT_EQ(editor->getChildrenCount(), 6u);
    EXPECT_EQ(editor->signIn().nameField()->getString(), "racer7");
    EXPECT_TRUE(editor->signIn().codeField()->getString().empty());
}

class ReturningEditor : public ::testing::Test {
protected:
    AppHarness app{true};
    ZelmcircuitScene* editor = app.editor();
};

TEST_F(ReturningEditor, LayersStandInTheirOrderWithTheDrawerOpenAtTheTop)
{
    ASSERT_NE(editor, nullptr);
    const auto& layers = editor->getChildren();
    ASSERT_EQ(layers.size(), 6u);
    EXPECT_EQ(layers.at(0), editor->boardView()->getParent());
    EXPECT_EQ(layers.at(1), (&editor->savedList()));
    EXPECT_EQ(layers.at(2), editor->drawer().panel()->getParent());
    EXPECT_EQ(layers.at(4), editor->messages());
    EXPECT_FALSE(editor->messages()->isVisible());
    EXPECT_EQ(layers.at(5), editor->busyOverlay());
    EXPECT_EQ(layers.at(3)->getChildrenCount(), 0u);
    EXPECT_EQ(editor->trash().sprite()->getParent(), layers.at(2));
    EXPECT_EQ(editor->trash().sprite()->getOpacity(), 0);

    const Size drawer = editor->drawer().panel()->getContentSize();
    EXPECT_EQ(editor->drawer().panel()->getPosition(), Vec2(drawer.width * 0.5f, 768 - drawer.height * 0.5f));
    EXPECT_EQ(labelTexts(editor->drawer().panel()),
              (std::vector<std::string>{"VELOQUIX", "Version 1.1.0",
                                        "Enter the Galvora-Name and Account-Code issued by \"Galvora\".", "HELP",
                                        "CREDIT", "0", "0", "0", "0", "0", "0", "0", "0"}));
    EXPECT_EQ(editor->signIn().nameField()->getPlaceHolder(), "Galvora-Name(UserID)");
    EXPECT_EQ(editor->signIn().codeField()->getPlaceHolder(), "Account-Code(Password)");
    EXPECT_EQ(editor->signIn().nameField()->getParent()->getPosition(), Vec2(369, 665));
    EXPECT_EQ(editor->signIn().codeField()->getParent()->getPosition(), Vec2(655, 665));

    EXPECT_EQ(editor->savedList().getColor(), Color3B::BLACK);
    EXPECT_EQ(editor->savedList().getContentSize(), Size(1024, 768));
    EXPECT_EQ(editor->boardView()->getContentOffset(), Vec2(-512, -384));
    EXPECT_EQ(editor->boardView()->getContainer()->getContentSize(), Size(2048, 1536));
    Texture2D* tile = Director::getInstance()->getTextureCache()->addImage("res/base.png");
    Sprite* background = nullptr;
    for (Node* child : editor->boardView()->getContainer()->getChildren()) {
        auto* sprite = dynamic_cast<Sprite*>(child);
        if (sprite && sprite->getTexture() == tile) background = sprite;
    }
    ASSERT_NE(background, nullptr);
    EXPECT_TRUE(background->getTexture()->isRepeatS());
    EXPECT_TRUE(background->getTexture()->isRepeatT());
    EXPECT_EQ(background->getContentSize(), Size(2048, 1536));
    EXPECT_FALSE(editor->mode().wheelEnabled());
}

TEST_F(ReturningEditor, AccountWordsAreRedAndTheRestOfTheExplanationWhite)
{
    Label* explanation = nullptr;
    for (Node* child : editor->drawer().panel()->getChildren()) {
        auto* label = dynamic_cast<Label*>(child);
        if (label && label->getString().rfind("Enter", 0) == 0) explanation = label;
    }
    ASSERT_NE(explanation, nullptr);
    const std::string text = explanation->getString();
    const Color3B red(190, 2, 22);
    for (int i = 0; i < int(text.size()); ++i) {
        Sprite* letter = explanation->getLetter(i);
        if (!letter) continue;
        const bool marked = (i >= 10 && i <= 21) || (i >= 27 && i <= 38);
        EXPECT_EQ(letter->getColor(), marked ? red : Color3B::WHITE) << i << " '" << text[i] << "'";
    }
    EXPECT_EQ(text.substr(10, 12), "Galvora-Name");
    EXPECT_EQ(text.substr(27, 12), "Account-Code");
}

TEST_F(ReturningEditor, PaletteEntriesStandGreyInTypeOrderEachFollowedByItsCount)
{
    const auto& children = editor->drawer().panel()->getChildren();
    float x = 10;
    for (int t = 0; t < PartTypes::count; ++t) {
        ZelmPartSprite* entry = editor->palette().item(t);
        Label* count = editor->palette().countLabel(t);
        ASSERT_NE(entry, nullptr);
        ASSERT_NE(count, nullptr);
        ASSERT_EQ(entry->getParent(), editor->drawer().panel());
        EXPECT_EQ(children.getIndex(count), children.getIndex(entry) + 1) << t;
        EXPECT_EQ(entry->type(), t);
        EXPECT_EQ(entry->getTexture(), Director::getInstance()->getTextureCache()->addImage(veloquix::partImageFiles[t]));
        const Size size = entry->getContentSize();
        EXPECT_FLOAT_EQ(entry->getPositionX(), x + size.width * 0.5f) << t;
        EXPECT_FLOAT_EQ(entry->getPositionY(), size.height * 0.5f + 5) << t;
        x += size.width + 55;
        EXPECT_EQ(entry->getColor(), Color3B::GRAY);
        EXPECT_EQ(entry->partId(), circuit::kNoPart);
        EXPECT_EQ(count->getString(), "0");
        EXPECT_EQ(count->getTextColor(), Color4B::GRAY);
        EXPECT_FLOAT_EQ(count->getPositionX(), entry->getPositionX() + size.width * 0.5f + 20);
        EXPECT_FLOAT_EQ(count->getPositionY(), 80);
        EXPECT_EQ(editor->model().count(t), 0);
    }
}

TEST_F(ReturningEditor, HelpButtonOpensThePagerOnlyOnARelease)
{
    Vec2 help = worldCentre(editor->helpButton());
    app.touchDown(0, help);
    app.frame();
    EXPECT_EQ(editor->helpButton()->getColor(), Color3B::GRAY);
    app.touchMove(0, Vec2(900, 100));
    EXPECT_EQ(editor->helpButton()->getColor(), Color3B::WHITE);
    app.touchUp(0);
    app.frame();
    EXPECT_EQ(helpOnTop(editor), nullptr);

    tap(app, help);
    EXPECT_EQ(editor->helpButton()->getColor(), Color3B::WHITE);
    ASSERT_NE(helpOnTop(editor), nullptr);
}

TEST_F(ReturningEditor, TappingAFieldTypesIntoItAndTappingTheDrawerEndsTyping)
{
    tap(app, worldCentre(editor->signIn().nameField()->getParent()));
    EXPECT_TRUE(editor->signIn().nameField()->isAttachedWithIME());
    app.typeText("racer7");
    app.frame();
    EXPECT_EQ(editor->signIn().nameField()->getString(), "racer7");

    tap(app, worldCentre(editor->signIn().codeField()->getParent()));
    EXPECT_TRUE(editor->signIn().codeField()->isAttachedWithIME());
    EXPECT_FALSE(editor->signIn().nameField()->isAttachedWithIME());
    app.typeText("s3cret");
    app.frame();
    EXPECT_EQ(editor->signIn().codeField()->getString(), "s3cret");
    EXPECT_EQ(editor->signIn().nameField()->getString(), "racer7");

    tap(app, Vec2(100, 400));
    EXPECT_FALSE(editor->signIn().codeField()->isAttachedWithIME());
    EXPECT_FALSE(editor->signIn().nameField()->isAttachedWithIME());
    app.typeText("x");
    app.frame();
    EXPECT_EQ(editor->signIn().codeField()->getString(), "s3cret");
}

TEST_F(ReturningEditor, TheScreenShowsTheOpenDrawer)
{
    Image* shot = app.capture();
    ASSERT_NE(shot, nullptr);
    // The drawer's picture fills the screen from the top, at twice point size;
    // only the pieces laid on it (buttons, fields, labels) differ here and there.
    Image drawer;
    ASSERT_TRUE(drawer.initWithImageFile("res/tab_base.png"));
    int compared = 0, same = 0;
    for (int y = 8; y < 768; y += 24) {
        for (int x = 8; x < 1024; x += 24) {
            Color4B want = EngineHarness::pixelAt(&drawer, 2 * x, 2 * y);
            Color4B seen = EngineHarness::pixelAt(shot, x, y);
            ++compared;
            if (std::abs(want.r - seen.r) <= 6 && std::abs(want.g - seen.g) <= 6 && std::abs(want.b - seen.b) <= 6) {
                ++same;
            }
        }
    }
    EXPECT_GT(same, compared * 3 / 4) << same << " of " << compared;
    Vec2 ok = worldCentre(editor->okButton()) - Vec2(50, 0); // beside the white letters
    Color4B okRed = EngineHarness::pixelAt(shot, int(ok.x), int(768 - ok.y));
    EXPECT_GT(okRed.r, 150);
    EXPECT_LT(okRed.g, 120);
}

TEST_F(ReturningEditor, LogosOpenTheirLinksOnlyWhenReleasedOnThem)
{
    RecordedLinks links;
    tap(app, worldCentre(editor->showcaseLogo()));
    EXPECT_EQ(links.next(), ZelmcircuitScene::kCompanionStoreUrl);
    EXPECT_EQ(editor->showcaseLogo()->getColor(), Color3B::WHITE);

    tap(app, worldCentre(editor->makerLogo()));
    EXPECT_EQ(links.next(), ZelmcircuitScene::kMakerSiteUrl);

    // Dragged off before the release: nothing opens, so the link of the next
    // tap is the next one recorded (an opener started for the drag would
    // have started before it).
    app.touchDown(0, worldCentre(editor->makerLogo()));
    app.touchMove(0, Vec2(512, 700));
    app.touchUp(0);
    app.frame();
    EXPECT_EQ(editor->makerLogo()->getColor(), Color3B::WHITE);
    tap(app, worldCentre(editor->showcaseLogo()));
    EXPECT_EQ(links.next(), ZelmcircuitScene::kCompanionStoreUrl);
}

TEST_F(ReturningEditor, TheOpenDrawerKeepsItsTouchesFromTheLayersBelow)
{
    static int reached;
    reached = 0;
    auto* below = EventListenerTouchOneByOne::create();
    below->onTouchBegan = [](Touch*, Event*) {
        ++reached;
        return true;
    };
    Node* boardLayer = editor->boardView()->getParent();
    editor->getEventDispatcher()->addEventListenerWithSceneGraphPriority(below, boardLayer);
    tap(app, Vec2(100, 400));
    tap(app, worldCentre(editor->signIn().codeField()->getParent()));
    tap(app, worldCentre(editor->helpButton()));
    EXPECT_EQ(reached, 0);
}

TEST_F(ReturningEditor, ContentSizeFollowsTheVisibleSizeAtTheNextFrame)
{
    editor->setContentSize(Size(300, 200));
    app.frame();
    EXPECT_EQ(editor->getContentSize(), Director::getInstance()->getVisibleSize());
    EXPECT_EQ(editor->getContentSize(), Size(1024, 768));
}

TEST(EditorStartUp, ThePagerCoversTheDrawerAtFirstLaunch)
{
    // The OK button's red, as a returning launch shows it.
    Color4B okRed;
    {
        AppHarness app(true);
        Vec2 ok = worldCentre(app.editor()->okButton()) - Vec2(50, 0); // beside the white letters
        okRed = EngineHarness::pixelAt(app.capture(), int(ok.x), int(768 - ok.y));
        EXPECT_GT(okRed.r, 150);
        EXPECT_LT(okRed.g, 120);
    }
    AppHarness app;
    Vec2 ok = worldCentre(app.editor()->okButton()) - Vec2(50, 0); // beside the white letters
    Image* shot = app.capture();
    ASSERT_NE(shot, nullptr);
    const Color4B covered = EngineHarness::pixelAt(shot, int(ok.x), int(768 - ok.y));
    EXPECT_FALSE(covered.r == okRed.r && covered.g == okRed.g && covered.b == okRed.b);
}

// A picture the screen is built from that cannot be loaded fails the
// screen's init, with the one line of the texture cache naming it, instead of
// crashing on a sprite that is not there.
TEST(EditorStartUp, AMissingPictureFailsTheScreenWithOneLine)
{
    EngineHarness h;
    FileUtils* files = FileUtils::getInstance();
    const std::vector<std::string> searchPaths = files->getSearchPaths();
    const std::string source = VELOQUIX_SOURCE_DIR;
    int round = 0;
    for (const std::string missing : {"res/base_scale.png", "res/common_deleat_close.png", "res/tab.png",
                                      "res/other_kito.png", "res/circuit_jump.png", "res/save_new.png"}) {
        SCOPED_TRACE(missing);
        const std::string root = h.home() + "-res" + std::to_string(++round);
        ASSERT_EQ(::mkdir(root.c_str(), 0700), 0);
        ASSERT_EQ(::mkdir((root + "/res").c_str(), 0700), 0);
        ASSERT_EQ(::symlink((source + "/fonts").c_str(), (root + "/fonts").c_str()), 0);
        for (const auto& entry : std::filesystem::directory_iterator(source + "/res")) {
            const std::string name = "res/" + entry.path().filename().string();
            if (name == missing) continue;
            ASSERT_EQ(::symlink(entry.path().c_str(), (root + "/" + name).c_str()), 0);
        }
        files->setSearchPaths({root});
        Director::getInstance()->getTextureCache()->removeAllTextures();

        testing::internal::CaptureStderr();
        ZelmcircuitScene* editor = ZelmcircuitScene::create();
        const std::string errors = testing::internal::GetCapturedStderr();
        EXPECT_EQ(editor, nullptr);
        EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 1) << errors;
        EXPECT_NE(errors.find(missing), std::string::npos) << errors;
        h.frame();
    }
    files->setSearchPaths(searchPaths);
}
