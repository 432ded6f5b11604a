#pragma once

#include <cstddef>
#include <string>

#include "2d/CCLabel.h"
#include "base/CCIMEDelegate.h"

namespace cocos2d {

class TextFieldTTF;

// Each operation returns true to refuse what the field is about to do.
class TextFieldDelegate {
public:
    virtual ~TextFieldDelegate() = default;

    virtual bool onTextFieldAttachWithIME(TextFieldTTF* sender) { return false; }
    virtual bool onTextFieldDetachWithIME(TextFieldTTF* sender) { return false; }
    // "\n" arrives on its own when Enter is pressed; refusing it keeps the field attached.
    virtual bool onTextFieldInsertText(TextFieldTTF* sender, const char* text, size_t nLen) { return false; }
    virtual bool onTextFieldDeleteBackward(TextFieldTTF* sender, const char* delText, size_t nLen) { return false; }
    // Returning true skips drawing the field this frame.
    virtual bool onVisit(TextFieldTTF* sender, Renderer* renderer, const Mat4& transform, uint32_t flags)
    {
        return false;
    }
};

// A label that takes typed text while attached; shows its placeholder while empty.
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
    const std::string& getString() const override { return _inputText; }
    int getCharCount() const { return _charCount; }

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

    std::string getTextDescription() const override { return _inputText; }

protected:
    TextFieldTTF();
    ~TextFieldTTF() override;

    bool canAttachWithIME() override;
    bool canDetachWithIME() override;
    void didAttachWithIME() override { _attached = true; }
    void didDetachWithIME() override { _attached = false; }
    void insertText(const char* text, size_t len) override;
    void deleteBackward() override;
    const std::string& getContentText() override { return _inputText; }

    void showCurrentText();
    void applyFont(const std::string& fontName, float fontSize);

    TextFieldDelegate* _delegate = nullptr;
    std::string _inputText;
    std::string _placeHolder;
    int _charCount = 0;
    Color4B _colorText = Color4B::WHITE;
    Color4B _colorSpaceHolder = Color4B(127, 127, 127, 255);
    bool _attached = false;
};

} // namespace cocos2d
