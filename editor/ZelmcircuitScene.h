#pragma once

#include "LoadingLayer.h"
#include "cocos2d.h"

// The editor layer: the only child of the application's scene.
class ZelmcircuitScene : public cocos2d::Layer {
public:
    static ZelmcircuitScene* create();
    bool init() override;
    ~ZelmcircuitScene() override;

    LoadingLayer* busyOverlay = nullptr;
};
