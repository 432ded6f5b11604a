#include "2d/CCTextFieldTTF.h"

#include <algorithm>
#include <new>


namespace cocos2d {

namespace {

int countCharacters(const std::string& text)
{
    return int(std::count_if(text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

// Bytes of the last whole UTF-8 character, continuation bytes included.
size_t lastCharacterLength(const std::string& text)
{
    size_t start = text.size();
    while (start > 0) {
        --start;
        if ((static_cast<unsigned char>(text[start]) & 0xC0) != 0x80) break;
    }
    return text.size() - start;
}

} // namespace

TextFieldTTF::TextFieldTTF() = default;

TextFieldTTF::~TextFieldTTF() = default;

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
    bool empty = _inputText.empty();
    Label::setTextColor(empty ? _colorSpaceHolder : _colorText);
    Label::setString(empty ? _placeHolder : _inputText);
}

void TextFieldTTF::setString(const std::string& text)
{
    _inputText = text;
    _charCount = countCharacters(text);
    showCurrentText();
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
    showCurrentText();
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
        setString(_inputText + insert);
    }
    if (lineBreak == std::string::npos) return;
    if (_delegate && _delegate->onTextFieldInsertText(this, "\n", 1)) return;
    detachWithIME();
}

void TextFieldTTF::deleteBackward()
{
    if (_inputText.empty()) return;
    size_t length = lastCharacterLength(_inputText);
    size_t start = _inputText.size() - length;
    if (_delegate && _delegate->onTextFieldDeleteBackward(this, _inputText.c_str() + start, length)) return;
    setString(_inputText.substr(0, start));
}

void TextFieldTTF::visit(Renderer* renderer, const Mat4& parentTransform, uint32_t parentFlags)
{
    if (_delegate && _delegate->onVisit(this, renderer, parentTransform, parentFlags)) return;
    Label::visit(renderer, parentTransform, parentFlags);
}

} // namespace cocos2d
