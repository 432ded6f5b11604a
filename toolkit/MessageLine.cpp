#include "MessageLine.h"

#include "AppConstants.h"

USING_NS_CC;

namespace {

constexpr float kFontSize = 19;
constexpr float kPadX = 18;
constexpr float kHeight = 38;
constexpr float kFadeSeconds = 0.4f;
constexpr uint8_t kBackingOpacity = 215;
constexpr int kPassingTag = 0x6d01;

} // namespace

MessageLine* MessageLine::create()
{
    auto* line = new MessageLine();
    if (line->init()) {
        line->autorelease();
        return line;
    }
    delete line;
    return nullptr;
}

bool MessageLine::init()
{
    if (!Node::init()) return false;
    _backing = LayerColor::create(Color4B(23, 32, 43, kBackingOpacity), 0, kHeight);
    _backing->ignoreAnchorPointForPosition(false);
    _backing->setAnchorPoint(Vec2(0.5f, 0.5f));
    addChild(_backing);
    _label = Label::createWithTTF("", veloquix::kBodyFont, kFontSize);
    _label->setAnchorPoint(Vec2(0.5f, 0.5f));
    _backing->addChild(_label);
    setCascadeOpacityEnabled(true);
    _backing->setCascadeOpacityEnabled(true);
    setVisible(false);
    return true;
}

void MessageLine::tell(const std::string& text)
{
    stopActionByTag(kPassingTag);
    _passing = true;
    present(text);
    auto* fade = Sequence::create(DelayTime::create(kPassingSeconds), FadeOut::create(kFadeSeconds),
                                  CallFunc::create([this] { withdrawPassing(); }), nullptr);
    fade->setTag(kPassingTag);
    runAction(fade);
}

void MessageLine::setStanding(const std::string& text)
{
    _standing = text;
    if (_passing) return;
    if (text.empty()) {
        setVisible(false);
        return;
    }
    present(text);
}

std::string MessageLine::shownText() const
{
    return isVisible() ? _label->getString() : std::string();
}

void MessageLine::present(const std::string& text)
{
    _label->setString(text);
    const float width = _label->getContentSize().width + 2 * kPadX;
    _backing->setContentSize(Size(width, kHeight));
    _label->setPosition(width * 0.5f, kHeight * 0.5f);
    setOpacity(255);
    setVisible(true);
}

void MessageLine::withdrawPassing()
{
    _passing = false;
    setOpacity(255);
    if (_standing.empty()) {
        setVisible(false);
    } else {
        present(_standing);
    }
}
