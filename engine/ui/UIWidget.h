#pragma once

#include <functional>

#include "2d/CCNode.h"

namespace cocos2d {
namespace ui {

// The part of a UI widget the edit box needs: an enabled flag, touch phases
// and a touch callback.
class Widget : public Node {
public:
    enum class TouchEventType { BEGAN, MOVED, ENDED, CANCELED };
    enum class TextureResType { LOCAL = 0, PLIST = 1 };
    typedef std::function<void(Ref*, TouchEventType)> ccWidgetTouchCallback;

    virtual void setEnabled(bool enabled) { _enabled = enabled; }
    bool isEnabled() const { return _enabled; }

    void addTouchEventListener(const ccWidgetTouchCallback& callback) { _touchEventCallback = callback; }

    // True when this widget and every node above it are visible.
    bool isAncestorsVisible() const
    {
        for (const Node* node = this; node; node = node->getParent()) {
            if (!node->isVisible()) return false;
        }
        return true;
    }

protected:
    Widget() = default;
    ~Widget() override = default;

    bool init() override
    {
        if (!Node::init()) return false;
        setAnchorPoint(Vec2(0.5f, 0.5f));
        return true;
    }

    bool _enabled = true;
    ccWidgetTouchCallback _touchEventCallback;
};

} // namespace ui
} // namespace cocos2d
