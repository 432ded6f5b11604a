#include "2d/CCTextFieldTTF.h"

#include <algorithm>
#include <new>

#include "2d/CCLayer.h"

namespace cocos2d {

namespace {

const float kCaretWidth = 1.5f;
const float kBlinkInterval = 0.5f;
const char* const kBlinkKey = "TextFieldTTF.caretBlink";
const Color4B kSelectionColor(70, 130, 230, 140);

LayerColor* makeBar(Node* owner, const Color4B& color)
{
    LayerColor* bar = LayerColor::create(color, kCaretWidth, 1.0f);
    bar->retain();
    bar->ignoreAnchorPointForPosition(true);
    bar->setParent(owner);
    return bar;
}

void dropBar(LayerColor* bar)
{
    bar->setParent(nullptr);
    bar->release();
}

} // namespace

TextFieldTTF::TextFieldTTF() = default;

TextFieldTTF::~TextFieldTTF()
{
    if (_caret) dropBar(_caret);
    for (LayerColor* bar : _selection) dropBar(bar);
}

TextFieldTTF* TextFieldTTF::textFieldWithPlaceHolder(const std::string& placeholder, const Size& dimensions,
                                                     TextHAlignment alignment, const std::string& fontName,
                                                     float fontSize)
{
    TextFieldTTF* field = new (std::nothrow) TextFieldTTF();
    if (field && field->init() && field->initWithPlaceHolder(placeholder, dimensions, alignment, fontName, fontSize)) {
        field->autorelease();
        return field;
    }
    delete field;
    return nullptr;
}

TextFieldTTF* TextFieldTTF::textFieldWithPlaceHolder(const std::string& placeholder, const std::string& fontName,
                                                     float fontSize)
{
    TextFieldTTF* field = new (std::nothrow) TextFieldTTF();
    if (field && field->init() && field->initWithPlaceHolder(placeholder, fontName, fontSize)) {
        field->autorelease();
        return field;
    }
    delete field;
    return nullptr;
}

bool TextFieldTTF::initWithPlaceHolder(const std::string& placeholder, const Size& dimensions,
                                       TextHAlignment alignment, const std::string& fontName, float fontSize)
{
    _placeHolder = placeholder;
    // A field fills its box and keeps its text on the box's middle line.
    bool ok = Label::isFontFile(fontName)
                  ? initWithTTF(placeholder, fontName, fontSize, dimensions, alignment, TextVAlignment::CENTER)
                  : initWithSystemFont(placeholder, fontName, fontSize, dimensions, alignment, TextVAlignment::CENTER);
    if (!ok) return false;
    showCurrentText();
    return true;
}

bool TextFieldTTF::initWithPlaceHolder(const std::string& placeholder, const std::string& fontName, float fontSize)
{
    _placeHolder = placeholder;
    bool ok = Label::isFontFile(fontName) ? initWithTTF(placeholder, fontName, fontSize, Size::ZERO, TextHAlignment::LEFT,
                                                 TextVAlignment::TOP)
                                   : initWithSystemFont(placeholder, fontName, fontSize, Size::ZERO,
                                                        TextHAlignment::LEFT, TextVAlignment::TOP);
    if (!ok) return false;
    showCurrentText();
    return true;
}

void TextFieldTTF::showCurrentText()
{
    bool empty = _editing.text().empty();
    Label::setTextColor(empty ? _colorSpaceHolder : _colorText);
    Label::setString(empty ? _placeHolder : _editing.text());
    placeCaret();
}

void TextFieldTTF::setString(const std::string& text)
{
    _editing.setText(text);
    showCurrentText();
}

void TextFieldTTF::setCursorEnabled(bool enabled)
{
    if (_cursorEnabled == enabled) return;
    _cursorEnabled = enabled;
    // Without a caret, text goes on at the end again.
    if (!enabled) _editing.setCaret(_editing.length());
    restartBlink();
    placeCaret();
}

void TextFieldTTF::setCursorPosition(std::size_t position)
{
    _editing.setCaret(int(std::min(position, std::size_t(_editing.length()))));
    restartBlink();
    placeCaret();
}

void TextFieldTTF::selectAll()
{
    _editing.selectAll();
    placeCaret();
}

Rect TextFieldTTF::getCursorRect() const
{
    const float height = getLineHeight();
    Vec2 at;
    if (_editing.text().empty()) {
        // The placeholder is showing; the caret stands where typing will begin.
        const Size& box = getContentSize();
        float x = _hAlignment == TextHAlignment::CENTER ? box.width * 0.5f
                  : _hAlignment == TextHAlignment::RIGHT ? box.width
                                                          : 0.0f;
        float y = _vAlignment == TextVAlignment::CENTER ? (box.height - height) * 0.5f
                  : _vAlignment == TextVAlignment::TOP  ? box.height - height
                                                        : 0.0f;
        at = Vec2(x, y);
    } else {
        at = getCaretPoint(_editing.caret());
    }
    return Rect(at.x - kCaretWidth * 0.5f, at.y, kCaretWidth, height);
}

std::vector<Rect> TextFieldTTF::getSelectionRects() const
{
    if (!_editing.hasSelection()) return {};
    return Label::getSelectionRects(_editing.selectionStart(), _editing.selectionEnd());
}

void TextFieldTTF::placeCaret()
{
    if (!_cursorEnabled) return;
    if (!_caret) _caret = makeBar(this, _colorText);
    Rect caret = getCursorRect();
    _caret->setPosition(caret.origin);
    _caret->setContentSize(caret.size);
    std::vector<Rect> rects = getSelectionRects();
    while (_selection.size() < rects.size()) _selection.push_back(makeBar(this, kSelectionColor));
    for (size_t i = 0; i < _selection.size(); ++i) {
        bool used = i < rects.size();
        _selection[i]->setVisible(used);
        if (!used) continue;
        _selection[i]->setPosition(rects[i].origin);
        _selection[i]->setContentSize(rects[i].size);
    }
    updateColor();
}

void TextFieldTTF::restartBlink()
{
    _caretOn = true;
    unschedule(kBlinkKey);
    if (!_attached || !_cursorEnabled) return;
    schedule([this](float) { _caretOn = !_caretOn; }, kBlinkInterval, kBlinkKey);
}

void TextFieldTTF::didAttachWithIME()
{
    _attached = true;
    restartBlink();
}

void TextFieldTTF::didDetachWithIME()
{
    _attached = false;
    restartBlink();
}

void TextFieldTTF::setPlaceHolder(const std::string& text)
{
    _placeHolder = text;
    showCurrentText();
}

void TextFieldTTF::setColorSpaceHolder(const Color3B& color) { setColorSpaceHolder(Color4B(color, 255)); }

void TextFieldTTF::setColorSpaceHolder(const Color4B& color)
{
    _colorSpaceHolder = color;
    showCurrentText();
}

void TextFieldTTF::setTextColor(const Color4B& color)
{
    _colorText = color;
    if (_caret) {
        _caret->setColor(Color3B(color.r, color.g, color.b));
        _caret->setOpacity(color.a);
    }
    showCurrentText();
}

void TextFieldTTF::updateColor()
{
    Label::updateColor();
    if (_caret) _caret->updateDisplayedOpacity(_displayedOpacity);
    for (LayerColor* bar : _selection) bar->updateDisplayedOpacity(_displayedOpacity);
}

bool TextFieldTTF::attachWithIME() { return IMEDelegate::attachWithIME(); }

bool TextFieldTTF::detachWithIME() { return IMEDelegate::detachWithIME(); }

bool TextFieldTTF::canAttachWithIME() { return !(_delegate && _delegate->onTextFieldAttachWithIME(this)); }

bool TextFieldTTF::canDetachWithIME() { return !(_delegate && _delegate->onTextFieldDetachWithIME(this)); }

void TextFieldTTF::insertText(const char* text, size_t len)
{
    std::string insert(text, len);
    // A line break ends the input: what comes before it is typed, then the
    // field lets go of the keyboard unless the delegate takes the break.
    size_t lineBreak = insert.find('\n');
    if (lineBreak != std::string::npos) insert.erase(lineBreak);
    if (!insert.empty()) {
        if (_delegate && _delegate->onTextFieldInsertText(this, insert.c_str(), insert.size())) return;
        _editing.insert(insert);
        restartBlink();
        showCurrentText();
    }
    if (lineBreak == std::string::npos) return;
    if (_delegate && _delegate->onTextFieldInsertText(this, "\n", 1)) return;
    detachWithIME();
}

void TextFieldTTF::removeRange(std::pair<int, int> range)
{
    if (range.first >= range.second) return;
    std::string removed = _editing.slice(range.first, range.second);
    if (_delegate && _delegate->onTextFieldDeleteBackward(this, removed.c_str(), removed.size())) return;
    _editing.erase(range.first, range.second);
    restartBlink();
    showCurrentText();
}

void TextFieldTTF::deleteBackward() { removeRange(_editing.backwardRange()); }

void TextFieldTTF::keyPressed(EventKeyboard::KeyCode code, bool ctrl, bool shift)
{
    // The delegate may move the keyboard to another field, or remove this one.
    retain();
    bool taken = _delegate && _delegate->onTextFieldKeyPressed(this, code, shift);
    if (!taken && _cursorEnabled && _attached) {
        if (code == EventKeyboard::KeyCode::KEY_DELETE) {
            removeRange(_editing.forwardRange());
        } else if (_editing.moveForKey(code, ctrl, shift)) {
            restartBlink();
            placeCaret();
        }
    }
    release();
}

void TextFieldTTF::visit(Renderer* renderer, const Mat4& parentTransform, uint32_t parentFlags)
{
    if (_delegate && _delegate->onVisit(this, renderer, parentTransform, parentFlags)) return;
    Label::visit(renderer, parentTransform, parentFlags);
}

void TextFieldTTF::draw(Renderer* renderer, const Mat4& transform, uint32_t flags)
{
    const bool editing = _attached && _cursorEnabled;
    if (editing) {
        for (LayerColor* bar : _selection) bar->visit(renderer, transform, flags);
    }
    Label::draw(renderer, transform, flags);
    if (editing && _caretOn && _caret && !_editing.hasSelection()) _caret->visit(renderer, transform, flags);
}

} // namespace cocos2d
