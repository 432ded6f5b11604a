#include "renderer/CCQuadCommand.h"

namespace cocos2d {

void QuadCommand::init(float globalZOrder, Texture2D* texture, const V3F_C4B_T2F_Quad* quads, size_t quadCount,
                       const Mat4& modelView, uint32_t flags)
{
    RenderCommand::init(globalZOrder, modelView, flags);
    _texture = texture;
    _quads = quads;
    _quadCount = quadCount;
}

} // namespace cocos2d
