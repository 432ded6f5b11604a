#pragma once

namespace cocos2d {

// The body of a create(): `object` is what new (std::nothrow) just gave
// (nullptr when it failed); constructors are protected, so each create()
// does the new itself. Accepted by init (called with the object), it
// comes back autoreleased; refused, it is released, which deletes it
// (nothing else holds it yet; destructors are protected too), and nullptr
// is returned, so a half-made object never reaches the caller or the
// autorelease pool.
template <class T, class Init>
T* created(T* object, Init&& init)
{
    if (object && init(object)) {
        object->autorelease();
        return object;
    }
    if (object) object->release();
    return nullptr;
}

} // namespace cocos2d
