#pragma once

#include <functional>

#include "renderer/CCRenderCommand.h"

namespace cocos2d {

// Runs func in order with the drawing, after the scene has been visited.
class CustomCommand : public RenderCommand {
public:
    CustomCommand() { _type = Type::CUSTOM_COMMAND; }

    void init(float globalZOrder) { RenderCommand::init(globalZOrder, Mat4::IDENTITY, 0); }
    void init(float globalZOrder, const Mat4& modelViewTransform, uint32_t flags)
    {
        RenderCommand::init(globalZOrder, modelViewTransform, flags);
    }
    void execute()
    {
        if (func) func();
    }

    std::function<void()> func;
};

} // namespace cocos2d
