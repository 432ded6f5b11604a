#pragma once

#include <string>

#include "2d/CCLabel.h"
#include "cocos2d.h"
#include "ui/UIEditBox.h"

// The thumbnail of one saved circuit in the saved-circuits row.
class ZelmLoadSprite : public cocos2d::Sprite {
public:
    static ZelmLoadSprite* create(const std::string& file, const cocos2d::Rect& rect);
    ~ZelmLoadSprite() override;

    std::string id;
    cocos2d::Label* nameLabel = nullptr;     // child node, not owning
    cocos2d::ui::EditBox* nameBox = nullptr; // child node, not owning

protected:
    ZelmLoadSprite() = default;
};
