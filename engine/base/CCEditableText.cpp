#include "base/CCEditableText.h"

#include <algorithm>

namespace cocos2d {

namespace {

bool isContinuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

int countCodePoints(const std::string& text)
{
    return int(std::count_if(text.begin(), text.end(), [](char c) { return !isContinuation(c); }));
}

} // namespace

void EditableText::setText(const std::string& text)
{
    _text = text;
    _length = countCodePoints(text);
    _caret = _anchor = _length;
}

void EditableText::setCaret(int position) { _caret = _anchor = std::clamp(position, 0, _length); }

void EditableText::selectAll()
{
    _anchor = 0;
    _caret = _length;
}

size_t EditableText::byteOffset(int position) const
{
    size_t i = 0;
    for (int seen = 0; i < _text.size(); ++i) {
        if (!isContinuation(_text[i]) && seen++ == position) return i;
    }
    return _text.size();
}

bool EditableText::move(Motion motion, bool extend)
{
    const int before = _caret, anchorBefore = _anchor;
    if (!extend && hasSelection() && (motion == Motion::LEFT || motion == Motion::RIGHT)) {
        _caret = motion == Motion::LEFT ? selectionStart() : selectionEnd();
    } else {
        switch (motion) {
        case Motion::LEFT:
            _caret = std::max(0, _caret - 1);
            break;
        case Motion::RIGHT:
            _caret = std::min(_length, _caret + 1);
            break;
        case Motion::HOME: {
            size_t at = byteOffset(_caret);
            size_t lineStart = at == 0 ? std::string::npos : _text.rfind('\n', at - 1);
            _caret = lineStart == std::string::npos ? 0 : countCodePoints(_text.substr(0, lineStart + 1));
            break;
        }
        case Motion::END: {
            size_t lineEnd = _text.find('\n', byteOffset(_caret));
            _caret = lineEnd == std::string::npos ? _length : countCodePoints(_text.substr(0, lineEnd));
            break;
        }
        }
    }
    if (!extend) _anchor = _caret;
    return _caret != before || _anchor != anchorBefore;
}

bool EditableText::moveForKey(EventKeyboard::KeyCode code, bool ctrl, bool shift)
{
    using Key = EventKeyboard::KeyCode;
    switch (code) {
    case Key::KEY_LEFT_ARROW:
        return move(Motion::LEFT, shift);
    case Key::KEY_RIGHT_ARROW:
        return move(Motion::RIGHT, shift);
    case Key::KEY_HOME:
        return move(Motion::HOME, shift);
    case Key::KEY_END:
        return move(Motion::END, shift);
    case Key::KEY_A:
        if (!ctrl || (_anchor == 0 && _caret == _length)) return false;
        selectAll();
        return true;
    default:
        return false;
    }
}

std::pair<int, int> EditableText::backwardRange() const
{
    if (hasSelection()) return {selectionStart(), selectionEnd()};
    return {std::max(0, _caret - 1), _caret};
}

std::pair<int, int> EditableText::forwardRange() const
{
    if (hasSelection()) return {selectionStart(), selectionEnd()};
    return {_caret, std::min(_length, _caret + 1)};
}

std::string EditableText::slice(int from, int to) const
{
    size_t start = byteOffset(from);
    return _text.substr(start, byteOffset(to) - start);
}

void EditableText::erase(int from, int to)
{
    from = std::clamp(from, 0, _length);
    to = std::clamp(to, from, _length);
    size_t start = byteOffset(from);
    _text.erase(start, byteOffset(to) - start);
    _length -= to - from;
    _caret = _anchor = from;
}

void EditableText::insert(const std::string& utf8)
{
    if (hasSelection()) erase(selectionStart(), selectionEnd());
    _text.insert(byteOffset(_caret), utf8);
    int added = countCodePoints(utf8);
    _length += added;
    _caret = _anchor = _caret + added;
}

} // namespace cocos2d
