#pragma once

#include <cstdint>

#include "math/Mat4.h"

namespace cocos2d {

class RenderCommand {
public:
    enum class Type { UNKNOWN_COMMAND, QUAD_COMMAND, CUSTOM_COMMAND, TRIANGLES_COMMAND };

    virtual ~RenderCommand() = default;

    void init(float globalZOrder, const Mat4& modelViewTransform, uint32_t flags);
    float getGlobalOrder() const { return _globalOrder; }
    Type getType() const { return _type; }
    const Mat4& getModelView() const { return _mv; }

protected:
    RenderCommand() = default;

    Type _type = Type::UNKNOWN_COMMAND;
    float _globalOrder = 0.0f;
    Mat4 _mv;
};

} // namespace cocos2d
