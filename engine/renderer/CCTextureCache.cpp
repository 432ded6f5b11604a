#include "renderer/CCTextureCache.h"

#include <SDL.h>

#include <algorithm>
#include <functional>
#include <utility>
#include <vector>

#include "base/CCData.h"
#include "base/ccMacros.h"
#include "platform/CCFileUtils.h"
#include "platform/CCImage.h"
#include "renderer/CCTexture2D.h"

namespace cocos2d {

TextureCache::TextureCache() = default;

TextureCache::~TextureCache() { removeAllTextures(); }

std::string TextureCache::keyFor(const std::string& path) const
{
    return FileUtils::getInstance()->fullPathForFilename(path);
}

void TextureCache::forgetNamesOf(const Texture2D* texture)
{
    for (auto it = _byName.begin(); it != _byName.end();) it = it->second == texture ? _byName.erase(it) : std::next(it);
}

Texture2D* TextureCache::addImage(const std::string& path)
{
    const std::vector<std::string>& searchPaths = FileUtils::getInstance()->getSearchPaths();
    if (searchPaths != _namesSearchPaths) {
        _byName.clear();
        _namesSearchPaths = searchPaths;
    }
    auto named = _byName.find(path);
    if (named != _byName.end()) return named->second;
    std::string fullPath = keyFor(path);
    if (fullPath.empty()) {
        CCLOG("TextureCache: %s not found", path.c_str());
        return nullptr;
    }
    auto it = _textures.find(fullPath);
    if (it != _textures.end()) {
        _byName[path] = it->second;
        return it->second;
    }
    Data data = FileUtils::getInstance()->getDataFromFile(fullPath);
    Texture2D* texture = new Texture2D();
    bool made = false;
    const unsigned char* bytes = data.getBytes();
    const size_t size = data.isNull() ? 0 : size_t(data.getSize());
    Image::PngOutline outline;
    if (Image::isPng(bytes, size)) {
        // A whole PNG waits encoded until it is drawn: a picture never shown
        // (a help page not paged to, a panel under another) costs its file's
        // bytes, not its pixels, and starting up decodes nothing unseen. One
        // cut short or beyond the size limits could not be decoded either.
        if (Image::outlinePng(bytes, size, fullPath.c_str(), &outline))
            made = texture->initWithEncodedPicture(std::move(data), outline.width, outline.height, outline.opaque);
    } else if (!data.isNull()) {
        Image* image = new Image();
        if (image->initWithImageData(data.getBytes(), ptrdiff_t(data.getSize()))) {
            SDL_Surface* pixels = image->takeSurface();
            made = texture->initWithSurface(pixels);
            if (!made) SDL_FreeSurface(pixels);
        }
        image->release();
    }
    if (!made) {
        CCLOG("TextureCache: could not read %s", fullPath.c_str());
        texture->release();
        return nullptr;
    }
    texture->setPath(path);
    _textures[fullPath] = texture;
    _byName[path] = texture;
    return texture;
}

bool TextureCache::decodeOneWaiting(SDL_Renderer* backend)
{
    for (auto& entry : _textures) {
        Texture2D* texture = entry.second;
        // Only pictures some node holds; the others may never be needed.
        if (!texture->isWaitingToDecode() || texture->getReferenceCount() <= 1 || texture->isDecodedOnlyWhenNeeded() ||
            texture->isSourceReleased())
            continue;
        if (backend) {
            texture->getSDLTexture(backend);
        } else {
            texture->decode();
        }
        return true;
    }
    return false;
}

std::vector<uint64_t> TextureCache::releaseSourcesAtRest(const std::unordered_set<uint64_t>& drawnFromPixels)
{
    std::vector<uint64_t> released;
    for (auto& entry : _textures) {
        Texture2D* texture = entry.second;
        if (drawnFromPixels.count(texture->getSerial()) == 0 && texture->releaseSourceAtRest())
            released.push_back(texture->getSerial());
    }
    return released;
}

Texture2D* TextureCache::addImage(Image* image, const std::string& key)
{
    auto it = _textures.find(key);
    if (it != _textures.end()) return it->second;
    auto* texture = new Texture2D();
    if (!texture->initWithImage(image)) {
        texture->release();
        return nullptr;
    }
    texture->setPath(key);
    _textures[key] = texture;
    return texture;
}

Texture2D* TextureCache::getTextureForKey(const std::string& key) const
{
    auto it = _textures.find(key);
    if (it == _textures.end()) it = _textures.find(keyFor(key));
    return it == _textures.end() ? nullptr : it->second;
}

void TextureCache::removeTextureForKey(const std::string& key)
{
    auto it = _textures.find(key);
    if (it == _textures.end()) it = _textures.find(keyFor(key));
    if (it == _textures.end()) return;
    forgetNamesOf(it->second);
    it->second->release();
    _textures.erase(it);
}

void TextureCache::removeTexture(Texture2D* texture)
{
    for (auto it = _textures.begin(); it != _textures.end(); ++it) {
        if (it->second == texture) {
            forgetNamesOf(texture);
            texture->release();
            _textures.erase(it);
            return;
        }
    }
}

void TextureCache::removeUnusedTextures() { trimUnusedTextures(0); }

size_t TextureCache::trimUnusedTextures(size_t keepBytes)
{
    std::vector<std::pair<size_t, std::string>> unused;
    size_t unusedBytes = 0;
    for (auto& entry : _textures) {
        if (entry.second->getReferenceCount() != 1) continue;
        unused.emplace_back(entry.second->getMemoryBytes(), entry.first);
        unusedBytes += unused.back().first;
    }
    if (unusedBytes <= keepBytes) return 0;
    size_t dropped = 0;
    std::sort(unused.begin(), unused.end(), std::greater<>());
    for (auto& [bytes, key] : unused) {
        if (unusedBytes <= keepBytes) break;
        auto it = _textures.find(key);
        forgetNamesOf(it->second);
        it->second->release();
        _textures.erase(it);
        unusedBytes -= bytes;
        dropped += bytes;
    }
    return dropped;
}

void TextureCache::removeAllTextures()
{
    _byName.clear();
    for (auto& entry : _textures) entry.second->release();
    _textures.clear();
}

} // namespace cocos2d
