#include "base/CCIMEDispatcher.h"

#include <algorithm>

#include "base/CCDirector.h"
#include "base/CCIMEDelegate.h"
#include "platform/CCGLView.h"

namespace cocos2d {

IMEDelegate::IMEDelegate() { IMEDispatcher::sharedDispatcher()->addDelegate(this); }

IMEDelegate::~IMEDelegate() { IMEDispatcher::sharedDispatcher()->removeDelegate(this); }

bool IMEDelegate::attachWithIME() { return IMEDispatcher::sharedDispatcher()->attachDelegateWithIME(this); }

bool IMEDelegate::detachWithIME() { return IMEDispatcher::sharedDispatcher()->detachDelegateWithIME(this); }

const std::string& IMEDelegate::getContentText()
{
    static const std::string empty;
    return empty;
}

IMEDispatcher* IMEDispatcher::sharedDispatcher()
{
    static IMEDispatcher instance;
    return &instance;
}

void IMEDispatcher::addDelegate(IMEDelegate* delegate)
{
    if (std::find(_delegates.begin(), _delegates.end(), delegate) == _delegates.end()) _delegates.push_back(delegate);
}

void IMEDispatcher::removeDelegate(IMEDelegate* delegate)
{
    if (_attached == delegate) {
        _attached = nullptr;
        if (GLView* view = Director::getInstance()->getOpenGLView()) view->setIMEKeyboardState(false);
    }
    _delegates.erase(std::remove(_delegates.begin(), _delegates.end(), delegate), _delegates.end());
}

bool IMEDispatcher::attachDelegateWithIME(IMEDelegate* delegate)
{
    if (!delegate || std::find(_delegates.begin(), _delegates.end(), delegate) == _delegates.end()) return false;
    if (_attached == delegate) return true;
    // The current owner may refuse to let go, and the new one may refuse to take over.
    if (_attached) {
        if (!_attached->canDetachWithIME() || !delegate->canAttachWithIME()) return false;
        IMEDelegate* old = _attached;
        _attached = nullptr;
        old->didDetachWithIME();
        _attached = delegate;
        delegate->didAttachWithIME();
        return true;
    }
    if (!delegate->canAttachWithIME()) return false;
    _attached = delegate;
    if (GLView* view = Director::getInstance()->getOpenGLView()) view->setIMEKeyboardState(true);
    delegate->didAttachWithIME();
    return true;
}

bool IMEDispatcher::detachDelegateWithIME(IMEDelegate* delegate)
{
    if (!delegate || _attached != delegate) return false;
    if (!delegate->canDetachWithIME()) return false;
    _attached = nullptr;
    if (GLView* view = Director::getInstance()->getOpenGLView()) view->setIMEKeyboardState(false);
    delegate->didDetachWithIME();
    return true;
}

void IMEDispatcher::dispatchInsertText(const char* text, size_t len)
{
    if (_attached && text && len > 0) _attached->insertText(text, len);
}

void IMEDispatcher::dispatchDeleteBackward()
{
    if (_attached) _attached->deleteBackward();
}

void IMEDispatcher::dispatchKey(EventKeyboard::KeyCode code, bool ctrl, bool shift)
{
    if (_attached) _attached->keyPressed(code, ctrl, shift);
}

const std::string& IMEDispatcher::getContentText()
{
    if (_attached) return _attached->getContentText();
    static const std::string empty;
    return empty;
}

} // namespace cocos2d
