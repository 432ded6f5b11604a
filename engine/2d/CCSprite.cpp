#include "2d/CCSprite.h"

#include <algorithm>
#include <cmath>

#include "base/CCDirector.h"
#include "base/ccMacros.h"
#include "renderer/CCRenderer.h"
#include "renderer/CCTexture2D.h"
#include "renderer/CCTextureCache.h"

namespace cocos2d {

Sprite::Sprite() = default;

Sprite::~Sprite() { CC_SAFE_RELEASE(_texture); }

namespace {
template <class Init>
Sprite* makeSprite(Init init)
{
    Sprite* sprite = Sprite::create();
    if (sprite && init(sprite)) return sprite;
    return nullptr;
}
} // namespace

Sprite* Sprite::create()
{
    Sprite* sprite = new (std::nothrow) Sprite();
    if (sprite && sprite->init()) {
        sprite->autorelease();
        return sprite;
    }
    delete sprite;
    return nullptr;
}

Sprite* Sprite::create(const std::string& filename)
{
    return makeSprite([&](Sprite* s) { return s->initWithFile(filename); });
}

Sprite* Sprite::create(const std::string& filename, const Rect& rect)
{
    return makeSprite([&](Sprite* s) { return s->initWithFile(filename, rect); });
}

Sprite* Sprite::createWithTexture(Texture2D* texture)
{
    return makeSprite([&](Sprite* s) { return s->initWithTexture(texture); });
}

Sprite* Sprite::createWithTexture(Texture2D* texture, const Rect& rect, bool rotated)
{
    return makeSprite([&](Sprite* s) { return s->initWithTexture(texture, rect, rotated); });
}

bool Sprite::init()
{
    setAnchorPoint(Vec2(0.5f, 0.5f));
    setTextureRect(Rect::ZERO);
    return true;
}

bool Sprite::initWithFile(const std::string& filename)
{
    Texture2D* texture = Director::getInstance()->getTextureCache()->addImage(filename);
    if (!texture) return false;
    _fileName = filename;
    return initWithTexture(texture);
}

bool Sprite::initWithFile(const std::string& filename, const Rect& rect)
{
    Texture2D* texture = Director::getInstance()->getTextureCache()->addImage(filename);
    if (!texture) return false;
    _fileName = filename;
    return initWithTexture(texture, rect, false);
}

bool Sprite::initWithTexture(Texture2D* texture)
{
    if (!texture) return false;
    Size size = texture->getContentSize();
    return initWithTexture(texture, Rect(0, 0, size.width, size.height), false);
}

bool Sprite::initWithTexture(Texture2D* texture, const Rect& rect, bool rotated)
{
    setAnchorPoint(Vec2(0.5f, 0.5f));
    _flippedX = _flippedY = false;
    setTexture(texture);
    setTextureRect(rect, rotated, rect.size);
    return true;
}

void Sprite::setTexture(const std::string& filename)
{
    Texture2D* texture = Director::getInstance()->getTextureCache()->addImage(filename);
    setTexture(texture);
    _fileName = filename;
    Rect rect = Rect::ZERO;
    if (texture) rect.size = texture->getContentSize();
    setTextureRect(rect);
}

void Sprite::setTexture(Texture2D* texture)
{
    if (texture == _texture) return;
    CC_SAFE_RETAIN(texture);
    CC_SAFE_RELEASE(_texture);
    _texture = texture;
    rebuildQuads();
}

void Sprite::setTextureRect(const Rect& rect) { setTextureRect(rect, false, rect.size); }

void Sprite::setTextureRect(const Rect& rect, bool rotated, const Size& untrimmedSize)
{
    _rectRotated = rotated;
    _rect = rect;
    setContentSize(untrimmedSize);
    rebuildQuads();
}

void Sprite::setFlippedX(bool flipped)
{
    if (_flippedX == flipped) return;
    _flippedX = flipped;
    rebuildQuads();
}

void Sprite::setFlippedY(bool flipped)
{
    if (_flippedY == flipped) return;
    _flippedY = flipped;
    rebuildQuads();
}

void Sprite::rebuildQuads()
{
    _quads.clear();
    float w = _rect.size.width;
    float h = _rect.size.height;
    if (w <= 0.0f || h <= 0.0f) return;

    // Texture space in points, v growing downwards from the picture's top.
    Size texSize = _texture ? _texture->getContentSize() : Size(w, h);
    if (texSize.width <= 0.0f || texSize.height <= 0.0f) return;
    bool repeatS = _texture && _texture->isRepeatS();
    bool repeatT = _texture && _texture->isRepeatT();
    _builtRepeatS = repeatS;
    _builtRepeatT = repeatT;

    // Repeat wrapping is emulated by one quad per whole tile the rectangle covers.
    auto spans = [](float start, float length, float period, bool repeat) {
        std::vector<std::pair<float, float>> out; // (start in texture points, length)
        if (!repeat) {
            out.emplace_back(start, length);
            return out;
        }
        float pos = start;
        float end = start + length;
        while (pos < end - 1e-4f) {
            float tileStart = std::floor(pos / period) * period;
            float next = std::min(end, tileStart + period);
            out.emplace_back(pos, next - pos);
            pos = next;
        }
        return out;
    };
    auto columns = spans(_rect.origin.x, w, texSize.width, repeatS);
    auto rows = spans(_rect.origin.y, h, texSize.height, repeatT);

    float localY = h; // rows run from the top of the sprite down
    for (auto& row : rows) {
        float localX = 0.0f;
        float v0 = row.first, v1 = row.first + row.second;
        if (repeatT) {
            float tile = std::floor(row.first / texSize.height) * texSize.height;
            v0 -= tile;
            v1 -= tile;
        }
        for (auto& col : columns) {
            float u0 = col.first, u1 = col.first + col.second;
            if (repeatS) {
                float tile = std::floor(col.first / texSize.width) * texSize.width;
                u0 -= tile;
                u1 -= tile;
            }
            float left = localX, right = localX + col.second;
            float top = localY, bottom = localY - row.second;
            if (_flippedX) {
                left = w - left;
                right = w - right;
            }
            if (_flippedY) {
                top = h - top;
                bottom = h - bottom;
            }
            V3F_C4B_T2F_Quad quad;
            quad.tl.vertices = Vec3(left, top, 0);
            quad.bl.vertices = Vec3(left, bottom, 0);
            quad.tr.vertices = Vec3(right, top, 0);
            quad.br.vertices = Vec3(right, bottom, 0);
            float su0 = u0 / texSize.width, su1 = u1 / texSize.width;
            float sv0 = v0 / texSize.height, sv1 = v1 / texSize.height;
            quad.tl.texCoords = {su0, sv0};
            quad.bl.texCoords = {su0, sv1};
            quad.tr.texCoords = {su1, sv0};
            quad.br.texCoords = {su1, sv1};
            _quads.push_back(quad);
            localX += col.second;
        }
        localY -= row.second;
    }
    updateColor();
}

void Sprite::updateColor()
{
    Color4B color(_displayedColor.r, _displayedColor.g, _displayedColor.b, _displayedOpacity);
    if (_opacityModifyRGB) {
        color.r = uint8_t(color.r * _displayedOpacity / 255);
        color.g = uint8_t(color.g * _displayedOpacity / 255);
        color.b = uint8_t(color.b * _displayedOpacity / 255);
    }
    for (auto& quad : _quads) {
        quad.tl.colors = quad.bl.colors = quad.tr.colors = quad.br.colors = color;
    }
}

void Sprite::draw(Renderer* renderer, const Mat4& transform, uint32_t flags)
{
    if (!_texture) return;
    if (_texture->isRepeatS() != _builtRepeatS || _texture->isRepeatT() != _builtRepeatT) rebuildQuads();
    if (_quads.empty() || _displayedOpacity == 0) return;
    _quadCommand.init(_globalZOrder, _texture, _quads.data(), _quads.size(), transform, flags);
    renderer->addCommand(&_quadCommand);
}

} // namespace cocos2d
