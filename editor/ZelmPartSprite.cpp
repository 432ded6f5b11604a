#include "ZelmPartSprite.h"

#include <new>

USING_NS_CC;

ZelmPartSprite::ZelmPartSprite()
{
    for (auto& end : ends) end.owner = this;
}

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

void ZelmPartSprite::assignEndGeometry()
{
    const Size size = getContentSize();
    const float w = size.width;
    const float h = size.height;
    // The pictures are drawn so that the track's centre line meets their edges
    // at these points.
    switch (type) {
    case PartTypes::corner:
        ends[0].point = Vec2(0, 22.5f);
        ends[1].point = Vec2(w - 15.75f, h - 15.75f);
        break;
    case PartTypes::wave:
        ends[0].point = Vec2(0, h - 22.5f);
        ends[1].point = Vec2(w, h - 22.5f);
        break;
    case PartTypes::changer:
        ends[0].point = Vec2(23, h * 0.5f);
        ends[1].point = Vec2(w - 23, h * 0.5f);
        break;
    default:
        ends[0].point = Vec2(0, h * 0.5f);
        ends[1].point = Vec2(w, h * 0.5f);
        break;
    }
    ends[0].inner = ends[0].point + Vec2(1, 0);
    // The corner turns 45 degrees left, so a car enters end B heading down-left.
    ends[1].inner = ends[1].point + (type == PartTypes::corner ? Vec2(-1, -1) : Vec2(-1, 0));
}

std::array<Vec2, 4> ZelmPartSprite::touchOutline() const
{
    const Size size = getContentSize();
    const float w = size.width;
    const float h = size.height;
    if (type == PartTypes::corner)
        return {Vec2(0, 0), Vec2(0, h - 13.5f), Vec2(w - 31.5f, h), Vec2(w, 27)};
    return {Vec2(0, 0), Vec2(0, h), Vec2(w, h), Vec2(w, 0)};
}
