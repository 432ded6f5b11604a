#include "renderer/CCStatsPanel.h"

#include <SDL.h>

#include <cstdio>
#include <cstring>

#include "renderer/CCRenderer.h"
#include "renderer/CCTexture2D.h"

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

StatsPanel::~StatsPanel()
{
    if (_picture) _picture->release();
}

void StatsPanel::update(float frameRate, float secondsPerFrame, size_t drawCalls, size_t vertices)
{
    char buffer[64];
    std::vector<std::string> lines;
    std::snprintf(buffer, sizeof(buffer), "GL verts: %zu", vertices);
    lines.emplace_back(buffer);
    std::snprintf(buffer, sizeof(buffer), "GL calls: %zu", drawCalls);
    lines.emplace_back(buffer);
    std::snprintf(buffer, sizeof(buffer), "%.1f / %.3f", frameRate, secondsPerFrame);
    lines.emplace_back(buffer);
    if (lines == _lines && _picture) return;
    _lines = std::move(lines);
    paint();
}

void StatsPanel::paint()
{
    // One texel a point: 3 x 5 glyphs of 2 x 2 texels on a dark backing
    // that keeps the figures readable on any board.
    const int pixel = 2, lineHeight = 14, width = 120;
    const int height = lineHeight * int(_lines.size()) + 4;
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormat(0, width, height, 32, SDL_PIXELFORMAT_RGBA32);
    if (!surface) return;
    auto put = [&](int x, int yUp, Uint32 rgba) {
        int row = height - 1 - yUp;
        if (x < 0 || x >= width || row < 0 || row >= height) return;
        Uint8* p = static_cast<Uint8*>(surface->pixels) + row * surface->pitch + x * 4;
        p[0] = Uint8(rgba >> 24);
        p[1] = Uint8(rgba >> 16);
        p[2] = Uint8(rgba >> 8);
        p[3] = Uint8(rgba);
    };
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) put(x, y, 0x000000a0u);
    int baseline = 4;
    for (auto it = _lines.rbegin(); it != _lines.rend(); ++it) {
        int x = 4;
        for (char c : *it) {
            const char* bits = glyph(c);
            for (int row = 0; row < 5; ++row) {
                for (int col = 0; col < 3; ++col) {
                    if (bits[row * 3 + col] != '#') continue;
                    int left = x + col * pixel;
                    int bottom = baseline + (4 - row) * pixel;
                    for (int dy = 0; dy < pixel; ++dy)
                        for (int dx = 0; dx < pixel; ++dx) put(left + dx, bottom + dy, 0xffffffffu);
                }
            }
            x += 4 * pixel;
        }
        baseline += lineHeight;
    }
    if (!_picture) _picture = new Texture2D();
    if (!_picture->initWithSurface(surface)) {
        SDL_FreeSurface(surface);
        return;
    }
    _picture->setAliasTexParameters();
    _width = float(width);
    _height = float(height);
    _quad.tl.vertices = Vec3(0, _height, 0);
    _quad.bl.vertices = Vec3(0, 0, 0);
    _quad.tr.vertices = Vec3(_width, _height, 0);
    _quad.br.vertices = Vec3(_width, 0, 0);
    _quad.tl.texCoords = {0, 0};
    _quad.bl.texCoords = {0, 1};
    _quad.tr.texCoords = {1, 0};
    _quad.br.texCoords = {1, 1};
    _quad.tl.colors = _quad.bl.colors = _quad.tr.colors = _quad.br.colors = Color4B(255, 255, 255, 255);
}

void StatsPanel::draw(Renderer* renderer)
{
    if (!_picture) return;
    _command.init(0.0f, _picture, &_quad, 1, Mat4::IDENTITY, 0);
    renderer->addCommand(&_command);
}

} // namespace cocos2d
