#include "renderer/CCScaledTextureCache.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "renderer/CCTexture2D.h"

namespace cocos2d {

namespace {
// Past this the least recently drawn copies go.
const size_t kScaledBudget = size_t(32) << 20;
// A copy not drawn in this many redraws is dropped whatever the budget.
const uint64_t kScaledLifetime = 600;
} // namespace

bool ScaledTextureCache::Key::operator==(const Key& o) const
{
    return serial == o.serial && version == o.version && src.x == o.src.x && src.y == o.src.y && src.w == o.src.w &&
           src.h == o.src.h && w == o.w && h == o.h;
}

size_t ScaledTextureCache::KeyHash::operator()(const Key& k) const
{
    uint64_t h = hashMix(k.serial, k.version);
    h = hashMix(h, uint64_t(uint32_t(k.src.x)) << 32 | uint32_t(k.src.y));
    h = hashMix(h, uint64_t(uint32_t(k.src.w)) << 32 | uint32_t(k.src.h));
    h = hashMix(h, uint64_t(uint32_t(k.w)) << 32 | uint32_t(k.h));
    return size_t(h);
}

void ScaledTextureCache::setBackend(SDL_Renderer* backend)
{
    clear();
    _backend = backend;
}

void ScaledTextureCache::clear()
{
    if (_backend) {
        for (auto& entry : _scaled) SDL_DestroyTexture(entry.second.texture);
    }
    _scaled.clear();
    _bytes = 0;
}

ScaledTextureCache::Key ScaledTextureCache::keyOf(const ScreenQuad& quad)
{
    return Key{quad.serial, quad.version, quad.shape.src, quad.shape.rect.w, quad.shape.rect.h};
}

bool ScaledTextureCache::has(const ScreenQuad& quad) const { return _scaled.count(keyOf(quad)) != 0; }

void ScaledTextureCache::keep(const ScreenQuad& quad)
{
    auto it = _scaled.find(keyOf(quad));
    if (it != _scaled.end()) it->second.lastUsed = _redrawCounter;
}

SDL_Texture* ScaledTextureCache::get(const ScreenQuad& quad)
{
    const Key key = keyOf(quad);
    auto it = _scaled.find(key);
    if (it != _scaled.end()) {
        it->second.lastUsed = _redrawCounter;
        return it->second.texture;
    }
    SDL_Texture* source = quad.texture->getSDLTexture(_backend);
    if (!source || quad.shape.rect.w <= 0 || quad.shape.rect.h <= 0) return nullptr;
    SDL_Texture* scaled = SDL_CreateTexture(_backend, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_TARGET,
                                            quad.shape.rect.w, quad.shape.rect.h);
    if (!scaled) return nullptr;
    SDL_Texture* previous = SDL_GetRenderTarget(_backend);
    SDL_SetRenderTarget(_backend, scaled);
    SDL_RenderSetClipRect(_backend, nullptr);
    SDL_ScaleMode mode = SDL_ScaleModeLinear;
    SDL_GetTextureScaleMode(source, &mode);
    // Nearest texels, as the triangle filler samples, and the alpha copied
    // as it is rather than blended.
    SDL_SetTextureScaleMode(source, SDL_ScaleModeNearest);
    SDL_SetTextureBlendMode(source, SDL_BLENDMODE_NONE);
    SDL_RenderCopy(_backend, source, &quad.shape.src, nullptr);
    SDL_SetTextureBlendMode(source, SDL_BLENDMODE_BLEND);
    SDL_SetTextureScaleMode(source, mode);
    SDL_SetRenderTarget(_backend, previous);
    size_t bytes = size_t(quad.shape.rect.w) * size_t(quad.shape.rect.h) * 4;
    _scaled.emplace(key, Scaled{scaled, bytes, _redrawCounter});
    _bytes += bytes;
    return scaled;
}

void ScaledTextureCache::trim()
{
    for (auto it = _scaled.begin(); it != _scaled.end();) {
        if (!it->second.pinned && _redrawCounter - it->second.lastUsed > kScaledLifetime) {
            SDL_DestroyTexture(it->second.texture);
            _bytes -= it->second.bytes;
            it = _scaled.erase(it);
        } else {
            ++it;
        }
    }
    if (_bytes <= kScaledBudget) return;
    std::vector<std::pair<uint64_t, Key>> byAge;
    for (auto& entry : _scaled) {
        if (!entry.second.pinned && entry.second.lastUsed != _redrawCounter)
            byAge.emplace_back(entry.second.lastUsed, entry.first);
    }
    std::sort(byAge.begin(), byAge.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    for (auto& entry : byAge) {
        if (_bytes <= kScaledBudget) break;
        auto it = _scaled.find(entry.second);
        SDL_DestroyTexture(it->second.texture);
        _bytes -= it->second.bytes;
        _scaled.erase(it);
    }
}

void ScaledTextureCache::pin(uint64_t serial)
{
    for (auto& entry : _scaled)
        if (entry.first.serial == serial) entry.second.pinned = true;
}

void ScaledTextureCache::dropUnused()
{
    for (auto it = _scaled.begin(); it != _scaled.end();) {
        if (it->second.lastUsed != _redrawCounter) {
            SDL_DestroyTexture(it->second.texture);
            _bytes -= it->second.bytes;
            it = _scaled.erase(it);
        } else {
            ++it;
        }
    }
}

void ScaledTextureCache::forget(uint64_t serial)
{
    for (auto it = _scaled.begin(); it != _scaled.end();) {
        if (it->first.serial == serial) {
            if (_backend) SDL_DestroyTexture(it->second.texture);
            _bytes -= it->second.bytes;
            it = _scaled.erase(it);
        } else {
            ++it;
        }
    }
}

} // namespace cocos2d
