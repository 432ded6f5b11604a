#pragma once

#include <memory>

#include "AppDelegate.h"
#include "EngineHarness.h"
#include "ZelmcircuitScene.h"

// The real application started headless, as veloquix-replay starts it.
class AppHarness : public cocos2d::HeadlessDriver {
public:
    AppHarness()
    {
        prepareEnvironment();
        home = makeTemporaryHome();
        delegate = std::make_unique<AppDelegate>();
        launched = cocos2d::Application::getInstance()->launch();
        frame();
    }
    ~AppHarness()
    {
        cocos2d::Director::destroyInstance();
        cocos2d::UserDefault::destroyInstance();
        cocos2d::FileUtils::destroyInstance();
        delegate.reset();
        removeTree(home.substr(0, home.rfind('/')));
    }
    ZelmcircuitScene* editor() const
    {
        auto* scene = cocos2d::Director::getInstance()->getRunningScene();
        return scene ? dynamic_cast<ZelmcircuitScene*>(scene->getChildren().at(0)) : nullptr;
    }

    std::string home;
    std::unique_ptr<AppDelegate> delegate;
    bool launched = false;
};
