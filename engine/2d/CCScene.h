#pragma once

#include "2d/CCNode.h"

namespace cocos2d {

class Scene : public Node {
public:
    static Scene* create();
    bool init() override;

protected:
    Scene();
};

} // namespace cocos2d
