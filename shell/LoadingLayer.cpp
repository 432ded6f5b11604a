#include "LoadingLayer.h"

#include <cmath>

USING_NS_CC;

namespace {
// One turn per half second.
constexpr double kDegreesPerSecond = 720.0;
} // namespace

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
    }
    turnedFrom = EngineClock::now();
    return true;
}

void LoadingLayer::visit(Renderer* renderer, const Mat4& parentTransform, uint32_t parentFlags)
{
    // The spinner's angle follows the clock, so an unseen spinner needs no
    // frames of its own: at rest the loop can sleep.
    if (spinner) spinner->setRotation(float(std::fmod((EngineClock::now() - turnedFrom) * kDegreesPerSecond, 360.0)));
    Layer::visit(renderer, parentTransform, parentFlags);
}

void LoadingLayer::update(float)
{
    // While any of it shows, every frame runs so the spinner turns; once
    // it has faded out the frames may stop.
    if (!busy && (!spinner || spinner->getOpacity() == 0) && dimLayer->getOpacity() == 0) unscheduleUpdate();
}

void LoadingLayer::showBusy()
{
    busy = true;
    scheduleUpdate();
    if (spinner) spinner->runAction(FadeIn::create(0.2f));
    dimLayer->runAction(FadeTo::create(0.2f, 128));
}

void LoadingLayer::hideBusy()
{
    busy = false;
    dimLayer->runAction(FadeOut::create(0.2f));
    if (spinner) spinner->runAction(FadeOut::create(0.2f));
}
