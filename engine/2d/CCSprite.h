#pragma once

#include <string>
#include <vector>

#include "2d/CCNode.h"
#include "renderer/CCQuadCommand.h"

namespace cocos2d {

class Texture2D;

class Sprite : public Node {
public:
    static Sprite* create();
    static Sprite* create(const std::string& filename);
    // rect is in points of the picture, origin at its top-left corner.
    static Sprite* create(const std::string& filename, const Rect& rect);
    static Sprite* createWithTexture(Texture2D* texture);
    static Sprite* createWithTexture(Texture2D* texture, const Rect& rect, bool rotated = false);

    bool init() override;
    virtual bool initWithFile(const std::string& filename);
    virtual bool initWithFile(const std::string& filename, const Rect& rect);
    virtual bool initWithTexture(Texture2D* texture);
    virtual bool initWithTexture(Texture2D* texture, const Rect& rect, bool rotated = false);

    // Shows the whole new picture: the texture rectangle and content size follow it.
    virtual void setTexture(const std::string& filename);
    // Keeps the current texture rectangle, as the engine does.
    virtual void setTexture(Texture2D* texture);
    virtual Texture2D* getTexture() const { return _texture; }
    virtual void setTextureRect(const Rect& rect);
    virtual void setTextureRect(const Rect& rect, bool rotated, const Size& untrimmedSize);
    virtual const Rect& getTextureRect() const { return _rect; }

    void setFlippedX(bool flipped);
    void setFlippedY(bool flipped);
    bool isFlippedX() const { return _flippedX; }
    bool isFlippedY() const { return _flippedY; }

    void setBlendFunc(const BlendFunc& blendFunc) { _blendFunc = blendFunc; }
    const BlendFunc& getBlendFunc() const { return _blendFunc; }

    void draw(Renderer* renderer, const Mat4& transform, uint32_t flags) override;
    void setOpacityModifyRGB(bool modify) override { _opacityModifyRGB = modify; }
    bool isOpacityModifyRGB() const override { return _opacityModifyRGB; }

    std::string getResourceDescription() const override { return _fileName; }
    const std::string& getFileName() const { return _fileName; }

    // Quads currently drawn (one, or one per tile of a repeating texture).
    const std::vector<V3F_C4B_T2F_Quad>& getQuads() const { return _quads; }

protected:
    Sprite();
    ~Sprite() override;

    void updateColor() override;
    void rebuildQuads();

    Texture2D* _texture = nullptr;
    Rect _rect;
    bool _rectRotated = false;
    bool _flippedX = false;
    bool _flippedY = false;
    bool _opacityModifyRGB = false;
    // Wrap modes the quads were built for; the texture's may change afterwards.
    bool _builtRepeatS = false;
    bool _builtRepeatT = false;
    BlendFunc _blendFunc = BlendFunc::ALPHA_NON_PREMULTIPLIED;
    std::string _fileName;
    std::vector<V3F_C4B_T2F_Quad> _quads;
    QuadCommand _quadCommand;
};

} // namespace cocos2d
