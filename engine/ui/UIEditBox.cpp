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
const Color4B kSelectionColor(70, 130, 230, 140);

bool isContinuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

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
    _content.setCaret(_content.caret());
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
    // What is typed replaces the selection, so the selection does not count
    // against the maximum length.
    int count = _content.length() - (_content.selectionEnd() - _content.selectionStart());
    std::string accepted;
    for (const std::string& ch : splitCharacters(normalised)) {
        if (_maxLength > 0 && count >= _maxLength) break;
        unsigned char lead = static_cast<unsigned char>(ch[0]);
        char32_t first = lead < 0x80 ? lead : 0x80;
        if (!accepts(first)) continue;
        accepted += ch;
        ++count;
    }
    if (accepted.empty()) return;
    _content.insert(accepted);
    textChanged();
}

void EditBox::removeRange(std::pair<int, int> range)
{
    if (range.first >= range.second) return;
    _content.erase(range.first, range.second);
    textChanged();
}

void EditBox::deleteBackward() { removeRange(_content.backwardRange()); }

void EditBox::keyPressed(EventKeyboard::KeyCode code, bool ctrl, bool shift)
{
    using Key = EventKeyboard::KeyCode;
    if (code == Key::KEY_ENTER || code == Key::KEY_KP_ENTER) {
        if (ctrl) endEditing(EditBoxDelegate::EditBoxEndAction::RETURN);
    } else if (code == Key::KEY_DELETE) {
        removeRange(_content.forwardRange());
    } else if (_content.moveForKey(code, ctrl, shift)) {
        restartBlink();
        refresh();
    }
}

void EditBox::setCursorPosition(int position)
{
    _content.setCaret(position);
    restartBlink();
    refresh();
}

void EditBox::selectAll()
{
    _content.selectAll();
    refresh();
}

void EditBox::textChanged()
{
    restartBlink();
    refresh();
    if (_delegate) {
        retain();
        _delegate->editBoxTextChanged(this, _content.text());
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
            if (_caret) _caret->setVisible(_editing && _caretOn && !_content.hasSelection());
        },
        kBlinkInterval, kBlinkKey);
}

void EditBox::setText(const char* text)
{
    _content.setText(text ? text : "");
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

    const std::string& text = _content.text();
    std::string shown = text;
    if (_inputFlag == InputFlag::PASSWORD) {
        shown.clear();
        for (int i = _content.length(); i > 0; --i) shown += kPasswordDot;
    }
    _textLabel->setString(shown);
    _placeholderLabel->setString(_placeHolder);
    _textLabel->setVisible(!text.empty());
    _placeholderLabel->setVisible(text.empty());

    for (Label* label : {_textLabel, _placeholderLabel}) {
        if (multiLine) {
            label->setDimensions(available, 0);
            label->setAnchorPoint(Vec2(0, 1));
        } else {
            label->setDimensions(0, 0);
            label->setAnchorPoint(Vec2(0, 0.5f));
        }
    }
    scrollToCaret(_textLabel, available);
    for (Label* label : {_textLabel, _placeholderLabel}) {
        if (multiLine) {
            label->setPosition(Vec2(kPadding, box.height - kPadding + (label == _textLabel ? _scrollY : 0.0f)));
        } else {
            label->setPosition(Vec2(kPadding - (label == _textLabel ? _scrollX : 0.0f), box.height * 0.5f));
        }
    }
    placeCaret();
    placeSelection();
}

void EditBox::scrollToCaret(Label* label, float available)
{
    const Size box = _contentSize;
    if (!_editing) {
        _scrollX = _scrollY = 0.0f;
        return;
    }
    const Size labelSize = label->getContentSize();
    const bool atEnd = _content.caret() == _content.length();
    const Vec2 caret = label->getCaretPoint(_content.caret());
    if (_inputMode == InputMode::ANY) {
        float overflow = std::max(0.0f, labelSize.height - (box.height - 2 * kPadding));
        if (atEnd) {
            // While typing at the end, the newest line stays in view.
            _scrollY = overflow;
        } else {
            // Otherwise the text moves only as far as the caret's line needs.
            float lineHeight = label->getLineHeight();
            float lowest = labelSize.height - caret.y - (box.height - 2 * kPadding);
            float highest = labelSize.height - caret.y - lineHeight;
            _scrollY = std::clamp(_scrollY, std::min(lowest, highest), highest);
        }
        _scrollY = std::clamp(_scrollY, 0.0f, overflow);
        _scrollX = 0.0f;
    } else {
        float overflow = std::max(0.0f, labelSize.width - available);
        if (atEnd) {
            _scrollX = overflow;
        } else {
            _scrollX = std::clamp(_scrollX, caret.x - available, caret.x);
        }
        _scrollX = std::clamp(_scrollX, 0.0f, overflow);
        _scrollY = 0.0f;
    }
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
    if (_content.text().empty()) {
        float top = multiLine ? _contentSize.height - kPadding : (_contentSize.height + lineHeight) * 0.5f;
        origin = Vec2(kPadding, top - lineHeight);
    } else {
        local = label->getCaretPoint(_content.caret());
    }
    _caret->setContentSize(Size(kCaretWidth, lineHeight));
    _caret->setPosition(origin + local);
    _caret->setVisible(_editing && _caretOn && !_content.hasSelection());
}

void EditBox::placeSelection()
{
    std::vector<Rect> rects;
    if (_editing && _content.hasSelection()) {
        rects = _textLabel->getSelectionRects(_content.selectionStart(), _content.selectionEnd());
    }
    Size labelSize = _textLabel->getContentSize();
    Vec2 origin = _textLabel->getPosition() - Vec2(_textLabel->getAnchorPoint().x * labelSize.width,
                                                   _textLabel->getAnchorPoint().y * labelSize.height);
    while (_selection.size() < rects.size()) {
        LayerColor* bar = LayerColor::create(kSelectionColor, 1.0f, 1.0f);
        bar->ignoreAnchorPointForPosition(true);
        // Above the background, below the text.
        addChild(bar, -1);
        _selection.push_back(bar);
    }
    for (size_t i = 0; i < _selection.size(); ++i) {
        bool used = i < rects.size();
        _selection[i]->setVisible(used);
        if (!used) continue;
        _selection[i]->setPosition(origin + rects[i].origin);
        _selection[i]->setContentSize(rects[i].size);
    }
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
