#pragma once

#include <string>

#include "cocos2d.h"

// One short line of text the user must read: a standing message that stays
// until it is withdrawn (nothing is being saved), and passing ones that fade
// after a few seconds (signed in, posted). A passing message shows over a
// standing one, which comes back when it has faded. It takes no touch.
class MessageLine : public cocos2d::Node {
public:
    static constexpr float kPassingSeconds = 4.0f;

    static MessageLine* create();
    bool init() override;

    void tell(const std::string& text);
    // "" withdraws it.
    void setStanding(const std::string& text);

    // What shows now; "" when nothing does.
    std::string shownText() const;

private:
    void present(const std::string& text);
    void withdrawPassing();

    cocos2d::LayerColor* _backing = nullptr;
    cocos2d::Label* _label = nullptr;
    std::string _standing;
    bool _passing = false;
};
