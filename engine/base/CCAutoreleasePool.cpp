#include "base/CCAutoreleasePool.h"

#include <algorithm>

#include "base/CCRef.h"

namespace cocos2d {

void AutoreleasePool::addObject(Ref* object) { _managedObjects.push_back(object); }

void AutoreleasePool::clear()
{
    std::vector<Ref*> releasing;
    releasing.swap(_managedObjects);
    for (Ref* object : releasing) {
        object->release();
    }
}

bool AutoreleasePool::contains(Ref* object) const
{
    return std::find(_managedObjects.begin(), _managedObjects.end(), object) != _managedObjects.end();
}

PoolManager* PoolManager::getInstance()
{
    static PoolManager instance;
    return &instance;
}

} // namespace cocos2d
