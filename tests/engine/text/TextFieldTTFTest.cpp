#include <SDL.h>
#include <gtest/gtest.h>

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
};

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
