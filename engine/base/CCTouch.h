#pragma once

#include "base/CCRef.h"
#include "math/Vec2.h"

namespace cocos2d {

// One finger. Points are kept in view coordinates (y down, design points) as
// the engine does; getLocation() gives GL coordinates (y up).
class Touch : public Ref {
public:
    Touch() = default;

    Vec2 getLocation() const;
    Vec2 getPreviousLocation() const;
    Vec2 getStartLocation() const;
    // Location minus previous location, y up.
    Vec2 getDelta() const;
    Vec2 getLocationInView() const { return _point; }
    Vec2 getPreviousLocationInView() const { return _prevPoint; }
    Vec2 getStartLocationInView() const { return _startPoint; }
    int getID() const { return _id; }

    void setTouchInfo(int id, float x, float y);

private:
    int _id = 0;
    bool _startPointCaptured = false;
    Vec2 _startPoint;
    Vec2 _point;
    Vec2 _prevPoint;
};

} // namespace cocos2d
