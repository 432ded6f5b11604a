#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "2d/CCLayer.h"
#include "2d/CCTextFieldTTF.h"
#include "EngineHarness.h"
#include "ui/UIEditBox.h"

USING_NS_CC;
using cocos2d::ui::EditBox;
using cocos2d::ui::EditBoxDelegate;
using cocos2d::ui::Widget;

namespace {

struct RecordingDelegate : EditBoxDelegate {
    std::vector<std::string> log;
    void editBoxEditingDidBegin(EditBox*) override { log.push_back("begin"); }
    void editBoxEditingDidEnd(EditBox*) override { log.push_back("end"); }
    void editBoxTextChanged(EditBox*, const std::string& text) override { log.push_back("changed:" + text); }
    void editBoxReturn(EditBox* box) override { log.push_back(std::string("return:") + box->getText()); }
};

int characters(const std::string& text)
{
    int n = 0;
    for (unsigned char c : text) n += (c & 0xC0) != 0x80;
    return n;
}

// The post view's name box: 400 x 44.5 at (512, 325).
EditBox* nameBox(EngineHarness& h, RecordingDelegate* delegate)
{
    EditBox* box = EditBox::create(Size(400, 44.5f), "res/galvora_name.png");
    EXPECT_NE(box, nullptr);
    box->setPosition(Vec2(512, 325));
    box->setFont("Hiragino Kaku Gothic ProN", 20);
    box->setMaxLength(30);
    box->setPlaceholderFontSize(18);
    box->setPlaceHolder("Circuit name");
    box->setReturnType(EditBox::KeyboardReturnType::DONE);
    box->setInputMode(EditBox::InputMode::SINGLE_LINE);
    box->setDelegate(delegate);
    h.scene()->addChild(box);
    h.frame();
    return box;
}

void tap(EngineHarness& h, const Vec2& point)
{
    h.touchDown(0, point);
    h.frame();
    h.touchUp(0);
    h.frame();
}

// The caret is the colour layer above the text; a selection lies below it.
Node* caretOf(EditBox* box)
{
    for (Node* child : box->getChildren()) {
        if (dynamic_cast<LayerColor*>(child) && child->getLocalZOrder() > 0) return child;
    }
    return nullptr;
}

EditBox* descriptionBox(EngineHarness& h, RecordingDelegate* delegate)
{
    EditBox* box = EditBox::create(Size(400, 150.5f), "res/galvora_description.png");
    EXPECT_NE(box, nullptr);
    box->setPosition(Vec2(512, 210));
    box->setFont("Hiragino Kaku Gothic ProN", 20);
    box->setMaxLength(1000);
    box->setInputMode(EditBox::InputMode::ANY);
    box->setDelegate(delegate);
    h.scene()->addChild(box);
    h.frame();
    return box;
}

} // namespace

TEST(EditBox, TapInsideOpensTapOutsideEndsAndReturns)
{
    EngineHarness h;
    RecordingDelegate delegate;
    EditBox* box = nameBox(h, &delegate);
    EXPECT_FALSE(box->isEditing());
    EXPECT_EQ(box->getContentSize(), Size(400, 44.5f));
    // Editing starts when the finger lifts, not when it lands.
    h.touchDown(0, Vec2(512, 325));
    h.frame();
    EXPECT_FALSE(box->isEditing());
    h.touchUp(0);
    h.frame();
    EXPECT_TRUE(box->isEditing());
    h.typeText("Blue");
    tap(h, Vec2(100, 700));
    EXPECT_FALSE(box->isEditing());
    std::vector<std::string> expected{"begin", "changed:Blue", "end", "return:Blue"};
    EXPECT_EQ(delegate.log, expected);
    h.typeText("x");
    EXPECT_STREQ(box->getText(), "Blue");
}

TEST(EditBox, MaximumLengthCountsCharactersNotBytes)
{
    EngineHarness h;
    RecordingDelegate delegate;
    EditBox* box = nameBox(h, &delegate);
    box->openKeyboard();
    std::string thirtyOne;
    const char* kana[] = {"サ", "ー", "キ", "ッ", "ト", "日", "本", "語"};
    for (int i = 0; i < 31; ++i) thirtyOne += kana[i % 8];
    h.typeText(thirtyOne);
    std::string text = box->getText();
    EXPECT_EQ(characters(text), 30);
    EXPECT_EQ(text.size(), 90u);
    EXPECT_EQ(text, thirtyOne.substr(0, 90));
    h.typeText("語");
    EXPECT_EQ(characters(box->getText()), 30);

    h.key("Backspace");
    text = box->getText();
    EXPECT_EQ(characters(text), 29);
    EXPECT_EQ(text.size(), 87u);
    EXPECT_EQ(text, thirtyOne.substr(0, 87));
    h.typeText("A");
    EXPECT_EQ(characters(box->getText()), 30);
}

TEST(EditBox, EnterEndsSingleLineEditing)
{
    EngineHarness h;
    RecordingDelegate delegate;
    EditBox* box = nameBox(h, &delegate);
    box->setText("Track");
    box->touchDownAction(box, Widget::TouchEventType::ENDED);
    EXPECT_TRUE(box->isEditing());
    h.typeText(" 2");
    h.key("Return");
    EXPECT_FALSE(box->isEditing());
    EXPECT_STREQ(box->getText(), "Track 2");
    ASSERT_FALSE(delegate.log.empty());
    EXPECT_EQ(delegate.log.back(), "return:Track 2");
    // Other phases do not open it.
    box->touchDownAction(box, Widget::TouchEventType::BEGAN);
    box->touchDownAction(box, Widget::TouchEventType::CANCELED);
    EXPECT_FALSE(box->isEditing());
}

TEST(EditBox, AnyModeTakesLineBreaksAndCtrlEnterEnds)
{
    EngineHarness h;
    RecordingDelegate delegate;
    EditBox* box = descriptionBox(h, &delegate);
    tap(h, Vec2(512, 210));
    ASSERT_TRUE(box->isEditing());
    h.typeText("one");
    h.key("Return");
    h.typeText("two");
    EXPECT_TRUE(box->isEditing());
    EXPECT_STREQ(box->getText(), "one\ntwo");
    h.key("Ctrl+Return");
    EXPECT_FALSE(box->isEditing());
    EXPECT_EQ(delegate.log.back(), "return:one\ntwo");
}

TEST(EditBox, DisabledOrHiddenBoxIgnoresTaps)
{
    EngineHarness h;
    RecordingDelegate delegate;
    EditBox* box = nameBox(h, &delegate);
    box->setEnabled(false);
    tap(h, Vec2(512, 325));
    EXPECT_FALSE(box->isEditing());
    box->setEnabled(true);
    box->setVisible(false);
    tap(h, Vec2(512, 325));
    EXPECT_FALSE(box->isEditing());
    box->setVisible(true);
    tap(h, Vec2(512, 325));
    EXPECT_TRUE(box->isEditing());
    // Disabling while editing lets go of the keyboard.
    box->setEnabled(false);
    EXPECT_FALSE(box->isEditing());
    h.typeText("x");
    EXPECT_STREQ(box->getText(), "");
}

TEST(EditBox, TapInsideIsSwallowedAndTapOutsideIsNot)
{
    EngineHarness h;
    RecordingDelegate delegate;
    nameBox(h, &delegate);
    int began = 0;
    auto below = EventListenerTouchOneByOne::create();
    below->onTouchBegan = [&](Touch*, Event*) {
        ++began;
        return true;
    };
    h.director()->getEventDispatcher()->addEventListenerWithSceneGraphPriority(below, h.scene());
    tap(h, Vec2(512, 325));
    EXPECT_EQ(began, 0);
    tap(h, Vec2(512, 600));
    EXPECT_EQ(began, 1);
}

TEST(EditBox, TapOutsideEndsEditingEvenWhenAnotherListenerSwallowsIt)
{
    EngineHarness h;
    RecordingDelegate delegate;
    EditBox* box = nameBox(h, &delegate);
    LayerColor* cover = LayerColor::create(Color4B(0, 0, 0, 0), 200, 200);
    h.scene()->addChild(cover, 10);
    auto swallow = EventListenerTouchOneByOne::create();
    swallow->setSwallowTouches(true);
    swallow->onTouchBegan = [](Touch*, Event*) { return true; };
    h.director()->getEventDispatcher()->addEventListenerWithSceneGraphPriority(swallow, cover);
    box->openKeyboard();
    tap(h, Vec2(50, 50));
    EXPECT_FALSE(box->isEditing());
    EXPECT_EQ(delegate.log.back(), "return:");
}

TEST(EditBox, OnlyOneBoxOrFieldTakesKeys)
{
    EngineHarness h;
    RecordingDelegate delegate;
    EditBox* box = nameBox(h, &delegate);
    TextFieldTTF* field =
        TextFieldTTF::textFieldWithPlaceHolder("Account-Code(Password)", Size(240, 40), TextHAlignment::CENTER, "Arial", 15);
    h.scene()->addChild(field);
    box->openKeyboard();
    h.typeText("a");
    field->attachWithIME();
    EXPECT_FALSE(box->isEditing());
    EXPECT_EQ(delegate.log.back(), "return:a");
    h.typeText("b");
    EXPECT_STREQ(box->getText(), "a");
    EXPECT_EQ(field->getString(), "b");
    box->openKeyboard();
    EXPECT_FALSE(field->isAttachedWithIME());
    h.typeText("c");
    EXPECT_STREQ(box->getText(), "ac");
}

TEST(EditBox, CaretFollowsTheTextAndBlinksWithTheClock)
{
    EngineHarness h;
    RecordingDelegate delegate;
    EditBox* box = nameBox(h, &delegate);
    Node* caret = caretOf(box);
    ASSERT_NE(caret, nullptr);
    EXPECT_FALSE(caret->isVisible());
    box->openKeyboard();
    EXPECT_TRUE(caret->isVisible());
    float start = caret->getPositionX();
    EXPECT_NEAR(start, 5.0f, 1.0f);
    h.typeText("WWW");
    float after = caret->getPositionX();
    EXPECT_GT(after, start + 20.0f);
    h.typeText("i");
    EXPECT_GT(caret->getPositionX(), after);
    EXPECT_TRUE(caret->isVisible());
    h.advance(0.55);
    EXPECT_FALSE(caret->isVisible());
    h.advance(0.5);
    EXPECT_TRUE(caret->isVisible());
    // Typing shows it again at once.
    h.advance(0.5);
    EXPECT_FALSE(caret->isVisible());
    h.key("Backspace");
    EXPECT_TRUE(caret->isVisible());
    EXPECT_NEAR(caret->getPositionX(), after, 0.01f);
    h.key("Return");
    EXPECT_FALSE(caret->isVisible());
    h.advance(1.0);
    EXPECT_FALSE(caret->isVisible());
}

TEST(EditBox, PlaceholderWhileEmptyAndTextOtherwise)
{
    EngineHarness h;
    RecordingDelegate delegate;
    EditBox* box = nameBox(h, &delegate);
    std::string dump = EngineHarness::dumpTree(h.scene());
    EXPECT_NE(dump.find("text=\"Circuit name\"\n"), std::string::npos);
    std::vector<Label*> labels;
    for (Node* child : box->getChildren())
        if (auto* l = dynamic_cast<Label*>(child)) labels.push_back(l);
    ASSERT_EQ(labels.size(), 2u);
    Label* placeholder = labels[0]->getString() == "Circuit name" ? labels[0] : labels[1];
    Label* text = placeholder == labels[0] ? labels[1] : labels[0];
    EXPECT_TRUE(placeholder->isVisible());
    EXPECT_FALSE(text->isVisible());
    EXPECT_FLOAT_EQ(placeholder->getSystemFontSize(), 18.0f);
    EXPECT_FLOAT_EQ(text->getSystemFontSize(), 20.0f);
    box->setText("A B C");
    EXPECT_FALSE(placeholder->isVisible());
    EXPECT_TRUE(text->isVisible());
    EXPECT_EQ(text->getString(), "A B C");
    EXPECT_EQ(delegate.log.size(), 0u); // setText is not an edit
}

TEST(EditBox, LongTextIsClippedToTheBoxAndTheClipIsRestored)
{
    EngineHarness h(2048, 1536);
    RecordingDelegate delegate;
    EditBox* box = EditBox::create(Size(200, 40), "");
    ASSERT_NE(box, nullptr);
    box->setPosition(Vec2(512, 384));
    box->setFont("fonts/arial.ttf", 20);
    box->setText("WWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWW");
    h.scene()->addChild(box);
    h.frame();
    Image* shot = h.capture();
    ASSERT_NE(shot, nullptr);
    // Box spans x 412..612 points, y 364..404: pixels 824..1224, rows 728..808.
    int inside = 0, outside = 0;
    for (int x = 0; x < 2048; ++x) {
        Color4B p = EngineHarness::pixelAt(shot, x, 768);
        if (p.r > 0) (x >= 824 && x < 1224 ? inside : outside)++;
    }
    EXPECT_GT(inside, 50);
    EXPECT_EQ(outside, 0);
    EXPECT_FALSE(h.director()->getOpenGLView()->isScissorEnabled());
}

TEST(EditBox, RemovedWhileEditingLetsGoQuietly)
{
    EngineHarness h;
    RecordingDelegate delegate;
    EditBox* box = nameBox(h, &delegate);
    box->openKeyboard();
    delegate.log.clear();
    box->removeFromParent();
    h.frame();
    h.typeText("x");
    h.key("Return");
    EXPECT_TRUE(delegate.log.empty());
    EXPECT_FALSE(IMEDispatcher::sharedDispatcher()->isAnyDelegateAttachedWithIME());
}

TEST(EditBox, CaretMovesByWholeCharactersAndEditsAtItsPlace)
{
    EngineHarness h;
    RecordingDelegate delegate;
    EditBox* box = nameBox(h, &delegate);
    box->openKeyboard();
    Node* caret = caretOf(box);
    h.typeText("Blue 日本");
    float end = caret->getPositionX();
    h.key("Left");
    h.key("Left");
    float inside = caret->getPositionX();
    EXPECT_LT(inside, end - 20.0f);
    h.typeText("-");
    EXPECT_STREQ(box->getText(), "Blue -日本");
    EXPECT_GT(caret->getPositionX(), inside);
    h.key("Home");
    EXPECT_NEAR(caret->getPositionX(), 5.0f, 1.0f);
    h.key("Delete");
    h.key("End");
    h.key("Backspace");
    EXPECT_STREQ(box->getText(), "lue -日");
    EXPECT_EQ(delegate.log.back(), "changed:lue -日");

    // Ctrl+A: what is typed replaces everything, and the old text does not
    // count against the maximum length.
    box->setText(std::string(30, 'x'));
    h.key("Ctrl+A");
    EXPECT_TRUE(box->hasSelection());
    EXPECT_FALSE(caret->isVisible());
    h.advance(1.05); // blinking does not bring it back over a selection
    EXPECT_FALSE(caret->isVisible());
    h.typeText("Red");
    EXPECT_STREQ(box->getText(), "Red");
    EXPECT_TRUE(caret->isVisible());
    h.key("Shift+Home");
    h.key("Backspace");
    EXPECT_STREQ(box->getText(), "");
}

TEST(EditBox, LongTextScrollsSoTheCaretStaysInTheBox)
{
    EngineHarness h;
    RecordingDelegate delegate;
    EditBox* box = nameBox(h, &delegate);
    box->setMaxLength(0);
    box->setText(std::string(80, 'W'));
    box->openKeyboard();
    Node* caret = caretOf(box);
    auto inBox = [&] { return caret->getPositionX() >= 4.0f && caret->getPositionX() <= 396.0f; };
    EXPECT_TRUE(inBox());
    EXPECT_GT(caret->getPositionX(), 300.0f);
    h.key("Home");
    EXPECT_NEAR(caret->getPositionX(), 5.0f, 1.0f);
    for (int i = 0; i < 40; ++i) h.key("Right");
    EXPECT_TRUE(inBox());
    h.typeText("i");
    EXPECT_TRUE(inBox());
    h.key("End");
    EXPECT_TRUE(inBox());
    EXPECT_GT(caret->getPositionX(), 300.0f);
}

TEST(EditBox, HomeAndEndKeepToTheLineAmongManyLines)
{
    EngineHarness h;
    RecordingDelegate delegate;
    EditBox* box = descriptionBox(h, &delegate);
    box->setText("first line\nsecond");
    box->openKeyboard();
    Node* caret = caretOf(box);
    float secondLine = caret->getPositionY();
    h.key("Home");
    EXPECT_NEAR(caret->getPositionX(), 5.0f, 1.0f);
    EXPECT_FLOAT_EQ(caret->getPositionY(), secondLine);
    h.key("Left");
    EXPECT_GT(caret->getPositionY(), secondLine);
    h.key("Home");
    h.typeText(">");
    h.key("End");
    h.typeText("!");
    EXPECT_STREQ(box->getText(), ">first line!\nsecond");
    h.key("Delete");
    EXPECT_STREQ(box->getText(), ">first line!second");
}
