#include "renderer/CCRenderer.h"

#include <algorithm>
#include <cmath>

#include "renderer/CCCustomCommand.h"
#include "renderer/CCQuadCommand.h"
#include "renderer/CCTexture2D.h"

namespace cocos2d {

Renderer::Renderer()
{
    _vertices.reserve(4 * 1024);
    _indices.reserve(6 * 1024);
}

Renderer::~Renderer() = default;

void Renderer::setBackend(SDL_Renderer* backend) { _backend = backend; }

void Renderer::addCommand(RenderCommand* command) { _queue.push_back(command); }

void Renderer::resetStats()
{
    _drawnBatches = 0;
    _drawnVertices = 0;
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

namespace {

// SDL's software triangle filler works in fixed point with one fractional bit
// and keeps (source coordinate x the triangle's doubled area) in a 32-bit int.
// Past that it overflows and reads outside the texture: a 900 x 900 pixel
// picture drawn one to one is already too big. A quad is cut into as many
// pieces as keep every product under half the int range (a margin for SDL's
// rounding of the corners); a quad is affine, so the pieces draw the same picture.
void piecesForSoftwareFiller(const V3F_C4B_T2F_Quad& q, const Mat4& mv, float scale, float texW, float texH,
                             int* cols, int* rows)
{
    const float* m = mv.m;
    auto out = [&](const V3F_C4B_T2F& v, float* x, float* y) {
        *x = (v.vertices.x * m[0] + v.vertices.y * m[4]) * scale;
        *y = (v.vertices.x * m[1] + v.vertices.y * m[5]) * scale;
    };
    float tlx, tly, trx, try_, blx, bly;
    out(q.tl, &tlx, &tly);
    out(q.tr, &trx, &try_);
    out(q.bl, &blx, &bly);
    double cross = std::fabs(double(trx - tlx) * (bly - tly) - double(try_ - tly) * (blx - tlx));
    double source = 1.0;
    for (const V3F_C4B_T2F* v : {&q.tl, &q.bl, &q.tr, &q.br}) {
        source = std::max({source, std::fabs(double(v->texCoords.u) * texW), std::fabs(double(v->texCoords.v) * texH)});
    }
    const double kFixedPointArea = 4.0; // one fractional bit on each axis
    const double kLimit = double(1 << 30);
    double pieces = source * kFixedPointArea * cross / kLimit;
    const int kMostPerSide = 64;
    int perSide = pieces <= 1.0 ? 1 : std::min(kMostPerSide, int(std::ceil(std::sqrt(pieces))));
    *cols = perSide;
    *rows = perSide;
}

} // namespace

void Renderer::appendQuads(const QuadCommand* command)
{
    Texture2D* texture = command->getTexture();
    if (texture != _batchTexture) {
        flush();
        _batchTexture = texture;
    }
    const Target& target = getCurrentTarget();
    const Mat4& mv = command->getModelView();
    const float* m = mv.m;
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
    auto emitQuad = [&](const V3F_C4B_T2F_Quad& q) {
        int base = static_cast<int>(_vertices.size());
        emit(q.tl);
        emit(q.bl);
        emit(q.tr);
        emit(q.br);
        const int order[6] = {0, 1, 2, 2, 1, 3};
        for (int k : order) _indices.push_back(base + k);
    };
    float texW = texture ? float(texture->getPixelsWide()) : 0.0f;
    float texH = texture ? float(texture->getPixelsHigh()) : 0.0f;
    const V3F_C4B_T2F_Quad* quads = command->getQuads();
    for (size_t i = 0; i < command->getQuadCount(); ++i) {
        const V3F_C4B_T2F_Quad& q = quads[i];
        int cols = 1, rows = 1;
        if (texture) piecesForSoftwareFiller(q, mv, target.scale, texW, texH, &cols, &rows);
        if (cols == 1 && rows == 1) {
            emitQuad(q);
            continue;
        }
        // Corner at fraction (fx across, fy down) of the quad.
        auto at = [&](float fx, float fy) {
            V3F_C4B_T2F v = q.tl;
            auto mix = [&](float tl, float tr, float bl) { return tl + (tr - tl) * fx + (bl - tl) * fy; };
            v.vertices.x = mix(q.tl.vertices.x, q.tr.vertices.x, q.bl.vertices.x);
            v.vertices.y = mix(q.tl.vertices.y, q.tr.vertices.y, q.bl.vertices.y);
            v.texCoords.u = mix(q.tl.texCoords.u, q.tr.texCoords.u, q.bl.texCoords.u);
            v.texCoords.v = mix(q.tl.texCoords.v, q.tr.texCoords.v, q.bl.texCoords.v);
            return v;
        };
        for (int r = 0; r < rows; ++r) {
            for (int c = 0; c < cols; ++c) {
                float x0 = float(c) / cols, x1 = float(c + 1) / cols;
                float y0 = float(r) / rows, y1 = float(r + 1) / rows;
                emitQuad(V3F_C4B_T2F_Quad{at(x0, y0), at(x0, y1), at(x1, y0), at(x1, y1)});
            }
        }
    }
}

void Renderer::flush()
{
    if (_vertices.empty()) return;
    if (_rasterize && _backend && (_rasterizeScreen || !_targets.empty())) {
        SDL_Texture* texture = _batchTexture ? _batchTexture->getSDLTexture(_backend) : nullptr;
        if (!_batchTexture || texture) {
            SDL_RenderGeometry(_backend, texture, _vertices.data(), static_cast<int>(_vertices.size()),
                               _indices.data(), static_cast<int>(_indices.size()));
        }
    }
    ++_drawnBatches;
    _drawnVertices += _vertices.size();
    _vertices.clear();
    _indices.clear();
}

void Renderer::applyTarget(const Target& target)
{
    if (!_backend || !_rasterize) return;
    SDL_SetRenderTarget(_backend, target.texture);
    SDL_RenderSetClipRect(_backend, target.bounds.w > 0 ? &target.bounds : nullptr);
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
    applyTarget(getCurrentTarget());
}

} // namespace cocos2d
