#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "2d/CCRenderTexture.h"
#include "EngineHarness.h"

USING_NS_CC;

namespace {

struct SaveRecord {
    int calls = 0;
    std::string path;
    RenderTexture* texture = nullptr;
    bool onMainThread = false;
    bool fileCompleteAtCallback = false;
    Size pixelsAtCallback;
};

std::thread::id mainThread() { return std::this_thread::get_id(); }

bool fileExists(const std::string& path)
{
    struct stat info;
    return ::stat(path.c_str(), &info) == 0;
}

// Decodes the whole file; a truncated PNG fails here.
bool decodes(const std::string& path, int* width, int* height)
{
    std::ifstream in(path, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (bytes.empty()) return false;
    Image* image = new Image();
    bool ok = image->initWithImageData(reinterpret_cast<const unsigned char*>(bytes.data()), ptrdiff_t(bytes.size()));
    if (ok) {
        *width = image->getWidth();
        *height = image->getHeight();
    }
    image->release();
    return ok;
}

RenderTexture::SaveCallback recordInto(SaveRecord* record)
{
    std::thread::id main = mainThread();
    return [record, main](RenderTexture* texture, const std::string& path) {
        ++record->calls;
        record->path = path;
        record->texture = texture;
        record->onMainThread = std::this_thread::get_id() == main;
        record->pixelsAtCallback = texture->getSizeInPixels();
        int w = 0, h = 0;
        record->fileCompleteAtCallback = decodes(path, &w, &h);
    };
}

void framesUntil(EngineHarness& h, const SaveRecord& record, int maxFrames = 30)
{
    for (int i = 0; i < maxFrames && record.calls == 0; ++i) h.frame();
}

// A red top band over the left half, a blue bottom band across, the rest clear.
void drawBands(RenderTexture* texture)
{
    LayerColor* red = LayerColor::create(Color4B(255, 0, 0, 255), 160, 120);
    red->setPosition(0, 120);
    LayerColor* blue = LayerColor::create(Color4B(0, 0, 255, 255), 320, 120);
    texture->beginWithClear(0, 0, 0, 0);
    red->visit();
    blue->visit();
    texture->end();
}

Color4B filePixel(const std::string& path, int x, int y)
{
    Image* image = new Image();
    Color4B colour;
    if (image->initWithImageFile(path)) colour = EngineHarness::pixelAt(image, x, y);
    image->release();
    return colour;
}

} // namespace

TEST(RenderTextureTest, SizeInPixelsIsPointsTimesContentScale)
{
    EngineHarness h;
    RenderTexture* texture = RenderTexture::create(320, 240);
    ASSERT_NE(texture, nullptr);
    EXPECT_EQ(texture->getSizeInPixels(), Size(640, 480));
    ASSERT_NE(texture->getSprite(), nullptr);
    EXPECT_EQ(texture->getSprite()->getContentSize(), Size(320, 240));
    EXPECT_EQ(texture->getSprite()->getTexture()->getPixelsWide(), 640);
    EXPECT_EQ(RenderTexture::create(0, 240), nullptr);
}

TEST(RenderTextureTest, SavedPngHasTheDrawnColoursUprightAndTheCallbackFollowsTheFile)
{
    EngineHarness h;
    FileUtils::getInstance()->createDirectory(FileUtils::getInstance()->getWritablePath() + "screen");
    SaveRecord record;
    // Nobody retains it: the queued drawing and the save keep it alive.
    RenderTexture* texture = RenderTexture::create(320, 240);
    drawBands(texture);
    ASSERT_TRUE(texture->saveToFile("screen/bands.png", Image::Format::PNG, true, recordInto(&record)));
    EXPECT_EQ(record.calls, 0) << "the save waits for the next render";
    EXPECT_EQ(RenderTexture::savesInProgress(), 1u);

    framesUntil(h, record);
    ASSERT_EQ(record.calls, 1);
    EXPECT_EQ(RenderTexture::savesInProgress(), 0u);
    const std::string expected = FileUtils::getInstance()->getWritablePath() + "screen/bands.png";
    EXPECT_EQ(record.path, expected);
    EXPECT_TRUE(record.onMainThread);
    EXPECT_TRUE(record.fileCompleteAtCallback);
    EXPECT_EQ(record.texture, texture);
    EXPECT_EQ(record.pixelsAtCallback, Size(640, 480));

    int w = 0, hgt = 0;
    ASSERT_TRUE(decodes(expected, &w, &hgt));
    EXPECT_EQ(w, 640);
    EXPECT_EQ(hgt, 480);
    // File rows are top first: the red band drawn at the top is at the top.
    EXPECT_EQ(filePixel(expected, 10, 10), Color4B(255, 0, 0, 255));
    EXPECT_EQ(filePixel(expected, 310, 230), Color4B(255, 0, 0, 255));
    EXPECT_EQ(filePixel(expected, 10, 470), Color4B(0, 0, 255, 255));
    EXPECT_EQ(filePixel(expected, 630, 470), Color4B(0, 0, 255, 255));
    EXPECT_EQ(filePixel(expected, 630, 10).a, 0) << "the clear leaves undrawn pixels transparent";

    for (int i = 0; i < 5; ++i) h.frame();
    EXPECT_EQ(record.calls, 1);
}

TEST(RenderTextureTest, WithoutAlphaTheFileIsOpaque)
{
    EngineHarness h;
    SaveRecord record;
    RenderTexture* texture = RenderTexture::create(32, 16);
    texture->beginWithClear(0, 1, 0, 0.5f);
    texture->end();
    texture->saveToFile("flat.png", Image::Format::PNG, false, recordInto(&record));
    framesUntil(h, record);
    ASSERT_EQ(record.calls, 1);
    Color4B pixel = filePixel(record.path, 3, 3);
    EXPECT_EQ(pixel.g, 255);
    EXPECT_EQ(pixel.a, 255);
}

TEST(RenderTextureTest, SpriteShowsTheTextureUprightOnScreen)
{
    EngineHarness h;
    RenderTexture* texture = RenderTexture::create(320, 240);
    drawBands(texture);
    Sprite* sprite = texture->getSprite();
    sprite->setAnchorPoint(Vec2::ZERO);
    sprite->setPosition(Vec2::ZERO);
    h.scene()->addChild(sprite);
    h.frame();
    // A 1024 x 768 window shows design points one to one, y down.
    Image* frame = h.capture();
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(EngineHarness::pixelAt(frame, 5, 768 - 235), Color4B(255, 0, 0, 255));
    EXPECT_EQ(EngineHarness::pixelAt(frame, 5, 768 - 5), Color4B(0, 0, 255, 255));
    Color4B right = EngineHarness::pixelAt(frame, 300, 768 - 235);
    EXPECT_EQ(right.r, 0) << "the clear area shows the black screen behind";
    EXPECT_EQ(right.b, 0);
    sprite->removeFromParent();
}

// The application's thumbnail: a full-screen snapshot drawn at 0.3125 into
// a second render texture, both made in one go outside any frame.
TEST(RenderTextureTest, SnapshotSpriteScaledIntoAThumbnail)
{
    EngineHarness h;
    Size visible = h.director()->getVisibleSize();
    RenderTexture* snapshot = RenderTexture::create(int(visible.width), int(visible.height));
    LayerColor* top = LayerColor::create(Color4B(250, 200, 0, 255), visible.width, visible.height / 2);
    top->setPosition(0, visible.height / 2);
    snapshot->beginWithClear(0, 0, 0, 0);
    top->visit();
    snapshot->end();

    Sprite* sprite = snapshot->getSprite();
    sprite->setAnchorPoint(Vec2::ZERO);
    sprite->setScale(0.3125f);
    Size size = sprite->getContentSize();
    RenderTexture* thumbnail = RenderTexture::create(int(double(size.width) * 0.3125), int(double(size.height) * 0.3125));
    thumbnail->beginWithClear(0, 0, 0, 0);
    sprite->visit();
    thumbnail->end();
    SaveRecord record;
    thumbnail->saveToFile("thumb.png", Image::Format::PNG, true, recordInto(&record));

    framesUntil(h, record);
    ASSERT_EQ(record.calls, 1);
    int w = 0, hgt = 0;
    ASSERT_TRUE(decodes(record.path, &w, &hgt));
    EXPECT_EQ(w, 640);
    EXPECT_EQ(hgt, 480);
    EXPECT_EQ(filePixel(record.path, 320, 100), Color4B(250, 200, 0, 255));
    EXPECT_EQ(filePixel(record.path, 320, 380).a, 0);
}

TEST(RenderTextureTest, FailedWriteStillCallsBackAndLeavesNoFile)
{
    EngineHarness h;
    const std::string writable = FileUtils::getInstance()->getWritablePath();
    // A plain file where a folder should be: no user, root included, can write below it.
    FileUtils::getInstance()->writeStringToFile("not a folder", writable + "blocker");
    SaveRecord record;
    RenderTexture* texture = RenderTexture::create(64, 64);
    texture->beginWithClear(1, 0, 0, 1);
    texture->end();
    texture->saveToFile("blocker/thumb.png", Image::Format::PNG, true, recordInto(&record));
    framesUntil(h, record);
    ASSERT_EQ(record.calls, 1);
    EXPECT_EQ(record.path, writable + "blocker/thumb.png");
    EXPECT_TRUE(record.onMainThread);
    EXPECT_FALSE(fileExists(record.path));
    EXPECT_FALSE(record.fileCompleteAtCallback);
}

TEST(RenderTextureTest, TwoSavesOfOneTextureKeepTheirOwnContents)
{
    EngineHarness h;
    SaveRecord first, second;
    RenderTexture* texture = RenderTexture::create(16, 16);
    texture->beginWithClear(1, 0, 0, 1);
    texture->end();
    texture->saveToFile("first.png", Image::Format::PNG, true, recordInto(&first));
    texture->beginWithClear(0, 0, 1, 1);
    texture->end();
    texture->saveToFile("second.png", Image::Format::PNG, true, recordInto(&second));
    framesUntil(h, second);
    ASSERT_EQ(first.calls, 1);
    ASSERT_EQ(second.calls, 1);
    EXPECT_EQ(filePixel(first.path, 1, 1), Color4B(255, 0, 0, 255));
    EXPECT_EQ(filePixel(second.path, 1, 1), Color4B(0, 0, 255, 255));
}

// The board's snapshot at the end of a touch, and a trashed part removing
// itself in the next frame: the part is freed before that frame renders, and
// the snapshot must hold it all the same (and never read the freed node).
TEST(RenderTextureTest, SnapshotShowsANodeFreedInTheNextFrame)
{
    EngineHarness h;
    Node* board = Node::create();
    h.scene()->addChild(board);
    LayerColor* part = LayerColor::create(Color4B(255, 0, 0, 255), 100, 60);
    part->setPosition(20, 30);
    board->addChild(part);
    Sprite* picture = Sprite::create("res/noimage640.png");
    ASSERT_NE(picture, nullptr);
    picture->setAnchorPoint(Vec2::ZERO);
    picture->setScale(0.25f);
    picture->setPosition(200, 30);
    board->addChild(picture);
    // On the board for a frame: from now on only the board holds them.
    h.frame();

    RenderTexture* snapshot = RenderTexture::create(320, 240);
    snapshot->retain();
    snapshot->beginWithClear(0, 0, 0, 0);
    board->visit();
    snapshot->end();
    part->runAction(RemoveSelf::create());
    picture->runAction(RemoveSelf::create());
    h.frame();
    EXPECT_EQ(board->getChildrenCount(), 0);
    h.frame();

    SaveRecord record;
    snapshot->saveToFile("board.png", Image::Format::PNG, true, recordInto(&record));
    snapshot->release();
    framesUntil(h, record);
    ASSERT_EQ(record.calls, 1);
    // File rows run down from the top, in pixels: design (x, y) is (2x, 2 (240 - y)).
    EXPECT_EQ(filePixel(record.path, 2 * 70, 2 * (240 - 60)), Color4B(255, 0, 0, 255));
    EXPECT_EQ(filePixel(record.path, 2 * 10, 2 * (240 - 60)).a, 0);
    EXPECT_EQ(filePixel(record.path, 2 * 240, 2 * (240 - 60)).a, 255) << "the picture is in the snapshot";
    EXPECT_EQ(filePixel(record.path, 2 * 195, 2 * (240 - 60)).a, 0);
}

namespace {

// Every pixel tells where it came from: red and green are the low bits of x
// and y, blue their high bits.
Color4B patternAt(int x, int y)
{
    return Color4B(uint8_t(x & 255), uint8_t(y & 255), uint8_t((x >> 8) | ((y >> 8) << 4)), 255);
}

Texture2D* patternPicture(int w, int h)
{
    std::vector<unsigned char> pixels(size_t(w) * h * 4);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            Color4B c = patternAt(x, y);
            unsigned char* p = &pixels[(size_t(y) * w + x) * 4];
            p[0] = c.r;
            p[1] = c.g;
            p[2] = c.b;
            p[3] = c.a;
        }
    }
    Image* image = new Image();
    Texture2D* texture = nullptr;
    if (image->initWithRawData(pixels.data(), ptrdiff_t(pixels.size()), w, h, 8)) {
        texture = new Texture2D();
        texture->initWithImage(image);
        texture->autorelease();
    }
    image->release();
    return texture;
}

} // namespace

// Large pictures drawn one to one (the board snapshot is 2048 x 1536 pixels)
// are where a software triangle filler's fixed-point products overflow; every
// pixel must still come from its own place in the picture.
TEST(RenderTextureTest, LargePictureDrawnOneToOneArrivesPixelForPixel)
{
    EngineHarness h;
    const int wPx = 2048, hPx = 1536;
    Texture2D* picture = patternPicture(wPx, hPx);
    ASSERT_NE(picture, nullptr);
    Sprite* sprite = Sprite::createWithTexture(picture);
    sprite->setAnchorPoint(Vec2::ZERO);
    RenderTexture* texture = RenderTexture::create(wPx / 2, hPx / 2);
    texture->beginWithClear(0, 0, 0, 0);
    sprite->visit();
    texture->end();
    SaveRecord record;
    texture->saveToFile("pattern.png", Image::Format::PNG, true, recordInto(&record));
    framesUntil(h, record);
    ASSERT_EQ(record.calls, 1);

    // The software filler samples the last texel of a quad one early (it
    // clamps to the texture inside each triangle), so a pixel may come from
    // at most one place to its left or above; anything else is misread memory.
    Image* saved = new Image();
    ASSERT_TRUE(saved->initWithImageFile(record.path));
    int wrong = 0;
    for (int y = 0; y < hPx; y += 3) {
        for (int x = 0; x < wPx; x += 3) {
            Color4B c = EngineHarness::pixelAt(saved, x, y);
            int fromX = c.r | ((c.b & 15) << 8), fromY = c.g | ((c.b >> 4) << 8);
            bool near = fromX <= x && fromX >= x - 1 && fromY <= y && fromY >= y - 1;
            if (!near || c.a != 255) ++wrong;
        }
    }
    EXPECT_EQ(EngineHarness::pixelAt(saved, 0, 0), patternAt(0, 0));
    saved->release();
    EXPECT_EQ(wrong, 0);
}

// A child saves a large, poorly compressible picture over and over and is
// killed at random moments; the final name must hold a whole PNG or nothing.
// The child reports every finished save through a pipe and the kills start
// only after its first, so a slow machine changes when the kill lands, never
// what the test can expect: a whole picture under the name every round.
TEST(RenderTextureTest, KilledWhileSavingNeverLeavesATruncatedPng)
{
    EngineHarness h;
    const std::string path = FileUtils::getInstance()->getWritablePath() + "big.png";
    const int wPx = 1200, hPx = 900;
    std::vector<unsigned char> noise(size_t(wPx) * hPx * 4);
    std::mt19937 random(12345);
    for (auto& byte : noise) byte = static_cast<unsigned char>(random());
    Image* image = new Image();
    ASSERT_TRUE(image->initWithRawData(noise.data(), ptrdiff_t(noise.size()), wPx, hPx, 8));
    Texture2D* picture = new Texture2D();
    ASSERT_TRUE(picture->initWithImage(image));
    image->release();
    Sprite* sprite = Sprite::createWithTexture(picture);
    picture->release();
    sprite->retain();
    sprite->setAnchorPoint(Vec2::ZERO);

    for (int round = 0; round < 6; ++round) {
        std::remove(path.c_str());
        int saves[2];
        ASSERT_EQ(::pipe(saves), 0);
        auto started = std::chrono::steady_clock::now();
        pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::close(saves[0]);
            // Saves until killed; a parent that is gone closes the pipe, and
            // the next report ends the child too.
            for (;;) {
                RenderTexture* texture = RenderTexture::create(wPx / 2, hPx / 2);
                texture->beginWithClear(0, 0, 0, 0);
                sprite->visit();
                texture->end();
                bool done = false;
                texture->saveToFile("big.png", Image::Format::PNG, true,
                                    [&done](RenderTexture*, const std::string&) { done = true; });
                for (int f = 0; f < 10 && !done; ++f) h.frame();
                // Never run the parent's destructors (they remove its folder).
                if (!done || ::write(saves[1], "s", 1) != 1) ::_exit(1);
            }
        }
        ::close(saves[1]);
        char report = 0;
        ssize_t got = ::read(saves[0], &report, 1);
        // Anywhere in the next save, however long one takes on this machine.
        auto oneSave = std::chrono::steady_clock::now() - started;
        auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(oneSave).count();
        std::this_thread::sleep_for(
            std::chrono::milliseconds(std::uniform_int_distribution<long long>(0, ms)(random)));
        ::kill(child, SIGKILL);
        ::close(saves[0]);
        int status = 0;
        ::waitpid(child, &status, 0);
        ASSERT_EQ(got, 1) << "the child never finished a save";
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << "the child ended on its own";
        int w = 0, hgt = 0;
        ASSERT_TRUE(decodes(path, &w, &hgt)) << "round " << round;
        EXPECT_EQ(w, wPx);
        EXPECT_EQ(hgt, hPx);
    }
    sprite->release();
}

// A cleared render texture drawn again with exactly the drawing that made
// its pixels is left as it is. A turned node, another clear colour, or any
// drawing into it in between draws it afresh, and what it shows is always
// what a fresh texture drawn once shows.
TEST(RenderTextureTest, RepeatingTheLastWholeDrawingLeavesThePixelsAsTheyAre)
{
    EngineHarness h;
    Renderer* renderer = h.director()->getRenderer();
    Sprite* part = Sprite::create("res/circuit_corner.png");
    ASSERT_NE(part, nullptr);
    part->retain();
    part->setPosition(100, 80);
    auto draw = [&](RenderTexture* into, float red) {
        into->beginWithClear(red, 0, 0, 1);
        part->visit();
        into->end();
    };
    RenderTexture* texture = RenderTexture::create(320, 240);
    Texture2D* pixels = texture->getTexture();
    draw(texture, 0);
    uint32_t version = pixels->getContentVersion();
    const size_t queued = renderer->getQueuedCommandCount();
    draw(texture, 0);
    EXPECT_EQ(pixels->getContentVersion(), version) << "drawn again";
    EXPECT_EQ(renderer->getQueuedCommandCount(), queued) << "its commands were left queued";

    part->setRotation(45);
    draw(texture, 0);
    EXPECT_NE(pixels->getContentVersion(), version);
    version = pixels->getContentVersion();
    draw(texture, 1);
    EXPECT_NE(pixels->getContentVersion(), version);
    version = pixels->getContentVersion();
    texture->begin();
    part->visit();
    texture->end();
    EXPECT_NE(pixels->getContentVersion(), version) << "a drawing on top always draws";
    version = pixels->getContentVersion();
    draw(texture, 1);
    EXPECT_NE(pixels->getContentVersion(), version) << "the pixels changed since the last whole drawing";
    version = pixels->getContentVersion();
    draw(texture, 1);
    EXPECT_EQ(pixels->getContentVersion(), version);

    Sprite* shown = texture->getSprite();
    shown->setAnchorPoint(Vec2::ZERO);
    h.scene()->addChild(shown);
    h.frame();
    Image* kept = h.capture();
    ASSERT_NE(kept, nullptr);
    const std::string keptBytes(reinterpret_cast<const char*>(kept->getData()), size_t(kept->getDataLen()));
    shown->removeFromParent();
    RenderTexture* fresh = RenderTexture::create(320, 240);
    draw(fresh, 1);
    fresh->getSprite()->setAnchorPoint(Vec2::ZERO);
    h.scene()->addChild(fresh->getSprite());
    h.frame();
    Image* afresh = h.capture();
    ASSERT_NE(afresh, nullptr);
    EXPECT_EQ(keptBytes, std::string(reinterpret_cast<const char*>(afresh->getData()), size_t(afresh->getDataLen())));
    part->release();
}
