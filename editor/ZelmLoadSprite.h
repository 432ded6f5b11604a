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

    const std::string& id() const { return _id; }
    // The name under the picture, and the box that edits it.
    cocos2d::Label* nameLabel() const { return _nameLabel; }
    cocos2d::ui::EditBox* nameBox() const { return _nameBox; }
    // Both are children of the item.
    void setCircuit(const std::string& id, cocos2d::Label* nameLabel, cocos2d::ui::EditBox* nameBox);

protected:
    ZelmLoadSprite() = default;

private:
    std::string _id;
    cocos2d::Label* _nameLabel = nullptr;
    cocos2d::ui::EditBox* _nameBox = nullptr;
};
