#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstring>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "EngineHarness.h"

USING_NS_CC;

TEST(Renderer, ConsecutiveQuadsOfOneTextureAreOneBatch)
{
    EngineHarness h;
    for (int i = 0; i < 3; ++i) h.scene()->addChild(Sprite::create("res/loading.png"));
    h.frame();
    EXPECT_EQ(h.director()->getRenderer()->getDrawnBatches(), 1u);
    EXPECT_EQ(h.director()->getRenderer()->getDrawnVertices(), 12u);

    h.scene()->addChild(Sprite::create("res/common_close.png"));
    h.scene()->addChild(Sprite::create("res/loading.png"));
    h.frame();
    EXPECT_EQ(h.director()->getRenderer()->getDrawnBatches(), 3u);
}

TEST(Renderer, CustomCommandsRunAfterTheVisitInDrawingOrder)
{
    EngineHarness h;
    std::vector<int> order;
    bool visiting = false;
    struct Flag : Node {
        bool* visiting;
        void visit(Renderer* r, const Mat4& t, uint32_t f) override
        {
            *visiting = true;
            Node::visit(r, t, f);
            *visiting = false;
        }
    };
    auto* root = new Flag();
    root->visiting = &visiting;
    root->autorelease();
    h.scene()->addChild(root);
    root->addChild(CommandNode::make([&] {
        EXPECT_FALSE(visiting);
        order.push_back(1);
    }), 1);
    root->addChild(Sprite::create("res/loading.png"), 2);
    root->addChild(CommandNode::make([&] { order.push_back(2); }), 3);
    root->addChild(Sprite::create("res/loading.png"), 4);
    h.frame();
    EXPECT_EQ(order, (std::vector<int>{1, 2}));
    // The command between the two sprites splits their batch.
    EXPECT_EQ(h.director()->getRenderer()->getDrawnBatches(), 2u);
}

TEST(Renderer, ScissorStateClipsDrawingAndIsVisibleToCommands)
{
    EngineHarness h;
    GLView* view = h.director()->getOpenGLView();
    bool seenOn = false;
    Rect seenBox;
    h.scene()->addChild(CommandNode::make([&] {
        view->enableScissor();
        view->setScissorInPoints(100, 100, 200, 100);
    }), 1);
    h.scene()->addChild(LayerColor::create(Color4B::WHITE), 2);
    h.scene()->addChild(CommandNode::make([&] {
        seenOn = view->isScissorEnabled();
        seenBox = view->getScissorRect();
        view->disableScissor();
    }), 3);
    h.frame();
    EXPECT_TRUE(seenOn);
    EXPECT_TRUE(seenBox.equals(Rect(100, 100, 200, 100)));
    EXPECT_FALSE(view->isScissorEnabled());
    Image* shot = h.capture();
    // Window y runs down: design y 100..200 is window rows 568..668.
    EXPECT_EQ(EngineHarness::pixelAt(shot, 150, 600).r, 255);
    EXPECT_EQ(EngineHarness::pixelAt(shot, 50, 600).r, 0);
    EXPECT_EQ(EngineHarness::pixelAt(shot, 150, 500).r, 0);
    EXPECT_EQ(EngineHarness::pixelAt(shot, 310, 600).r, 0);
}

TEST(Renderer, EngineCostCanBeMeasuredWithoutRasterising)
{
    EngineHarness h;
    for (int i = 0; i < 50; ++i) h.scene()->addChild(Sprite::create("res/loading.png"));
    Renderer* renderer = h.director()->getRenderer();
    renderer->setRasterizationEnabled(false);
    h.frame();
    EXPECT_EQ(renderer->getDrawnVertices(), 200u);
    EXPECT_EQ(renderer->getQueuedCommandCount(), 0u);
    renderer->setRasterizationEnabled(true);
}

// Headless frames visit and build everything but leave the screen's pixels
// alone; a capture draws the scene as it stands, and render textures draw
// whether or not anyone captures.
TEST(Renderer, HeadlessFramesRasteriseTheScreenOnlyForACapture)
{
    EngineHarness h;
    LayerColor* white = LayerColor::create(Color4B::WHITE);
    h.scene()->addChild(white);
    bool commandRan = false;
    h.scene()->addChild(CommandNode::make([&] { commandRan = true; }));
    h.frame();
    EXPECT_TRUE(commandRan);
    EXPECT_EQ(h.director()->getRenderer()->getDrawnBatches(), 1u);
    Image* untouched = h.director()->getOpenGLView()->captureFrame();
    ASSERT_NE(untouched, nullptr);
    EXPECT_EQ(EngineHarness::pixelAt(untouched, 500, 400).r, 0);

    Image* shot = h.capture();
    ASSERT_NE(shot, nullptr);
    EXPECT_EQ(EngineHarness::pixelAt(shot, 500, 400), Color4B(255, 255, 255, 255));
    // What changed since the last frame is in the picture too.
    white->setColor(Color3B(0, 0, 255));
    EXPECT_EQ(EngineHarness::pixelAt(h.capture(), 500, 400), Color4B(0, 0, 255, 255));

    RenderTexture* texture = RenderTexture::create(16, 16);
    texture->beginWithClear(0, 1, 0, 1);
    texture->end();
    texture->getSprite()->setAnchorPoint(Vec2::ZERO);
    h.scene()->addChild(texture);
    h.frame();
    EXPECT_EQ(EngineHarness::pixelAt(h.capture(), 5, 760), Color4B(0, 255, 0, 255));
}

TEST(Sprite, SetTextureByFileShowsTheWholeNewPicture)
{
    EngineHarness h;
    Sprite* sprite = Sprite::create("res/loading.png", Rect(0, 0, 10, 10));
    ASSERT_NE(sprite, nullptr);
    EXPECT_TRUE(sprite->getContentSize().equals(Size(10, 10)));
    sprite->setTexture("res/common_close.png");
    EXPECT_TRUE(sprite->getContentSize().equals(sprite->getTexture()->getContentSize()));
    EXPECT_TRUE(sprite->getTextureRect().size.equals(sprite->getTexture()->getContentSize()));
    EXPECT_EQ(sprite->getFileName(), "res/common_close.png");
    EXPECT_EQ(Sprite::create("res/no-such-picture.png"), nullptr);
}

TEST(Sprite, RepeatingTextureTilesTheRectangle)
{
    EngineHarness h;
    Texture2D* texture = h.director()->getTextureCache()->addImage("res/base.png");
    ASSERT_NE(texture, nullptr);
    Size tile = texture->getContentSize();
    Sprite* board = Sprite::createWithTexture(texture, Rect(0, 0, tile.width * 3, tile.height * 2), false);
    Texture2D::TexParams params = {GL_LINEAR, GL_LINEAR, GL_REPEAT, GL_REPEAT};
    texture->setTexParameters(params);
    board->setAnchorPoint(Vec2::ZERO);
    h.scene()->addChild(board);
    h.frame();
    EXPECT_EQ(board->getQuads().size(), 6u);
    EXPECT_TRUE(board->getContentSize().equals(Size(tile.width * 3, tile.height * 2)));
    // Each tile shows the whole picture: the same pixel a tile apart.
    Image* shot = h.capture();
    int px = int(tile.width * 0.3f), py = 767 - int(tile.height * 0.4f);
    Color4B a = EngineHarness::pixelAt(shot, px, py);
    Color4B b = EngineHarness::pixelAt(shot, px + int(tile.width), py);
    EXPECT_NEAR(a.r, b.r, 3);
    EXPECT_NEAR(a.g, b.g, 3);
}

// The node tree of the replay tool names every picture read from a file,
// whether the sprite was made from the file or from the file's texture.
TEST(Sprite, TreeNamesThePictureFileAlsoOfASpriteMadeFromItsTexture)
{
    EngineHarness h;
    Texture2D* board = h.director()->getTextureCache()->addImage("res/base.png");
    ASSERT_NE(board, nullptr);
    Sprite* fromTexture = Sprite::createWithTexture(board, Rect(0, 0, 300, 200), false);
    fromTexture->setName("board");
    h.scene()->addChild(fromTexture);
    Sprite* fromFile = Sprite::create("res/loading.png");
    fromFile->setName("spinner");
    h.scene()->addChild(fromFile);
    RenderTexture* drawn = RenderTexture::create(8, 8);
    drawn->getSprite()->setName("drawn");
    h.scene()->addChild(drawn->getSprite());

    std::istringstream tree(EngineHarness::dumpTree(h.scene()));
    std::map<std::string, std::string> lines;
    for (std::string line; std::getline(tree, line);) {
        size_t name = line.find(" name=\"");
        if (name != std::string::npos) lines[line.substr(name + 7, line.find('"', name + 7) - name - 7)] = line;
    }
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_NE(lines["board"].find(" file=\"res/base.png\""), std::string::npos) << lines["board"];
    EXPECT_NE(lines["spinner"].find(" file=\"res/loading.png\""), std::string::npos) << lines["spinner"];
    EXPECT_EQ(lines["drawn"].find(" file="), std::string::npos) << lines["drawn"];
}

TEST(TextureCache, RemovedKeyIsReadAgainWhileOldSpritesKeepTheirTexture)
{
    EngineHarness h;
    TextureCache* cache = h.director()->getTextureCache();
    Texture2D* first = cache->addImage("res/loading.png");
    EXPECT_EQ(cache->addImage("res/loading.png"), first);
    Sprite* sprite = Sprite::createWithTexture(first);
    h.scene()->addChild(sprite);
    cache->removeTextureForKey(FileUtils::getInstance()->fullPathForFilename("res/loading.png"));
    Texture2D* second = cache->addImage("res/loading.png");
    EXPECT_NE(second, nullptr);
    EXPECT_NE(second, first);
    EXPECT_EQ(cache->addImage("res/loading.png"), second);
    EXPECT_EQ(sprite->getTexture()->getPixelsWide(), second->getPixelsWide());
    EXPECT_EQ(first->getReferenceCount(), 1u); // only the sprite holds it now
    h.frame();
}

TEST(Image, PngAndJpegRoundTripAndSavingIsAtomic)
{
    EngineHarness h;
    Image image;
    ASSERT_TRUE(image.initWithImageFile("res/loading.png"));
    EXPECT_TRUE(image.hasAlpha());
    EXPECT_EQ(image.getFileType(), Image::Format::PNG);
    std::string dir = FileUtils::getInstance()->getWritablePath();
    ASSERT_TRUE(image.saveToFile(dir + "copy.png", false));
    ASSERT_TRUE(image.saveToFile(dir + "copy.jpg", true));
    Image png, jpg;
    ASSERT_TRUE(png.initWithImageFile(dir + "copy.png"));
    ASSERT_TRUE(jpg.initWithImageFile(dir + "copy.jpg"));
    EXPECT_EQ(png.getWidth(), image.getWidth());
    EXPECT_EQ(jpg.getHeight(), image.getHeight());
    EXPECT_EQ(jpg.getFileType(), Image::Format::JPG);
    EXPECT_EQ(std::memcmp(png.getData(), image.getData(), size_t(image.getDataLen())), 0);
    EXPECT_FALSE(image.saveToFile(dir + "missing/folder/x.png", false));
    struct stat st;
    EXPECT_NE(stat((dir + "missing/folder/x.png").c_str(), &st), 0);
}
