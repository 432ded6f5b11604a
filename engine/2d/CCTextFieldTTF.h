#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "2d/CCLabel.h"
#include "base/CCEditableText.h"
#include "base/CCIMEDelegate.h"

namespace cocos2d {

class LayerColor;
class TextFieldTTF;

// Each operation returns true to refuse what the field is about to do.
class TextFieldDelegate {
public:
    virtual ~TextFieldDelegate() = default;

    virtual bool onTextFieldAttachWithIME(TextFieldTTF* sender) { return false; }
    virtual bool onTextFieldDetachWithIME(TextFieldTTF* sender) { return false; }
    // "\n" arrives on its own when Enter is pressed; refusing it keeps the field attached.
    virtual bool onTextFieldInsertText(TextFieldTTF* sender, const char* text, size_t nLen) { return false; }
    // Backspace and Delete both ask here, with the text they would remove:
    // the character before or after the caret, or the selection.
    virtual bool onTextFieldDeleteBackward(TextFieldTTF* sender, const char* delText, size_t nLen) { return false; }
    // Keys that are not text (Tab, Escape, the arrows...) reach the delegate
    // before the field; returning true takes the key from it. Enter arrives
    // through onTextFieldInsertText as "\n".
    virtual bool onTextFieldKeyPressed(TextFieldTTF* sender, EventKeyboard::KeyCode key, bool shift)
    {
        return false;
    }
    // Returning true skips drawing the field this frame.
    virtual bool onVisit(TextFieldTTF* sender, Renderer* renderer, const Mat4& transform, uint32_t flags)
    {
        return false;
    }
};

// A label that takes typed text while attached; shows its placeholder while
// empty. Typed text goes on at the end, unless the caret is enabled: then a
// blinking caret shows while the field is attached, Left, Right, Home and End
// move it (with Shift they select), Ctrl+A selects everything, and typing,
// Backspace and Delete work at the caret or on the selection.
class TextFieldTTF : public Label, public IMEDelegate {
public:
    // fontName is a font file or a system family name.
    static TextFieldTTF* textFieldWithPlaceHolder(const std::string& placeholder, const Size& dimensions,
                                                  TextHAlignment alignment, const std::string& fontName,
                                                  float fontSize);
    static TextFieldTTF* textFieldWithPlaceHolder(const std::string& placeholder, const std::string& fontName,
                                                  float fontSize);

    bool initWithPlaceHolder(const std::string& placeholder, const Size& dimensions, TextHAlignment alignment,
                             const std::string& fontName, float fontSize);
    bool initWithPlaceHolder(const std::string& placeholder, const std::string& fontName, float fontSize);

    TextFieldDelegate* getDelegate() const { return _delegate; }
    void setDelegate(TextFieldDelegate* delegate) { _delegate = delegate; }

    // The typed text, never the placeholder.
    void setString(const std::string& text) override;
    const std::string& getString() const override { return _editing.text(); }
    int getCharCount() const { return _editing.length(); }

    void setCursorEnabled(bool enabled);
    bool isCursorEnabled() const { return _cursorEnabled; }
    // In characters from the start; setString puts it after the last.
    void setCursorPosition(std::size_t position);
    std::size_t getCursorPosition() const { return std::size_t(_editing.caret()); }
    bool hasSelection() const { return _editing.hasSelection(); }
    void selectAll();
    // Where the caret and the selection are drawn, in the field's space.
    Rect getCursorRect() const;
    bool isCursorShown() const { return _attached && _cursorEnabled && _caretOn && !_editing.hasSelection(); }
    std::vector<Rect> getSelectionRects() const;

    void setPlaceHolder(const std::string& text);
    const std::string& getPlaceHolder() const { return _placeHolder; }
    void setColorSpaceHolder(const Color3B& color);
    void setColorSpaceHolder(const Color4B& color);
    const Color4B& getColorSpaceHolder() const { return _colorSpaceHolder; }
    void setTextColor(const Color4B& color) override;

    bool attachWithIME() override;
    bool detachWithIME() override;
    bool isAttachedWithIME() const { return _attached; }

    void visit(Renderer* renderer, const Mat4& parentTransform, uint32_t parentFlags) override;

    std::string getTextDescription() const override { return _editing.text(); }

protected:
    TextFieldTTF();
    ~TextFieldTTF() override;

    bool canAttachWithIME() override;
    bool canDetachWithIME() override;
    void didAttachWithIME() override;
    void didDetachWithIME() override;
    void insertText(const char* text, size_t len) override;
    void deleteBackward() override;
    void keyPressed(EventKeyboard::KeyCode code, bool ctrl, bool shift) override;
    const std::string& getContentText() override { return _editing.text(); }

    void draw(Renderer* renderer, const Mat4& transform, uint32_t flags) override;
    void updateColor() override;

    void showCurrentText();
    void applyFont(const std::string& fontName, float fontSize);
    // Asks the delegate, then removes [range.first, range.second).
    void removeRange(std::pair<int, int> range);
    void restartBlink();
    void placeCaret();

    TextFieldDelegate* _delegate = nullptr;
    EditableText _editing;
    std::string _placeHolder;
    Color4B _colorText = Color4B::WHITE;
    Color4B _colorSpaceHolder = Color4B(127, 127, 127, 255);
    bool _attached = false;
    bool _cursorEnabled = false;
    bool _caretOn = false;
    // Drawn with the letters, outside the node tree.
    LayerColor* _caret = nullptr;
    std::vector<LayerColor*> _selection;
};

} // namespace cocos2d
