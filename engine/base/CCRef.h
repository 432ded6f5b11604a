#pragma once

namespace cocos2d {

// Intrusive reference count; objects made by create() start autoreleased and
// live until the pool drain at the end of the frame unless someone retains them.
class Ref {
public:
    void retain();
    void release();
    Ref* autorelease();
    unsigned int getReferenceCount() const { return _referenceCount; }

    // Live Ref objects, for leak checks in tests.
    static long liveObjectCount();

protected:
    Ref();

public:
    virtual ~Ref();

private:
    unsigned int _referenceCount = 1;
};

} // namespace cocos2d
