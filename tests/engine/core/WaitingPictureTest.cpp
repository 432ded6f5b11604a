#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

#include "EngineHarness.h"

USING_NS_CC;

namespace {

std::string pixels(Image* image)
{
    if (!image) return std::string();
    return std::string(reinterpret_cast<const char*>(image->getData()), size_t(image->getDataLen()));
}

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeFile(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), std::streamsize(bytes.size()));
}

size_t redrawnPixels(EngineHarness& h) { return h.director()->getRenderer()->getScreenStats().lastPixels; }

} // namespace

// A picture from a file is decoded when it is first drawn, not when a sprite
// is made from it, and then shows exactly what a picture decoded at once
// shows. Found opaque only then, it is not drawn a second time for that.
TEST(WaitingPictures, DecodedWhenFirstDrawnAndThenExact)
{
    EngineHarness h;
    Sprite* page = Sprite::create("res/help_01.png");
    ASSERT_NE(page, nullptr);
    Texture2D* waiting = page->getTexture();
    EXPECT_TRUE(waiting->isWaitingToDecode());
    EXPECT_FLOAT_EQ(page->getContentSize().width, 1024.0f);
    EXPECT_FLOAT_EQ(page->getContentSize().height, 768.0f);
    page->setPosition(512, 384);
    h.scene()->addChild(page);
    h.frame();
    h.frame();
    EXPECT_TRUE(waiting->isWaitingToDecode());

    std::string lazy = pixels(h.capture());
    EXPECT_FALSE(waiting->isWaitingToDecode());
    EXPECT_TRUE(waiting->isOpaque());
    h.frame();
    EXPECT_EQ(pixels(h.capture()), lazy);
    EXPECT_EQ(redrawnPixels(h), 0u);

    Image* image = new Image();
    ASSERT_TRUE(image->initWithImageFile("res/help_01.png"));
    auto* eager = new Texture2D();
    ASSERT_TRUE(eager->initWithImage(image));
    image->release();
    page->setTexture(eager);
    eager->release();
    h.director()->getRenderer()->invalidateScreen();
    EXPECT_EQ(pixels(h.capture()), lazy);
}

// A file cut short, or declaring a size beyond the limits, is refused when
// the sprite is made, as before, and says so once. One whose
// chunks are whole but whose pixels are damaged gets its declared size, then
// draws nothing, says so once on stderr, and leaves the rest of the screen
// drawn.
TEST(WaitingPictures, DamagedFilesAreRefusedOrDrawNothing)
{
    EngineHarness h;
    const std::string original = readFile(FileUtils::getInstance()->fullPathForFilename("res/loading.png"));
    ASSERT_GT(original.size(), 100u);
    mkdir(h.home().c_str(), 0700);

    const std::string cut = h.home() + "/cut.png";
    writeFile(cut, original.substr(0, original.size() / 2));
    EXPECT_EQ(Sprite::create(cut), nullptr);
    testing::internal::CaptureStderr();
    EXPECT_EQ(Sprite::create(std::string(VELOQUIX_TEST_DATA_DIR) + "/images/declares-65535x65535.png"), nullptr);
    const std::string refused = testing::internal::GetCapturedStderr();
    EXPECT_NE(refused.find("declares 65535 x 65535"), std::string::npos) << refused;
    EXPECT_EQ(refused.find("beyond the"), refused.rfind("beyond the")) << "said once: " << refused;

    std::string damaged = original;
    size_t idat = damaged.find("IDAT");
    ASSERT_NE(idat, std::string::npos);
    for (size_t i = idat + 10; i < idat + 40 && i < damaged.size() - 12; ++i) damaged[i] = char(damaged[i] ^ 0x5a);
    const std::string broken = h.home() + "/broken.png";
    writeFile(broken, damaged);

    h.scene()->addChild(LayerColor::create(Color4B(0, 200, 0, 255)));
    Sprite* sprite = Sprite::create(broken);
    ASSERT_NE(sprite, nullptr);
    EXPECT_GT(sprite->getContentSize().width, 0.0f);
    sprite->setPosition(512, 384);
    h.scene()->addChild(sprite);
    h.frame();

    testing::internal::CaptureStderr();
    // The capture is autoreleased: read before the next frame.
    const Color4B centre = EngineHarness::pixelAt(h.capture(), 512, 384);
    h.frame();
    h.director()->getRenderer()->invalidateScreen();
    h.capture();
    std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(centre, Color4B(0, 200, 0, 255));
    EXPECT_NE(said.find("broken.png could not be decoded"), std::string::npos) << said;
    EXPECT_EQ(said.find("could not be decoded"), said.rfind("could not be decoded")) << said;
    EXPECT_FALSE(sprite->getTexture()->isWaitingToDecode());
}

// Ahead of time, only pictures some node holds are decoded, one per call.
TEST(WaitingPictures, DecodingAheadTakesHeldPicturesOneAtATime)
{
    EngineHarness h;
    TextureCache* cache = h.director()->getTextureCache();
    SDL_Renderer* backend = h.director()->getRenderer()->getBackend();
    Texture2D* unheld = cache->addImage("res/help_02.png");
    Sprite* first = Sprite::create("res/help_03.png");
    Sprite* second = Sprite::create("res/help_04.png");
    ASSERT_TRUE(unheld && first && second);
    first->retain();
    second->retain();

    EXPECT_TRUE(cache->decodeOneWaiting(backend));
    EXPECT_NE(first->getTexture()->isWaitingToDecode(), second->getTexture()->isWaitingToDecode());
    EXPECT_TRUE(cache->decodeOneWaiting(backend));
    EXPECT_FALSE(first->getTexture()->isWaitingToDecode());
    EXPECT_FALSE(second->getTexture()->isWaitingToDecode());
    EXPECT_FALSE(cache->decodeOneWaiting(backend));
    EXPECT_TRUE(unheld->isWaitingToDecode());
    // Decoded ahead means on the backend already, with no second copy kept.
    EXPECT_NE(first->getTexture()->getSDLTexture(backend), nullptr);
    EXPECT_EQ(first->getTexture()->getSurface(), nullptr);
    first->release();
    second->release();
}

// A picture decoded only when needed is passed over ahead of time, decoded
// when drawn, and can let its pixels go to be decoded again, to the same
// picture, when next drawn. Small pictures (under 256 KiB of pixels) keep no
// file's bytes to do so.
TEST(WaitingPictures, OnlyWhenNeededPicturesWaitForADrawingAndCanLetTheirPixelsGo)
{
    EngineHarness h;
    TextureCache* cache = h.director()->getTextureCache();
    SDL_Renderer* backend = h.director()->getRenderer()->getBackend();
    Sprite* page = Sprite::create("res/help_02.png");
    ASSERT_NE(page, nullptr);
    Texture2D* picture = page->getTexture();
    picture->setDecodedOnlyWhenNeeded(true);
    EXPECT_FALSE(picture->releasePixels());
    page->setPosition(512, 384);
    h.scene()->addChild(page);
    EXPECT_FALSE(cache->decodeOneWaiting(backend));
    EXPECT_TRUE(picture->isWaitingToDecode());

    const std::string drawn = pixels(h.capture());
    EXPECT_FALSE(picture->isWaitingToDecode());
    EXPECT_TRUE(picture->releasePixels());
    EXPECT_TRUE(picture->isWaitingToDecode());
    h.director()->getRenderer()->invalidateScreen();
    EXPECT_EQ(pixels(h.capture()), drawn);
    EXPECT_FALSE(picture->isWaitingToDecode());

    page->setTexture(cache->addImage("res/tab.png"));
    h.capture();
    EXPECT_FALSE(page->getTexture()->releasePixels());
    EXPECT_FALSE(page->getTexture()->isWaitingToDecode());
}

// At rest a large picture shown only through a copy scaled to the screen
// lets its own pixels go: redrawn over, it shows the same from the copy,
// it is never decoded ahead, and it decodes again, to the same picture, only
// when a new copy is needed. One drawn straight from its pixels keeps them.
TEST(WaitingPictures, ALargePictureShownScaledLetsItsPixelsGoAtRestUntilANewCopyIsNeeded)
{
    EngineHarness h;
    SDL_Renderer* backend = h.director()->getRenderer()->getBackend();
    Sprite* page = Sprite::create("res/help_02.png");
    Sprite* cover = Sprite::create("res/tab.png");
    ASSERT_TRUE(page && cover);
    page->setPosition(512, 384);
    cover->setPosition(-500, -500);
    h.scene()->addChild(page);
    h.scene()->addChild(cover);
    Texture2D* picture = page->getTexture();
    const std::string drawn = pixels(h.capture());
    TextureCache* cache = h.director()->getTextureCache();
    while (cache->decodeOneWaiting(backend)) {
    }

    h.director()->releaseRestingPictures();
    EXPECT_TRUE(picture->isSourceReleased());
    EXPECT_TRUE(picture->isWaitingToDecode());
    EXPECT_FALSE(cache->decodeOneWaiting(backend));
    cover->setPosition(300, 300);
    h.capture();
    cover->setPosition(-500, -500);
    EXPECT_EQ(pixels(h.capture()), drawn);
    EXPECT_TRUE(picture->isSourceReleased());

    page->setScale(0.75f);
    h.capture();
    EXPECT_FALSE(picture->isWaitingToDecode());
    page->setScale(1.0f);
    h.director()->getRenderer()->invalidateScreen();
    EXPECT_EQ(pixels(h.capture()), drawn);

    // Twice its size on a screen of half the picture's pixels: one to one.
    page->setScale(2.0f);
    h.capture();
    h.director()->releaseRestingPictures();
    EXPECT_FALSE(picture->isWaitingToDecode());
}
