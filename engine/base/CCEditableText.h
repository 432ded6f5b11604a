#pragma once

#include <algorithm>
#include <string>
#include <utility>

#include "base/CCEventKeyboard.h"

namespace cocos2d {

// A UTF-8 text with a caret and a selection, as a text entry field keeps
// them. Positions count code points; a selection runs between the anchor and
// the caret, whichever comes first.
class EditableText {
public:
    enum class Motion { LEFT, RIGHT, HOME, END };

    const std::string& text() const { return _text; }
    // The caret goes after the last character; nothing stays selected.
    void setText(const std::string& text);
    int length() const { return _length; }

    int caret() const { return _caret; }
    void setCaret(int position);
    bool hasSelection() const { return _anchor != _caret; }
    int selectionStart() const { return std::min(_anchor, _caret); }
    int selectionEnd() const { return std::max(_anchor, _caret); }
    void selectAll();

    // Left and Right step one character, Home and End go to the ends of the
    // line ("\n" ends lines). With extend the selection grows or shrinks with
    // the caret; without, a selection collapses: Left and Right stop at its
    // near edge. True when the caret or the selection changed.
    bool move(Motion motion, bool extend);
    // The keys that move the caret or select: Left, Right, Home and End
    // (Shift extends), Ctrl+A. True when the key was one of them and the
    // caret or the selection changed.
    bool moveForKey(EventKeyboard::KeyCode code, bool ctrl, bool shift);

    // What Backspace or Delete would take: the selection, else the character
    // before or after the caret; first == second when there is nothing.
    std::pair<int, int> backwardRange() const;
    std::pair<int, int> forwardRange() const;
    std::string slice(int from, int to) const;
    // Removes [from, to) and puts the caret there, with nothing selected.
    void erase(int from, int to);
    // Replaces the selection (or inserts at the caret); the caret ends after it.
    void insert(const std::string& utf8);

private:
    size_t byteOffset(int position) const;

    std::string _text;
    int _length = 0;
    int _caret = 0;
    int _anchor = 0;
};

} // namespace cocos2d
