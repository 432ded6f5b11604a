#pragma once

#include <array>
#include <functional>
#include <string>

#include "KITOView.h"

namespace CocosKito {

class KITOButtonView;

class KITOButtonViewDelegate {
public:
    virtual void onButtonViewEvent(KITOButtonView* button, int event, cocos2d::Touch* touch) = 0;

protected:
    ~KITOButtonViewDelegate() = default;
};

// A view showing one content node (its background, named "itembg") that turns the
// touches on its rectangle into button events.
class KITOButtonView : public KITOView {
public:
    enum ButtonEvent {
        TouchDown = 1,
        TouchUpInside = 3,
        TouchUpOutside = 4,
        DragInside = 5,
        DragOutside = 6,
        Cancel = 7,
    };
    using EventCallback = std::function<void(KITOButtonView*, cocos2d::Touch*)>;

    static KITOButtonView* create();
    static KITOButtonView* create(cocos2d::Node* content, KITOButtonViewDelegate* delegate, const cocos2d::Size& size);
    static KITOButtonView* createCloseButton(KITOButtonViewDelegate* delegate);

    void addChild(cocos2d::Node* child) override;
    void addChild(cocos2d::Node* child, int localZOrder) override;
    void addChild(cocos2d::Node* child, int localZOrder, int tag) override;
    void addChild(cocos2d::Node* child, int localZOrder, const std::string& name) override;
    void onEnter() override;
    void onExit() override;
    void setOpacity(uint8_t opacity) override;
    void setColor(const cocos2d::Color3B& color) override;

    bool touchBegan(cocos2d::Touch* touch, cocos2d::Event* event) override;
    void touchMoved(cocos2d::Touch* touch, cocos2d::Event* event) override;
    void touchEnded(cocos2d::Touch* touch, cocos2d::Event* event) override;
    void touchCancelled(cocos2d::Touch* touch, cocos2d::Event* event) override;

    // Value 2 has a slot but is never raised.
    void setCallback(int event, EventCallback callback);
    void setDelegate(KITOButtonViewDelegate* newDelegate) { delegate = newDelegate; }
    KITOButtonViewDelegate* getDelegate() const { return delegate; }
    bool isPressed() const { return pressed; }

    bool highlightEnabled = true;

protected:
    KITOButtonView() = default;
    ~KITOButtonView() override = default;

private:
    bool isInside(cocos2d::Touch* touch) const;
    void highlight(bool grey);
    void raise(int event, cocos2d::Touch* touch);

    std::array<EventCallback, 7> callbacks;
    KITOButtonViewDelegate* delegate = nullptr;
    bool pressed = false;
    bool touchInside = false;
};

} // namespace CocosKito
