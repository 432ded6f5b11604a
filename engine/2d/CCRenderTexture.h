#pragma once

#include <functional>
#include <string>

#include "2d/CCNode.h"
#include "base/ccTypes.h"
#include "platform/CCImage.h"
#include "renderer/CCRenderer.h"

namespace cocos2d {

class Sprite;
class Texture2D;

// An off-screen picture of w x h points (w x h times the content scale in
// pixels). What is visited between begin and end is drawn into it at end(),
// not at the next frame: a node visited into it may be freed right after
// (a part removed in the next frame) without the picture ever reading it.
class RenderTexture : public Node {
public:
    using SaveCallback = std::function<void(RenderTexture*, const std::string&)>;

    static RenderTexture* create(int w, int h);
    bool initWithWidthAndHeight(int w, int h);

    void begin();
    // Colour components in 0..1; the whole texture is replaced, alpha included.
    void beginWithClear(float r, float g, float b, float a);
    void end();
    void clear(float r, float g, float b, float a);

    // Shows the texture upright; the render texture owns it.
    Sprite* getSprite() const { return _sprite; }
    Texture2D* getTexture() const { return _texture; }
    Size getSizeInPixels() const { return Size(float(_pixelsWide), float(_pixelsHigh)); }

    // Reads the pixels drawn so far back and writes them to
    // FileUtils::getWritablePath() + fileName, atomically. The callback runs
    // on the main thread at the next frame with the full path, also when the
    // write failed (then no new file exists under that name). The render
    // texture stays alive until then.
    bool saveToFile(const std::string& fileName, Image::Format format, bool isRGBA = true,
                    SaveCallback callback = nullptr);
    // The format follows the extension (.jpg/.jpeg or PNG otherwise).
    bool saveToFile(const std::string& fileName, bool isRGBA = true, SaveCallback callback = nullptr);
    // Saves asked for whose callback has not run yet, in every render texture.
    static size_t savesInProgress();

    // Draws the sprite where the render texture sits in the scene.
    void visit(Renderer* renderer, const Mat4& parentTransform, uint32_t parentFlags) override;
    using Node::visit;

protected:
    RenderTexture();
    ~RenderTexture() override;

private:
    void open(bool clear, Color4B colour);
    bool writePixels(Renderer* renderer, const std::string& fullPath, Image::Format format, bool isRGBA);
    Renderer::Target makeTarget() const;

    Texture2D* _texture = nullptr;
    Sprite* _sprite = nullptr;
    int _pixelsWide = 0;
    int _pixelsHigh = 0;
    float _heightInPoints = 0.0f;
    float _scale = 1.0f;
    // Between begin and end: where this texture's commands start in the
    // renderer's queue, and the colour to clear with first.
    bool _open = false;
    size_t _firstCommand = 0;
    bool _clearOnEnd = false;
    Color4B _clearColour;
    // The last drawing that replaced the whole texture, and the texture's
    // content version right after it: the same drawing again, onto pixels
    // nothing has touched since, would only make the same pixels.
    std::string _lastDrawing;
    uint32_t _versionAfterLastDrawing = 0;
    bool _lastDrawingKnown = false;
};

} // namespace cocos2d
