#pragma once

#include <SDL.h>

#include <cstddef>
#include <vector>

#include "base/ccTypes.h"

namespace cocos2d {

class RenderCommand;
class QuadCommand;
class Texture2D;

// Collects the commands of a visit and executes them in order afterwards.
// Consecutive quads of one texture become one SDL_RenderGeometry call.
class Renderer {
public:
    // Where vertices in design points land: pixel = (x * scale + offsetX,
    // (heightInPoints - y) * scale + offsetY) on the given SDL target.
    struct Target {
        SDL_Texture* texture = nullptr;
        float heightInPoints = 0.0f;
        float scale = 1.0f;
        float offsetX = 0.0f;
        float offsetY = 0.0f;
        // Pixels outside never change (the letterbox bars); empty = the whole target.
        SDL_Rect bounds{0, 0, 0, 0};
    };

    Renderer();
    ~Renderer();

    void setBackend(SDL_Renderer* backend);
    SDL_Renderer* getBackend() const { return _backend; }

    void addCommand(RenderCommand* command);
    // Executes and empties the queue.
    void render();
    // Executes and removes the commands queued from position first on, now:
    // a render texture draws what was visited into it at its end(), while
    // every node it visited is certainly still alive.
    void renderFrom(size_t first);
    void clean() { _queue.clear(); }
    size_t getQueuedCommandCount() const { return _queue.size(); }

    void setScreenTarget(const Target& target) { _screen = target; }
    const Target& getCurrentTarget() const { return _targets.empty() ? _screen : _targets.back(); }
    // Called from commands while rendering (render textures).
    void pushTarget(const Target& target);
    void popTarget();
    // Draws what is batched so far; commands that change backend state call it first.
    void flush();

    // With false, render() builds the batches but never calls the backend:
    // the engine's own cost of a frame, for benchmarks.
    void setRasterizationEnabled(bool enabled) { _rasterize = enabled; }
    // With false, only batches for a pushed target (a render texture) reach
    // the backend; those for the screen are built and counted, then dropped.
    void setScreenRasterizationEnabled(bool enabled) { _rasterizeScreen = enabled; }

    size_t getDrawnBatches() const { return _drawnBatches; }
    size_t getDrawnVertices() const { return _drawnVertices; }
    void resetStats();

private:
    void execute(std::vector<RenderCommand*>& commands);
    void appendQuads(const QuadCommand* command);
    void applyTarget(const Target& target);

    SDL_Renderer* _backend = nullptr;
    std::vector<RenderCommand*> _queue;
    std::vector<Target> _targets;
    Target _screen;
    Texture2D* _batchTexture = nullptr;
    std::vector<SDL_Vertex> _vertices;
    std::vector<int> _indices;
    bool _rasterize = true;
    bool _rasterizeScreen = true;
    size_t _drawnBatches = 0;
    size_t _drawnVertices = 0;
};

} // namespace cocos2d
