#include <SDL.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "2d/CCTextFieldTTF.h"
#include "EngineHarness.h"

USING_NS_CC;

namespace {

// Records every question the field asks and answers as told.
struct RecordingDelegate : TextFieldDelegate {
    bool refuseAttach = false;
    bool refuseDetach = false;
    std::string refuseInsert; // refused when equal to the inserted text
    bool refuseDelete = false;
    std::vector<std::string> log;

    bool onTextFieldAttachWithIME(TextFieldTTF*) override
    {
        log.push_back("attach");
        return refuseAttach;
    }
    bool onTextFieldDetachWithIME(TextFieldTTF*) override
    {
        log.push_back("detach");
        return refuseDetach;
    }
    bool onTextFieldInsertText(TextFieldTTF*, const char* text, size_t len) override
    {
        std::string inserted(text, len);
        log.push_back("insert:" + inserted);
        return !refuseInsert.empty() && inserted == refuseInsert;
    }
    bool onTextFieldDeleteBackward(TextFieldTTF*, const char* text, size_t len) override
    {
        log.push_back("delete:" + std::string(text, len));
        return refuseDelete;
    }
    std::function<bool(TextFieldTTF*, EventKeyboard::KeyCode, bool)> onKey;
    bool onTextFieldKeyPressed(TextFieldTTF* sender, EventKeyboard::KeyCode key, bool shift) override
    {
        return onKey && onKey(sender, key, shift);
    }
};

// The window pixel at the middle of a rectangle in the field's space.
Color4B pixelInField(EngineHarness& h, TextFieldTTF* field, const Rect& rect)
{
    Image* shot = h.capture();
    EXPECT_NE(shot, nullptr);
    if (!shot) return Color4B();
    Vec2 world = field->convertToWorldSpace(Vec2(rect.getMidX(), rect.getMidY()));
    Vec2 pixel = h.director()->getOpenGLView()->designToWindow(world);
    return EngineHarness::pixelAt(shot, int(pixel.x), int(pixel.y));
}

TextFieldTTF* accountField(EngineHarness& h, const char* placeholder = "Galvora-Name(UserID)")
{
    TextFieldTTF* field =
        TextFieldTTF::textFieldWithPlaceHolder(placeholder, Size(240, 40), TextHAlignment::CENTER, "Arial", 15);
    EXPECT_NE(field, nullptr);
    field->setPosition(Vec2(369, 665));
    h.scene()->addChild(field);
    return field;
}

} // namespace

TEST(TextFieldTTF, ShowsThePlaceholderWhileEmptyInTheMiddleOfItsBox)
{
    EngineHarness h;
    TextFieldTTF* field = accountField(h);
    EXPECT_EQ(field->getString(), "");
    EXPECT_EQ(field->getCharCount(), 0);
    EXPECT_EQ(field->getPlaceHolder(), "Galvora-Name(UserID)");
    EXPECT_EQ(field->getContentSize(), Size(240, 40));
    // The placeholder's letters are what is drawn, in the placeholder colour.
    ASSERT_EQ(field->getStringLength(), 20);
    EXPECT_EQ(field->getTextColor(), field->getColorSpaceHolder());
    EXPECT_NEAR(field->getLetter(0)->getPositionY(), 20.0f, 4.0f);
    float firstX = field->getLetter(0)->getPositionX();
    float lastX = field->getLetter(19)->getPositionX();
    EXPECT_NEAR((firstX + lastX) * 0.5f, 120.0f, 6.0f);

    field->setString("kito");
    EXPECT_EQ(field->getStringLength(), 4);
    EXPECT_EQ(field->getTextColor(), Color4B::WHITE);
    field->setString("");
    EXPECT_EQ(field->getStringLength(), 20);
}

TEST(TextFieldTTF, TypingBackspaceAndEnterWhileAttached)
{
    EngineHarness h;
    TextFieldTTF* field = accountField(h);
    h.typeText("ignored");
    EXPECT_EQ(field->getString(), "");

    EXPECT_TRUE(field->attachWithIME());
    EXPECT_TRUE(field->isAttachedWithIME());
    h.typeText("kit");
    h.typeText("é日本");
    EXPECT_EQ(field->getString(), "kité日本");
    EXPECT_EQ(field->getCharCount(), 6);

    // Backspace takes whole characters, however many bytes they are.
    ASSERT_TRUE(h.key("Backspace"));
    EXPECT_EQ(field->getString(), "kité日");
    h.key("Backspace");
    h.key("Backspace");
    EXPECT_EQ(field->getString(), "kit");
    EXPECT_EQ(field->getCharCount(), 3);
    for (int i = 0; i < 5; ++i) h.key("Backspace");
    EXPECT_EQ(field->getString(), "");
    EXPECT_EQ(field->getStringLength(), 20); // placeholder is back

    h.typeText("abc");
    h.key("Return");
    EXPECT_FALSE(field->isAttachedWithIME());
    EXPECT_EQ(field->getString(), "abc");
    h.typeText("d");
    EXPECT_EQ(field->getString(), "abc");
}

TEST(TextFieldTTF, TextUpToALineBreakIsTypedThenTheFieldDetaches)
{
    EngineHarness h;
    TextFieldTTF* field = accountField(h);
    field->attachWithIME();
    h.typeText("code\nrest");
    EXPECT_EQ(field->getString(), "code");
    EXPECT_FALSE(field->isAttachedWithIME());
}

TEST(TextFieldTTF, DelegateMayRefuseEachOperation)
{
    EngineHarness h;
    TextFieldTTF* field = accountField(h);
    RecordingDelegate delegate;
    field->setDelegate(&delegate);

    delegate.refuseAttach = true;
    EXPECT_FALSE(field->attachWithIME());
    EXPECT_FALSE(field->isAttachedWithIME());
    h.typeText("x");
    EXPECT_EQ(field->getString(), "");

    delegate.refuseAttach = false;
    EXPECT_TRUE(field->attachWithIME());
    delegate.refuseInsert = "x";
    h.typeText("x");
    h.typeText("y");
    EXPECT_EQ(field->getString(), "y");

    delegate.refuseDelete = true;
    h.key("Backspace");
    EXPECT_EQ(field->getString(), "y");
    delegate.refuseDelete = false;

    // Refusing the line break keeps the keyboard; refusing to detach too.
    delegate.refuseInsert = "\n";
    h.key("Return");
    EXPECT_TRUE(field->isAttachedWithIME());
    delegate.refuseInsert.clear();
    delegate.refuseDetach = true;
    h.key("Return");
    EXPECT_TRUE(field->isAttachedWithIME());
    EXPECT_FALSE(field->detachWithIME());
    delegate.refuseDetach = false;
    EXPECT_TRUE(field->detachWithIME());

    std::vector<std::string> expected{"attach", "attach", "insert:x", "insert:y", "delete:y",
                                      "insert:\n", "insert:\n", "detach", "detach", "detach"};
    EXPECT_EQ(delegate.log, expected);
}

TEST(TextFieldTTF, OnlyOneFieldReceivesKeysAtATime)
{
    EngineHarness h;
    TextFieldTTF* name = accountField(h);
    TextFieldTTF* code = accountField(h, "Account-Code(Password)");
    name->attachWithIME();
    h.typeText("me");
    code->attachWithIME();
    EXPECT_FALSE(name->isAttachedWithIME());
    EXPECT_TRUE(code->isAttachedWithIME());
    h.typeText("1234");
    EXPECT_EQ(name->getString(), "me");
    EXPECT_EQ(code->getString(), "1234");

    // A field removed while attached stops receiving keys without a crash.
    code->removeFromParent();
    h.frame();
    h.typeText("5");
    EXPECT_EQ(name->getString(), "me");
}

TEST(TextFieldTTF, PasteArrivesAsTypedText)
{
    EngineHarness h;
    TextFieldTTF* field = accountField(h);
    if (SDL_SetClipboardText("pasted日本") != 0) GTEST_SKIP() << "no clipboard on this video driver";
    field->attachWithIME();
    h.typeText("a");
    h.key("Ctrl+V");
    EXPECT_EQ(field->getString(), "apasted日本");
}

TEST(TextFieldTTF, TreeDumpShowsTheTypedTextNotThePlaceholder)
{
    EngineHarness h;
    TextFieldTTF* field = accountField(h);
    field->setString("kito");
    std::string dump = EngineHarness::dumpTree(h.scene());
    EXPECT_NE(dump.find("TextFieldTTF"), std::string::npos);
    EXPECT_NE(dump.find("text=\"kito\""), std::string::npos);
    EXPECT_EQ(dump.find("Galvora-Name"), std::string::npos);
}

TEST(TextFieldTTF, CaretMovesByWholeCharactersAndTextGoesInAtIt)
{
    EngineHarness h;
    TextFieldTTF* field = accountField(h);
    field->setCursorEnabled(true);
    field->attachWithIME();
    h.typeText("kité日本");
    EXPECT_EQ(field->getCursorPosition(), 6u);
    h.key("Left");
    h.key("Left");
    h.typeText("-");
    EXPECT_EQ(field->getString(), "kité-日本");
    // The caret stands between the letters around it.
    float caretX = field->getCursorRect().getMidX();
    EXPECT_GT(caretX, field->getLetter(4)->getBoundingBox().getMinX() - 0.5f);
    EXPECT_LT(caretX, field->getLetter(5)->getBoundingBox().getMinX() + 0.5f);
    h.key("Home");
    h.key("Delete");
    h.key("Right");
    h.key("Backspace");
    EXPECT_EQ(field->getString(), "té-日本");
    EXPECT_EQ(field->getCursorPosition(), 0u);
    h.key("Left");
    h.key("Backspace");
    EXPECT_EQ(field->getString(), "té-日本");
    h.key("End");
    h.key("Right");
    h.key("Delete");
    h.typeText("!");
    EXPECT_EQ(field->getString(), "té-日本!");
    EXPECT_EQ(field->getCharCount(), 6);
}

TEST(TextFieldTTF, CaretBlinksWhileAttachedAndIsDrawn)
{
    EngineHarness h(2048, 1536);
    TextFieldTTF* field = accountField(h);
    field->setCursorEnabled(true);
    EXPECT_FALSE(field->isCursorShown());
    field->attachWithIME();
    h.frame();
    // Empty, the caret stands in the middle where typing will begin.
    Rect caret = field->getCursorRect();
    EXPECT_NEAR(caret.getMidX(), 120.0f, 1.0f);
    EXPECT_NEAR(caret.getMidY(), 20.0f, 2.0f);
    EXPECT_TRUE(field->isCursorShown());
    EXPECT_EQ(pixelInField(h, field, caret), Color4B::WHITE);
    h.advance(0.55);
    EXPECT_FALSE(field->isCursorShown());
    EXPECT_NE(pixelInField(h, field, caret), Color4B::WHITE);
    h.advance(0.5);
    EXPECT_TRUE(field->isCursorShown());
    // A key shows it again at once, and leaving the field hides it.
    h.advance(0.5);
    h.typeText("a");
    EXPECT_TRUE(field->isCursorShown());
    field->detachWithIME();
    h.frame();
    EXPECT_FALSE(field->isCursorShown());
    EXPECT_NE(pixelInField(h, field, field->getCursorRect()), Color4B::WHITE);
}

TEST(TextFieldTTF, SelectAllIsReplacedByTypingAndRemovedByBackspace)
{
    EngineHarness h;
    TextFieldTTF* field = accountField(h);
    RecordingDelegate delegate;
    field->setDelegate(&delegate);
    field->setCursorEnabled(true);
    field->attachWithIME();
    field->setString("old name");
    h.key("Ctrl+A");
    EXPECT_TRUE(field->hasSelection());
    EXPECT_FALSE(field->isCursorShown());
    std::vector<Rect> rects = field->getSelectionRects();
    ASSERT_EQ(rects.size(), 1u);
    EXPECT_LT(rects[0].getMinX(), field->getLetter(0)->getBoundingBox().getMidX());
    EXPECT_GT(rects[0].getMaxX(), field->getLetter(7)->getBoundingBox().getMidX());
    h.typeText("new");
    EXPECT_EQ(field->getString(), "new");
    EXPECT_FALSE(field->hasSelection());

    // Shift extends from the caret; the delegate is asked about the whole selection.
    h.key("Shift+Left");
    h.key("Shift+Left");
    delegate.log.clear();
    h.key("Backspace");
    EXPECT_EQ(field->getString(), "n");
    h.key("Ctrl+A");
    h.key("Delete");
    EXPECT_EQ(field->getString(), "");
    std::vector<std::string> expected{"delete:ew", "delete:n"};
    EXPECT_EQ(delegate.log, expected);
    // Left or Right ends a selection at its near edge.
    field->setString("abc");
    h.key("Ctrl+A");
    h.key("Left");
    EXPECT_FALSE(field->hasSelection());
    EXPECT_EQ(field->getCursorPosition(), 0u);
}

TEST(TextFieldTTF, TabGoesToTheDelegateWhichMayMoveTheKeyboard)
{
    EngineHarness h;
    TextFieldTTF* name = accountField(h);
    TextFieldTTF* code = accountField(h, "Account-Code(Password)");
    RecordingDelegate delegate;
    std::vector<std::string> keys;
    delegate.onKey = [&](TextFieldTTF* sender, EventKeyboard::KeyCode key, bool shift) {
        if (key != EventKeyboard::KeyCode::KEY_TAB) return false;
        keys.push_back(std::string(sender == name ? "name" : "code") + (shift ? " shift+tab" : " tab"));
        (sender == name ? code : name)->attachWithIME();
        return true;
    };
    name->setDelegate(&delegate);
    code->setDelegate(&delegate);
    name->attachWithIME();
    h.typeText("me");
    h.key("Tab");
    h.typeText("1234");
    h.key("Shift+Tab");
    h.typeText("!");
    EXPECT_EQ(name->getString(), "me!");
    EXPECT_EQ(code->getString(), "1234");
    EXPECT_EQ(keys, (std::vector<std::string>{"name tab", "code shift+tab"}));

    // Without the caret, the arrows do nothing and text goes on at the end.
    h.key("Left");
    h.key("Ctrl+A");
    h.typeText("?");
    EXPECT_EQ(name->getString(), "me!?");
}
