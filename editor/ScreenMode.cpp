#include "ScreenMode.h"

#include <utility>

USING_NS_CC;

ScreenMode::ScreenMode(Node* wheelNode, std::function<void(float)> onWheel)
{
    _wheel = EventListenerMouse::create();
    _wheel->setEnabled(false);
    _wheel->onMouseScroll = [onWheel = std::move(onWheel)](EventMouse* event) { onWheel(event->getScrollY()); };
    wheelNode->getEventDispatcher()->addEventListenerWithSceneGraphPriority(_wheel, wheelNode);
}

void ScreenMode::setListShown(bool shown)
{
    _listShown = shown;
    _wheel->setEnabled(!shown);
}

void ScreenMode::drawerSlid(bool open)
{
    _drawerPeeking = !_listShown;
    _wheel->setEnabled(!open);
}

bool ScreenMode::wheelEnabled() const
{
    return _wheel->isEnabled();
}
