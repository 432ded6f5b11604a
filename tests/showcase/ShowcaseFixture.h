#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <chrono>
#include <memory>
#include <thread>

#include "FakeShowcaseServer.h"
#include "app/AppHarness.h"
#include "base/CCClock.h"
#include "network/HttpClient.h"

// The application started against a local fake showcase.
class ShowcaseFixture : public ::testing::Test {
protected:
    ShowcaseFixture()
    {
        setenv("VELOQUIX_SHOWCASE_URL", server.baseUrl().c_str(), 1);
        // Loopback must never go through a proxy from the environment.
        setenv("no_proxy", "127.0.0.1,localhost", 1);
        setenv("NO_PROXY", "127.0.0.1,localhost", 1);
    }
    ~ShowcaseFixture() override { unsetenv("VELOQUIX_SHOWCASE_URL"); }

    void launch(const std::function<void(cocos2d::UserDefault*)>& fill)
    {
        app = std::make_unique<AppHarness>(fill);
        ed = app->editor();
        ASSERT_NE(ed, nullptr);
    }

    // Runs frames that do not move the clock until every reply has been
    // handed over (at most a few seconds of real time), so that what a reply
    // started is seen from its very beginning.
    bool awaitReplies()
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (cocos2d::network::HttpClient::outstandingRequests() > 0) {
            if (std::chrono::steady_clock::now() > deadline) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
            cocos2d::Director::getInstance()->mainLoop();
        }
        return true;
    }

    // One frame that moves the clock by the given time at once: cheaper than
    // frames of 1/60 s, and a slow frame must land where the animation ends.
    void leap(double seconds)
    {
        cocos2d::EngineClock::advance(seconds);
        cocos2d::Director::getInstance()->mainLoop();
    }

    void tap(const cocos2d::Vec2& point)
    {
        app->touchDown(0, point);
        app->frame();
        app->touchUp(0);
        app->frame();
    }

    static cocos2d::Vec2 worldCentre(cocos2d::Node* node)
    {
        return node->getParent()->convertToWorldSpace(node->getPosition());
    }

    static std::string stored(const char* key) { return cocos2d::UserDefault::getInstance()->getStringForKey(key); }

    FakeShowcaseServer server;
    std::unique_ptr<AppHarness> app;
    ZelmcircuitScene* ed = nullptr;
};
