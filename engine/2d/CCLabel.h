#pragma once

#include <map>
#include <string>
#include <vector>

#include "2d/CCNode.h"
#include "base/CCVector.h"
#include "base/ccTypes.h"

typedef struct _TTF_Font TTF_Font;

namespace cocos2d {

class Sprite;
class Texture2D;

// Text drawn from TrueType glyphs rasterised at the content scale, one sprite
// per visible character so that single letters can be tinted or moved.
class Label : public Node {
public:
    static Label* create();
    static Label* createWithTTF(const std::string& text, const std::string& fontFilePath, float fontSize,
                                const Size& dimensions = Size::ZERO, TextHAlignment hAlignment = TextHAlignment::LEFT,
                                TextVAlignment vAlignment = TextVAlignment::TOP);
    // font is a family name resolved through fontconfig ("Arial", "Hiragino Kaku Gothic ProN").
    static Label* createWithSystemFont(const std::string& text, const std::string& font, float fontSize,
                                       const Size& dimensions = Size::ZERO,
                                       TextHAlignment hAlignment = TextHAlignment::LEFT,
                                       TextVAlignment vAlignment = TextVAlignment::TOP);
    // True when the name is a font file on the search path (.ttf, .otf, .ttc)
    // rather than a system family; fields that take either use this to choose.
    static bool isFontFile(const std::string& name);

    bool init() override;
    // False when the font file cannot be opened.
    virtual bool initWithTTF(const std::string& text, const std::string& fontFilePath, float fontSize,
                             const Size& dimensions, TextHAlignment hAlignment, TextVAlignment vAlignment);
    virtual bool initWithSystemFont(const std::string& text, const std::string& font, float fontSize,
                                    const Size& dimensions, TextHAlignment hAlignment, TextVAlignment vAlignment);

    virtual void setString(const std::string& text);
    virtual const std::string& getString() const { return _text; }
    // Letters in the string; line breaks are not letters.
    int getStringLength();
    int getStringNumLines();

    virtual void setTextColor(const Color4B& color);
    const Color4B& getTextColor() const { return _textColor; }

    // A font file (".ttf"/".otf" or any path FileUtils finds) or a family name.
    virtual bool setTTFFontFile(const std::string& fontFilePath);
    virtual void setSystemFontName(const std::string& font);
    const std::string& getSystemFontName() const { return _systemFontName; }
    const std::string& getFontFile() const { return _fontFile; }
    virtual void setSystemFontSize(float fontSize);
    float getSystemFontSize() const { return _fontSize; }
    float getFontSize() const { return _fontSize; }

    // Zero width means no wrapping, zero height means as tall as the text.
    void setDimensions(float width, float height);
    void setDimensions(const Size& dimensions) { setDimensions(dimensions.width, dimensions.height); }
    const Size& getDimensions() const { return _dimensions; }
    void setWidth(float width) { setDimensions(width, _dimensions.height); }
    float getWidth() const { return _dimensions.width; }
    void setHeight(float height) { setDimensions(_dimensions.width, height); }
    float getHeight() const { return _dimensions.height; }
    void setMaxLineWidth(float width) { setWidth(width); }
    float getMaxLineWidth() const { return _dimensions.width; }

    void setAlignment(TextHAlignment hAlignment) { setAlignment(hAlignment, _vAlignment); }
    void setAlignment(TextHAlignment hAlignment, TextVAlignment vAlignment);
    void setHorizontalAlignment(TextHAlignment hAlignment) { setAlignment(hAlignment, _vAlignment); }
    void setVerticalAlignment(TextVAlignment vAlignment) { setAlignment(_hAlignment, vAlignment); }
    TextHAlignment getTextAlignment() const { return _hAlignment; }
    TextHAlignment getHorizontalAlignment() const { return _hAlignment; }
    TextVAlignment getVerticalAlignment() const { return _vAlignment; }

    // With true, a line may break between any two letters, not only at spaces.
    void setLineBreakWithoutSpace(bool breakWithoutSpace);
    // Distance between baselines, in points.
    float getLineHeight() const;

    // The sprite of the letter at index i (spaces count, line breaks do not),
    // or null. Its colour and opacity multiply the text colour; they survive a
    // change of alignment, dimensions or text colour, not a new string.
    virtual Sprite* getLetter(int letterIndex);
    // Where a caret before the code point at index stands (the number of code
    // points: after the last), in the label's space: on the pen position, at
    // the bottom of its line, which is getLineHeight() high.
    Vec2 getCaretPoint(int index) const;
    // The text between two caret positions as one rectangle a line, in the
    // label's space, for drawing a selection.
    std::vector<Rect> getSelectionRects(int from, int to) const;

    void draw(Renderer* renderer, const Mat4& transform, uint32_t flags) override;

    std::string getTextDescription() const override { return _text; }
    bool hasTextDescription() const override { return true; }

protected:
    Label();
    ~Label() override;

    void updateColor() override;
    // Lays the string out again; glyph pictures already made are reused.
    void relayout(bool freshLetters);
    bool openFonts();
    Texture2D* glyphTexture(TTF_Font* font, char32_t codepoint);
    void clearGlyphTextures();

    std::string _text;
    std::string _fontFile;
    std::string _systemFontName;
    float _fontSize = 12.0f;
    Size _dimensions;
    TextHAlignment _hAlignment = TextHAlignment::LEFT;
    TextVAlignment _vAlignment = TextVAlignment::TOP;
    Color4B _textColor = Color4B::WHITE;
    bool _lineBreakWithoutSpace = false;
    int _numLines = 0;

    TTF_Font* _font = nullptr;
    // The faces asked in turn for a character the font lacks, each opened
    // only when some character first needs it: most labels never need one,
    // and every face open at every size costs its tables' memory.
    struct FallbackFace {
        std::string path;
        int index = 0;
        TTF_Font* font = nullptr;
        bool tried = false;
        bool operator==(const FallbackFace& o) const { return path == o.path && index == o.index; }
    };
    TTF_Font* fallbackFont(FallbackFace& face);
    std::vector<FallbackFace> _fallbacks;
    int _pixelSize = 0;
    Vector<Sprite*> _letters;
    std::vector<Vec2> _caretPoints;
    std::map<std::pair<TTF_Font*, char32_t>, Texture2D*> _glyphTextures;
};

} // namespace cocos2d
