#include "2d/CCScene.h"

#include "base/CCDirector.h"

namespace cocos2d {

Scene::Scene()
{
    _ignoreAnchorPointForPosition = true;
    setAnchorPoint(Vec2(0.5f, 0.5f));
}

Scene* Scene::create()
{
    Scene* scene = new (std::nothrow) Scene();
    if (scene && scene->init()) {
        scene->autorelease();
        return scene;
    }
    delete scene;
    return nullptr;
}

bool Scene::init()
{
    setContentSize(Director::getInstance()->getVisibleSize());
    return true;
}

} // namespace cocos2d
