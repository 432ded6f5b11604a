#pragma once

#include <cstddef>

#include "base/ccTypes.h"
#include "renderer/CCRenderCommand.h"

namespace cocos2d {

class Texture2D;

// Textured (or plain, with a null texture) quads in node space; the renderer
// transforms them by the model-view matrix when it batches them.
class QuadCommand : public RenderCommand {
public:
    QuadCommand() { _type = Type::QUAD_COMMAND; }

    void init(float globalZOrder, Texture2D* texture, const V3F_C4B_T2F_Quad* quads, size_t quadCount,
              const Mat4& modelView, uint32_t flags);
    Texture2D* getTexture() const { return _texture; }
    const V3F_C4B_T2F_Quad* getQuads() const { return _quads; }
    size_t getQuadCount() const { return _quadCount; }

private:
    Texture2D* _texture = nullptr;
    const V3F_C4B_T2F_Quad* _quads = nullptr;
    size_t _quadCount = 0;
};

} // namespace cocos2d
