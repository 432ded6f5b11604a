#include "LoadingLayer.h"

USING_NS_CC;

LoadingLayer* LoadingLayer::create()
{
    auto* layer = new (std::nothrow) LoadingLayer();
    if (layer && layer->init()) {
        layer->autorelease();
        return layer;
    }
    delete layer;
    return nullptr;
}

LoadingLayer::~LoadingLayer() = default;

bool LoadingLayer::init()
{
    if (!Layer::init()) return false;
    busy = false;

    dimLayer = LayerColor::create(Color4B(0, 0, 0, 0));
    addChild(dimLayer);

    // Claiming is what swallows: at rest nothing is claimed and touches pass.
    auto* listener = EventListenerTouchOneByOne::create();
    listener->setSwallowTouches(true);
    listener->onTouchBegan = [this](Touch*, Event*) { return busy; };
    getEventDispatcher()->addEventListenerWithSceneGraphPriority(listener, dimLayer);

    Size visible = Director::getInstance()->getVisibleSize();
    spinner = Sprite::create("res/loading.png");
    if (spinner) {
        spinner->setPosition(visible.width * 0.5f, visible.height * 0.5f);
        spinner->setOpacity(0);
        addChild(spinner);
        spinner->runAction(RepeatForever::create(RotateBy::create(0.5f, 360.0f)));
    }
    return true;
}

void LoadingLayer::showBusy()
{
    busy = true;
    if (spinner) spinner->runAction(FadeIn::create(0.2f));
    dimLayer->runAction(FadeTo::create(0.2f, 128));
}

void LoadingLayer::hideBusy()
{
    busy = false;
    dimLayer->runAction(FadeOut::create(0.2f));
    if (spinner) spinner->runAction(FadeOut::create(0.2f));
}
