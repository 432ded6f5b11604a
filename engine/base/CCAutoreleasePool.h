#pragma once

#include <cstddef>
#include <vector>

namespace cocos2d {

class Ref;

class AutoreleasePool {
public:
    void addObject(Ref* object);
    // Releases every object once, in the order they were added; objects
    // autoreleased while clearing go into the next round of the same pool.
    void clear();
    bool contains(Ref* object) const;
    size_t size() const { return _managedObjects.size(); }

private:
    std::vector<Ref*> _managedObjects;
};

class PoolManager {
public:
    static PoolManager* getInstance();
    AutoreleasePool* getCurrentPool() { return &_pool; }

private:
    AutoreleasePool _pool;
};

} // namespace cocos2d
