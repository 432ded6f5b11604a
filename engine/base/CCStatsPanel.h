#pragma once

#include <string>
#include <vector>

#include "base/ccTypes.h"
#include "renderer/CCQuadCommand.h"

namespace cocos2d {

class Renderer;

// The frame-rate panel in the bottom-left corner: three lines drawn with a
// built-in pixel font, so it needs no picture or font file.
class StatsPanel {
public:
    void update(float frameRate, float secondsPerFrame, size_t drawCalls, size_t vertices);
    void draw(Renderer* renderer);
    const std::vector<std::string>& getLines() const { return _lines; }

private:
    void appendText(const std::string& text, float x, float y);

    std::vector<std::string> _lines;
    std::vector<V3F_C4B_T2F_Quad> _quads;
    QuadCommand _command;
};

} // namespace cocos2d
