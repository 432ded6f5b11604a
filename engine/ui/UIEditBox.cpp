#include "ui/UIEditBox.h"

#include <algorithm>
#include <new>

#include "2d/CCLabel.h"
#include "2d/CCLayer.h"
#include "2d/CCSprite.h"
#include "base/CCDirector.h"
#include "base/CCEventDispatcher.h"
#include "base/CCEventListenerTouch.h"
#include "base/CCTouch.h"
#include "platform/CCGLView.h"
#include "renderer/CCRenderer.h"

namespace cocos2d {
namespace ui {

namespace {

const float kPadding = 5.0f;
const float kCaretWidth = 1.5f;
const float kBlinkInterval = 0.5f;
const char* const kBlinkKey = "EditBox.caretBlink";
const char* const kPasswordDot = "\xE2\x97\x8F";

bool isContinuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

int countCharacters(const std::string& text)
{
    return int(std::count_if(text.begin(), text.end(), [](char c) { return !isContinuation(c); }));
}

// The UTF-8 text split into whole characters.
std::vector<std::string> splitCharacters(const std::string& text)
{
    std::vector<std::string> out;
    for (size_t i = 0; i < text.size();) {
        size_t j = i + 1;
        while (j < text.size() && isContinuation(text[j])) ++j;
        out.push_back(text.substr(i, j - i));
        i = j;
    }
    return out;
}

void applyFont(Label* label, const std::string& name, int size)
{
    if (Label::isFontFile(name)) {
        label->setTTFFontFile(name);
    } else {
        label->setSystemFontName(name);
    }
    label->setSystemFontSize(float(size));
}

Rect intersection(const Rect& a, const Rect& b)
{
    float x0 = std::max(a.getMinX(), b.getMinX());
    float y0 = std::max(a.getMinY(), b.getMinY());
    float x1 = std::min(a.getMaxX(), b.getMaxX());
    float y1 = std::min(a.getMaxY(), b.getMaxY());
    return Rect(x0, y0, std::max(0.0f, x1 - x0), std::max(0.0f, y1 - y0));
}

} // namespace

EditBox::EditBox() = default;

EditBox::~EditBox()
{
    // The fixed-priority listener is not tied to this node; it must not outlive it.
    if (_outsideListener) {
        if (_eventDispatcher) _eventDispatcher->removeEventListener(_outsideListener);
        _outsideListener->release();
    }
}

EditBox* EditBox::create(const Size& size, const std::string& normalImage, TextureResType texType)
{
    EditBox* box = new (std::nothrow) EditBox();
    if (box && box->initWithSizeAndBackgroundSprite(size, normalImage, texType)) {
        box->autorelease();
        return box;
    }
    delete box;
    return nullptr;
}

EditBox* EditBox::create(const Size& size, const std::string& normalImage, const std::string&, const std::string&,
                         TextureResType texType)
{
    return create(size, normalImage, texType);
}

bool EditBox::initWithSizeAndBackgroundSprite(const Size& size, const std::string& normalImage, TextureResType)
{
    if (!Widget::init()) return false;
    if (!normalImage.empty()) {
        _background = Sprite::create(normalImage);
        if (_background) addChild(_background, -1);
    }
    _fontSize = std::max(1, int(size.height * 2.0f / 3.0f));
    _textLabel = Label::createWithSystemFont("", _fontName, float(_fontSize));
    _placeholderLabel = Label::createWithSystemFont("", _fontName, float(_fontSize));
    if (!_textLabel || !_placeholderLabel) return false;
    _textLabel->setTextColor(_fontColor);
    _placeholderLabel->setTextColor(_placeholderFontColor);
    addChild(_textLabel);
    addChild(_placeholderLabel);
    _caret = LayerColor::create(_fontColor, kCaretWidth, 10.0f);
    _caret->ignoreAnchorPointForPosition(true);
    _caret->setVisible(false);
    addChild(_caret, 1);

    _touchListener = EventListenerTouchOneByOne::create();
    _touchListener->setSwallowTouches(true);
    _touchListener->onTouchBegan = [this](Touch* touch, Event*) {
        if (!_enabled || !isAncestorsVisible() || !isTouchInside(touch)) {
            if (_editing && !isTouchInside(touch)) closeKeyboard();
            return false;
        }
        touchDownAction(this, TouchEventType::BEGAN);
        return true;
    };
    _touchListener->onTouchMoved = [this](Touch*, Event*) { touchDownAction(this, TouchEventType::MOVED); };
    _touchListener->onTouchEnded = [this](Touch* touch, Event*) {
        touchDownAction(this, isTouchInside(touch) ? TouchEventType::ENDED : TouchEventType::CANCELED);
    };
    _touchListener->onTouchCancelled = [this](Touch*, Event*) { touchDownAction(this, TouchEventType::CANCELED); };
    _eventDispatcher->addEventListenerWithSceneGraphPriority(_touchListener, this);

    // Listeners drawn above the box may swallow a tap outside it; this one is
    // asked before all of them so such a tap still ends the editing.
    _outsideListener = EventListenerTouchOneByOne::create();
    _outsideListener->retain();
    _outsideListener->onTouchBegan = [this](Touch* touch, Event*) {
        if (_editing && !isTouchInside(touch)) closeKeyboard();
        return false;
    };

    setContentSize(size);
    return true;
}

void EditBox::setContentSize(const Size& size)
{
    Widget::setContentSize(size);
    if (_background) {
        Size picture = _background->getContentSize();
        _background->setPosition(Vec2(size.width * 0.5f, size.height * 0.5f));
        if (picture.width > 0.0f && picture.height > 0.0f) {
            _background->setScale(size.width / picture.width, size.height / picture.height);
        }
    }
    if (_textLabel) refresh();
}

void EditBox::onEnter()
{
    Widget::onEnter();
    if (_outsideListener && !_eventDispatcher->hasEventListener(_outsideListener)) {
        _eventDispatcher->addEventListenerWithFixedPriority(_outsideListener, -1000);
    }
}

void EditBox::onExit()
{
    if (_outsideListener) _eventDispatcher->removeEventListener(_outsideListener);
    if (_editing) {
        // Leaving the scene is not an answer the delegate should act on.
        _quietDetach = true;
        detachWithIME();
        _quietDetach = false;
    }
    Widget::onExit();
}

bool EditBox::isTouchInside(Touch* touch) const
{
    Vec2 local = convertTouchToNodeSpace(touch);
    return Rect(0, 0, _contentSize.width, _contentSize.height).containsPoint(local);
}

void EditBox::touchDownAction(Ref* sender, TouchEventType controlEvent)
{
    if (_touchEventCallback) _touchEventCallback(sender, controlEvent);
    if (controlEvent == TouchEventType::ENDED) openKeyboard();
}

void EditBox::openKeyboard() { attachWithIME(); }

void EditBox::closeKeyboard() { endEditing(EditBoxDelegate::EditBoxEndAction::UNKNOWN); }

void EditBox::endEditing(EditBoxDelegate::EditBoxEndAction action)
{
    if (!_editing) return;
    _endAction = action;
    detachWithIME();
}

void EditBox::didAttachWithIME()
{
    _editing = true;
    restartBlink();
    refresh();
    if (_delegate) {
        retain();
        _delegate->editBoxEditingDidBegin(this);
        release();
    }
}

void EditBox::didDetachWithIME()
{
    _editing = false;
    unschedule(kBlinkKey);
    refresh();
    auto action = _endAction;
    _endAction = EditBoxDelegate::EditBoxEndAction::UNKNOWN;
    if (_delegate && !_quietDetach) {
        // The delegate may remove the box from its parent.
        retain();
        _delegate->editBoxEditingDidEnd(this);
        if (_delegate) _delegate->editBoxEditingDidEndWithAction(this, action);
        if (_delegate) _delegate->editBoxReturn(this);
        release();
    }
}

bool EditBox::accepts(char32_t c) const
{
    if (c < 0x20 || c == 0x7F) return c == '\n' && _inputMode == InputMode::ANY;
    switch (_inputMode) {
    case InputMode::NUMERIC:
        return c >= '0' && c <= '9';
    case InputMode::DECIMAL:
        return (c >= '0' && c <= '9') || c == '.';
    case InputMode::PHONE_NUMBER:
        return (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '*' || c == '#' || c == '(' || c == ')' ||
               c == ' ';
    default:
        return true;
    }
}

void EditBox::insertText(const char* text, size_t len)
{
    std::string input(text, len);
    bool enter = input == "\n" || input == "\r" || input == "\r\n";
    if (enter && _inputMode != InputMode::ANY) {
        endEditing(EditBoxDelegate::EditBoxEndAction::RETURN);
        return;
    }
    // Pasted line ends: one break each in multi-line mode, one blank otherwise.
    std::string normalised;
    for (size_t i = 0; i < input.size(); ++i) {
        char c = input[i];
        if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < input.size() && input[i + 1] == '\n') ++i;
            normalised += _inputMode == InputMode::ANY ? '\n' : ' ';
        } else {
            normalised += c;
        }
    }
    int count = countCharacters(_text);
    bool changed = false;
    for (const std::string& ch : splitCharacters(normalised)) {
        if (_maxLength > 0 && count >= _maxLength) break;
        unsigned char lead = static_cast<unsigned char>(ch[0]);
        char32_t first = lead < 0x80 ? lead : 0x80;
        if (!accepts(first)) continue;
        _text += ch;
        ++count;
        changed = true;
    }
    if (changed) textChanged();
}

void EditBox::deleteBackward()
{
    if (_text.empty()) return;
    size_t start = _text.size();
    while (start > 0 && isContinuation(_text[--start])) {
    }
    _text.erase(start);
    textChanged();
}

void EditBox::keyPressed(EventKeyboard::KeyCode code, bool ctrl)
{
    bool enter = code == EventKeyboard::KeyCode::KEY_ENTER || code == EventKeyboard::KeyCode::KEY_KP_ENTER;
    if (enter && ctrl) endEditing(EditBoxDelegate::EditBoxEndAction::RETURN);
}

void EditBox::textChanged()
{
    restartBlink();
    refresh();
    if (_delegate) {
        retain();
        _delegate->editBoxTextChanged(this, _text);
        release();
    }
}

void EditBox::restartBlink()
{
    _caretOn = true;
    unschedule(kBlinkKey);
    if (!_editing) return;
    schedule(
        [this](float) {
            _caretOn = !_caretOn;
            if (_caret) _caret->setVisible(_editing && _caretOn);
        },
        kBlinkInterval, kBlinkKey);
}

void EditBox::setText(const char* text)
{
    _text = text ? text : "";
    refresh();
}

void EditBox::setFont(const char* fontName, int fontSize)
{
    _fontName = fontName ? fontName : "";
    _fontSize = fontSize;
    applyFont(_textLabel, _fontName, _fontSize);
    if (_placeholderFontName.empty() || _placeholderFontSize <= 0) {
        applyFont(_placeholderLabel, _placeholderFontName.empty() ? _fontName : _placeholderFontName,
                  getPlaceholderFontSize());
    }
    refresh();
}

void EditBox::setFontName(const char* fontName) { setFont(fontName, _fontSize); }

void EditBox::setFontSize(int fontSize) { setFont(_fontName.c_str(), fontSize); }

void EditBox::setFontColor(const Color4B& color)
{
    _fontColor = color;
    _textLabel->setTextColor(color);
    _caret->setColor(Color3B(color.r, color.g, color.b));
    _caret->setOpacity(color.a);
}

void EditBox::setPlaceHolder(const char* text)
{
    _placeHolder = text ? text : "";
    refresh();
}

int EditBox::getPlaceholderFontSize() const { return _placeholderFontSize > 0 ? _placeholderFontSize : _fontSize; }

void EditBox::setPlaceholderFont(const char* fontName, int fontSize)
{
    _placeholderFontName = fontName ? fontName : "";
    _placeholderFontSize = fontSize;
    applyFont(_placeholderLabel, _placeholderFontName.empty() ? _fontName : _placeholderFontName,
              getPlaceholderFontSize());
    refresh();
}

void EditBox::setPlaceholderFontName(const char* fontName) { setPlaceholderFont(fontName, _placeholderFontSize); }

void EditBox::setPlaceholderFontSize(int fontSize)
{
    setPlaceholderFont(_placeholderFontName.c_str(), fontSize);
}

void EditBox::setPlaceholderFontColor(const Color4B& color)
{
    _placeholderFontColor = color;
    _placeholderLabel->setTextColor(color);
}

void EditBox::setInputMode(InputMode inputMode)
{
    _inputMode = inputMode;
    refresh();
}

void EditBox::setInputFlag(InputFlag inputFlag)
{
    _inputFlag = inputFlag;
    refresh();
}

void EditBox::setEnabled(bool enabled)
{
    Widget::setEnabled(enabled);
    if (!enabled) closeKeyboard();
}

void EditBox::setVisible(bool visible)
{
    Widget::setVisible(visible);
    if (!visible) closeKeyboard();
}

void EditBox::refresh()
{
    if (!_textLabel || !_placeholderLabel) return;
    const Size box = _contentSize;
    const bool multiLine = _inputMode == InputMode::ANY;
    const float available = std::max(0.0f, box.width - 2 * kPadding);

    std::string shown = _text;
    if (_inputFlag == InputFlag::PASSWORD) {
        shown.clear();
        for (int i = countCharacters(_text); i > 0; --i) shown += kPasswordDot;
    }
    _textLabel->setString(shown);
    _placeholderLabel->setString(_placeHolder);
    _textLabel->setVisible(!_text.empty());
    _placeholderLabel->setVisible(_text.empty());

    for (Label* label : {_textLabel, _placeholderLabel}) {
        if (multiLine) {
            label->setDimensions(available, 0);
            label->setAnchorPoint(Vec2(0, 1));
            float top = box.height - kPadding;
            float overflow = label->getContentSize().height - (box.height - 2 * kPadding);
            // While typing, the newest line stays in view.
            if (_editing && overflow > 0.0f) top += overflow;
            label->setPosition(Vec2(kPadding, top));
        } else {
            label->setDimensions(0, 0);
            label->setAnchorPoint(Vec2(0, 0.5f));
            float left = kPadding;
            float overflow = label->getContentSize().width - available;
            if (_editing && overflow > 0.0f) left -= overflow;
            label->setPosition(Vec2(left, box.height * 0.5f));
        }
    }
    placeCaret();
}

void EditBox::placeCaret()
{
    if (!_caret) return;
    Label* label = _textLabel;
    float lineHeight = label->getLineHeight();
    Size labelSize = label->getContentSize();
    Vec2 origin = label->getPosition() - Vec2(label->getAnchorPoint().x * labelSize.width,
                                               label->getAnchorPoint().y * labelSize.height);
    const bool multiLine = _inputMode == InputMode::ANY;
    Vec2 local; // bottom-left of the caret in the label's space
    int letters = label->getStringLength();
    if (_text.empty()) {
        float top = multiLine ? _contentSize.height - kPadding : (_contentSize.height + lineHeight) * 0.5f;
        origin = Vec2(kPadding, top - lineHeight);
    } else if (_text.back() == '\n' || letters == 0) {
        local = Vec2(0, labelSize.height - label->getStringNumLines() * lineHeight);
    } else {
        Sprite* last = label->getLetter(letters - 1);
        Rect bounds = last->getBoundingBox();
        int line = lineHeight > 0.0f ? int((labelSize.height - last->getPositionY()) / lineHeight) : 0;
        local = Vec2(bounds.getMaxX(), labelSize.height - (line + 1) * lineHeight);
    }
    _caret->setContentSize(Size(kCaretWidth, lineHeight));
    _caret->setPosition(origin + local);
    _caret->setVisible(_editing && _caretOn);
}

void EditBox::visit(Renderer* renderer, const Mat4& parentTransform, uint32_t parentFlags)
{
    if (!_visible) return;
    Mat4 world;
    Mat4::multiply(parentTransform, getNodeToParentTransform(), &world);
    _clipRect = RectApplyTransform(Rect(0, 0, _contentSize.width, _contentSize.height), world);

    // Text longer than the box is cut at its edges; an enclosing clip (a
    // scroll view's) stays in force around it.
    _beginClip.init(_globalZOrder);
    _beginClip.func = [this]() {
        GLView* view = Director::getInstance()->getOpenGLView();
        if (!view) return;
        _clipWasEnabled = view->isScissorEnabled();
        _clipPrevious = view->getScissorRect();
        Rect clip = _clipWasEnabled ? intersection(_clipRect, _clipPrevious) : _clipRect;
        view->setScissorInPoints(clip.origin.x, clip.origin.y, clip.size.width, clip.size.height);
        view->enableScissor();
    };
    renderer->addCommand(&_beginClip);
    Widget::visit(renderer, parentTransform, parentFlags);
    _endClip.init(_globalZOrder);
    _endClip.func = [this]() {
        GLView* view = Director::getInstance()->getOpenGLView();
        if (!view) return;
        if (_clipWasEnabled) {
            view->setScissorInPoints(_clipPrevious.origin.x, _clipPrevious.origin.y, _clipPrevious.size.width,
                                     _clipPrevious.size.height);
        } else {
            view->disableScissor();
        }
    };
    renderer->addCommand(&_endClip);
}

} // namespace ui
} // namespace cocos2d
