#include "renderer/CCRenderCommand.h"

namespace cocos2d {

void RenderCommand::init(float globalZOrder, const Mat4& modelViewTransform, uint32_t)
{
    _globalOrder = globalZOrder;
    _mv = modelViewTransform;
}

} // namespace cocos2d
