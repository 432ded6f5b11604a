#pragma once

#include <functional>
#include <vector>

#include "cocos2d.h"

// The editor's keyboard commands: one keyboard listener that maps key
// chords to actions. While a text field or a name box has the keyboard its
// keys are the text's, and while a finger or the mouse button is down
// commands wait, unless a binding says otherwise. More commands are one
// bind() each.
class KeyCommands {
public:
    struct Chord {
        cocos2d::EventKeyboard::KeyCode key = cocos2d::EventKeyboard::KeyCode::KEY_NONE;
        bool ctrl = false;
        bool shift = false;
    };
    struct When {
        bool typing;   // also while text has the keyboard
        bool touching; // also while a finger or the button is down
    };

    KeyCommands() = default;
    KeyCommands(const KeyCommands&) = delete;
    KeyCommands& operator=(const KeyCommands&) = delete;

    // A chord has one command: binding it again replaces the first.
    void bind(const Chord& chord, std::function<void()> action, When when = When{false, false});
    // The listener hangs on node: it hears keys while node is on stage.
    void registerListener(cocos2d::Node* node);
    // A key pressed with these modifiers; true when a command ran.
    bool press(cocos2d::EventKeyboard::KeyCode key, bool ctrl, bool shift) const;

private:
    struct Binding {
        Chord chord;
        std::function<void()> action;
        When when;
    };
    std::vector<Binding> _bindings;
};
