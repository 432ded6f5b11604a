#include "EditingFixture.h"

USING_NS_CC;

namespace {

int partsOnBoard(ZelmcircuitScene* ed)
{
    int n = 0;
    for (Node* child : ed->boardView()->getContainer()->getChildren())
        if (dynamic_cast<ZelmPartSprite*>(child)) ++n;
    return n;
}

} // namespace

TEST_F(EditingTest, PaletteDragLeavingTheBandMakesACountedPartWhereTheGhostLeft)
{
    ZelmPartSprite* item = ed->palette().item(PartTypes::straight);
    const Vec2 start = ed->drawer().panel()->convertToWorldSpace(item->getPosition());
    press(start, 0);
    ZelmPartSprite* ghost = ed->gesture().ghost();
    ASSERT_NE(ghost, nullptr);
    EXPECT_EQ(ghost->getOpacity(), 150);
    EXPECT_EQ(ghost->getParent(), ed);

    // The strip is the top 100 points: the ghost follows the finger there.
    moveBy(Vec2(0, -40));
    EXPECT_EQ(ghost->getPosition(), start + Vec2(0, -40));
    moveBy(Vec2(0, -20));
    EXPECT_EQ(ed->gesture().paletteNewPart(), circuit::kNoPart);
    const Vec2 left = ghost->getPosition();

    // The first step below the band makes the part where the ghost is.
    moveBy(Vec2(0, -20));
    const PartId part = ed->gesture().paletteNewPart();
    ASSERT_NE(part, circuit::kNoPart);
    EXPECT_FALSE(ghost->isVisible());
    EXPECT_EQ(rec(part).type, PartTypes::straight);
    EXPECT_EQ(sprite(part)->getOpacity(), 150);
    EXPECT_EQ(centreOf(part), left);
    EXPECT_EQ(model().count(PartTypes::straight), 1);
    EXPECT_EQ(ed->palette().countLabel(PartTypes::straight)->getString(), "1");
    EXPECT_EQ(model().size(), 1u);

    moveBy(Vec2(15, -25));
    EXPECT_EQ(centreOf(part), left + Vec2(15, -25));
    release();
    EXPECT_EQ(sprite(part)->getOpacity(), 255);
    EXPECT_EQ(ed->gesture().ghost(), nullptr);
    EXPECT_EQ(ed->gesture().paletteNewPart(), circuit::kNoPart);
    EXPECT_EQ(ed->getChildren().back(), ed->busyOverlay()) << "the ghost is gone";
    EXPECT_EQ(partsOnBoard(ed), 1);
}

TEST_F(EditingTest, PaletteDragReleasedOverTheBandMakesNothing)
{
    ZelmPartSprite* item = ed->palette().item(PartTypes::corner);
    press(ed->drawer().panel()->convertToWorldSpace(item->getPosition()), 0);
    moveBy(Vec2(30, -30));
    release();
    EXPECT_EQ(partsOnBoard(ed), 0);
    EXPECT_EQ(model().count(PartTypes::corner), 0);
    EXPECT_EQ(ed->gesture().ghost(), nullptr);
    EXPECT_EQ(ed->getChildren().back(), ed->busyOverlay());

    // While the saved-circuits panel is up the palette takes nothing.
    ed->mode().setListShown(true);
    press(ed->drawer().panel()->convertToWorldSpace(item->getPosition()), 0);
    EXPECT_EQ(ed->gesture().ghost(), nullptr);
    release();
}

TEST_F(EditingTest, QuickTapOrShortStillPressTurnsAPartButAChainHoldDoesNot)
{
    const PartId part = place(PartTypes::straight, Vec2(1000, 700));
    press(centreOf(part), 0);
    release();
    EXPECT_FLOAT_EQ(rec(part).rotation, 45);
    EXPECT_EQ(rec(part).position, Vec2(1000, 700));

    press(centreOf(part), 0.2);
    EXPECT_TRUE(ed->gesture().isDragging());
    EXPECT_EQ(sprite(part)->getOpacity(), 150);
    EXPECT_FALSE(ed->boardView()->isTouchEnabled()) << "no panning while a part is lifted";
    release();
    EXPECT_FLOAT_EQ(rec(part).rotation, 90);
    EXPECT_EQ(sprite(part)->getOpacity(), 255);
    EXPECT_TRUE(ed->boardView()->isTouchEnabled());

    press(centreOf(part), 0.45);
    EXPECT_TRUE(ed->gesture().isChainDrag());
    EXPECT_EQ(sprite(part)->getOpacity(), 100);
    release();
    EXPECT_FLOAT_EQ(rec(part).rotation, 90);
    EXPECT_EQ(sprite(part)->getOpacity(), 255);
}

TEST_F(EditingTest, TurningUnlinksEndsThatNoLongerFaceTheirNeighbour)
{
    const PartId left = place(PartTypes::straight, Vec2(1000, 700));
    const PartId right = place(PartTypes::straight, Vec2(1060, 700));
    ed->linkTouchingEnd({right, 0});
    ASSERT_TRUE(linked(right, 0, left, 1));
    press(centreOf(right), 0);
    release();
    EXPECT_EQ(link(right, 0), circuit::kNoPart);
    EXPECT_EQ(link(left, 1), circuit::kNoPart);
}

TEST_F(EditingTest, PressThatMovesAtOnceScrollsTheBoardAndNeitherLiftsNorTurns)
{
    const PartId part = place(PartTypes::straight, Vec2(1000, 700));
    const Vec2 offset = ed->boardView()->getContentOffset();
    finger = centreOf(part);
    app->touchDown(0, finger);
    for (int i = 0; i < 3; ++i) {
        finger += Vec2(10, 0);
        app->touchMove(0, finger);
    }
    app->advance(0.2);
    EXPECT_FALSE(ed->gesture().isDragging());
    EXPECT_EQ(sprite(part)->getOpacity(), 255);
    release();
    EXPECT_FLOAT_EQ(rec(part).rotation, 0);
    EXPECT_EQ(rec(part).position, Vec2(1000, 700));
    EXPECT_NE(ed->boardView()->getContentOffset(), offset);
}

TEST_F(EditingTest, CornerTakesTouchesOnlyInsideItsOwnOutline)
{
    const PartId corner = place(PartTypes::corner, Vec2(1000, 700));
    const Size size = sprite(corner)->getContentSize();
    // Inside the picture's rectangle, outside the cut-off top-right corner.
    const Vec2 outside = sprite(corner)->convertToWorldSpace(Vec2(size.width - 4, size.height - 4));
    press(outside, 0);
    EXPECT_EQ(ed->gesture().selectedPart(), circuit::kNoPart);
    release();
    EXPECT_FLOAT_EQ(rec(corner).rotation, 0);

    const Vec2 inside = sprite(corner)->convertToWorldSpace(Vec2(size.width - 10, 30));
    press(inside, 0);
    EXPECT_EQ(ed->gesture().selectedPart(), corner);
    release();
    EXPECT_FLOAT_EQ(rec(corner).rotation, 45);
}

TEST_F(EditingTest, OnlyOnePartTouchAtATime)
{
    const PartId first = place(PartTypes::straight, Vec2(900, 700));
    const PartId second = place(PartTypes::straight, Vec2(1100, 700));
    press(centreOf(first), 0.1);
    app->touchDown(1, centreOf(second));
    app->frame();
    EXPECT_EQ(ed->gesture().selectedPart(), first);
    app->touchUp(1);
    release();
    EXPECT_FLOAT_EQ(rec(second).rotation, 0);
    EXPECT_FLOAT_EQ(rec(first).rotation, 45);
}

TEST_F(EditingTest, CancelledTouchPutsThePartDownWithoutTurningIt)
{
    const PartId part = place(PartTypes::straight, Vec2(1000, 700));
    press(centreOf(part), 0.1);
    moveBy(Vec2(20, 0));
    app->touchCancel(0);
    app->frame();
    EXPECT_EQ(ed->gesture().selectedPart(), circuit::kNoPart);
    EXPECT_FALSE(ed->gesture().isDragging());
    EXPECT_EQ(sprite(part)->getOpacity(), 255);
    EXPECT_TRUE(ed->boardView()->isTouchEnabled());
    EXPECT_FLOAT_EQ(rec(part).rotation, 0);
    EXPECT_EQ(rec(part).position, Vec2(1020, 700));
}

TEST_F(EditingTest, StillTapThatOnlyStopsAScrollDoesNotTurnAPart)
{
    const PartId part = place(PartTypes::straight, Vec2(1000, 700));
    ed->navigation().setScrolled(true); // the board still coasting
    press(centreOf(part), 0);
    app->touchUp(0);
    EXPECT_FLOAT_EQ(rec(part).rotation, 0);
}
