#pragma once

#include <functional>
#include <new>
#include <utility>

#include "cocos2d.h"

// A node of type Base that runs a step each time just before it would be
// drawn, shown or hidden: a view that brings itself up to date there shows
// every change made earlier in the frame, and does so once a frame however
// many changes came. Derived names the node in descriptions and the tree:
//   class MarkerLayer final : public BeforeDrawing<MarkerLayer, Node> {};
template <class Derived, class Base>
class BeforeDrawing : public Base {
public:
    static Derived* create(std::function<void()> step)
    {
        auto* node = new (std::nothrow) Derived();
        if (!node || !node->init()) {
            delete node;
            return nullptr;
        }
        node->_step = std::move(step);
        node->autorelease();
        return node;
    }
    // The step's owner is going away before the node.
    void forget() { _step = nullptr; }

    void visit(cocos2d::Renderer* renderer, const cocos2d::Mat4& parentTransform, uint32_t parentFlags) override
    {
        if (_step) _step();
        Base::visit(renderer, parentTransform, parentFlags);
    }

private:
    std::function<void()> _step;
};
