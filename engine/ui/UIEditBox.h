#pragma once

#include <string>
#include <utility>
#include <vector>

#include "base/CCEditableText.h"
#include "base/CCIMEDelegate.h"
#include "renderer/CCCustomCommand.h"
#include "ui/UIWidget.h"

namespace cocos2d {

class EventListenerTouchOneByOne;
class Label;
class LayerColor;
class Sprite;
class Touch;

namespace ui {

class EditBox;

class EditBoxDelegate {
public:
    enum class EditBoxEndAction { UNKNOWN, TAB_TO_NEXT, TAB_TO_PREVIOUS, RETURN };

    virtual ~EditBoxDelegate() = default;

    virtual void editBoxEditingDidBegin(EditBox* editBox) {}
    virtual void editBoxEditingDidEnd(EditBox* editBox) {}
    virtual void editBoxTextChanged(EditBox* editBox, const std::string& text) {}
    // Editing ended, by Enter, Ctrl+Enter or a tap outside the box.
    virtual void editBoxReturn(EditBox* editBox) = 0;
    virtual void editBoxEditingDidEndWithAction(EditBox* editBox, EditBoxEndAction action) {}
};

// A text entry field drawn in the scene: background picture, text or
// placeholder, and a blinking caret while it holds the keyboard. Left, Right,
// Home and End move the caret (with Shift they select), Ctrl+A selects
// everything; typing, Backspace and Delete work at the caret or on the selection.
class EditBox : public Widget, public IMEDelegate {
public:
    enum class KeyboardReturnType { DEFAULT, DONE, SEND, SEARCH, GO, NEXT };
    enum class InputMode { ANY, EMAIL_ADDRESS, NUMERIC, PHONE_NUMBER, URL, DECIMAL, SINGLE_LINE };
    enum class InputFlag {
        PASSWORD,
        SENSITIVE,
        INITIAL_CAPS_WORD,
        INITIAL_CAPS_SENTENCE,
        INITIAL_CAPS_ALL_CHARACTERS,
        LOWERCASE_ALL_CHARACTERS
    };

    static EditBox* create(const Size& size, const std::string& normalImage, TextureResType texType);
    static EditBox* create(const Size& size, const std::string& normalImage, const std::string& pressedImage = "",
                           const std::string& disabledImage = "", TextureResType texType = TextureResType::LOCAL);

    bool initWithSizeAndBackgroundSprite(const Size& size, const std::string& normalImage,
                                         TextureResType texType = TextureResType::LOCAL);

    void setDelegate(EditBoxDelegate* delegate) { _delegate = delegate; }
    EditBoxDelegate* getDelegate() { return _delegate; }

    void setText(const char* text);
    void setText(const std::string& text) { setText(text.c_str()); }
    const char* getText() const { return _content.text().c_str(); }
    // In characters from the start; setText puts it after the last.
    void setCursorPosition(int position);
    int getCursorPosition() const { return _content.caret(); }
    bool hasSelection() const { return _content.hasSelection(); }
    void selectAll();

    // fontName is a font file or a system family name.
    void setFont(const char* fontName, int fontSize);
    void setFontName(const char* fontName);
    void setFontSize(int fontSize);
    void setFontColor(const Color3B& color) { setFontColor(Color4B(color, 255)); }
    void setFontColor(const Color4B& color);
    const char* getFontName() const { return _fontName.c_str(); }
    int getFontSize() const { return _fontSize; }
    const Color4B& getFontColor() const { return _fontColor; }

    void setPlaceHolder(const char* text);
    const char* getPlaceHolder() const { return _placeHolder.c_str(); }
    // Until these are set, the placeholder uses the text's font.
    void setPlaceholderFont(const char* fontName, int fontSize);
    void setPlaceholderFontName(const char* fontName);
    void setPlaceholderFontSize(int fontSize);
    void setPlaceholderFontColor(const Color3B& color) { setPlaceholderFontColor(Color4B(color, 255)); }
    void setPlaceholderFontColor(const Color4B& color);
    int getPlaceholderFontSize() const;

    // In characters; zero or less means no limit.
    void setMaxLength(int maxLength) { _maxLength = maxLength; }
    int getMaxLength() const { return _maxLength; }
    void setReturnType(KeyboardReturnType returnType) { _returnType = returnType; }
    KeyboardReturnType getReturnType() const { return _returnType; }
    void setInputMode(InputMode inputMode);
    InputMode getInputMode() const { return _inputMode; }
    void setInputFlag(InputFlag inputFlag);
    InputFlag getInputFlag() const { return _inputFlag; }

    // Disabling or hiding a box that is being edited ends the editing.
    void setEnabled(bool enabled) override;
    void setVisible(bool visible) override;
    void setContentSize(const Size& size) override;

    // ENDED opens editing, as a finished tap on the box does.
    void touchDownAction(Ref* sender, TouchEventType controlEvent);
    void openKeyboard();
    void closeKeyboard();
    bool isEditing() const { return _editing; }

    void onEnter() override;
    void onExit() override;
    void visit(Renderer* renderer, const Mat4& parentTransform, uint32_t parentFlags) override;

    std::string getTextDescription() const override { return _content.text(); }
    bool hasTextDescription() const override { return true; }

protected:
    EditBox();
    ~EditBox() override;

    bool canAttachWithIME() override { return true; }
    bool canDetachWithIME() override { return true; }
    void didAttachWithIME() override;
    void didDetachWithIME() override;
    void insertText(const char* text, size_t len) override;
    void deleteBackward() override;
    void keyPressed(EventKeyboard::KeyCode code, bool ctrl, bool shift) override;
    const std::string& getContentText() override { return _content.text(); }

    bool isTouchInside(Touch* touch) const;
    void endEditing(EditBoxDelegate::EditBoxEndAction action);
    void textChanged();
    void removeRange(std::pair<int, int> range);
    void refresh();
    void scrollToCaret(Label* label, float available);
    void placeCaret();
    void placeSelection();
    void restartBlink();
    bool accepts(char32_t c) const;

    EditBoxDelegate* _delegate = nullptr;
    Sprite* _background = nullptr;
    Label* _textLabel = nullptr;
    Label* _placeholderLabel = nullptr;
    LayerColor* _caret = nullptr;
    std::vector<LayerColor*> _selection; // children, made on the first selection
    EventListenerTouchOneByOne* _touchListener = nullptr;
    EventListenerTouchOneByOne* _outsideListener = nullptr;

    EditableText _content;
    // How far the text is moved to keep the caret in the box.
    float _scrollX = 0.0f;
    float _scrollY = 0.0f;
    std::string _placeHolder;
    std::string _fontName = "Arial";
    int _fontSize = 20;
    Color4B _fontColor = Color4B::WHITE;
    std::string _placeholderFontName;
    int _placeholderFontSize = -1;
    Color4B _placeholderFontColor = Color4B::GRAY;
    int _maxLength = -1;
    KeyboardReturnType _returnType = KeyboardReturnType::DEFAULT;
    InputMode _inputMode = InputMode::SINGLE_LINE;
    InputFlag _inputFlag = InputFlag::INITIAL_CAPS_ALL_CHARACTERS;

    bool _editing = false;
    bool _caretOn = false;
    bool _quietDetach = false;
    EditBoxDelegate::EditBoxEndAction _endAction = EditBoxDelegate::EditBoxEndAction::UNKNOWN;

    CustomCommand _beginClip;
    CustomCommand _endClip;
    Rect _clipRect;
    bool _clipWasEnabled = false;
    Rect _clipPrevious;
};

} // namespace ui
} // namespace cocos2d
