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
    auto* part = place(PartTypes::straight, Vec2(1000, 700));
    liftPart(part);
    app->advance(0.2);
    EXPECT_EQ(ed->trashSprite->getOpacity(), 255) << "the trash fades in with the lift";
    const Vec2 trash = ed->trashSprite->getPosition();
    moveBy(trash - finger);
    EXPECT_EQ(ed->trashSprite->getTexture(), picture("res/common_deleat_open.png"));
    EXPECT_EQ(part->getColor(), kOverTrash);
    moveBy(Vec2(0, 200));
    EXPECT_EQ(ed->trashSprite->getTexture(), picture("res/common_deleat_close.png"));
    EXPECT_EQ(part->getColor(), Color3B::WHITE);
    release();
    app->advance(0.25);
    EXPECT_EQ(ed->trashSprite->getOpacity(), 0);
    EXPECT_EQ(ed->boardParts.size(), 1u);
}

TEST_F(EditingTest, PartDroppedOnTheTrashPlaysFourFramesAndLeavesNoLinkBehind)
{
    auto* neighbour = place(PartTypes::straight, Vec2(1000, 700));
    auto* part = place(PartTypes::bank, Vec2(1000, 700));
    part->setPosition(part->getPosition() + ed->endToBoard(neighbour->ends[1], false) -
                      ed->endToBoard(part->ends[0], false));
    ed->linkTouchingEnd(part->ends[0]);
    ASSERT_TRUE(linked(part, 0, neighbour, 1));
    part->retain(); // to look at it after it is gone

    liftPart(part);
    moveBy(ed->trashSprite->getPosition() - finger);
    release();
    EXPECT_EQ(ed->partCounts[PartTypes::bank], 0);
    EXPECT_EQ(ed->partCountLabels[PartTypes::bank]->getString(), "0");
    EXPECT_FALSE(ed->boardParts.contains(part));
    EXPECT_EQ(neighbour->ends[1].link, nullptr);
    EXPECT_EQ(part->getColor(), Color3B::WHITE);
    EXPECT_EQ(part->getTexture(), picture("res/common_deleat1.png"));

    // While its frames play the part takes no touch.
    app->touchDown(0, centreOf(part));
    EXPECT_EQ(ed->selectedPart, nullptr);
    app->touchUp(0);

    const char* frames[] = {"res/common_deleat2.png", "res/common_deleat3.png", "res/common_deleat4.png"};
    for (const char* frame : frames) {
        app->advance(0.1);
        EXPECT_EQ(part->getTexture(), picture(frame));
    }
    EXPECT_NE(part->getParent(), nullptr);
    app->advance(0.1);
    EXPECT_EQ(part->getParent(), nullptr);
    part->release();
}

TEST_F(EditingTest, ChainDroppedOnTheTrashGoesWholeAndItsNeighboursAreFree)
{
    auto* a = place(PartTypes::straight, Vec2(700, 700));
    auto* b = place(PartTypes::straight, Vec2(760, 700));
    ed->linkTouchingEnd(a->ends[1]);
    // The step that takes the finger to the trash also brings b's free end
    // within 5 units of other's free end: the chain joins it there.
    const Vec2 toTrash = ed->trashSprite->getPosition() - centreOf(a);
    auto* other = place(PartTypes::straight, endAt(b, 1) + toTrash + Vec2(35, 0));
    liftChain(a);
    ASSERT_EQ(ed->groupParts.size(), 2u);
    moveBy(toTrash);
    ASSERT_TRUE(linked(b, 1, other, 0));
    for (auto* p : {a, b}) EXPECT_EQ(p->getColor(), kOverTrash);
    release();
    EXPECT_EQ(ed->boardParts.size(), 1u);
    EXPECT_EQ(ed->partCounts[PartTypes::straight], 1);
    EXPECT_EQ(other->ends[0].link, nullptr);
    EXPECT_EQ(other->ends[1].link, nullptr);
    app->advance(0.5);
    EXPECT_EQ(ed->boardView->getContainer()->getChildrenCount(), 3u) << "background, scale and the one left";
}

TEST_F(EditingTest, ClosedLoopDroppedOnTheTrashGoesWhole)
{
    const auto ring = layRing(Vec2(1000, 500));
    auto* bystander = place(PartTypes::jump, Vec2(300, 300));
    liftChain(ring[2]);
    ASSERT_EQ(ed->groupParts.size(), 8u);
    moveBy(ed->trashSprite->getPosition() - finger);
    release();
    EXPECT_EQ(ed->partCounts[PartTypes::corner], 0);
    ASSERT_EQ(ed->boardParts.size(), 1u);
    EXPECT_EQ(ed->boardParts.at(0), bystander);
    app->advance(0.5);
    EXPECT_EQ(ed->boardView->getContainer()->getChildrenCount(), 3u);
}

TEST_F(EditingTest, ClearingTheBoardEmptiesItAndResetsCountsZoomAndOffset)
{
    place(PartTypes::start, Vec2(900, 700));
    place(PartTypes::jump, Vec2(1100, 700));
    place(PartTypes::jump, Vec2(1200, 700));
    ed->boardView->setZoomScale(1.5f);
    ed->boardView->setContentOffset(Vec2(-100, -50));
    ed->viewScrolled = false;
    ed->clearBoard();
    EXPECT_FALSE(ed->viewScrolled) << "putting the board back is no scroll of the user's";
    EXPECT_TRUE(ed->boardParts.empty());
    EXPECT_EQ(ed->boardView->getContainer()->getChildrenCount(), 2u);
    for (PartType t = 0; t < PartTypes::count; ++t) {
        EXPECT_EQ(ed->partCounts[t], 0);
        EXPECT_EQ(ed->partCountLabels[t]->getString(), "0");
    }
    EXPECT_FLOAT_EQ(ed->boardView->getZoomScale(), 1.0f);
    EXPECT_EQ(ed->boardView->getContentOffset(), Vec2(-512, -384));
}

TEST_F(EditingTest, LinksStayPairedAndNeverOutliveAPartThatReachedItsNeighbourTwice)
{
    // p reaches q with both ends, q reaches back with one: what a join onto
    // an end already linked to the moving part leaves behind.
    auto* p = place(PartTypes::straight, Vec2(1000, 700));
    auto* q = place(PartTypes::straight, Vec2(1060, 700));
    p->ends[0].link = q;
    p->ends[1].link = q;
    q->ends[0].link = p;
    ed->unlinkEnd(p->ends[0]);
    EXPECT_EQ(q->ends[0].link, p) << "p still links q with its other end";
    ed->unlinkEnd(p->ends[1]);
    EXPECT_EQ(q->ends[0].link, nullptr);

    p->ends[0].link = q;
    p->ends[1].link = q;
    q->ends[0].link = p;
    ed->dropOnTrash(q, ed->trashSprite->getPosition());
    EXPECT_EQ(p->ends[0].link, nullptr);
    EXPECT_EQ(p->ends[1].link, nullptr);
}
