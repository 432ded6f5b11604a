#include "ZelmcircuitScene.h"

USING_NS_CC;

bool ZelmcircuitScene::hitTestNode(Touch* touch, Event* event)
{
    Node* target = event->getCurrentTarget();
    Rect box = target->getBoundingBox();
    if (Node* parent = target->getParent()) box.origin = parent->convertToWorldSpace(box.origin);
    return box.containsPoint(touch->getLocation());
}

void ZelmcircuitScene::registerButton(Node* button, const std::function<void()>& action)
{
    auto* listener = EventListenerTouchOneByOne::create();
    listener->setSwallowTouches(false);
    listener->onTouchBegan = [](Touch* touch, Event* event) {
        if (!hitTestNode(touch, event)) return false;
        event->getCurrentTarget()->setColor(Color3B::GRAY);
        return true;
    };
    listener->onTouchMoved = [](Touch* touch, Event* event) {
        event->getCurrentTarget()->setColor(hitTestNode(touch, event) ? Color3B::GRAY : Color3B::WHITE);
    };
    listener->onTouchEnded = [action](Touch* touch, Event* event) {
        const bool inside = hitTestNode(touch, event);
        event->getCurrentTarget()->setColor(Color3B::WHITE);
        if (inside) action();
    };
    _eventDispatcher->addEventListenerWithSceneGraphPriority(listener, button);
}

void ZelmcircuitScene::registerListeners()
{
    auto* drawer = EventListenerTouchOneByOne::create();
    drawer->setSwallowTouches(true);
    drawer->onTouchBegan = [this](Touch* touch, Event* event) {
        if (!hitTestNode(touch, event)) return false;
        nameField->detachWithIME();
        codeField->detachWithIME();
        return true;
    };
    _eventDispatcher->addEventListenerWithSceneGraphPriority(drawer, drawerPanel);

    // The fields lie above the drawer and swallow, so a touch on a field never
    // reaches the drawer's listener, which would end the entry just started.
    auto* field = EventListenerTouchOneByOne::create();
    field->setSwallowTouches(true);
    field->onTouchBegan = [this](Touch* touch, Event* event) {
        if (!hitTestNode(touch, event)) return false;
        Node* target = event->getCurrentTarget();
        if (target == nameField)
            nameField->attachWithIME();
        else if (target == codeField)
            codeField->attachWithIME();
        return true;
    };
    _eventDispatcher->addEventListenerWithSceneGraphPriority(field, codeField);
    _eventDispatcher->addEventListenerWithSceneGraphPriority(field->clone(), nameField);

    registerButton(helpButton, [this] { showHelp(); });
    registerButton(showcaseLogo, [] { Application::getInstance()->openURL(kCompanionStoreUrl); });
    registerButton(makerLogo, [] { Application::getInstance()->openURL(kMakerSiteUrl); });

    _gesture->registerPalette(*_palette);
    registerSavedListListeners();
    registerNavigationListeners();
    registerDrawerListeners();
    registerShowcaseListeners();
}
