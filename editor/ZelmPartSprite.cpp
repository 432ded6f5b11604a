#include "ZelmPartSprite.h"

#include <new>

USING_NS_CC;

ZelmPartSprite::~ZelmPartSprite() = default;

ZelmPartSprite* ZelmPartSprite::create(const std::string& file)
{
    auto* part = new (std::nothrow) ZelmPartSprite();
    if (part && part->initWithFile(file)) {
        part->autorelease();
        return part;
    }
    delete part;
    return nullptr;
}

std::array<Vec2, 4> ZelmPartSprite::touchOutline() const
{
    return circuit::touchOutline(_type, getContentSize());
}
