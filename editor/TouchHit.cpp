#include "TouchHit.h"

USING_NS_CC;

namespace touchhit {

bool inside(Touch* touch, Node* node)
{
    Rect box = node->getBoundingBox();
    if (Node* parent = node->getParent()) box.origin = parent->convertToWorldSpace(box.origin);
    return box.containsPoint(touch->getLocation());
}

} // namespace touchhit
