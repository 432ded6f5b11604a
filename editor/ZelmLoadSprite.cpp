#include "ZelmLoadSprite.h"

#include <new>

USING_NS_CC;

ZelmLoadSprite::~ZelmLoadSprite() = default;

ZelmLoadSprite* ZelmLoadSprite::create(const std::string& file, const Rect& rect)
{
    auto* item = new (std::nothrow) ZelmLoadSprite();
    if (item && item->initWithFile(file, rect)) {
        item->autorelease();
        return item;
    }
    delete item;
    return nullptr;
}

void ZelmLoadSprite::setCircuit(const std::string& id, Label* nameLabel, ui::EditBox* nameBox)
{
    _id = id;
    _nameLabel = nameLabel;
    _nameBox = nameBox;
}
