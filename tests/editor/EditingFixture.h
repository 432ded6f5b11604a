#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "AppConstants.h"
#include "app/AppHarness.h"

// The real editor with its board in reach: the saved-circuits panel put away
// and the drawer resting with only its palette strip showing. Points are
// design points; board points are the board container's space.
class EditingTest : public ::testing::Test {
protected:
    using PartId = circuit::PartId;

    void SetUp() override
    {
        app = std::make_unique<AppHarness>(true);
        ed = app->editor();
        ASSERT_NE(ed, nullptr);
        ed->showSavedList(false);
        const float h = ed->drawer().panel()->getContentSize().height;
        ed->drawer().panel()->setPositionY(768 + h * 0.5f - 100);
        app->frame();
    }
    void TearDown() override { app.reset(); }

    // A part put on the board the way a loaded circuit's parts are.
    PartId place(PartType type, const cocos2d::Vec2& board, float rotation = 0)
    {
        return ed->addPartToBoard(type, board, rotation);
    }

    // Eight corners laid end to end from one at `at`; each turns the track 45
    // degrees left, so they close a ring, every joint linked. In ring order.
    std::vector<PartId> layRing(const cocos2d::Vec2& at)
    {
        std::vector<PartId> ring;
        for (int k = 0; k < 8; ++k) {
            const PartId corner = place(PartTypes::corner, at, -45.0f * k);
            if (k > 0) model().setPosition(corner, rec(corner).position + endAt(ring.back(), 1) - endAt(corner, 0));
            ring.push_back(corner);
        }
        for (PartId corner : ring) ed->linkTouchingEnd({corner, 0});
        return ring;
    }

    circuit::CircuitModel& model() const { return ed->model(); }
    const circuit::Part& rec(PartId part) const { return ed->model().part(part); }
    ZelmPartSprite* sprite(PartId part) const { return ed->partSprites().sprite(part); }
    PartId link(PartId part, int end) const { return rec(part).ends[end].link; }

    cocos2d::Vec2 toWorld(const cocos2d::Vec2& board) const
    {
        return ed->boardView()->getContainer()->convertToWorldSpace(board);
    }
    cocos2d::Vec2 centreOf(PartId part) const { return toWorld(rec(part).position); }
    cocos2d::Vec2 endAt(PartId part, int end) const { return ed->endToBoard({part, end}, false); }

    // Presses a finger on the point and holds it still for the given time.
    void press(const cocos2d::Vec2& world, double seconds)
    {
        finger = world;
        app->touchDown(0, finger);
        app->advance(seconds);
    }
    // Moves the pressed finger by the offset in one step, then one frame.
    void moveBy(const cocos2d::Vec2& offset)
    {
        finger += offset;
        app->touchMove(0, finger);
        app->frame();
    }
    void release()
    {
        app->touchUp(0);
        app->frame();
    }
    // A part lifted alone (held 0.1 s) or with its chain (held 0.45 s).
    void liftPart(PartId part) { press(centreOf(part), 0.1); }
    void liftChain(PartId part) { press(centreOf(part), 0.45); }

    bool linked(PartId a, int endA, PartId b, int endB) const { return link(a, endA) == b && link(b, endB) == a; }

    std::unique_ptr<AppHarness> app;
    ZelmcircuitScene* ed = nullptr;
    cocos2d::Vec2 finger;
};
