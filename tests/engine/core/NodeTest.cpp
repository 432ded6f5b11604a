#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "EngineHarness.h"

USING_NS_CC;

namespace {
void expectNear(const Vec2& actual, float x, float y)
{
    EXPECT_NEAR(actual.x, x, 1e-3f);
    EXPECT_NEAR(actual.y, y, 1e-3f);
}
} // namespace

TEST(NodeTransform, AnchorPositionsTheNodeAndRotationIsClockwise)
{
    EngineHarness h;
    Node* node = Node::create();
    node->setContentSize(Size(100, 50));
    node->setAnchorPoint(Vec2(0.5f, 0.5f));
    node->setPosition(200, 100);
    h.scene()->addChild(node);
    expectNear(node->convertToWorldSpace(Vec2::ZERO), 150, 75);
    expectNear(node->convertToWorldSpaceAR(Vec2::ZERO), 200, 100);

    node->setRotation(90);
    // Clockwise: the node's right edge now points down.
    expectNear(node->convertToWorldSpaceAR(Vec2(50, 0)), 200, 50);
    Rect box = node->getBoundingBox();
    EXPECT_NEAR(box.size.width, 50, 1e-3f);
    EXPECT_NEAR(box.size.height, 100, 1e-3f);
    expectNear(node->convertToNodeSpaceAR(Vec2(200, 50)), 50, 0);
}

TEST(NodeTransform, LayersIgnoreTheirAnchorForPositionButTurnAboutTheCentre)
{
    EngineHarness h;
    Layer* layer = Layer::create();
    layer->setContentSize(Size(100, 100));
    layer->setPosition(10, 20);
    h.scene()->addChild(layer);
    expectNear(layer->convertToWorldSpace(Vec2::ZERO), 10, 20);
    layer->setScale(2.0f);
    // Scaled about its centre (60, 70): the origin moves away from it.
    expectNear(layer->convertToWorldSpace(Vec2::ZERO), -40, -30);
    EXPECT_TRUE(Sprite::create()->getAnchorPoint().equals(Vec2(0.5f, 0.5f)));
    EXPECT_TRUE(Node::create()->getAnchorPoint().equals(Vec2::ZERO));
}

TEST(NodeTransform, NestedConversionsRoundTripAndSingularScaleStaysFinite)
{
    EngineHarness h;
    Node* outer = Node::create();
    outer->setPosition(300, 200);
    outer->setScale(0.5f);
    outer->setRotation(45);
    Node* inner = Node::create();
    inner->setPosition(40, -20);
    inner->setRotation(-30);
    outer->addChild(inner);
    h.scene()->addChild(outer);
    Vec2 world = inner->convertToWorldSpace(Vec2(12, 34));
    expectNear(inner->convertToNodeSpace(world), 12, 34);
    Mat4 toWorld = inner->getNodeToWorldTransform();
    expectNear(PointApplyTransform(Vec2(12, 34), toWorld), world.x, world.y);

    outer->setScale(0.0f);
    Vec2 p = inner->convertToNodeSpace(Vec2(500, 500));
    EXPECT_TRUE(std::isfinite(p.x) && std::isfinite(p.y));
}

TEST(NodeTree, VisitDrawsByZOrderThenAdditionWithNegativeChildrenFirst)
{
    EngineHarness h;
    std::vector<int> order;
    struct Recorder : Node {
        std::vector<int>* out = nullptr;
        int id = 0;
        void draw(Renderer*, const Mat4&, uint32_t) override { out->push_back(id); }
    };
    auto make = [&](int id) {
        auto* r = new Recorder();
        r->out = &order;
        r->id = id;
        r->autorelease();
        return r;
    };
    Recorder* parent = make(0);
    h.scene()->addChild(parent);
    parent->addChild(make(1), 2);
    parent->addChild(make(2), -1);
    parent->addChild(make(3), 2);
    parent->addChild(make(4), 0);
    Node* invisible = make(5);
    invisible->setVisible(false);
    parent->addChild(invisible, 1);
    h.frame();
    EXPECT_EQ(order, (std::vector<int>{2, 0, 4, 1, 3}));

    order.clear();
    parent->getChildren().at(0)->setLocalZOrder(9);
    h.frame();
    EXPECT_EQ(order.back(), 2);
}

TEST(NodeTree, NamesTagsAndRemovalWithCleanupStopActions)
{
    EngineHarness h;
    Node* parent = Node::create();
    h.scene()->addChild(parent);
    Node* a = Node::create();
    parent->addChild(a, 0, 7);
    Node* b = Node::create();
    parent->addChild(b, 0, "bee");
    EXPECT_EQ(parent->getChildByTag(7), a);
    EXPECT_EQ(parent->getChildByName("bee"), b);
    EXPECT_TRUE(a->isRunning());

    a->runAction(MoveBy::create(1.0f, Vec2(10, 0)));
    EXPECT_EQ(a->getNumberOfRunningActions(), 1);
    a->retain();
    parent->removeChild(a, true);
    EXPECT_FALSE(a->isRunning());
    EXPECT_EQ(a->getNumberOfRunningActions(), 0);
    a->release();
    EXPECT_EQ(parent->getChildrenCount(), 1);
}

TEST(NodeTree, ActionsAndUpdatesWaitWhileTheNodeIsOffStage)
{
    EngineHarness h;
    struct Counter : Node {
        int updates = 0;
        void update(float) override { ++updates; }
    };
    auto* node = new Counter();
    node->autorelease();
    node->scheduleUpdate();
    node->runAction(MoveTo::create(0.5f, Vec2(100, 0)));
    h.advance(0.5);
    EXPECT_EQ(node->updates, 0);
    EXPECT_FLOAT_EQ(node->getPositionX(), 0);
    h.scene()->addChild(node);
    h.advance(1.0);
    EXPECT_GT(node->updates, 50);
    EXPECT_FLOAT_EQ(node->getPositionX(), 100);
}

TEST(NodeColour, OpacityAndColourCascadeOnlyWhenAsked)
{
    EngineHarness h;
    Node* parent = Node::create();
    Sprite* child = Sprite::create("res/loading.png");
    ASSERT_NE(child, nullptr);
    parent->addChild(child);
    parent->setOpacity(100);
    parent->setColor(Color3B::RED);
    EXPECT_EQ(child->getDisplayedOpacity(), 255);
    EXPECT_EQ(child->getDisplayedColor(), Color3B::WHITE);
    parent->setCascadeOpacityEnabled(true);
    EXPECT_EQ(child->getDisplayedOpacity(), 100);
    EXPECT_EQ(child->getOpacity(), 255);
}
