#include "EditingFixture.h"

USING_NS_CC;

namespace {

int partsOnBoard(ZelmcircuitScene* ed)
{
    int n = 0;
    for (Node* child : ed->boardView->getContainer()->getChildren())
        if (dynamic_cast<ZelmPartSprite*>(child)) ++n;
    return n;
}

} // namespace

TEST_F(EditingTest, PaletteDragLeavingTheBandMakesACountedPartWhereTheGhostLeft)
{
    ZelmPartSprite* item = ed->paletteItems[PartTypes::straight];
    const Vec2 start = ed->drawerPanel->convertToWorldSpace(item->getPosition());
    press(start, 0);
    ASSERT_NE(ed->paletteGhost, nullptr);
    EXPECT_EQ(ed->paletteGhost->getOpacity(), 150);
    EXPECT_EQ(ed->paletteGhost->getParent(), ed);

    // The strip is the top 100 points: the ghost follows the finger there.
    moveBy(Vec2(0, -40));
    EXPECT_EQ(ed->paletteGhost->getPosition(), start + Vec2(0, -40));
    moveBy(Vec2(0, -20));
    EXPECT_EQ(ed->paletteNewPart, nullptr);
    const Vec2 left = ed->paletteGhost->getPosition();

    // The first step below the band makes the part where the ghost is.
    moveBy(Vec2(0, -20));
    ZelmPartSprite* part = ed->paletteNewPart;
    ASSERT_NE(part, nullptr);
    EXPECT_FALSE(ed->paletteGhost->isVisible());
    EXPECT_EQ(part->type, PartTypes::straight);
    EXPECT_EQ(part->getOpacity(), 150);
    EXPECT_EQ(centreOf(part), left);
    EXPECT_EQ(ed->partCounts[PartTypes::straight], 1);
    EXPECT_EQ(ed->partCountLabels[PartTypes::straight]->getString(), "1");
    EXPECT_EQ(ed->boardParts.size(), 1u);

    moveBy(Vec2(15, -25));
    EXPECT_EQ(centreOf(part), left + Vec2(15, -25));
    release();
    EXPECT_EQ(part->getOpacity(), 255);
    EXPECT_EQ(ed->paletteGhost, nullptr);
    EXPECT_EQ(ed->paletteNewPart, nullptr);
    EXPECT_EQ(ed->getChildren().back(), ed->busyOverlay) << "the ghost is gone";
    EXPECT_EQ(partsOnBoard(ed), 1);
    EXPECT_NE(part->ends[1].point, Vec2::ZERO) << "a board part knows where its ends are";
}

TEST_F(EditingTest, PaletteDragReleasedOverTheBandMakesNothing)
{
    ZelmPartSprite* item = ed->paletteItems[PartTypes::corner];
    press(ed->drawerPanel->convertToWorldSpace(item->getPosition()), 0);
    moveBy(Vec2(30, -30));
    release();
    EXPECT_EQ(partsOnBoard(ed), 0);
    EXPECT_EQ(ed->partCounts[PartTypes::corner], 0);
    EXPECT_EQ(ed->paletteGhost, nullptr);
    EXPECT_EQ(ed->getChildren().back(), ed->busyOverlay);

    // While the saved-circuits panel is up the palette takes nothing.
    ed->savedListShown = true;
    press(ed->drawerPanel->convertToWorldSpace(item->getPosition()), 0);
    EXPECT_EQ(ed->paletteGhost, nullptr);
    release();
}

TEST_F(EditingTest, QuickTapOrShortStillPressTurnsAPartButAChainHoldDoesNot)
{
    auto* part = place(PartTypes::straight, Vec2(1000, 700));
    press(centreOf(part), 0);
    release();
    EXPECT_FLOAT_EQ(part->getRotation(), 45);
    EXPECT_EQ(part->getPosition(), Vec2(1000, 700));

    press(centreOf(part), 0.2);
    EXPECT_TRUE(ed->dragging);
    EXPECT_EQ(part->getOpacity(), 150);
    EXPECT_FALSE(ed->boardView->isTouchEnabled()) << "no panning while a part is lifted";
    release();
    EXPECT_FLOAT_EQ(part->getRotation(), 90);
    EXPECT_EQ(part->getOpacity(), 255);
    EXPECT_TRUE(ed->boardView->isTouchEnabled());

    press(centreOf(part), 0.45);
    EXPECT_TRUE(ed->groupDrag);
    EXPECT_EQ(part->getOpacity(), 100);
    release();
    EXPECT_FLOAT_EQ(part->getRotation(), 90);
    EXPECT_EQ(part->getOpacity(), 255);
}

TEST_F(EditingTest, TurningUnlinksEndsThatNoLongerFaceTheirNeighbour)
{
    auto* left = place(PartTypes::straight, Vec2(1000, 700));
    auto* right = place(PartTypes::straight, Vec2(1060, 700));
    ed->linkTouchingEnd(right->ends[0]);
    ASSERT_TRUE(linked(right, 0, left, 1));
    press(centreOf(right), 0);
    release();
    EXPECT_EQ(right->ends[0].link, nullptr);
    EXPECT_EQ(left->ends[1].link, nullptr);
}

TEST_F(EditingTest, PressThatMovesAtOnceScrollsTheBoardAndNeitherLiftsNorTurns)
{
    auto* part = place(PartTypes::straight, Vec2(1000, 700));
    const Vec2 offset = ed->boardView->getContentOffset();
    finger = centreOf(part);
    app->touchDown(0, finger);
    for (int i = 0; i < 3; ++i) {
        finger += Vec2(10, 0);
        app->touchMove(0, finger);
    }
    app->advance(0.2);
    EXPECT_FALSE(ed->dragging);
    EXPECT_EQ(part->getOpacity(), 255);
    release();
    EXPECT_FLOAT_EQ(part->getRotation(), 0);
    EXPECT_EQ(part->getPosition(), Vec2(1000, 700));
    EXPECT_NE(ed->boardView->getContentOffset(), offset);
}

TEST_F(EditingTest, CornerTakesTouchesOnlyInsideItsOwnOutline)
{
    auto* corner = place(PartTypes::corner, Vec2(1000, 700));
    const Size size = corner->getContentSize();
    // Inside the picture's rectangle, outside the cut-off top-right corner.
    const Vec2 outside = corner->convertToWorldSpace(Vec2(size.width - 4, size.height - 4));
    press(outside, 0);
    EXPECT_EQ(ed->selectedPart, nullptr);
    release();
    EXPECT_FLOAT_EQ(corner->getRotation(), 0);

    const Vec2 inside = corner->convertToWorldSpace(Vec2(size.width - 10, 30));
    press(inside, 0);
    EXPECT_EQ(ed->selectedPart, corner);
    release();
    EXPECT_FLOAT_EQ(corner->getRotation(), 45);
}

TEST_F(EditingTest, OnlyOnePartTouchAtATime)
{
    auto* first = place(PartTypes::straight, Vec2(900, 700));
    auto* second = place(PartTypes::straight, Vec2(1100, 700));
    press(centreOf(first), 0.1);
    app->touchDown(1, centreOf(second));
    app->frame();
    EXPECT_EQ(ed->selectedPart, first);
    app->touchUp(1);
    release();
    EXPECT_FLOAT_EQ(second->getRotation(), 0);
    EXPECT_FLOAT_EQ(first->getRotation(), 45);
}

TEST_F(EditingTest, CancelledTouchPutsThePartDownWithoutTurningIt)
{
    auto* part = place(PartTypes::straight, Vec2(1000, 700));
    press(centreOf(part), 0.1);
    moveBy(Vec2(20, 0));
    app->touchCancel(0);
    app->frame();
    EXPECT_EQ(ed->selectedPart, nullptr);
    EXPECT_FALSE(ed->dragging);
    EXPECT_EQ(part->getOpacity(), 255);
    EXPECT_TRUE(ed->boardView->isTouchEnabled());
    EXPECT_FLOAT_EQ(part->getRotation(), 0);
    EXPECT_EQ(part->getPosition(), Vec2(1020, 700));
}

TEST_F(EditingTest, StillTapThatOnlyStopsAScrollDoesNotTurnAPart)
{
    auto* part = place(PartTypes::straight, Vec2(1000, 700));
    ed->viewScrolled = true; // the board still coasting
    press(centreOf(part), 0);
    app->touchUp(0);
    EXPECT_FLOAT_EQ(part->getRotation(), 0);
}
