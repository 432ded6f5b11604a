#pragma once

#include "cocos2d.h"

// Dims the screen and swallows every touch while a showcase request is out.
class LoadingLayer : public cocos2d::Layer {
public:
    static LoadingLayer* create();
    bool init() override;
    ~LoadingLayer() override;

    void showBusy();
    void hideBusy();
    bool isBusy() const { return busy; }

    using cocos2d::Layer::visit;
    void visit(cocos2d::Renderer* renderer, const cocos2d::Mat4& parentTransform, uint32_t parentFlags) override;
    void update(float dt) override;

private:
    // When the spinner was at no angle, on the engine clock.
    double turnedFrom = 0;
    bool busy = false;
    cocos2d::LayerColor* dimLayer = nullptr;
    cocos2d::Sprite* spinner = nullptr;
};
