#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "EngineHarness.h"

USING_NS_CC;

namespace {

// The captured window's bytes.
std::string pixels(Image* image)
{
    if (!image) return std::string();
    return std::string(reinterpret_cast<const char*>(image->getData()), size_t(image->getDataLen()));
}

// The scene drawn from nothing, every pixel of it.
std::string wholeRedraw(EngineHarness& h)
{
    h.director()->getRenderer()->invalidateScreen();
    return pixels(h.capture());
}

size_t redrawnPixels(EngineHarness& h) { return h.director()->getRenderer()->getScreenStats().lastPixels; }

// Drawn on the software backend in every way the screen frame knows: plain
// and faded fills, pictures one to one, scaled, tinted, turned and flipped,
// a repeating board, text, and a clipped stretch.
struct MixedScene {
    explicit MixedScene(EngineHarness& h)
    {
        Scene* scene = h.scene();
        scene->addChild(LayerColor::create(Color4B(30, 60, 90, 255)));
        Texture2D* tile = h.director()->getTextureCache()->addImage("res/base.png");
        tile->setTexParameters(Texture2D::TexParams{GL_LINEAR, GL_LINEAR, GL_REPEAT, GL_REPEAT});
        board = Sprite::createWithTexture(tile, Rect(0, 0, 700, 500), false);
        board->setAnchorPoint(Vec2::ZERO);
        board->setPosition(37.3f, 21.6f);
        scene->addChild(board);
        const char* files[] = {"res/circuit_corner.png", "res/circuit_straight.png", "res/loading.png",
                               "res/common_close.png", "res/tab.png"};
        for (int i = 0; i < 10; ++i) {
            Sprite* sprite = Sprite::create(files[i % 5]);
            sprite->setPosition(80.0f + 90.0f * i, 150.0f + 40.0f * (i % 4));
            sprites.push_back(sprite);
            scene->addChild(sprite);
        }
        sprites[1]->setRotation(33);
        sprites[2]->setScale(1.7f);
        sprites[3]->setColor(Color3B(255, 80, 80));
        sprites[4]->setOpacity(120);
        sprites[5]->setFlippedX(true);
        sprites[6]->setRotation(90);
        fade = LayerColor::create(Color4B(255, 255, 255, 90), 200, 120);
        fade->setPosition(600, 500);
        scene->addChild(fade);
        label = Label::createWithTTF("Frames 0123", "fonts/arial.ttf", 24);
        label->setPosition(300, 650);
        label->setTextColor(Color4B::WHITE);
        scene->addChild(label);
        GLView* view = h.director()->getOpenGLView();
        scene->addChild(CommandNode::make([this, view] {
            view->setScissorInPoints(clip.origin.x, clip.origin.y, clip.size.width, clip.size.height);
            view->enableScissor();
        }));
        clipped = Sprite::create("res/circuit_corner.png");
        clipped->setPosition(600, 120);
        clipped->setScale(2.5f);
        scene->addChild(clipped);
        scene->addChild(CommandNode::make([view] { view->disableScissor(); }));
    }

    Sprite* board;
    std::vector<Sprite*> sprites;
    LayerColor* fade;
    Label* label;
    Sprite* clipped;
    Rect clip{520, 60, 300, 180};
};

} // namespace

// A frame that draws what the last one drew rasterises nothing; one that
// changes a little redraws a little; both show exactly what drawing the
// whole scene afresh shows.
TEST(ScreenFrame, UnchangedFrameIsNotRasterisedAndAChangedOneOnlyWhereItChanged)
{
    EngineHarness h;
    MixedScene s(h);
    h.frame();
    std::string first = pixels(h.capture());
    EXPECT_EQ(redrawnPixels(h), size_t(1024 * 768));
    size_t redraws = h.director()->getRenderer()->getScreenStats().redraws;

    h.frame();
    EXPECT_EQ(pixels(h.capture()), first);
    EXPECT_EQ(redrawnPixels(h), 0u);
    EXPECT_EQ(h.director()->getRenderer()->getScreenStats().redraws, redraws);

    s.sprites[2]->setPositionX(s.sprites[2]->getPositionX() + 7.5f);
    h.frame();
    std::string moved = pixels(h.capture());
    EXPECT_NE(moved, first);
    EXPECT_GT(redrawnPixels(h), 0u);
    EXPECT_LT(redrawnPixels(h), size_t(1024 * 768 / 10));
    EXPECT_EQ(moved, wholeRedraw(h));
}

// Random changes of every kind, frame after frame: the picture built from
// partial redraws never differs by a single byte from a whole redraw.
TEST(ScreenFrame, PartialRedrawsAlwaysEqualAWholeRedraw)
{
    EngineHarness h;
    MixedScene s(h);
    std::mt19937 random(12);
    std::uniform_real_distribution<float> shift(-40.0f, 40.0f);
    std::uniform_int_distribution<int> pick(0, int(s.sprites.size()) - 1), what(0, 8), byte(0, 255);
    h.capture();
    for (int round = 0; round < 25; ++round) {
        for (int change = 0; change < 1 + round % 3; ++change) {
            Sprite* sprite = s.sprites[size_t(pick(random))];
            switch (what(random)) {
            case 0:
                sprite->setPosition(sprite->getPosition() + Vec2(shift(random), shift(random)));
                break;
            case 1:
                sprite->setRotation(sprite->getRotation() + shift(random));
                break;
            case 2:
                sprite->setLocalZOrder(pick(random) - 5);
                break;
            case 3:
                sprite->setVisible(!sprite->isVisible());
                break;
            case 4:
                sprite->setOpacity(uint8_t(byte(random)));
                break;
            case 5:
                s.board->setPosition(s.board->getPosition() + Vec2(shift(random) * 0.1f, shift(random) * 0.1f));
                break;
            case 6:
                s.clipped->setPositionX(s.clipped->getPositionX() + shift(random));
                s.clip.origin.y += shift(random);
                break;
            case 7:
                s.label->setString("Frames " + std::to_string(round * 7));
                break;
            default:
                s.clip.size.width = 300 + shift(random);
                break;
            }
        }
        h.frame();
        std::string partial = pixels(h.capture());
        ASSERT_EQ(partial, wholeRedraw(h)) << "round " << round;
    }
}

// Frames run as a window's do: a picture is presented only when the drawing
// changed. A sprite turning at opacity 0 (a hidden busy spinner) changes
// nothing on screen, so it costs no drawing.
TEST(ScreenFrame, WindowFramesPresentOnlyWhenTheDrawingChanged)
{
    EngineHarness h;
    Director::setScreenDrawnOnDemand(false);
    h.scene()->addChild(LayerColor::create(Color4B(0, 0, 80, 255)));
    Sprite* spinner = Sprite::create("res/loading.png");
    spinner->setPosition(512, 384);
    spinner->setOpacity(0);
    spinner->runAction(RepeatForever::create(RotateBy::create(0.5f, 360.0f)));
    h.scene()->addChild(spinner);
    Sprite* part = Sprite::create("res/circuit_straight.png");
    part->setPosition(200, 200);
    h.scene()->addChild(part);
    h.frame();
    unsigned int presented = h.director()->getPresentedFrames();

    h.advance(1.0);
    EXPECT_EQ(h.director()->getPresentedFrames(), presented);
    EXPECT_NE(spinner->getRotation(), 0.0f);

    part->setPositionX(230);
    h.frame();
    EXPECT_EQ(h.director()->getPresentedFrames(), presented + 1);

    // The frame-rate panel shows figures that hold still while the frames do.
    h.director()->setDisplayStats(true);
    h.advance(1.0);
    presented = h.director()->getPresentedFrames();
    h.advance(2.0);
    EXPECT_EQ(h.director()->getPresentedFrames(), presented);
    EXPECT_NEAR(h.director()->getFrameRate(), 60.0f, 0.5f);
    h.director()->setDisplayStats(false);
    h.frame();
    // The window shows it without any capture having drawn it.
    Image* shown = h.director()->getOpenGLView()->captureFrame();
    Director::setScreenDrawnOnDemand(true);
    EXPECT_EQ(pixels(shown), wholeRedraw(h));
}

// What an opaque quad drawn later covers completely is not drawn at all,
// and the picture is the same as if it had been.
TEST(ScreenFrame, QuadsUnderAnOpaqueCoverAreNotDrawn)
{
    EngineHarness h;
    for (int i = 0; i < 6; ++i) {
        Sprite* sprite = Sprite::create("res/circuit_straight.png");
        sprite->setPosition(100.0f + 60.0f * i, 300);
        h.scene()->addChild(sprite);
    }
    Sprite* outside = Sprite::create("res/circuit_straight.png");
    outside->setPosition(900, 700);
    h.scene()->addChild(outside);
    LayerColor* panel = LayerColor::create(Color4B(20, 20, 20, 255), 600, 400);
    h.scene()->addChild(panel);
    Image* shot = h.capture();
    EXPECT_EQ(h.director()->getRenderer()->getScreenStats().lastHidden, 6u);
    EXPECT_EQ(EngineHarness::pixelAt(shot, 150, 768 - 300), Color4B(20, 20, 20, 255));
    EXPECT_NE(EngineHarness::pixelAt(shot, 900, 768 - 700), Color4B(0, 0, 0, 255));

    // A panel that is not quite opaque hides nothing.
    panel->setOpacity(200);
    Image* seeThrough = h.capture();
    EXPECT_EQ(h.director()->getRenderer()->getScreenStats().lastHidden, 0u);
    EXPECT_NE(EngineHarness::pixelAt(seeThrough, 100, 768 - 300), Color4B(20, 20, 20, 255));
}

// Once a picture is on the backend its decoded copy is gone; a picture only
// the cache holds is dropped when unused ones outgrow the budget, largest
// first, and never one a node uses.
TEST(TextureMemory, OneDecodedCopyAndUnusedPicturesAreDropped)
{
    EngineHarness h;
    TextureCache* cache = h.director()->getTextureCache();
    Sprite* sprite = Sprite::create("res/help_01.png");
    ASSERT_NE(sprite, nullptr);
    Texture2D* page = sprite->getTexture();
    EXPECT_NE(page->getSurface(), nullptr);
    h.scene()->addChild(sprite);
    h.capture();
    EXPECT_EQ(page->getSurface(), nullptr);
    EXPECT_NE(page->getSDLTexture(h.director()->getRenderer()->getBackend()), nullptr);

    Texture2D* unusedSmall = cache->addImage("res/loading.png");
    Texture2D* unusedLarge = cache->addImage("res/help_02.png");
    ASSERT_NE(unusedSmall, nullptr);
    ASSERT_NE(unusedLarge, nullptr);
    size_t count = cache->getTextureCount();
    h.frame();
    // help_02 alone is beyond what is kept unused; the small one stays.
    EXPECT_EQ(cache->getTextureCount(), count - 1);
    EXPECT_EQ(cache->getTextureForKey("res/help_02.png"), nullptr);
    EXPECT_EQ(cache->getTextureForKey("res/loading.png"), unusedSmall);
    EXPECT_EQ(cache->getTextureForKey("res/help_01.png"), page);

    sprite->removeFromParent();
    h.frame();
    EXPECT_EQ(cache->getTextureForKey("res/help_01.png"), nullptr);
    cache->removeUnusedTextures();
    EXPECT_EQ(cache->getTextureForKey("res/loading.png"), nullptr);
}

// A render texture drawn into again shows its new pixels, although the
// quad that shows it has not moved.
TEST(ScreenFrame, ARenderTextureDrawnIntoAgainIsRedrawn)
{
    EngineHarness h;
    RenderTexture* texture = RenderTexture::create(100, 80);
    texture->beginWithClear(1, 0, 0, 1);
    texture->end();
    texture->setPosition(300, 300);
    h.scene()->addChild(texture);
    h.frame();
    EXPECT_EQ(EngineHarness::pixelAt(h.capture(), 300, 768 - 300), Color4B(255, 0, 0, 255));

    texture->beginWithClear(0, 0, 1, 1);
    texture->end();
    h.frame();
    EXPECT_EQ(EngineHarness::pixelAt(h.capture(), 300, 768 - 300), Color4B(0, 0, 255, 255));
    EXPECT_GT(redrawnPixels(h), 0u);
}
