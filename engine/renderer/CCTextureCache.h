#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "base/CCRef.h"

struct SDL_Renderer;

namespace cocos2d {

class Image;
class Texture2D;

// Textures by full path. Removing a key makes the next addImage read the file
// again; sprites holding the old texture keep it. A texture whose reference
// count is 1 is held by the cache alone: no node uses it.
class TextureCache : public Ref {
public:
    TextureCache();
    ~TextureCache() override;

    Texture2D* addImage(const std::string& path);
    Texture2D* addImage(Image* image, const std::string& key);
    Texture2D* getTextureForKey(const std::string& key) const;
    void removeTextureForKey(const std::string& key);
    void removeTexture(Texture2D* texture);
    void removeAllTextures();
    // Drops every texture that only the cache still holds.
    void removeUnusedTextures();
    // Drops textures only the cache holds, largest first, until those left
    // take at most keepBytes: small pictures stay at hand, a large one that
    // nothing shows any more gives its memory back. Returns the bytes dropped.
    size_t trimUnusedTextures(size_t keepBytes);
    size_t getTextureCount() const { return _textures.size(); }
    // Decodes (and uploads, given the backend) one picture that a node holds
    // but that still waits encoded, so it is ready before it is first shown.
    // False when none waits.
    bool decodeOneWaiting(SDL_Renderer* backend);
    // Lets the full pixels of each large picture whose serial is not among
    // those still drawn from their pixels go back to its file's bytes
    // (Texture2D::releaseSourceAtRest). Returns the serials let go.
    std::vector<uint64_t> releaseSourcesAtRest(const std::unordered_set<uint64_t>& drawnFromPixels);

private:
    std::string keyFor(const std::string& path) const;
    void forgetNamesOf(const Texture2D* texture);

    std::unordered_map<std::string, Texture2D*> _textures;
    // The names pictures were asked for by, each with the texture it found:
    // asked again (a sprite for every part of a large board), the name finds
    // it without the file system being searched. Forgotten with the texture,
    // and all at once when the search paths change.
    std::unordered_map<std::string, Texture2D*> _byName;
    std::vector<std::string> _namesSearchPaths;
};

} // namespace cocos2d
