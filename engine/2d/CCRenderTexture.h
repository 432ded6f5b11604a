#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "2d/CCNode.h"
#include "platform/CCImage.h"
#include "renderer/CCCustomCommand.h"
#include "renderer/CCRenderer.h"

namespace cocos2d {

class Sprite;
class Texture2D;

// An off-screen picture of w x h points (w x h times the content scale in
// pixels). Drawing into it is queued like any other drawing: begin, the
// visits and end become commands that run at the next Renderer::render, so
// a render texture filled from an event handler is drawn at the next frame.
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

    // Reads the pixels back after everything queued so far and writes them to
    // FileUtils::getWritablePath() + fileName, atomically. The callback runs
    // on the main thread at a later frame with the full path, also when the
    // write failed (then no new file exists under that name). The render
    // texture stays alive until then.
    bool saveToFile(const std::string& fileName, Image::Format format, bool isRGBA = true,
                    SaveCallback callback = nullptr);
    // The format follows the extension (.jpg/.jpeg or PNG otherwise).
    bool saveToFile(const std::string& fileName, bool isRGBA = true, SaveCallback callback = nullptr);

    // Draws the sprite where the render texture sits in the scene.
    void visit(Renderer* renderer, const Mat4& parentTransform, uint32_t parentFlags) override;
    using Node::visit;

protected:
    RenderTexture();
    ~RenderTexture() override;

private:
    void queue(std::function<void(Renderer*)> work);
    void writePixels(Renderer* renderer, const std::string& fullPath, Image::Format format, bool isRGBA,
                     SaveCallback callback);
    Renderer::Target makeTarget() const;

    Texture2D* _texture = nullptr;
    Sprite* _sprite = nullptr;
    int _pixelsWide = 0;
    int _pixelsHigh = 0;
    float _heightInPoints = 0.0f;
    float _scale = 1.0f;
    // Commands stay owned here until the renderer ran them; the renderer only keeps pointers.
    std::vector<std::unique_ptr<CustomCommand>> _commands;
    size_t _pendingCommands = 0;
};

} // namespace cocos2d
