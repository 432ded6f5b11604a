#include "KeyCommands.h"

#include <utility>

USING_NS_CC;

namespace {

bool typing() { return IMEDispatcher::sharedDispatcher()->isAnyDelegateAttachedWithIME(); }

bool touching()
{
    const GLView* view = Director::getInstance()->getOpenGLView();
    return view && view->getActiveTouchCount() > 0;
}

} // namespace

void KeyCommands::bind(const Chord& chord, std::function<void()> action, When when)
{
    for (Binding& b : _bindings) {
        if (b.chord.key == chord.key && b.chord.ctrl == chord.ctrl && b.chord.shift == chord.shift) {
            b = Binding{chord, std::move(action), when};
            return;
        }
    }
    _bindings.push_back(Binding{chord, std::move(action), when});
}

void KeyCommands::registerListener(Node* node)
{
    auto* listener = EventListenerKeyboard::create();
    listener->onKeyPressed = [this](EventKeyboard::KeyCode key, Event* event) {
        auto* keyboard = static_cast<EventKeyboard*>(event);
        press(key, keyboard->isCtrlDown(), keyboard->isShiftDown());
    };
    node->getEventDispatcher()->addEventListenerWithSceneGraphPriority(listener, node);
}

bool KeyCommands::press(EventKeyboard::KeyCode key, bool ctrl, bool shift) const
{
    for (const Binding& b : _bindings) {
        if (b.chord.key != key || b.chord.ctrl != ctrl || b.chord.shift != shift) continue;
        if ((!b.when.typing && typing()) || (!b.when.touching && touching())) return false;
        b.action();
        return true;
    }
    return false;
}
