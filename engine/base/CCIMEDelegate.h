#pragma once

#include <cstddef>
#include <string>

#include "base/CCEventKeyboard.h"

namespace cocos2d {

// A receiver of typed text; only one is attached at a time.
class IMEDelegate {
public:
    virtual ~IMEDelegate();

    virtual bool attachWithIME();
    virtual bool detachWithIME();

    virtual bool canAttachWithIME() { return false; }
    virtual void didAttachWithIME() {}
    virtual bool canDetachWithIME() { return false; }
    virtual void didDetachWithIME() {}
    virtual void insertText(const char* text, size_t len) {}
    virtual void deleteBackward() {}
    virtual const std::string& getContentText();
    // Keys that are not text (arrows, Home, End, Delete, Tab, Ctrl+A,
    // Ctrl+Enter, Escape); ctrl and shift tell the modifiers.
    virtual void keyPressed(EventKeyboard::KeyCode code, bool ctrl, bool shift) {}

protected:
    IMEDelegate();
};

} // namespace cocos2d
