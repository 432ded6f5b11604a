#include "ZelmcircuitScene.h"

USING_NS_CC;

ZelmcircuitScene* ZelmcircuitScene::create()
{
    auto* layer = new (std::nothrow) ZelmcircuitScene();
    if (layer && layer->init()) {
        layer->autorelease();
        return layer;
    }
    delete layer;
    return nullptr;
}

ZelmcircuitScene::~ZelmcircuitScene() = default;

bool ZelmcircuitScene::init()
{
    if (!Layer::init()) return false;
    busyOverlay = LoadingLayer::create();
    addChild(busyOverlay);
    return true;
}
