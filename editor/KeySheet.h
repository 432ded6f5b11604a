#pragma once

#include "cocos2d.h"

// Every key of the editor on one dimmed screen, for whoever wonders what
// the keyboard can do. It takes every touch while shown; a tap or close()
// removes it.
class KeySheet : public cocos2d::LayerColor {
public:
    static KeySheet* create();
    bool init() override;

    void close();
    bool isClosing() { return getActionByTag(kClosingTag) != nullptr; }

    // The keys as listed, one line each: the chord, then what it does.
    struct Entry {
        const char* keys;
        const char* does;
    };
    static const std::vector<Entry>& entries();

private:
    static constexpr int kClosingTag = 0x6b05;
};
