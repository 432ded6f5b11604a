#include "base/CCStatsPanel.h"

#include <cstdio>
#include <cstring>

#include "renderer/CCRenderer.h"

namespace cocos2d {

namespace {
// 3 x 5 glyphs, rows top to bottom, '#' lit.
const char* glyph(char c)
{
    switch (c) {
    case '0': return "####.##.##.####";
    case '1': return ".#.##..#..#.###";
    case '2': return "###..#####..###";
    case '3': return "###..####..####";
    case '4': return "#.##.####..#..#";
    case '5': return "####..###..####";
    case '6': return "####..####.####";
    case '7': return "###..#..#..#..#";
    case '8': return "####.#####.####";
    case '9': return "####.####..####";
    case '.': return "............#..";
    case '/': return "..#..#.#..#.#..";
    case ':': return "....#.....#....";
    case 'F': return "####..###..#...";
    case 'P': return "####.####..#...";
    case 'S': return "####..###..####";
    case 'G': return "####..#.##.####";
    case 'L': return "#..#..#..#..###";
    case 'v': return "......#.##.#.#.";
    case 'e': return "....#.####...##";
    case 'r': return "...##.#..#..#..";
    case 't': return ".#.###.#..#..##";
    case 's': return "....###....###.";
    case 'c': return "......####..###";
    case 'a': return "...###..####.##";
    case 'l': return "#..#..#..#..##.";
    default: return "...............";
    }
}
} // namespace

void StatsPanel::update(float frameRate, float secondsPerFrame, size_t drawCalls, size_t vertices)
{
    char buffer[64];
    _lines.clear();
    std::snprintf(buffer, sizeof(buffer), "GL verts: %zu", vertices);
    _lines.emplace_back(buffer);
    std::snprintf(buffer, sizeof(buffer), "GL calls: %zu", drawCalls);
    _lines.emplace_back(buffer);
    std::snprintf(buffer, sizeof(buffer), "%.1f / %.3f", frameRate, secondsPerFrame);
    _lines.emplace_back(buffer);
}

void StatsPanel::appendText(const std::string& text, float x, float y)
{
    const float pixel = 2.0f;
    const Color4B color(255, 255, 255, 255);
    for (char c : text) {
        const char* bits = glyph(c);
        for (int row = 0; row < 5; ++row) {
            for (int col = 0; col < 3; ++col) {
                if (bits[row * 3 + col] != '#') continue;
                float left = x + col * pixel;
                float top = y + (5 - row) * pixel;
                V3F_C4B_T2F_Quad q;
                q.tl.vertices = Vec3(left, top, 0);
                q.bl.vertices = Vec3(left, top - pixel, 0);
                q.tr.vertices = Vec3(left + pixel, top, 0);
                q.br.vertices = Vec3(left + pixel, top - pixel, 0);
                q.tl.colors = q.bl.colors = q.tr.colors = q.br.colors = color;
                _quads.push_back(q);
            }
        }
        x += 4 * pixel;
    }
}

void StatsPanel::draw(Renderer* renderer)
{
    _quads.clear();
    // A dark backing keeps the figures readable on any board.
    const float width = 120.0f, lineHeight = 14.0f;
    V3F_C4B_T2F_Quad back;
    const Color4B shade(0, 0, 0, 160);
    float height = lineHeight * _lines.size() + 4.0f;
    back.tl.vertices = Vec3(0, height, 0);
    back.bl.vertices = Vec3(0, 0, 0);
    back.tr.vertices = Vec3(width, height, 0);
    back.br.vertices = Vec3(width, 0, 0);
    back.tl.colors = back.bl.colors = back.tr.colors = back.br.colors = shade;
    _quads.push_back(back);
    float y = 4.0f;
    for (auto it = _lines.rbegin(); it != _lines.rend(); ++it) {
        appendText(*it, 4.0f, y);
        y += lineHeight;
    }
    _command.init(0.0f, nullptr, _quads.data(), _quads.size(), Mat4::IDENTITY, 0);
    renderer->addCommand(&_command);
}

} // namespace cocos2d
