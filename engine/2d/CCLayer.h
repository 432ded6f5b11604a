#pragma once

#include "2d/CCNode.h"
#include "renderer/CCQuadCommand.h"

namespace cocos2d {

// Its position is its bottom-left corner; it turns and scales about its centre.
class Layer : public Node {
public:
    static Layer* create();
    bool init() override;

protected:
    Layer();
};

class LayerColor : public Layer {
public:
    static LayerColor* create();
    static LayerColor* create(const Color4B& color);
    static LayerColor* create(const Color4B& color, float width, float height);

    bool init() override;
    virtual bool initWithColor(const Color4B& color);
    virtual bool initWithColor(const Color4B& color, float width, float height);

    void changeWidth(float width);
    void changeHeight(float height);
    void changeWidthAndHeight(float width, float height);
    void setContentSize(const Size& size) override;
    void draw(Renderer* renderer, const Mat4& transform, uint32_t flags) override;

protected:
    LayerColor();
    void updateColor() override;
    void updateVertices();

    V3F_C4B_T2F_Quad _quad;
    QuadCommand _command;
};

} // namespace cocos2d
