#include "renderer/CCRenderer.h"

#include <SDL.h>

#include <algorithm>

#include "renderer/CCCustomCommand.h"
#include "renderer/CCQuadCommand.h"
#include "renderer/CCScreenFrame.h"
#include "renderer/CCTexture2D.h"

namespace cocos2d {

namespace {
Renderer* s_live = nullptr;

SDL_Rect sdlRect(const PixelRect& r) { return SDL_Rect{r.x, r.y, r.w, r.h}; }

// Clips to the target's bounds, or not at all when it has none.
void clipToBounds(SDL_Renderer* backend, const Renderer::Target& target)
{
    const SDL_Rect bounds = sdlRect(target.bounds);
    SDL_RenderSetClipRect(backend, target.bounds.w > 0 ? &bounds : nullptr);
}
} // namespace

Renderer::Renderer() : _screenFrame(std::make_unique<ScreenFrame>())
{
    _vertices.reserve(4 * 1024);
    _triangles.reserve(4 * 1024);
    _indices.reserve(6 * 1024);
    s_live = this;
}

Renderer::~Renderer()
{
    if (s_live == this) s_live = nullptr;
}

void Renderer::forgetTexture(const Texture2D* texture)
{
    if (s_live) s_live->_screenFrame->forgetTexture(texture->getSerial());
}

void Renderer::dropUnshownCopies() { _screenFrame->dropUnshownCopies(); }

std::unordered_set<uint64_t> Renderer::texturesDrawnFromPixels() const
{
    return _screenFrame->texturesDrawnFromPixels();
}

void Renderer::pinCopiesOf(const std::vector<uint64_t>& serials) { _screenFrame->pinCopiesOf(serials); }

void Renderer::setBackend(SDL_Renderer* backend)
{
    _backend = backend;
    _screenFrame->setBackend(backend);
}

void Renderer::invalidateScreen() { _screenFrame->invalidate(); }

void Renderer::requestScreenCopy() { _screenFrame->requestCopy(); }

const ScreenStats& Renderer::getScreenStats() const { return _screenFrame->getStats(); }

void Renderer::setScreenTarget(const Target& target)
{
    _screen = target;
    // Bars or a new window size: nothing of the kept picture can be trusted.
    _screenFrame->invalidate();
}

void Renderer::addCommand(RenderCommand* command) { _queue.push_back(command); }

void Renderer::resetStats()
{
    _drawnBatches = 0;
    _drawnVertices = 0;
}

PixelRect Renderer::screenArea() const
{
    if (_screen.bounds.w > 0 && _screen.bounds.h > 0) return _screen.bounds;
    int w = 0, h = 0;
    if (_backend) SDL_GetRendererOutputSize(_backend, &w, &h);
    return PixelRect{0, 0, w, h};
}

void Renderer::beginScreenFrame()
{
    flush();
    _screenClip = screenArea();
    _screenFrame->begin();
    _recordingScreen = true;
}

bool Renderer::endScreenFrame(bool rasterize)
{
    flush();
    _recordingScreen = false;
    return _screenFrame->finish(rasterize && _rasterize);
}

void Renderer::render()
{
    // Commands may queue further commands; those run at the next render.
    std::vector<RenderCommand*> queue;
    queue.swap(_queue);
    execute(queue);
}

void Renderer::renderFrom(size_t first)
{
    if (first >= _queue.size()) return;
    std::vector<RenderCommand*> commands(_queue.begin() + std::ptrdiff_t(first), _queue.end());
    _queue.resize(first);
    execute(commands);
}

bool Renderer::describeQueuedFrom(size_t first, std::string* out) const
{
    out->clear();
    auto put = [out](const void* bytes, size_t size) { out->append(static_cast<const char*>(bytes), size); };
    for (size_t i = first; i < _queue.size(); ++i) {
        const RenderCommand* command = _queue[i];
        if (command->getType() != RenderCommand::Type::QUAD_COMMAND) return false;
        const auto* quads = static_cast<const QuadCommand*>(command);
        const Texture2D* texture = quads->getTexture();
        const uint64_t serial = texture ? texture->getSerial() : 0;
        const uint32_t version = texture ? texture->getContentVersion() : 0;
        const uint32_t filter = texture ? texture->getTexParameters().magFilter : 0;
        const float order = command->getGlobalOrder();
        const size_t count = quads->getQuadCount();
        put(&serial, sizeof serial);
        put(&version, sizeof version);
        put(&filter, sizeof filter);
        put(&order, sizeof order);
        put(command->getModelView().m, sizeof(float) * 16);
        put(&count, sizeof count);
        put(quads->getQuads(), sizeof(V3F_C4B_T2F_Quad) * count);
    }
    return true;
}

void Renderer::dropQueuedFrom(size_t first)
{
    if (first < _queue.size()) _queue.resize(first);
}

void Renderer::execute(std::vector<RenderCommand*>& commands)
{
    // Global z-order first, then order of the visit.
    bool sorted = std::all_of(commands.begin(), commands.end(),
                              [](const RenderCommand* c) { return c->getGlobalOrder() == 0.0f; });
    if (!sorted) {
        std::stable_sort(commands.begin(), commands.end(), [](const RenderCommand* a, const RenderCommand* b) {
            return a->getGlobalOrder() < b->getGlobalOrder();
        });
    }
    for (RenderCommand* command : commands) {
        switch (command->getType()) {
        case RenderCommand::Type::QUAD_COMMAND:
            appendQuads(static_cast<QuadCommand*>(command));
            break;
        case RenderCommand::Type::CUSTOM_COMMAND:
            flush();
            static_cast<CustomCommand*>(command)->execute();
            break;
        default:
            break;
        }
    }
    flush();
}

void Renderer::appendQuads(const QuadCommand* command)
{
    Texture2D* texture = command->getTexture();
    if (texture != _batchTexture) {
        flush();
        _batchTexture = texture;
    }
    const Target& target = getCurrentTarget();
    const float* m = command->getModelView().m;
    auto emit = [&](const V3F_C4B_T2F& v) {
        float x = v.vertices.x * m[0] + v.vertices.y * m[4] + m[12];
        float y = v.vertices.x * m[1] + v.vertices.y * m[5] + m[13];
        SDL_Vertex out;
        out.position.x = x * target.scale + target.offsetX;
        out.position.y = (target.heightInPoints - y) * target.scale + target.offsetY;
        out.color = SDL_Color{v.colors.r, v.colors.g, v.colors.b, v.colors.a};
        out.tex_coord.x = v.texCoords.u;
        out.tex_coord.y = v.texCoords.v;
        _vertices.push_back(out);
    };
    const V3F_C4B_T2F_Quad* quads = command->getQuads();
    for (size_t i = 0; i < command->getQuadCount(); ++i) {
        emit(quads[i].tl);
        emit(quads[i].bl);
        emit(quads[i].tr);
        emit(quads[i].br);
    }
}

void Renderer::flush()
{
    if (_vertices.empty()) return;
    ++_drawnBatches;
    _drawnVertices += _vertices.size();
    if (_targets.empty()) {
        // Outside a screen frame, the screen's drawing is only counted.
        if (_recordingScreen) {
            const SDL_Rect clip = sdlRect(_screenClip);
            for (size_t i = 0; i + 4 <= _vertices.size(); i += 4) {
                _screenFrame->add(_batchTexture, &_vertices[i], clip);
            }
        }
    } else if (_rasterize && _backend) {
        drawIntoTarget();
    }
    _vertices.clear();
}

void Renderer::drawIntoTarget()
{
    SDL_Texture* texture = _batchTexture ? _batchTexture->getSDLTexture(_backend) : nullptr;
    if (_batchTexture && !texture) return;
    int texW = _batchTexture ? _batchTexture->getPixelsWide() : 0;
    int texH = _batchTexture ? _batchTexture->getPixelsHigh() : 0;
    auto drawTriangles = [&] {
        if (_triangles.empty()) return;
        SDL_RenderGeometry(_backend, texture, _triangles.data(), static_cast<int>(_triangles.size()),
                           _indices.data(), static_cast<int>(_indices.size()));
        _triangles.clear();
        _indices.clear();
    };
    // Upright pictures and plain rectangles are copied and filled: on the
    // software backend that is many times cheaper than its triangle filler
    // (a board snapshot is four screens of pixels).
    const bool software = _screenFrame->isSoftware();
    for (size_t i = 0; i + 4 <= _vertices.size(); i += 4) {
        const SDL_Vertex* quad = &_vertices[i];
        QuadShape shape = software ? shapeOf(quad, _batchTexture, true) : QuadShape();
        if (shape.kind == QuadShape::Kind::Geometry || shape.rect.w <= 0 || shape.rect.h <= 0) {
            if (shape.kind == QuadShape::Kind::Geometry) appendQuadTriangles(quad, texW, texH, _triangles, _indices);
            continue;
        }
        drawTriangles();
        const SDL_Color& colour = quad[0].color;
        SDL_BlendMode blend = shape.opaque ? SDL_BLENDMODE_NONE : SDL_BLENDMODE_BLEND;
        if (shape.kind == QuadShape::Kind::Fill) {
            SDL_SetRenderDrawBlendMode(_backend, blend);
            SDL_SetRenderDrawColor(_backend, colour.r, colour.g, colour.b, colour.a);
            SDL_RenderFillRect(_backend, &shape.rect);
            SDL_SetRenderDrawBlendMode(_backend, SDL_BLENDMODE_BLEND);
            continue;
        }
        SDL_ScaleMode mode = SDL_ScaleModeLinear;
        SDL_GetTextureScaleMode(texture, &mode);
        // Nearest texels, as the triangle filler samples.
        SDL_SetTextureScaleMode(texture, SDL_ScaleModeNearest);
        SDL_SetTextureBlendMode(texture, blend);
        SDL_SetTextureColorMod(texture, colour.r, colour.g, colour.b);
        SDL_SetTextureAlphaMod(texture, colour.a);
        SDL_RenderCopy(_backend, texture, &shape.src, &shape.rect);
        SDL_SetTextureColorMod(texture, 255, 255, 255);
        SDL_SetTextureAlphaMod(texture, 255);
        SDL_SetTextureBlendMode(texture, SDL_BLENDMODE_BLEND);
        SDL_SetTextureScaleMode(texture, mode);
    }
    drawTriangles();
}

void Renderer::setClipRect(const PixelRect* clip)
{
    flush();
    if (_targets.empty()) {
        _screenClip = clip ? *clip : screenArea();
        return;
    }
    if (!_backend || !_rasterize) return;
    const Target& target = _targets.back();
    if (!clip) {
        clipToBounds(_backend, target);
    } else if (clip->w <= 0 || clip->h <= 0) {
        // SDL treats an empty clip rectangle as "no clipping"; clip to one
        // pixel outside the target instead so nothing shows.
        SDL_Rect outside{-2, -2, 1, 1};
        SDL_RenderSetClipRect(_backend, &outside);
    } else {
        const SDL_Rect rect = sdlRect(*clip);
        SDL_RenderSetClipRect(_backend, &rect);
    }
}

void Renderer::applyTarget(const Target& target)
{
    if (!_backend || !_rasterize) return;
    if (target.texture) {
        if (Texture2D* texture = Texture2D::forRenderTarget(target.texture)) texture->markContentChanged();
    }
    SDL_SetRenderTarget(_backend, target.texture);
    clipToBounds(_backend, target);
}

void Renderer::pushTarget(const Target& target)
{
    flush();
    _targets.push_back(target);
    applyTarget(target);
}

void Renderer::popTarget()
{
    flush();
    if (!_targets.empty()) _targets.pop_back();
    if (!_targets.empty()) {
        applyTarget(_targets.back());
    } else if (_backend && _rasterize) {
        // The screen is drawn only by the screen frame, which sets its own target.
        SDL_SetRenderTarget(_backend, nullptr);
    }
}

} // namespace cocos2d
