#include <gtest/gtest.h>

#include "AppConstants.h"
#include "EngineHarness.h"
#include "ZelmLoadSprite.h"
#include "ZelmPartSprite.h"

USING_NS_CC;

namespace {

ZelmPartSprite* makePart(PartType t)
{
    auto* part = ZelmPartSprite::create(veloquix::partImageFiles[t]);
    if (part) part->type = t;
    return part;
}

void expectEnd(const PartEnd& end, const Vec2& point, const Vec2& direction, const char* what)
{
    EXPECT_FLOAT_EQ(end.point.x, point.x) << what;
    EXPECT_FLOAT_EQ(end.point.y, point.y) << what;
    EXPECT_FLOAT_EQ(end.inner.x - end.point.x, direction.x) << what;
    EXPECT_FLOAT_EQ(end.inner.y - end.point.y, direction.y) << what;
}

} // namespace

TEST(PartCatalogue, EveryPictureLoadsAtHalfItsPixelSizeWithOpenEndsAtTheOrigin)
{
    EngineHarness h;
    for (PartType t = 0; t < PartTypes::count; ++t) {
        ZelmPartSprite* part = makePart(t);
        ASSERT_NE(part, nullptr) << veloquix::partImageFiles[t];
        Size pixels = part->getTexture()->getContentSizeInPixels();
        EXPECT_FLOAT_EQ(part->getContentSize().width, pixels.width / 2) << t;
        EXPECT_FLOAT_EQ(part->getContentSize().height, pixels.height / 2) << t;
        EXPECT_EQ(part->getAnchorPoint(), Vec2(0.5f, 0.5f));
        for (const PartEnd& end : part->ends) {
            EXPECT_EQ(end.owner, part);
            EXPECT_EQ(end.link, nullptr);
            EXPECT_EQ(end.point, Vec2::ZERO);
            EXPECT_EQ(end.inner, Vec2::ZERO);
        }
    }
    EXPECT_EQ(ZelmPartSprite::create("res/no_such_part.png"), nullptr);
}

TEST(PartCatalogue, EndGeometryOfTheRealPictures)
{
    EngineHarness h;
    for (PartType t = 0; t < PartTypes::count; ++t) {
        ZelmPartSprite* part = makePart(t);
        ASSERT_NE(part, nullptr);
        part->ends[0].link = part; // geometry must not touch the links
        part->assignEndGeometry();
        const float w = part->getContentSize().width;
        const float hh = part->getContentSize().height;
        SCOPED_TRACE(veloquix::partImageFiles[t]);
        switch (t) {
        case PartTypes::corner:
            expectEnd(part->ends[0], Vec2(0, 22.5f), Vec2(1, 0), "corner A");
            expectEnd(part->ends[1], Vec2(w - 15.75f, hh - 15.75f), Vec2(-1, -1), "corner B");
            break;
        case PartTypes::wave:
            expectEnd(part->ends[0], Vec2(0, hh - 22.5f), Vec2(1, 0), "wave A");
            expectEnd(part->ends[1], Vec2(w, hh - 22.5f), Vec2(-1, 0), "wave B");
            break;
        case PartTypes::changer:
            expectEnd(part->ends[0], Vec2(23, hh * 0.5f), Vec2(1, 0), "changer A");
            expectEnd(part->ends[1], Vec2(w - 23, hh * 0.5f), Vec2(-1, 0), "changer B");
            break;
        default:
            expectEnd(part->ends[0], Vec2(0, hh * 0.5f), Vec2(1, 0), "A");
            expectEnd(part->ends[1], Vec2(w, hh * 0.5f), Vec2(-1, 0), "B");
        }
        EXPECT_EQ(part->ends[0].link, part);
        EXPECT_EQ(part->ends[1].link, nullptr);
        EXPECT_EQ(part->ends[0].owner, part);
        EXPECT_EQ(part->ends[1].owner, part);
    }
}

TEST(PartCatalogue, TouchOutlinesOfTheRealPictures)
{
    EngineHarness h;
    for (PartType t = 0; t < PartTypes::count; ++t) {
        ZelmPartSprite* part = makePart(t);
        ASSERT_NE(part, nullptr);
        const float w = part->getContentSize().width;
        const float hh = part->getContentSize().height;
        auto outline = part->touchOutline();
        std::array<Vec2, 4> expected = t == PartTypes::corner
                                           ? std::array<Vec2, 4>{Vec2(0, 0), Vec2(0, hh - 13.5f), Vec2(w - 31.5f, hh), Vec2(w, 27)}
                                           : std::array<Vec2, 4>{Vec2(0, 0), Vec2(0, hh), Vec2(w, hh), Vec2(w, 0)};
        for (int i = 0; i < 4; ++i) {
            EXPECT_FLOAT_EQ(outline[i].x, expected[i].x) << t << " corner " << i;
            EXPECT_FLOAT_EQ(outline[i].y, expected[i].y) << t << " corner " << i;
        }
    }
}

TEST(SavedCircuitSprite, TakesTheRequestedPartOfItsPictureAndStartsWithoutId)
{
    EngineHarness h;
    ZelmLoadSprite* item = ZelmLoadSprite::create("res/noimage640.png", Rect(0, 0, 320, 240));
    ASSERT_NE(item, nullptr);
    EXPECT_TRUE(item->id.empty());
    EXPECT_EQ(item->getContentSize(), Size(320, 240));
    EXPECT_EQ(ZelmLoadSprite::create("res/none.png", Rect(0, 0, 320, 240)), nullptr);
}
