#include <SDL.h>
#include <gtest/gtest.h>

#include <set>

#include "2d/CCLabel.h"
#include "EngineHarness.h"

USING_NS_CC;

namespace {

const char* kTitleFont = "fonts/Diamante-ExtraBold.ttf";

// A window of 2048 x 1536 pixels shows the 1024 x 768 design at two pixels a
// point, so textures made for the content scale land pixel for pixel.
struct CrispHarness : EngineHarness {
    CrispHarness() : EngineHarness(2048, 1536) {}
};

// Window pixel rectangle (x0, y0, x1, y1), y down, of a node's box.
struct PixelBox {
    int x0, y0, x1, y1;
    bool contains(int x, int y) const { return x >= x0 && x < x1 && y >= y0 && y < y1; }
};

PixelBox windowBox(Node* node)
{
    Rect world = RectApplyTransform(Rect(0, 0, node->getContentSize().width, node->getContentSize().height),
                                    node->getNodeToWorldTransform());
    return PixelBox{int(world.getMinX() * 2), int((768 - world.getMaxY()) * 2), int(std::ceil(world.getMaxX() * 2)),
                    int(std::ceil((768 - world.getMinY()) * 2))};
}

Node* letterNode(Label* label, int i)
{
    Sprite* letter = label->getLetter(i);
    EXPECT_NE(letter, nullptr) << "letter " << i;
    return letter;
}

float letterWorldX(Label* label, int i) { return label->convertToWorldSpace(label->getLetter(i)->getPosition()).x; }
float letterWorldY(Label* label, int i) { return label->convertToWorldSpace(label->getLetter(i)->getPosition()).y; }

} // namespace

TEST(LabelRendering, TitleIsRasterisedAtTwiceThePointSizeAndAntialiased)
{
    CrispHarness h;
    Label* title = Label::createWithTTF("VELOQUIX", kTitleFont, 27);
    ASSERT_NE(title, nullptr);
    title->setTextColor(Color4B::WHITE);
    title->setPosition(Vec2(512, 384));
    h.scene()->addChild(title);

    // Content size is in points: about one line of a 27 point face.
    Size size = title->getContentSize();
    EXPECT_GT(size.height, 20.0f);
    EXPECT_LT(size.height, 45.0f);
    EXPECT_GT(size.width, 80.0f);
    EXPECT_LT(size.width, 250.0f);

    Sprite* v = title->getLetter(0);
    ASSERT_NE(v, nullptr);
    ASSERT_NE(v->getTexture(), nullptr);
    EXPECT_EQ(v->getTexture()->getPixelsHigh(), int(std::lround(v->getContentSize().height * 2)));
    EXPECT_EQ(v->getTexture()->getPixelsWide(), int(std::lround(v->getContentSize().width * 2)));
    EXPECT_GE(v->getTexture()->getPixelsHigh(), 44);

    h.frame();
    Image* shot = h.capture();
    ASSERT_NE(shot, nullptr);
    PixelBox box = windowBox(title);
    int solid = 0, partial = 0;
    for (int y = box.y0; y < box.y1; ++y) {
        for (int x = box.x0; x < box.x1; ++x) {
            uint8_t r = EngineHarness::pixelAt(shot, x, y).r;
            if (r == 255) ++solid;
            if (r > 20 && r < 235) ++partial;
        }
    }
    // Solid stems with a thin antialiased rim: many full pixels, and edge
    // pixels that are neither on nor off.
    EXPECT_GT(solid, 2000);
    EXPECT_GT(partial, 100);
    EXPECT_LT(partial, solid);
    // Nothing drawn outside the label's box.
    for (int x = 0; x < 2048; x += 3) EXPECT_EQ(EngineHarness::pixelAt(shot, x, box.y0 - 4).r, 0);
}

TEST(LabelRendering, ColouringTheFourthLetterChangesOnlyThatLetter)
{
    CrispHarness h;
    Label* title = Label::createWithTTF("VELOQUIX", kTitleFont, 27);
    ASSERT_NE(title, nullptr);
    title->setPosition(Vec2(512, 384));
    h.scene()->addChild(title);
    h.frame();
    Image* before = h.capture();
    ASSERT_NE(before, nullptr);
    before->retain();

    Sprite* o = title->getLetter(3);
    ASSERT_NE(o, nullptr);
    o->setColor(Color3B::RED);
    h.frame();
    Image* after = h.capture();
    ASSERT_NE(after, nullptr);

    PixelBox fourth = windowBox(o);
    PixelBox third = windowBox(letterNode(title, 2));
    EXPECT_GT(fourth.x0, third.x0);
    int changed = 0, outside = 0, redInside = 0;
    for (int y = 0; y < 1536; ++y) {
        for (int x = 0; x < 2048; ++x) {
            Color4B a = EngineHarness::pixelAt(before, x, y);
            Color4B b = EngineHarness::pixelAt(after, x, y);
            if (a == b) continue;
            ++changed;
            if (!fourth.contains(x, y)) ++outside;
            if (b.r == 255 && b.g == 0 && b.b == 0) ++redInside;
        }
    }
    before->release();
    EXPECT_GT(changed, 300);
    EXPECT_EQ(outside, 0);
    EXPECT_GT(redInside, 300);
}

TEST(LabelRendering, TextColourTintsTheGlyphsAndLetterColourMultipliesIt)
{
    CrispHarness h;
    Label* label = Label::createWithTTF("IIII", kTitleFont, 27);
    ASSERT_NE(label, nullptr);
    label->setTextColor(Color4B::GRAY);
    label->setPosition(Vec2(512, 384));
    h.scene()->addChild(label);
    h.frame();
    Image* shot = h.capture();
    std::set<int> reds;
    PixelBox box = windowBox(label);
    for (int y = box.y0; y < box.y1; ++y)
        for (int x = box.x0; x < box.x1; ++x) reds.insert(EngineHarness::pixelAt(shot, x, y).r);
    EXPECT_EQ(*reds.rbegin(), Color4B::GRAY.r);

    // A letter tinted before the text colour changes keeps its tint.
    label->getLetter(0)->setColor(Color3B::RED);
    label->setTextColor(Color4B::WHITE);
    EXPECT_EQ(label->getLetter(0)->getColor(), Color3B::RED);
}

TEST(LabelLayout, LineBreaksAreNotLettersAndStartANewLine)
{
    EngineHarness h;
    Label* label = Label::createWithTTF("ab\ncd", "fonts/arial.ttf", 20);
    ASSERT_NE(label, nullptr);
    h.scene()->addChild(label);
    EXPECT_EQ(label->getStringLength(), 4);
    EXPECT_EQ(label->getStringNumLines(), 2);
    EXPECT_NE(label->getLetter(3), nullptr);
    EXPECT_EQ(label->getLetter(4), nullptr);
    EXPECT_EQ(label->getLetter(-1), nullptr);
    // "c" starts the second line under "a".
    EXPECT_NEAR(letterWorldX(label, 2), letterWorldX(label, 0), 3.0f);
    EXPECT_LT(letterWorldY(label, 2), letterWorldY(label, 0) - 15.0f);
    EXPECT_NEAR(label->getContentSize().height, 2 * label->getLineHeight(), 1.0f);

    // Windows line ends are one break too; spaces are letters.
    label->setString("a b\r\nc");
    EXPECT_EQ(label->getStringLength(), 4);
    EXPECT_EQ(label->getStringNumLines(), 2);
    EXPECT_EQ(label->getLetter(1)->getTexture(), nullptr);
    EXPECT_GT(label->getLetter(1)->getContentSize().width, 0.0f);
}

TEST(LabelLayout, WordsWrapInsideTheDimensionsWidth)
{
    EngineHarness h;
    Label* label = Label::createWithTTF("one two three four five six", "fonts/arial.ttf", 20, Size(90, 0));
    ASSERT_NE(label, nullptr);
    h.scene()->addChild(label);
    EXPECT_GE(label->getStringNumLines(), 3);
    EXPECT_FLOAT_EQ(label->getContentSize().width, 90.0f);
    EXPECT_NEAR(label->getContentSize().height, label->getStringNumLines() * label->getLineHeight(), 1.0f);
    for (int i = 0; i < label->getStringLength(); ++i) {
        Sprite* letter = label->getLetter(i);
        if (!letter->getTexture()) continue;
        EXPECT_LE(letter->getBoundingBox().getMaxX(), 92.0f) << i;
        EXPECT_GE(letter->getBoundingBox().getMinX(), -2.0f) << i;
    }
    // Words stay whole: "three" (letters 8..12) sits on one line.
    for (int i = 9; i <= 12; ++i) EXPECT_FLOAT_EQ(label->getLetter(i)->getPositionY(), label->getLetter(8)->getPositionY());

    // A word wider than the line is broken between letters.
    label->setString("abcdefghijklmnopqrstuvwxyz");
    EXPECT_GE(label->getStringNumLines(), 3);
    EXPECT_EQ(label->getStringLength(), 26);

    // Japanese has no spaces and breaks between characters.
    Label* jp = Label::createWithSystemFont("日本語の長いサーキット名です", "Hiragino Kaku Gothic ProN", 20, Size(100, 0));
    ASSERT_NE(jp, nullptr);
    EXPECT_GE(jp->getStringNumLines(), 2);
}

TEST(LabelLayout, AlignmentMovesTheTextInsideTheDimensions)
{
    EngineHarness h;
    auto make = [&](TextHAlignment ha, TextVAlignment va) {
        Label* l = Label::createWithTTF("Hi", "fonts/arial.ttf", 20, Size(300, 100), ha, va);
        h.scene()->addChild(l);
        return l;
    };
    Label* left = make(TextHAlignment::LEFT, TextVAlignment::TOP);
    Label* centre = make(TextHAlignment::CENTER, TextVAlignment::CENTER);
    Label* right = make(TextHAlignment::RIGHT, TextVAlignment::BOTTOM);
    ASSERT_TRUE(left && centre && right);
    float xl = left->getLetter(0)->getPositionX();
    float xc = centre->getLetter(0)->getPositionX();
    float xr = right->getLetter(0)->getPositionX();
    EXPECT_LT(xl, 20.0f);
    EXPECT_GT(xr, 270.0f);
    EXPECT_NEAR(xc - xl, xr - xc, 1.0f);
    float yt = left->getLetter(0)->getPositionY();
    float yc = centre->getLetter(0)->getPositionY();
    float yb = right->getLetter(0)->getPositionY();
    EXPECT_GT(yt, 80.0f);
    EXPECT_NEAR(yc, 50.0f, 5.0f);
    EXPECT_LT(yb, 20.0f);
    for (Label* l : {left, centre, right}) EXPECT_EQ(l->getContentSize(), Size(300, 100));

    // Changing the alignment later re-lays out the same letters.
    Sprite* h0 = left->getLetter(0);
    h0->setColor(Color3B::RED);
    left->setHorizontalAlignment(TextHAlignment::RIGHT);
    EXPECT_EQ(left->getLetter(0), h0);
    EXPECT_EQ(h0->getColor(), Color3B::RED);
    EXPECT_NEAR(h0->getPositionX(), xr, 0.01f);
}

TEST(LabelLayout, NewStringReLaysOutWithFreshLetters)
{
    EngineHarness h;
    Label* label = Label::createWithTTF("0", "fonts/Diamante-ExtraBold.ttf", 27);
    ASSERT_NE(label, nullptr);
    h.scene()->addChild(label);
    float narrow = label->getContentSize().width;
    label->getLetter(0)->setColor(Color3B::RED);
    label->setString("1234");
    EXPECT_EQ(label->getString(), "1234");
    EXPECT_EQ(label->getStringLength(), 4);
    EXPECT_GT(label->getContentSize().width, narrow * 3);
    EXPECT_EQ(label->getLetter(0)->getColor(), Color3B::WHITE);
    label->setString("");
    EXPECT_EQ(label->getStringLength(), 0);
    EXPECT_EQ(label->getContentSize(), Size::ZERO);

    // Frames and moves reuse the glyph pictures.
    label->setString("ab");
    Texture2D* a = label->getLetter(0)->getTexture();
    label->setPosition(Vec2(100, 100));
    h.advance(0.1);
    EXPECT_EQ(label->getLetter(0)->getTexture(), a);
}

TEST(LabelFonts, SystemFamilyFallsBackToAFaceThatHasJapaneseGlyphs)
{
    EngineHarness h;
    Label* label = Label::createWithSystemFont("日本語A", "Hiragino Kaku Gothic ProN", 20);
    ASSERT_NE(label, nullptr);
    ASSERT_EQ(label->getStringLength(), 4);
    // Distinct pictures for distinct characters: missing glyphs would all be
    // the same empty box.
    std::set<std::string> pictures;
    for (int i = 0; i < 3; ++i) {
        Texture2D* t = label->getLetter(i)->getTexture();
        ASSERT_NE(t, nullptr);
        SDL_Surface* s = t->getSurface();
        std::string alpha;
        for (int y = 0; y < s->h; ++y)
            for (int x = 0; x < s->w; ++x) alpha += char(static_cast<uint8_t*>(s->pixels)[y * s->pitch + x * 4 + 3]);
        pictures.insert(alpha);
    }
    EXPECT_EQ(pictures.size(), 3u);
    EXPECT_NE(label->getLetter(3)->getTexture(), nullptr);
}

TEST(LabelFonts, PlainLabelUsesTheDefaultSystemFace)
{
    EngineHarness h;
    Label* label = Label::create();
    ASSERT_NE(label, nullptr);
    label->setString("ok");
    EXPECT_EQ(label->getStringLength(), 2);
    EXPECT_GT(label->getContentSize().width, 0.0f);
}

TEST(LabelFonts, MissingFontFileGivesNoLabel)
{
    EngineHarness h;
    EXPECT_EQ(Label::createWithTTF("x", "fonts/no-such-font.ttf", 20), nullptr);
    Label* label = Label::createWithSystemFont("name", "No Such Family At All", 20);
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->getStringLength(), 4);
    EXPECT_NE(label->getLetter(0)->getTexture(), nullptr);
}

TEST(LabelFonts, TreeDumpShowsTheText)
{
    EngineHarness h;
    Label* label = Label::createWithTTF("Version 1.1.0", "fonts/Diamante-ExtraBold.ttf", 16);
    h.scene()->addChild(label);
    std::string dump = EngineHarness::dumpTree(h.scene());
    EXPECT_NE(dump.find("Label"), std::string::npos);
    EXPECT_NE(dump.find("text=\"Version 1.1.0\""), std::string::npos);
    // Letters are the label's own content, not children in the tree.
    EXPECT_EQ(label->getChildrenCount(), 0);
}
