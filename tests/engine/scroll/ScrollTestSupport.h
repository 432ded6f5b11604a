#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "EngineHarness.h"
#include "extensions/cocos-ext.h"

using Log = std::vector<std::string>;

// Records what a scroll view tells its delegate, in order.
struct RecordingDelegate : cocos2d::extension::ScrollViewDelegate {
    Log log;
    int scrolls = 0;
    int zooms = 0;
    std::function<void(const std::string&)> onEvent;

    void scrollViewDidScroll(cocos2d::extension::ScrollView*) override { note("scroll", &scrolls); }
    void scrollViewDidZoom(cocos2d::extension::ScrollView*) override { note("zoom", &zooms); }
    void scrollViewZoomFinished(cocos2d::extension::ScrollView*) override { note("zoomFinished", nullptr); }
    void scrollViewTouchFinished(cocos2d::extension::ScrollView*) override { note("touchFinished", nullptr); }

    // The log without the per-change notifications.
    Log gestures() const
    {
        Log out;
        for (const auto& e : log) {
            if (e != "scroll" && e != "zoom") out.push_back(e);
        }
        return out;
    }
    int count(const std::string& name) const { return int(std::count(log.begin(), log.end(), name)); }

private:
    void note(const std::string& name, int* counter)
    {
        log.push_back(name);
        if (counter) ++*counter;
        if (onEvent) onEvent(name);
    }
};

// The board arrangement: a layer holding a full-screen scroll view over a
// 2048 x 1536 container showing its middle, and a listener on the layer
// below the view that hears every touch offered to it.
class ScrollFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        layer = cocos2d::Layer::create();
        h.scene()->addChild(layer);
        view = cocos2d::extension::ScrollView::create(cocos2d::Size(1024, 768), nullptr);
        view->setDelegate(&rec);
        view->setContentSize(cocos2d::Size(2048, 1536));
        view->setContentOffset(cocos2d::Vec2(-512, -384), false);
        view->setZoomScale(1.0f);
        view->setDirection(cocos2d::extension::ScrollView::Direction::BOTH);
        layer->addChild(view);

        auto* listener = cocos2d::EventListenerTouchOneByOne::create();
        listener->onTouchBegan = [this](cocos2d::Touch* t, cocos2d::Event*) {
            below.push_back("began" + std::to_string(t->getID()));
            return true;
        };
        listener->onTouchMoved = [this](cocos2d::Touch* t, cocos2d::Event*) {
            below.push_back("moved" + std::to_string(t->getID()));
        };
        listener->onTouchEnded = [this](cocos2d::Touch* t, cocos2d::Event*) {
            below.push_back("ended" + std::to_string(t->getID()));
        };
        layer->getEventDispatcher()->addEventListenerWithSceneGraphPriority(listener, layer);
        h.frame();
        rec.log.clear();
        rec.scrolls = rec.zooms = 0;
    }

    cocos2d::Vec2 offset() { return view->getContentOffset(); }

    // Moves finger id from a to b in equal steps, one frame after each step.
    void drag(int id, cocos2d::Vec2 a, cocos2d::Vec2 b, int steps)
    {
        h.touchDown(id, a);
        for (int i = 1; i <= steps; ++i) {
            h.touchMove(id, a + (b - a) * (float(i) / float(steps)));
            h.frame();
        }
    }

    // Lifts several fingers in one event, as two fingers leaving the glass together do.
    void liftTogether(const std::vector<int>& ids, const std::vector<cocos2d::Vec2>& points)
    {
        cocos2d::GLView* glview = h.director()->getOpenGLView();
        std::vector<intptr_t> touchIds(ids.begin(), ids.end());
        std::vector<float> xs, ys;
        for (const auto& p : points) {
            cocos2d::Vec2 w = glview->designToWindow(p);
            xs.push_back(w.x);
            ys.push_back(w.y);
        }
        glview->handleTouchesEnd(int(ids.size()), touchIds.data(), xs.data(), ys.data());
    }

    // Declared before the harness so the delegate outlives the scene.
    RecordingDelegate rec;
    EngineHarness h;
    cocos2d::Layer* layer = nullptr;
    cocos2d::extension::ScrollView* view = nullptr;
    Log below;
};
