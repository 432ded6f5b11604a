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

private:
    bool busy = false;
    cocos2d::LayerColor* dimLayer = nullptr;
    cocos2d::Sprite* spinner = nullptr;
};
