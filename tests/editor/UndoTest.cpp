#include <unistd.h>

#include <functional>
#include <string>
#include <vector>

#include "EditingFixture.h"

USING_NS_CC;

namespace {

const char* const kCircuit = "20150601000000";

class UndoTest : public EditingTest {
protected:
    void SetUp() override
    {
        EditingTest::SetUp();
        ed->store().openCircuit(kCircuit);
    }
    // The same editor with its store in memory, where a durable commit costs
    // next to nothing: for tests of a thousand commits.
    void restartInMemory()
    {
        if (access("/dev/shm", W_OK) != 0) return;
        app.reset();
        app = std::make_unique<AppHarness>(true, "/dev/shm");
        ed = app->editor();
        ed->showSavedList(false);
        ed->drawer().panel()->setPositionY(768 + ed->drawer().panel()->getContentSize().height * 0.5f - 100);
        ed->store().openCircuit(kCircuit);
        app->frame();
    }
    std::string document() const { return UserDefault::getInstance()->getStringForKey(kCircuit); }
    std::vector<std::string> labels() const
    {
        std::vector<std::string> out;
        for (PartType t = 0; t < PartTypes::count; ++t) out.push_back(ed->palette().countLabel(t)->getString());
        return out;
    }
    void key(const char* name)
    {
        app->key(name);
        app->frame();
    }
    void tap(const Vec2& world)
    {
        press(world, 0);
        release();
    }
    Vec2 worldOf(Node* node) const { return node->getParent()->convertToWorldSpace(node->getPosition()); }
    // Drags a new part out of the palette onto the board.
    void dropFromPalette(PartType type)
    {
        press(worldOf(ed->palette().item(type)), 0);
        for (int i = 0; i < 4; ++i) moveBy(Vec2(0, -40));
        release();
    }
};

} // namespace

TEST_F(UndoTest, EveryGestureTakesOneStepBackToTheDocumentBeforeItAndForwardToTheOneAfter)
{
    const PartId a = place(PartTypes::straight, Vec2(1000, 700));
    const PartId b = place(PartTypes::straight, Vec2(1060, 700));
    const PartId c = place(PartTypes::straight, Vec2(1120, 700));
    const PartId corner = place(PartTypes::corner, Vec2(800, 550));
    ed->linkTouchingEnd({a, 1});
    ed->linkTouchingEnd({b, 1});
    ed->commitEdit();
    ed->boardView()->setZoomScale(1.25f);
    ed->boardView()->setContentOffset(Vec2(-700, -500));
    ed->navigation().setScrolled(false);
    app->frame();
    const float zoom = ed->boardView()->getZoomScale();
    const Vec2 offset = ed->boardView()->getContentOffset();

    const struct {
        const char* name;
        std::function<void()> run;
    } gestures[] = {
        {"move breaking away",
         [&] {
             liftPart(c);
             moveBy(Vec2(0, -150));
             release();
         }},
        {"chain move",
         [&] {
             liftChain(a);
             moveBy(Vec2(-100, 60));
             release();
         }},
        {"turn", [&] { tap(centreOf(corner)); }},
        {"palette drop", [&] { dropFromPalette(PartTypes::jump); }},
        {"chain trash",
         [&] {
             liftChain(b);
             moveBy(ed->trash().sprite()->getPosition() - finger);
             release();
         }},
    };
    for (const auto& gesture : gestures) {
        SCOPED_TRACE(gesture.name);
        const std::string before = document();
        const auto countsBefore = labels();
        const std::size_t done = ed->history().done();
        gesture.run();
        app->advance(0.5);
        const std::string after = document();
        const auto countsAfter = labels();
        ASSERT_NE(after, before);
        EXPECT_EQ(ed->history().done(), done + 1) << "one gesture, one step";

        key("Ctrl+Z");
        EXPECT_EQ(document(), before);
        EXPECT_EQ(labels(), countsBefore);
        key("Ctrl+Shift+Z");
        EXPECT_EQ(document(), after);
        EXPECT_EQ(labels(), countsAfter);
        key("Ctrl+Z");
        key("Ctrl+Y");
        EXPECT_EQ(document(), after);
        EXPECT_EQ(ed->boardView()->getZoomScale(), zoom);
        EXPECT_EQ(ed->boardView()->getContentOffset(), offset);
        EXPECT_EQ(ed->drawer().panel()->getPositionY(), 768 + ed->drawer().panel()->getContentSize().height * 0.5f - 100);
    }
    // A touch that changes nothing is no step.
    const std::size_t done = ed->history().done();
    liftChain(corner);
    release();
    EXPECT_EQ(ed->history().done(), done);
}

TEST_F(UndoTest, ATrashedClosedLoopComesBackClosedAndDrawnInItsOrder)
{
    const PartId first = place(PartTypes::jump, Vec2(400, 400));
    const auto ring = layRing(Vec2(1000, 500));
    const PartId last = place(PartTypes::jump, Vec2(1400, 400));
    ed->commitEdit();
    liftChain(ring[3]);
    moveBy(ed->trash().sprite()->getPosition() - finger);
    release();
    app->advance(0.5);
    ASSERT_EQ(model().size(), 2u);

    key("Ctrl+Z");
    ASSERT_EQ(model().size(), 10u);
    for (std::size_t k = 0; k < ring.size(); ++k) {
        EXPECT_EQ(model().parts()[k + 1].id, ring[k]);
        EXPECT_TRUE(linked(ring[k], 1, ring[(k + 1) % ring.size()], 0)) << k;
    }
    // The board draws the parts in placement order again.
    std::vector<PartId> drawn;
    for (Node* child : ed->boardView()->getContainer()->getChildren())
        if (auto* part = dynamic_cast<ZelmPartSprite*>(child)) drawn.push_back(part->partId());
    std::vector<PartId> placed{first};
    placed.insert(placed.end(), ring.begin(), ring.end());
    placed.push_back(last);
    EXPECT_EQ(drawn, placed);
}

TEST_F(UndoTest, KeysLeaveTheBoardAloneWhileAFingerIsDownOrTextHasTheKeyboard)
{
    const PartId part = place(PartTypes::straight, Vec2(1000, 700));
    ed->commitEdit();
    tap(centreOf(part));
    const std::string turned = document();

    app->touchDown(1, Vec2(200, 300));
    key("Ctrl+Z");
    EXPECT_EQ(document(), turned);
    app->touchUp(1);
    app->frame();

    ed->slideDrawer(true);
    app->advance(1);
    tap(worldOf(ed->signIn().nameField()->getParent()));
    ASSERT_TRUE(ed->signIn().nameField()->isAttachedWithIME());
    app->typeText("racer");
    key("Ctrl+Z");
    key("Ctrl+Y");
    EXPECT_EQ(ed->signIn().nameField()->getString(), "racer");
    EXPECT_EQ(document(), turned);
    ed->signIn().endEntry();
    key("Ctrl+Z");
    EXPECT_NE(document(), turned);
    EXPECT_FLOAT_EQ(rec(part).rotation, 0);
}

TEST_F(UndoTest, ButtonsAreDimWithNothingToDoHiddenOverTheListAndKeepTheirTouches)
{
    HistoryButtons& buttons = ed->historyButtons();
    EXPECT_TRUE(buttons.undoButton()->isVisible());
    EXPECT_EQ(buttons.undoButton()->getOpacity(), 100);
    EXPECT_EQ(buttons.redoButton()->getOpacity(), 100);
    // A part lying under the undo button.
    const Vec2 undoAt = worldOf(buttons.undoButton());
    const PartId under = place(PartTypes::straight, ed->boardView()->getContainer()->convertToNodeSpace(undoAt));
    ed->commitEdit();
    EXPECT_EQ(buttons.undoButton()->getOpacity(), 255);

    tap(undoAt);
    EXPECT_FALSE(model().contains(under)) << "the placing was taken back";
    EXPECT_EQ(ed->history().done(), 0u);
    EXPECT_EQ(buttons.undoButton()->getOpacity(), 100);
    EXPECT_EQ(buttons.redoButton()->getOpacity(), 255);
    tap(worldOf(buttons.redoButton()));
    ASSERT_TRUE(model().contains(under));
    tap(undoAt);
    tap(worldOf(buttons.redoButton()));
    EXPECT_FLOAT_EQ(rec(under).rotation, 0) << "the part below never heard the taps";

    // The open drawer lies over the buttons.
    ed->slideDrawer(true);
    app->advance(1);
    tap(undoAt);
    EXPECT_TRUE(model().contains(under));
    ed->slideDrawer(false);
    app->advance(1);

    ed->showSavedList(true);
    EXPECT_FALSE(buttons.undoButton()->isVisible());
    EXPECT_FALSE(buttons.redoButton()->isVisible());
}

TEST_F(UndoTest, AThousandAndFiveStepsUndoBackToTheStateAfterTheFifth)
{
    restartInMemory();
    const PartId part = place(PartTypes::straight, Vec2(1000, 700));
    ed->commitEdit();
    std::string afterFifth;
    for (int step = 2; step <= 1005; ++step) {
        tap(centreOf(part));
        if (step == 5) afterFifth = document();
    }
    for (int i = 0; i < 1005; ++i) app->key("Ctrl+Z");
    app->frame();
    EXPECT_EQ(document(), afterFifth);
    EXPECT_FLOAT_EQ(rec(part).rotation, 180);
    EXPECT_FALSE(ed->history().canUndo());
}
