#include "2d/CCLayer.h"

#include "base/CCDirector.h"
#include "renderer/CCRenderer.h"

namespace cocos2d {

Layer::Layer()
{
    _ignoreAnchorPointForPosition = true;
    setAnchorPoint(Vec2(0.5f, 0.5f));
}

Layer* Layer::create()
{
    Layer* layer = new (std::nothrow) Layer();
    if (layer && layer->init()) {
        layer->autorelease();
        return layer;
    }
    delete layer;
    return nullptr;
}

bool Layer::init()
{
    setContentSize(Director::getInstance()->getVisibleSize());
    return true;
}

LayerColor::LayerColor() = default;

LayerColor* LayerColor::create()
{
    LayerColor* layer = new (std::nothrow) LayerColor();
    if (layer && layer->init()) {
        layer->autorelease();
        return layer;
    }
    delete layer;
    return nullptr;
}

LayerColor* LayerColor::create(const Color4B& color)
{
    LayerColor* layer = new (std::nothrow) LayerColor();
    if (layer && layer->initWithColor(color)) {
        layer->autorelease();
        return layer;
    }
    delete layer;
    return nullptr;
}

LayerColor* LayerColor::create(const Color4B& color, float width, float height)
{
    LayerColor* layer = new (std::nothrow) LayerColor();
    if (layer && layer->initWithColor(color, width, height)) {
        layer->autorelease();
        return layer;
    }
    delete layer;
    return nullptr;
}

bool LayerColor::init()
{
    Size size = Director::getInstance()->getVisibleSize();
    return initWithColor(Color4B(0, 0, 0, 0), size.width, size.height);
}

bool LayerColor::initWithColor(const Color4B& color)
{
    Size size = Director::getInstance()->getVisibleSize();
    return initWithColor(color, size.width, size.height);
}

bool LayerColor::initWithColor(const Color4B& color, float width, float height)
{
    if (!Layer::init()) return false;
    _displayedColor = _realColor = Color3B(color.r, color.g, color.b);
    _displayedOpacity = _realOpacity = color.a;
    setContentSize(Size(width, height));
    updateColor();
    return true;
}

void LayerColor::setContentSize(const Size& size)
{
    Layer::setContentSize(size);
    updateVertices();
}

void LayerColor::changeWidth(float width) { setContentSize(Size(width, _contentSize.height)); }

void LayerColor::changeHeight(float height) { setContentSize(Size(_contentSize.width, height)); }

void LayerColor::changeWidthAndHeight(float width, float height) { setContentSize(Size(width, height)); }

void LayerColor::updateVertices()
{
    float w = _contentSize.width, h = _contentSize.height;
    _quad.tl.vertices = Vec3(0, h, 0);
    _quad.bl.vertices = Vec3(0, 0, 0);
    _quad.tr.vertices = Vec3(w, h, 0);
    _quad.br.vertices = Vec3(w, 0, 0);
}

void LayerColor::updateColor()
{
    Color4B color(_displayedColor.r, _displayedColor.g, _displayedColor.b, _displayedOpacity);
    _quad.tl.colors = _quad.bl.colors = _quad.tr.colors = _quad.br.colors = color;
}

void LayerColor::draw(Renderer* renderer, const Mat4& transform, uint32_t flags)
{
    if (_displayedOpacity == 0 || _contentSize.width <= 0 || _contentSize.height <= 0) return;
    _command.init(_globalZOrder, nullptr, &_quad, 1, transform, flags);
    renderer->addCommand(&_command);
}

} // namespace cocos2d
