#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "base/CCEventKeyboard.h"

namespace cocos2d {

class IMEDelegate;

class IMEDispatcher {
public:
    static IMEDispatcher* sharedDispatcher();

    void dispatchInsertText(const char* text, size_t len);
    void dispatchDeleteBackward();
    void dispatchKey(EventKeyboard::KeyCode code, bool ctrl, bool shift = false);
    const std::string& getContentText();
    bool isAnyDelegateAttachedWithIME() const { return _attached != nullptr; }
    IMEDelegate* getAttachedDelegate() const { return _attached; }

    void addDelegate(IMEDelegate* delegate);
    bool attachDelegateWithIME(IMEDelegate* delegate);
    bool detachDelegateWithIME(IMEDelegate* delegate);
    void removeDelegate(IMEDelegate* delegate);

private:
    std::vector<IMEDelegate*> _delegates;
    IMEDelegate* _attached = nullptr;
};

} // namespace cocos2d
