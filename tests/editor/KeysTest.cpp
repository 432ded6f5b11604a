#include <string>

#include "HelpView.h"
#include "storage/SavedCircuitsFixture.h"

USING_NS_CC;

namespace {

class KeysTest : public SavedCircuitsTest {
protected:
    void key(const char* name)
    {
        app->key(name);
        app->frame();
    }
    static std::string title() { return Director::getInstance()->getOpenGLView()->getViewName(); }
    bool helpShown() const
    {
        for (Node* child : ed->getChildren())
            if (dynamic_cast<CocosKito::HelpView*>(child)) return true;
        return false;
    }
};

TEST_F(KeysTest, BoardKeysZoomThroughTheWheelsSettleAndPanByATenth)
{
    launchWithThree();
    extension::ScrollView* board = ed->boardView();
    ASSERT_FLOAT_EQ(board->getZoomScale(), 1.0f);
    key("Ctrl+=");
    EXPECT_FLOAT_EQ(board->getZoomScale(), 1.25f);
    key("Ctrl+0");
    EXPECT_FLOAT_EQ(board->getZoomScale(), 1.0f);

    const Vec2 before = board->getContentOffset();
    key("Right");
    key("Down");
    EXPECT_FLOAT_EQ(board->getContentOffset().x, before.x - 102.4f);
    EXPECT_FLOAT_EQ(board->getContentOffset().y, before.y + 76.8f);

    // Down to 0.25: only the settle after the last step leaves the board.
    for (int i = 0; i < 3; ++i) key("Ctrl+-");
    EXPECT_FALSE(ed->mode().listShown());
    app->advance(0.5);
    EXPECT_TRUE(ed->mode().listShown());
    EXPECT_EQ(title(), "VELOQUIX");

    // On the list the board's keys do nothing.
    const float listZoom = board->getZoomScale();
    key("Ctrl+=");
    app->advance(0.5);
    EXPECT_FLOAT_EQ(board->getZoomScale(), listZoom);
    EXPECT_TRUE(ed->mode().listShown());
}

TEST_F(KeysTest, CtrlNOpensANewCircuitAndTheTitleFollowsTheOpenCircuit)
{
    launchWithThree();
    EXPECT_EQ(title(), "VELOQUIX \xE2\x80\x94 B");
    key("Ctrl+N");
    app->advance(0.5);
    EXPECT_FALSE(ed->mode().listShown());
    EXPECT_EQ(ed->model().parts().size(), 0u);
    const auto list = circuitdoc::readSaveList(stored("savelist"));
    ASSERT_EQ(list.size(), 4u);
    EXPECT_EQ(list[0].id, ed->store().openId());
    EXPECT_EQ(title(), "VELOQUIX \xE2\x80\x94 " + list[0].name);
    // The circuit put away keeps its parts.
    EXPECT_EQ(stored("20150602000000"), kTwoStraights);

    ed->renameSavedCircuit(list[0].id, "Oval");
    EXPECT_EQ(title(), "VELOQUIX \xE2\x80\x94 Oval");
}

TEST_F(KeysTest, EscapeClosesTheKeySheetTheHelpARenameAndTheDrawerInTurn)
{
    launchWithThree(false);
    ZelmLoadSprite* c = item("20150601000000");
    liftItem(c, 20, 2);
    app->touchUp(0);
    app->frame();
    tap(worldOf(ed->savedList().editButton()));
    app->typeText("X");
    ed->showHelp();
    // The rename has the keyboard: Ctrl+? is its text's, Escape is not.
    key("Ctrl+Shift+/");
    ed->showKeys();
    const std::string list = stored("savelist");

    key("Escape");
    EXPECT_TRUE(helpShown());
    key("Escape");
    EXPECT_FALSE(helpShown());
    EXPECT_TRUE(c->nameBox()->isVisible());
    key("Escape");
    EXPECT_FALSE(c->nameBox()->isVisible());
    EXPECT_EQ(c->nameLabel()->getString(), "C");
    EXPECT_EQ(stored("savelist"), list);

    ed->slideDrawer(true);
    app->advance(1.0);
    ASSERT_TRUE(ed->drawer().isOpen());
    key("Escape");
    app->advance(1.0);
    EXPECT_FALSE(ed->drawer().isOpen());
}

TEST_F(KeysTest, TabMovesBetweenTheSignInFieldsAndReturnInTheCodeSubmits)
{
    launchWithThree();
    ed->signIn().nameField()->attachWithIME();
    app->typeText("ab");
    key("Tab");
    app->typeText("cd");
    key("Shift+Tab");
    app->typeText("e");
    EXPECT_EQ(ed->signIn().nameField()->getString(), "abe");
    EXPECT_EQ(ed->signIn().codeField()->getString(), "cd");
    // Keys of the board stay the text's while a field has the keyboard.
    key("Ctrl+=");
    EXPECT_FLOAT_EQ(ed->boardView()->getZoomScale(), 1.0f);

    key("Tab");
    key("Return");
    EXPECT_EQ(UserDefault::getInstance()->getStringForKey("name"), "abe");
    EXPECT_EQ(UserDefault::getInstance()->getStringForKey("code"), "cd");
}

TEST_F(KeysTest, CtrlQClosesAsTheWindowDoes)
{
    launchWithThree();
    ASSERT_FALSE(Director::getInstance()->getOpenGLView()->windowShouldClose());
    key("Ctrl+Q");
    EXPECT_TRUE(Director::getInstance()->getOpenGLView()->windowShouldClose());
}

} // namespace
