#include <algorithm>
#include <cstdio>

#include "EditingFixture.h"

USING_NS_CC;

namespace {

class OpenEndsTest : public EditingTest {
protected:
    // The status line's text as the next frame shows it, empty when hidden.
    std::string status()
    {
        app->frame();
        const StatusLine& line = ed->statusLine();
        return line.node()->isVisible() ? line.label()->getString() : std::string();
    }
    // A ring on the end, where the end lies, on the layer above the parts.
    bool ringOn(PartId part, int end) const
    {
        Sprite* ring = ed->openEndMarkers().marker({part, end});
        return ring && ring->getParent() == ed->openEndMarkers().layer() &&
               ring->getPosition().distance(endAt(part, end)) < 1e-3f;
    }
    std::size_t rings() const { return ed->openEndMarkers().count(); }
    Rect lineRect() const
    {
        const LayerColor* node = ed->statusLine().node();
        return Rect(node->getPosition(), node->getContentSize());
    }
    void tapLine()
    {
        const Rect r = lineRect();
        app->touchDown(0, Vec2(r.getMidX(), r.getMidY()));
        app->frame();
        app->touchUp(0);
        app->frame();
    }
    static std::string gapText(float distance)
    {
        char text[32];
        std::snprintf(text, sizeof(text), "%.1f", double(distance));
        return text;
    }
};

} // namespace

TEST_F(OpenEndsTest, EmptyBoardShowsNoLineAndAStraightShowsTwoOpenEndsWithTheirRings)
{
    EXPECT_EQ(status(), "");
    EXPECT_EQ(rings(), 0u);
    const PartId straight = place(PartTypes::straight, Vec2(1000, 700));
    EXPECT_EQ(status(), "2 open ends");
    EXPECT_EQ(rings(), 2u);
    EXPECT_TRUE(ringOn(straight, 0));
    EXPECT_TRUE(ringOn(straight, 1));
    // Parts placed later still draw under the rings.
    const PartId later = place(PartTypes::jump, Vec2(1000, 900));
    app->frame();
    Node* layer = ed->openEndMarkers().layer();
    EXPECT_EQ(layer->getParent(), ed->boardView()->getContainer());
    const auto& children = layer->getParent()->getChildren();
    EXPECT_GT(children.getIndex(layer), children.getIndex(sprite(later)));
    EXPECT_EQ(status(), "4 open ends");

    ed->clearBoard();
    EXPECT_EQ(status(), "");
    EXPECT_EQ(rings(), 0u);
}

TEST_F(OpenEndsTest, RingClosesOpensWhenACornerIsDraggedOutAndTwoRingsAreTwoCircuits)
{
    const auto ring = layRing(Vec2(1000, 700));
    EXPECT_EQ(status(), "Closed circuit");
    EXPECT_EQ(rings(), 0u);

    liftPart(ring[3]);
    moveBy(Vec2(300, 150));
    release();
    ASSERT_FALSE(link(ring[3], 0));
    EXPECT_EQ(status(), "4 open ends");
    EXPECT_EQ(rings(), 4u);
    EXPECT_TRUE(ringOn(ring[3], 0));
    EXPECT_TRUE(ringOn(ring[3], 1));
    EXPECT_TRUE(ringOn(ring[2], 1)) << "both sides of the gap";
    EXPECT_TRUE(ringOn(ring[4], 0));
    EXPECT_FALSE(ed->openEndMarkers().marker({ring[0], 0}));

    // Put back, the ring closes again in the frame of the drop.
    liftPart(ring[3]);
    moveBy(Vec2(-300, -150));
    release();
    EXPECT_EQ(status(), "Closed circuit");
    EXPECT_EQ(rings(), 0u);

    layRing(Vec2(600, 500));
    EXPECT_EQ(status(), "2 closed circuits");
}

TEST_F(OpenEndsTest, TwoStraightsFortyApartShowTheGapAndTheTurnOnceOneIsTapped)
{
    const PartId a = place(PartTypes::straight, Vec2(1000, 700));
    const PartId b = place(PartTypes::straight, Vec2(1100, 700));
    EXPECT_EQ(status(), "4 open ends \u00b7 gap 40.0");

    press(centreOf(b), 0);
    release();
    ASSERT_FLOAT_EQ(rec(b).rotation, 45);
    EXPECT_EQ(status(), "4 open ends \u00b7 gap " + gapText(endAt(a, 1).distance(endAt(b, 0))) + " \u00b7 turn 45\u00b0");
    EXPECT_TRUE(ringOn(b, 0)) << "the rings turned with the part";
    EXPECT_TRUE(ringOn(b, 1));

    // The longest line keeps clear of the frame-rate panel, the trash and
    // the drawer's strip.
    const Rect line = lineRect();
    EXPECT_GE(line.getMinX(), 120.0f);
    EXPECT_LT(line.getMaxX(), ed->trash().sprite()->getBoundingBox().getMinX());
    EXPECT_LT(line.getMaxY(), 668.0f);
}

TEST_F(OpenEndsTest, TappingTheLineBringsOneOpenEndAfterAnotherToTheCentreAtTheSameZoom)
{
    const PartId a = place(PartTypes::straight, Vec2(800, 600));
    const PartId b = place(PartTypes::straight, Vec2(860, 600));
    const PartId c = place(PartTypes::straight, Vec2(1300, 1000));
    const PartId d = place(PartTypes::straight, Vec2(1360, 1000));
    ed->linkTouchingEnd({a, 1});
    ed->linkTouchingEnd({c, 1});
    ASSERT_TRUE(linked(a, 1, b, 0) && linked(c, 1, d, 0));
    ed->boardView()->setZoomScale(1.5f);
    EXPECT_EQ(status(), "4 open ends");

    // A drag that starts on the line scrolls nothing.
    const Vec2 offset = ed->boardView()->getContentOffset();
    const Rect r = lineRect();
    app->touchDown(0, Vec2(r.getMidX(), r.getMidY()));
    app->touchMove(0, Vec2(r.getMidX() + 60, r.getMidY() + 60));
    app->frame();
    app->touchUp(0);
    app->frame();
    EXPECT_EQ(ed->boardView()->getContentOffset(), offset);

    const Vec2 centre(512, 384);
    tapLine();
    EXPECT_GT(toWorld(endAt(a, 0)).distance(centre), 1.0f) << "the board slides there";
    app->advance(0.3);
    EXPECT_LT(toWorld(endAt(a, 0)).distance(centre), 0.5f);
    EXPECT_FLOAT_EQ(ed->boardView()->getZoomScale(), 1.5f);
    EXPECT_FALSE(ed->navigation().scrolled()) << "the board came to rest";

    tapLine();
    app->advance(0.3);
    EXPECT_LT(toWorld(endAt(b, 1)).distance(centre), 0.5f);
    EXPECT_FLOAT_EQ(ed->boardView()->getZoomScale(), 1.5f);
    tapLine();
    app->advance(0.3);
    EXPECT_LT(toWorld(endAt(c, 0)).distance(centre), 0.5f);
}

TEST_F(OpenEndsTest, TouchesBesideTheLineStillReachThePartsAndTheBoard)
{
    const PartId part = place(PartTypes::straight, ed->boardView()->getContainer()->convertToNodeSpace(Vec2(200, 24)));
    ASSERT_EQ(status(), "2 open ends");
    // Its rectangle now starts at the part's centre: a tap just above the line
    // turns the part.
    const Rect line = lineRect();
    ASSERT_TRUE(line.containsPoint(Vec2(200, 24)));
    press(Vec2(200, line.getMaxY() + 3), 0);
    release();
    EXPECT_FLOAT_EQ(rec(part).rotation, 45);
    press(Vec2(200, 24), 0);
    release();
    EXPECT_FLOAT_EQ(rec(part).rotation, 45) << "a tap on the line is the line's";
}

TEST_F(OpenEndsTest, PicturesOfTheBoardLeaveTheRingsOut)
{
    place(PartTypes::straight, Vec2(800, 600));
    place(PartTypes::corner, Vec2(700, 500), 90);
    app->frame();
    auto picture = [this](const std::string& name) {
        ed->takeBoardSnapshot();
        ed->snapshot().draw(ed->boardView())->saveToFile(name, Image::Format::PNG);
        app->advance(0.1);
        auto* image = new Image();
        EXPECT_TRUE(image->initWithImageFile(FileUtils::getInstance()->getWritablePath() + name));
        std::string pixels(reinterpret_cast<const char*>(image->getData()), image->getDataLen());
        image->release();
        return pixels;
    };
    Node* layer = ed->openEndMarkers().layer();
    layer->setVisible(false);
    const std::string without = picture("without.png");
    layer->setVisible(true);
    const std::string with = picture("with.png");
    EXPECT_TRUE(with == without) << "the pictures differ";
    EXPECT_TRUE(layer->isVisible()) << "the rings show again on the screen";
}

TEST(OpenEndsRelaunch, AReopenedCircuitShowsTheSameRingsAndLine)
{
    const char* const id = "20150602000000";
    const std::string list = R"([{"id":"20150602000000","name":"B"}])";
    const std::string circuit = R"([{"rot":0,"type":1,"x":1000,"y":700},{"rot":0,"type":1,"x":1060,"y":700},)"
                                R"({"rot":0,"type":1,"x":1160,"y":700},{"rot":0,"type":2,"x":600,"y":900}])";
    auto launch = [&](const std::string& document) {
        return std::make_unique<AppHarness>([&](UserDefault* store) {
            store->setBoolForKey("open", true);
            store->setStringForKey("savelist", list);
            store->setStringForKey(id, document);
            store->setStringForKey("load", id);
        });
    };
    struct Seen {
        std::string text;
        std::vector<std::pair<float, float>> rings;
    };
    auto look = [](AppHarness& app) {
        app.frame();
        ZelmcircuitScene* ed = app.editor();
        Seen seen;
        if (ed->statusLine().node()->isVisible()) seen.text = ed->statusLine().label()->getString();
        for (Node* ring : ed->openEndMarkers().layer()->getChildren())
            seen.rings.emplace_back(ring->getPositionX(), ring->getPositionY());
        std::sort(seen.rings.begin(), seen.rings.end());
        return seen;
    };

    auto first = launch(circuit);
    ZelmcircuitScene* ed = first->editor();
    ASSERT_EQ(ed->model().size(), 4u);
    // An edit of the user's, saved as every edit is: the third straight turns.
    ed->model().turn(ed->model().parts()[2].id);
    ed->commitEdit();
    const Seen before = look(*first);
    ASSERT_EQ(before.text.rfind("6 open ends \u00b7 gap ", 0), 0u) << before.text;
    ASSERT_NE(before.text.find("turn 45\u00b0"), std::string::npos) << before.text;
    ASSERT_EQ(before.rings.size(), 6u);
    const std::string saved = UserDefault::getInstance()->getStringForKey(id);
    first.reset();

    auto second = launch(saved);
    const Seen after = look(*second);
    EXPECT_EQ(after.text, before.text);
    EXPECT_EQ(after.rings, before.rings);
}
