#include "EditingFixture.h"

USING_NS_CC;

namespace {

Texture2D* picture(const char* file)
{
    return Director::getInstance()->getTextureCache()->addImage(file);
}

const Color3B kOverTrash(0, 30, 70);

} // namespace

TEST_F(EditingTest, DraggingOverTheTrashOpensItAndTintsThePart)
{
    const PartId part = place(PartTypes::straight, Vec2(1000, 700));
    liftPart(part);
    app->advance(0.2);
    EXPECT_EQ(ed->trash().sprite()->getOpacity(), 255) << "the trash fades in with the lift";
    const Vec2 trash = ed->trash().sprite()->getPosition();
    moveBy(trash - finger);
    EXPECT_EQ(ed->trash().sprite()->getTexture(), picture("res/common_deleat_open.png"));
    EXPECT_EQ(sprite(part)->getColor(), kOverTrash);
    moveBy(Vec2(0, 200));
    EXPECT_EQ(ed->trash().sprite()->getTexture(), picture("res/common_deleat_close.png"));
    EXPECT_EQ(sprite(part)->getColor(), Color3B::WHITE);
    release();
    app->advance(0.25);
    EXPECT_EQ(ed->trash().sprite()->getOpacity(), 0);
    EXPECT_EQ(model().size(), 1u);
}

TEST_F(EditingTest, PartDroppedOnTheTrashPlaysFourFramesAndLeavesNoLinkBehind)
{
    const PartId neighbour = place(PartTypes::straight, Vec2(1000, 700));
    const PartId part = place(PartTypes::bank, Vec2(1000, 700));
    model().setPosition(part, rec(part).position + endAt(neighbour, 1) - endAt(part, 0));
    ed->linkTouchingEnd({part, 0});
    ASSERT_TRUE(linked(part, 0, neighbour, 1));
    ZelmPartSprite* shown = sprite(part);
    shown->retain(); // to look at it after it is gone

    liftPart(part);
    moveBy(ed->trash().sprite()->getPosition() - finger);
    release();
    EXPECT_EQ(model().count(PartTypes::bank), 0);
    EXPECT_EQ(ed->palette().countLabel(PartTypes::bank)->getString(), "0");
    EXPECT_FALSE(model().contains(part));
    EXPECT_EQ(link(neighbour, 1), circuit::kNoPart);
    EXPECT_EQ(shown->getColor(), Color3B::WHITE);
    EXPECT_EQ(shown->getTexture(), picture("res/common_deleat1.png"));

    // While its frames play the part takes no touch.
    app->touchDown(0, shown->getParent()->convertToWorldSpace(shown->getPosition()));
    EXPECT_EQ(ed->gesture().selectedPart(), circuit::kNoPart);
    app->touchUp(0);

    const char* frames[] = {"res/common_deleat2.png", "res/common_deleat3.png", "res/common_deleat4.png"};
    for (const char* frame : frames) {
        app->advance(0.1);
        EXPECT_EQ(shown->getTexture(), picture(frame));
    }
    EXPECT_NE(shown->getParent(), nullptr);
    app->advance(0.1);
    EXPECT_EQ(shown->getParent(), nullptr);
    shown->release();
}

TEST_F(EditingTest, ChainDroppedOnTheTrashGoesWholeAndItsNeighboursAreFree)
{
    const PartId a = place(PartTypes::straight, Vec2(700, 700));
    const PartId b = place(PartTypes::straight, Vec2(760, 700));
    ed->linkTouchingEnd({a, 1});
    // The step that takes the finger to the trash also brings b's free end
    // within 5 units of other's free end: the chain joins it there.
    const Vec2 toTrash = ed->trash().sprite()->getPosition() - centreOf(a);
    const PartId other = place(PartTypes::straight, endAt(b, 1) + toTrash + Vec2(35, 0));
    liftChain(a);
    ASSERT_EQ(ed->gesture().move().chain().size(), 2u);
    moveBy(toTrash);
    ASSERT_TRUE(linked(b, 1, other, 0));
    for (PartId p : {a, b}) EXPECT_EQ(sprite(p)->getColor(), kOverTrash);
    release();
    EXPECT_EQ(model().size(), 1u);
    EXPECT_EQ(model().count(PartTypes::straight), 1);
    EXPECT_EQ(link(other, 0), circuit::kNoPart);
    EXPECT_EQ(link(other, 1), circuit::kNoPart);
    app->advance(0.5);
    EXPECT_EQ(ed->boardView()->getContainer()->getChildrenCount(), 4u)
        << "background, scale, the open-end rings' layer and the one left";
}

TEST_F(EditingTest, ClosedLoopDroppedOnTheTrashGoesWhole)
{
    const auto ring = layRing(Vec2(1000, 500));
    const PartId bystander = place(PartTypes::jump, Vec2(300, 300));
    liftChain(ring[2]);
    ASSERT_EQ(ed->gesture().move().chain().size(), 8u);
    moveBy(ed->trash().sprite()->getPosition() - finger);
    release();
    EXPECT_EQ(model().count(PartTypes::corner), 0);
    ASSERT_EQ(model().size(), 1u);
    EXPECT_EQ(model().parts()[0].id, bystander);
    app->advance(0.5);
    EXPECT_EQ(ed->boardView()->getContainer()->getChildrenCount(), 4u);
}

TEST_F(EditingTest, ClearingTheBoardEmptiesItAndResetsCountsZoomAndOffset)
{
    place(PartTypes::start, Vec2(900, 700));
    place(PartTypes::jump, Vec2(1100, 700));
    place(PartTypes::jump, Vec2(1200, 700));
    ed->boardView()->setZoomScale(1.5f);
    ed->boardView()->setContentOffset(Vec2(-100, -50));
    ed->navigation().setScrolled(false);
    ed->clearBoard();
    EXPECT_FALSE(ed->navigation().scrolled()) << "putting the board back is no scroll of the user's";
    EXPECT_TRUE(model().empty());
    EXPECT_EQ(ed->boardView()->getContainer()->getChildrenCount(), 3u) << "background, scale, the rings' layer";
    for (PartType t = 0; t < PartTypes::count; ++t) {
        EXPECT_EQ(model().count(t), 0);
        EXPECT_EQ(ed->palette().countLabel(t)->getString(), "0");
    }
    EXPECT_FLOAT_EQ(ed->boardView()->getZoomScale(), 1.0f);
    EXPECT_EQ(ed->boardView()->getContentOffset(), Vec2(-512, -384));
}

TEST_F(EditingTest, LinksStayPairedAndNeverOutliveAPartThatReachedItsNeighbourTwice)
{
    // p reaches q with both ends, q reaches back with one: what a join onto
    // an end already linked to the moving part leaves behind.
    const PartId p = place(PartTypes::straight, Vec2(1000, 700));
    const PartId q = place(PartTypes::straight, Vec2(1060, 700));
    model().setEndLink({p, 0}, q);
    model().setEndLink({p, 1}, q);
    model().setEndLink({q, 0}, p);
    ed->unlinkEnd({p, 0});
    EXPECT_EQ(link(q, 0), p) << "p still links q with its other end";
    ed->unlinkEnd({p, 1});
    EXPECT_EQ(link(q, 0), circuit::kNoPart);

    model().setEndLink({p, 0}, q);
    model().setEndLink({p, 1}, q);
    model().setEndLink({q, 0}, p);
    ed->dropOnTrash(q, ed->trash().sprite()->getPosition());
    EXPECT_EQ(link(p, 0), circuit::kNoPart);
    EXPECT_EQ(link(p, 1), circuit::kNoPart);
}
