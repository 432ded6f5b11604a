#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "2d/CCActionManager.h"
#include "2d/CCNode.h"
#include "base/CCAutoreleasePool.h"
#include "base/CCDirector.h"
#include "base/CCRef.h"

namespace veloquix_test {

constexpr float kFrame = 1.0f / 60.0f;

// A node that reports its own destruction.
class ProbeNode : public cocos2d::Node {
public:
    static ProbeNode* create(bool* destroyed)
    {
        auto* node = new ProbeNode(destroyed);
        node->init();
        node->autorelease();
        return node;
    }
    ~ProbeNode() override { *_destroyed = true; }

private:
    explicit ProbeNode(bool* destroyed) : _destroyed(destroyed) { *_destroyed = false; }
    bool* _destroyed;
};

// Each test drives an action manager of its own, one 1/60 s frame at a time,
// the way the Director does under the manual clock.
class ActionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        cocos2d::Director::getInstance();
        drainPool();
        _liveBefore = cocos2d::Ref::liveObjectCount();
        manager = new cocos2d::ActionManager();
    }

    void TearDown() override
    {
        manager->removeAllActions();
        drainPool();
        manager->release();
        EXPECT_EQ(cocos2d::Ref::liveObjectCount(), _liveBefore) << "actions or nodes leaked";
    }

    static void drainPool() { cocos2d::PoolManager::getInstance()->getCurrentPool()->clear(); }

    template <class T = cocos2d::Node>
    T* attach(T* node, bool running = true)
    {
        node->setActionManager(manager);
        if (running) node->onEnter();
        return node;
    }

    cocos2d::Node* runningNode() { return attach(cocos2d::Node::create()); }

    void tick(int frames = 1, float dt = kFrame)
    {
        for (int i = 0; i < frames; ++i) manager->update(dt);
    }

    cocos2d::ActionManager* manager = nullptr;
    std::vector<std::string> log;

private:
    long _liveBefore = 0;
};

} // namespace veloquix_test
