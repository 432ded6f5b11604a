#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "AppConstants.h"
#include "CircuitDocument.h"
#include "app/AppHarness.h"

// The real editor over a store that a previous run filled: three saved
// circuits, B open with two joined straights.
inline const char* const kTwoStraights = R"([{"rot":0,"type":1,"x":1000,"y":700},{"rot":0,"type":1,"x":1060,"y":700}])";
inline const char* const kThreeCircuits = R"([{"id":"20150603000000","name":"A"},{"id":"20150602000000","name":"B"},)"
                                          R"({"id":"20150601000000","name":"C"}])";

inline std::string stored(const char* key)
{
    return cocos2d::UserDefault::getInstance()->getStringForKey(key);
}

inline std::string fileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class SavedCircuitsTest : public ::testing::Test {
protected:
    void launch(const std::function<void(cocos2d::UserDefault*)>& fill)
    {
        app = std::make_unique<AppHarness>([&](cocos2d::UserDefault* store) {
            store->setBoolForKey("open", true);
            fill(store);
        });
        ed = app->editor();
        ASSERT_NE(ed, nullptr);
        // The drawer starts open over everything; put it out of the way.
        ed->drawer().panel()->setPositionY(768 + ed->drawer().panel()->getContentSize().height * 0.5f);
        app->frame();
    }
    // A launch over the entries another run left in its store.
    void launchWith(const std::vector<std::pair<std::string, std::string>>& entries)
    {
        launch([&](cocos2d::UserDefault* store) {
            for (const auto& entry : entries) store->setStringForKey(entry.first.c_str(), entry.second);
        });
    }
    // The program quits and starts again over the store it left; its
    // thumbnails stay behind.
    void relaunch()
    {
        const auto entries = cocos2d::UserDefault::getInstance()->getAllEntries();
        app.reset();
        launchWith(entries);
    }
    // Three saved circuits, B open with two joined straights.
    void launchWithThree(bool open = true)
    {
        launch([open](cocos2d::UserDefault* store) {
            store->setStringForKey("savelist", kThreeCircuits);
            store->setStringForKey("20150602000000", kTwoStraights);
            if (open) store->setStringForKey("load", "20150602000000");
        });
    }
    void tap(const cocos2d::Vec2& point)
    {
        app->touchDown(0, point);
        app->touchUp(0);
        app->frame();
    }
    // Drags an item of the open panel straight up by the given travel.
    void liftItem(ZelmLoadSprite* item, float travel, int steps)
    {
        cocos2d::Vec2 at = ed->savedList().view()->getContainer()->convertToWorldSpace(item->getPosition());
        app->touchDown(0, at);
        for (int i = 0; i < steps; ++i) {
            at.y += travel / steps;
            app->touchMove(0, at);
            app->frame();
        }
        finger = at;
    }
    ZelmLoadSprite* item(const std::string& id)
    {
        for (ZelmLoadSprite* i : ed->savedList().items())
            if (i->id() == id) return i;
        return nullptr;
    }
    cocos2d::Vec2 worldOf(cocos2d::Node* node) { return node->getParent()->convertToWorldSpace(node->getPosition()); }
    const circuit::CircuitModel& model() const { return ed->model(); }
    // Where the i-th part of the board lies on the screen.
    cocos2d::Vec2 partAt(std::size_t i) { return worldOf(ed->partSprites().sprite(model().parts().at(i).id)); }

    std::unique_ptr<AppHarness> app;
    ZelmcircuitScene* ed = nullptr;
    cocos2d::Vec2 finger;
};
