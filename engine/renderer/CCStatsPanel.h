#pragma once

#include <string>
#include <vector>

#include "base/ccTypes.h"
#include "renderer/CCQuadCommand.h"

namespace cocos2d {

class Renderer;
class Texture2D;

// The frame-rate panel in the bottom-left corner: three lines drawn with a
// built-in pixel font, so it needs no picture or font file. The lines are
// painted into a small picture when they change, and every frame draws just
// that picture.
class StatsPanel {
public:
    StatsPanel() = default;
    ~StatsPanel();
    StatsPanel(const StatsPanel&) = delete;
    StatsPanel& operator=(const StatsPanel&) = delete;

    void update(float frameRate, float secondsPerFrame, size_t drawCalls, size_t vertices);
    void draw(Renderer* renderer);
    const std::vector<std::string>& getLines() const { return _lines; }

private:
    void paint();

    std::vector<std::string> _lines;
    Texture2D* _picture = nullptr;
    float _width = 0.0f;
    float _height = 0.0f;
    V3F_C4B_T2F_Quad _quad{};
    QuadCommand _command;
};

} // namespace cocos2d
