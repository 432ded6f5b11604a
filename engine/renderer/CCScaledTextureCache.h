#pragma once

#include <SDL.h>

#include <cstddef>
#include <cstdint>
#include <unordered_map>

#include "renderer/CCScreenQuad.h"

namespace cocos2d {

// Pictures scaled once to the size a copied quad shows them at, for the
// software backend. It scales a picture on every copy, and a scaled copy
// that is clipped samples from where the clip starts, which would make a
// partly redrawn picture differ from a whole one. A copy scaled once to the
// size it is shown at is then drawn one to one, which is both exact under
// any clip and several times cheaper.
class ScaledTextureCache {
public:
    ScaledTextureCache() = default;
    ~ScaledTextureCache() { clear(); }
    ScaledTextureCache(const ScaledTextureCache&) = delete;
    ScaledTextureCache& operator=(const ScaledTextureCache&) = delete;

    // Drops every copy; later ones are made on this backend.
    void setBackend(SDL_Renderer* backend);
    // The picture of a Copy quad (its texels shape.src) scaled to the size
    // of shape.rect, made on first use; nullptr when it cannot be made.
    SDL_Texture* get(const ScreenQuad& quad);
    // Whether the copy for this quad is made.
    bool has(const ScreenQuad& quad) const;
    // The copy for this quad, if made, counts as used by this redraw.
    void keep(const ScreenQuad& quad);
    // The copies of the picture with this serial stay whatever their age
    // and the budget, until a rest finds them unshown or the picture goes:
    // its own pixels went, and a copy made again would mean decoding it.
    void pin(uint64_t serial);
    // A redraw starts: the copies it uses are the most recently used.
    void beginRedraw() { ++_redrawCounter; }
    // After a redraw: drops the copies not used for long, then the least
    // recently used ones while the copies take more than their budget.
    void trim();
    // Drops every copy not used since beginRedraw(), pinned or not.
    void dropUnused();
    // Drops every copy of the picture with this serial.
    void forget(uint64_t serial);
    void clear();

private:
    struct Key {
        uint64_t serial;
        uint32_t version;
        SDL_Rect src;
        int w, h;
        bool operator==(const Key& o) const;
    };
    struct KeyHash {
        size_t operator()(const Key& k) const;
    };
    static Key keyOf(const ScreenQuad& quad);
    struct Scaled {
        SDL_Texture* texture;
        size_t bytes;
        uint64_t lastUsed;
        bool pinned = false;
    };

    SDL_Renderer* _backend = nullptr;
    std::unordered_map<Key, Scaled, KeyHash> _scaled;
    size_t _bytes = 0;
    uint64_t _redrawCounter = 0;
};

} // namespace cocos2d
