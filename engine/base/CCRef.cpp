#include "base/CCRef.h"

#include <cassert>

#include "base/CCAutoreleasePool.h"

namespace cocos2d {

namespace {
long liveObjects = 0;
}

Ref::Ref() { ++liveObjects; }

Ref::~Ref() { --liveObjects; }

void Ref::retain()
{
    assert(_referenceCount > 0 && "retain of a released object");
    ++_referenceCount;
}

void Ref::release()
{
    assert(_referenceCount > 0 && "release of a released object");
    if (--_referenceCount == 0) {
        delete this;
    }
}

Ref* Ref::autorelease()
{
    PoolManager::getInstance()->getCurrentPool()->addObject(this);
    return this;
}

long Ref::liveObjectCount() { return liveObjects; }

} // namespace cocos2d
