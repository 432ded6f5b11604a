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
