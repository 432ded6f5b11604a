#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

#include "base/ccTypes.h"
#include "renderer/CCScreenStats.h"

struct SDL_Renderer;
struct SDL_Texture;
struct SDL_Vertex;

namespace cocos2d {

class RenderCommand;
class QuadCommand;
class ScreenFrame;
class Texture2D;

// A rectangle of whole pixels of a render target, y down.
struct PixelRect {
    int x = 0;
    int y = 0;
    int w = 0;
    int h = 0;
};

// Collects the commands of a visit and executes them in order afterwards.
// Consecutive quads of one texture form one batch. Batches for a pushed
// target (a render texture) are drawn at once; those for the screen are
// recorded in the screen frame, which draws only what differs from the
// picture already on screen.
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
        PixelRect bounds;
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
    // The drawing the commands queued from `first` on would make, as bytes
    // that are equal exactly when the drawings are: every quad with its
    // transform, order, colours and picture (its serial, content version and
    // filtering). False when a command's effect cannot be described so (a
    // custom command runs code).
    bool describeQueuedFrom(size_t first, std::string* out) const;
    // Forgets the commands queued from `first` on without running them.
    void dropQueuedFrom(size_t first);

    void setScreenTarget(const Target& target);
    const Target& getCurrentTarget() const { return _targets.empty() ? _screen : _targets.back(); }
    // Called from commands while rendering (render textures).
    void pushTarget(const Target& target);
    void popTarget();
    // Draws (or, for the screen, records) what is batched so far; commands
    // that change backend state call it first.
    void flush();
    // Clipping for what follows, in pixels of the current target: nullptr
    // for the target's bounds; an empty rectangle shows nothing.
    void setClipRect(const PixelRect* clip);

    // A frame on the screen: beginScreenFrame, the visit and render(), then
    // endScreenFrame. With rasterize, the picture on screen is brought up to
    // date (only where it differs) and true is returned when the screen got
    // a new picture to present.
    void beginScreenFrame();
    bool endScreenFrame(bool rasterize);
    // The next rasterised frame redraws everything / copies to the screen.
    void invalidateScreen();
    void requestScreenCopy();
    const ScreenStats& getScreenStats() const;
    // A texture is going away; whatever was made from it goes too.
    static void forgetTexture(const Texture2D* texture);
    // At rest: copies scaled for the screen that it no longer shows go.
    void dropUnshownCopies();
    // The serials of the textures the screen draws from their own pixels.
    std::unordered_set<uint64_t> texturesDrawnFromPixels() const;
    // Textures whose own pixels went keep the copies the screen shows.
    void pinCopiesOf(const std::vector<uint64_t>& serials);

    // With false, render() builds the batches but never calls the backend:
    // the engine's own cost of a frame, for benchmarks.
    void setRasterizationEnabled(bool enabled) { _rasterize = enabled; }
    bool isRasterizationEnabled() const { return _rasterize; }

    size_t getDrawnBatches() const { return _drawnBatches; }
    size_t getDrawnVertices() const { return _drawnVertices; }
    void resetStats();

private:
    void execute(std::vector<RenderCommand*>& commands);
    void appendQuads(const QuadCommand* command);
    void drawIntoTarget();
    void applyTarget(const Target& target);
    PixelRect screenArea() const;

    SDL_Renderer* _backend = nullptr;
    std::vector<RenderCommand*> _queue;
    std::vector<Target> _targets;
    Target _screen;
    std::unique_ptr<ScreenFrame> _screenFrame;
    // The screen's clip while recording; empty shows nothing.
    PixelRect _screenClip;
    bool _recordingScreen = false;
    Texture2D* _batchTexture = nullptr;
    // Four corners a quad: top-left, bottom-left, top-right, bottom-right.
    // SDL_Vertex is only declared here, which a vector allows: every use
    // of these vectors is in the source file.
    std::vector<SDL_Vertex> _vertices;
    std::vector<SDL_Vertex> _triangles;
    std::vector<int> _indices;
    bool _rasterize = true;
    size_t _drawnBatches = 0;
    size_t _drawnVertices = 0;
};

} // namespace cocos2d
