#pragma once

#include <functional>
#include <memory>

#include "AppDelegate.h"
#include "EngineHarness.h"
#include "ZelmcircuitScene.h"
#include "network/HttpClient.h"

// The real application started headless, as veloquix-replay starts it.
class AppHarness : public cocos2d::HeadlessDriver {
public:
    // A returning launch finds "open" stored, so the editor restores instead
    // of opening the help pager over everything.
    explicit AppHarness(bool returning = false, const std::string& homeParent = "/tmp")
        : AppHarness(
              [returning](cocos2d::UserDefault* store) {
                  if (returning) store->setBoolForKey("open", true);
              },
              homeParent)
    {
    }
    // fillStore writes the values a previous run would have left; the
    // writable folder is made under homeParent.
    explicit AppHarness(const std::function<void(cocos2d::UserDefault*)>& fillStore,
                        const std::string& homeParent = "/tmp")
    {
        prepareEnvironment();
        home = makeTemporaryHome(homeParent);
        fillStore(cocos2d::UserDefault::getInstance());
        cocos2d::UserDefault::getInstance()->flush();
        delegate = std::make_unique<AppDelegate>();
        launched = cocos2d::Application::getInstance()->launch();
        frame();
    }
    ~AppHarness()
    {
        // A request still out holds the editor or a post view; it lets go
        // while the Director still exists, and the next test starts with an
        // idle client.
        cocos2d::network::HttpClient::destroyInstance();
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
