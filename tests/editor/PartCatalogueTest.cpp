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
    if (part) part->setType(t);
    return part;
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
        EXPECT_EQ(part->partId(), circuit::kNoPart) << "shows no board part yet";
    }
    EXPECT_EQ(ZelmPartSprite::create("res/no_such_part.png"), nullptr);
}

TEST(SavedCircuitSprite, TakesTheRequestedPartOfItsPictureAndStartsWithoutId)
{
    EngineHarness h;
    ZelmLoadSprite* item = ZelmLoadSprite::create("res/noimage640.png", Rect(0, 0, 320, 240));
    ASSERT_NE(item, nullptr);
    EXPECT_TRUE(item->id().empty());
    EXPECT_EQ(item->getContentSize(), Size(320, 240));
    EXPECT_EQ(ZelmLoadSprite::create("res/none.png", Rect(0, 0, 320, 240)), nullptr);
}
