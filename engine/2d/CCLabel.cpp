#include "2d/CCLabel.h"

#include <SDL_ttf.h>
#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <new>

#include "2d/CCSprite.h"
#include "base/CCDirector.h"
#include "base/ccMacros.h"
#include "platform/CCFileUtils.h"
#include "renderer/CCTexture2D.h"

namespace cocos2d {

namespace {

std::u32string decodeUtf8(const std::string& text)
{
    std::u32string out;
    out.reserve(text.size());
    size_t i = 0;
    while (i < text.size()) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        int extra = c < 0x80 ? 0 : (c >> 5) == 0x6 ? 1 : (c >> 4) == 0xE ? 2 : (c >> 3) == 0x1E ? 3 : -1;
        char32_t cp = extra <= 0 ? c : extra == 1 ? (c & 0x1F) : extra == 2 ? (c & 0x0F) : (c & 0x07);
        bool valid = extra >= 0 && i + size_t(extra) < text.size();
        for (int k = 1; valid && k <= extra; ++k) {
            unsigned char cc = static_cast<unsigned char>(text[i + size_t(k)]);
            valid = (cc & 0xC0) == 0x80;
            cp = (cp << 6) | (cc & 0x3F);
        }
        if (!valid) {
            // A stray byte shows as a replacement character instead of eating its neighbours.
            out.push_back(0xFFFD);
            ++i;
            continue;
        }
        out.push_back(cp);
        i += size_t(extra) + 1;
    }
    return out;
}

bool isCJK(char32_t c)
{
    return (c >= 0x2E80 && c <= 0x9FFF) || (c >= 0xAC00 && c <= 0xD7AF) || (c >= 0xF900 && c <= 0xFAFF) ||
           (c >= 0xFF00 && c <= 0xFFEF) || (c >= 0x20000 && c <= 0x2FFFF);
}

bool isBlank(char32_t c) { return c == ' ' || c == '\t' || c == 0x3000 || c == 0xA0; }

struct FontFace {
    std::string path;
    int index = 0;
    bool operator<(const FontFace& o) const { return path != o.path ? path < o.path : index < o.index; }
    bool operator==(const FontFace& o) const { return path == o.path && index == o.index; }
};

// Faces stay open for the life of the process: labels come and go far more
// often than fonts, and a face is shared by every label of its size. The
// caches are never destroyed, so a label freed during exit still finds them.
TTF_Font* openFace(const FontFace& face, int pixelSize)
{
    static auto& cache = *new std::map<std::pair<FontFace, int>, TTF_Font*>();
    auto key = std::make_pair(face, pixelSize);
    auto it = cache.find(key);
    if (it != cache.end()) return it->second;
    if (!TTF_WasInit()) TTF_Init();
    TTF_Font* font = TTF_OpenFontIndex(face.path.c_str(), pixelSize, face.index);
    if (!font) std::fprintf(stderr, "Label: cannot open font %s: %s\n", face.path.c_str(), TTF_GetError());
    cache[key] = font;
    return font;
}

bool fontconfigReady()
{
    static bool ready = FcInit() == FcTrue;
    return ready;
}

FontFace faceFromPattern(FcPattern* match)
{
    FontFace face;
    FcChar8* file = nullptr;
    if (match && FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch && file) {
        face.path = reinterpret_cast<const char*>(file);
        int index = 0;
        if (FcPatternGetInteger(match, FC_INDEX, 0, &index) == FcResultMatch) face.index = index;
    }
    return face;
}

// The installed face fontconfig picks for a family name; it always answers
// with something close when the family itself is missing.
FontFace resolveFamily(const std::string& family)
{
    static auto& cache = *new std::map<std::string, FontFace>();
    auto it = cache.find(family);
    if (it != cache.end()) return it->second;
    FontFace face;
    if (fontconfigReady()) {
        FcPattern* pattern = FcPatternCreate();
        FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
        FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
        FcDefaultSubstitute(pattern);
        FcResult result = FcResultNoMatch;
        FcPattern* match = FcFontMatch(nullptr, pattern, &result);
        face = faceFromPattern(match);
        if (match) FcPatternDestroy(match);
        FcPatternDestroy(pattern);
    }
    cache[family] = face;
    return face;
}

// A face that really holds the character, for glyphs no chained face has.
FontFace faceForCharacter(char32_t c)
{
    static auto& cache = *new std::map<char32_t, FontFace>();
    auto it = cache.find(c);
    if (it != cache.end()) return it->second;
    FontFace face;
    if (fontconfigReady()) {
        FcPattern* pattern = FcPatternCreate();
        FcCharSet* charset = FcCharSetCreate();
        FcCharSetAddChar(charset, FcChar32(c));
        FcPatternAddCharSet(pattern, FC_CHARSET, charset);
        FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
        FcDefaultSubstitute(pattern);
        FcResult result = FcResultNoMatch;
        FcPattern* match = FcFontMatch(nullptr, pattern, &result);
        FcCharSet* has = nullptr;
        if (match && FcPatternGetCharSet(match, FC_CHARSET, 0, &has) == FcResultMatch && has &&
            FcCharSetHasChar(has, FcChar32(c))) {
            face = faceFromPattern(match);
        }
        if (match) FcPatternDestroy(match);
        FcCharSetDestroy(charset);
        FcPatternDestroy(pattern);
    }
    cache[c] = face;
    return face;
}

// Latin first, then Japanese, so circuit names typed in either script render.
const char* const kFallbackFamilies[] = {"IPAGothic",       "IPAPGothic", "Noto Sans CJK JP", "VL Gothic",
                                         "Liberation Sans", "DejaVu Sans"};

float contentScale()
{
    float scale = Director::getInstance()->getContentScaleFactor();
    return scale > 0.0f ? scale : 1.0f;
}

bool looksLikeFontFile(const std::string& name)
{
    auto endsWith = [&](const char* suffix) {
        std::string s(suffix);
        if (name.size() < s.size()) return false;
        std::string tail = name.substr(name.size() - s.size());
        std::transform(tail.begin(), tail.end(), tail.begin(), [](unsigned char ch) { return std::tolower(ch); });
        return tail == s;
    };
    return endsWith(".ttf") || endsWith(".otf") || endsWith(".ttc");
}

struct Item {
    char32_t c = 0;
    size_t index = 0; // of the code point in the string
    bool lineBreak = false;
    TTF_Font* font = nullptr;
    int kern = 0;
    int advance = 0;
    int minx = 0;
    int maxx = 0;
    int maxy = 0;
};

} // namespace

Label::Label() = default;

Label::~Label()
{
    for (Sprite* letter : _letters) letter->setParent(nullptr);
    _letters.clear();
    clearGlyphTextures();
}

bool Label::isFontFile(const std::string& name)
{
    std::string lower = name;
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
    auto endsWith = [&](const std::string& suffix) {
        return lower.size() >= suffix.size() && lower.compare(lower.size() - suffix.size(), suffix.size(), suffix) == 0;
    };
    return (endsWith(".ttf") || endsWith(".otf") || endsWith(".ttc")) &&
           !FileUtils::getInstance()->fullPathForFilename(name).empty();
}

Label* Label::create()
{
    Label* label = new (std::nothrow) Label();
    if (label && label->init()) {
        label->autorelease();
        return label;
    }
    delete label;
    return nullptr;
}

Label* Label::createWithTTF(const std::string& text, const std::string& fontFilePath, float fontSize,
                            const Size& dimensions, TextHAlignment hAlignment, TextVAlignment vAlignment)
{
    Label* label = new (std::nothrow) Label();
    if (label && label->init() && label->initWithTTF(text, fontFilePath, fontSize, dimensions, hAlignment, vAlignment)) {
        label->autorelease();
        return label;
    }
    delete label;
    return nullptr;
}

Label* Label::createWithSystemFont(const std::string& text, const std::string& font, float fontSize,
                                   const Size& dimensions, TextHAlignment hAlignment, TextVAlignment vAlignment)
{
    Label* label = new (std::nothrow) Label();
    if (label && label->init() &&
        label->initWithSystemFont(text, font, fontSize, dimensions, hAlignment, vAlignment)) {
        label->autorelease();
        return label;
    }
    delete label;
    return nullptr;
}

bool Label::init()
{
    if (!Node::init()) return false;
    setAnchorPoint(Vec2(0.5f, 0.5f));
    if (_systemFontName.empty() && _fontFile.empty()) _systemFontName = "Arial";
    return true;
}

bool Label::initWithTTF(const std::string& text, const std::string& fontFilePath, float fontSize,
                        const Size& dimensions, TextHAlignment hAlignment, TextVAlignment vAlignment)
{
    _fontFile = fontFilePath;
    _systemFontName.clear();
    _fontSize = fontSize;
    _dimensions = dimensions;
    _hAlignment = hAlignment;
    _vAlignment = vAlignment;
    _text = text;
    if (!openFonts()) return false;
    relayout(true);
    return true;
}

bool Label::initWithSystemFont(const std::string& text, const std::string& font, float fontSize,
                               const Size& dimensions, TextHAlignment hAlignment, TextVAlignment vAlignment)
{
    _fontFile.clear();
    _systemFontName = font;
    _fontSize = fontSize;
    _dimensions = dimensions;
    _hAlignment = hAlignment;
    _vAlignment = vAlignment;
    _text = text;
    if (!openFonts()) return false;
    relayout(true);
    return true;
}

bool Label::openFonts()
{
    int pixelSize = std::max(1, int(std::lround(_fontSize * contentScale())));
    FontFace primary;
    if (!_fontFile.empty()) {
        primary.path = FileUtils::getInstance()->fullPathForFilename(_fontFile);
        if (primary.path.empty()) {
            std::fprintf(stderr, "Label: font file %s not found\n", _fontFile.c_str());
            return false;
        }
    } else {
        primary = resolveFamily(_systemFontName);
    }
    TTF_Font* font = primary.path.empty() ? nullptr : openFace(primary, pixelSize);
    std::vector<FallbackFace> fallbacks;
    std::vector<FontFace> seen{primary};
    for (const char* family : kFallbackFamilies) {
        FontFace face = resolveFamily(family);
        if (face.path.empty() || std::find(seen.begin(), seen.end(), face) != seen.end()) continue;
        seen.push_back(face);
        fallbacks.push_back({face.path, face.index, nullptr, false});
    }
    if (!font) {
        // A file we were given must open; a family name may fall through the
        // chain to the first face that opens, which then leads it.
        if (!_fontFile.empty()) return false;
        while (!font && !fallbacks.empty()) {
            font = openFace({fallbacks.front().path, fallbacks.front().index}, pixelSize);
            fallbacks.erase(fallbacks.begin());
        }
        if (!font) return false;
    }
    if (font != _font || pixelSize != _pixelSize || fallbacks != _fallbacks) clearGlyphTextures();
    _font = font;
    _pixelSize = pixelSize;
    _fallbacks = std::move(fallbacks);
    return true;
}

TTF_Font* Label::fallbackFont(FallbackFace& face)
{
    if (!face.tried) {
        face.font = openFace({face.path, face.index}, _pixelSize);
        face.tried = true;
    }
    return face.font;
}

void Label::clearGlyphTextures()
{
    for (auto& entry : _glyphTextures) CC_SAFE_RELEASE(entry.second);
    _glyphTextures.clear();
}

Texture2D* Label::glyphTexture(TTF_Font* font, char32_t codepoint)
{
    auto key = std::make_pair(font, codepoint);
    auto it = _glyphTextures.find(key);
    if (it != _glyphTextures.end()) return it->second;
    Texture2D* texture = nullptr;
    SDL_Color color{_textColor.r, _textColor.g, _textColor.b, 255};
    if (SDL_Surface* glyph = TTF_RenderGlyph32_Blended(font, Uint32(codepoint), color)) {
        SDL_Surface* rgba = SDL_ConvertSurfaceFormat(glyph, SDL_PIXELFORMAT_RGBA32, 0);
        SDL_FreeSurface(glyph);
        if (rgba && _textColor.a < 255) {
            SDL_LockSurface(rgba);
            for (int y = 0; y < rgba->h; ++y) {
                Uint8* row = static_cast<Uint8*>(rgba->pixels) + y * rgba->pitch;
                for (int x = 0; x < rgba->w; ++x) row[x * 4 + 3] = Uint8(row[x * 4 + 3] * _textColor.a / 255);
            }
            SDL_UnlockSurface(rgba);
        }
        if (rgba) {
            texture = new (std::nothrow) Texture2D();
            if (!texture || !texture->initWithSurface(rgba)) {
                if (!texture) SDL_FreeSurface(rgba);
                CC_SAFE_RELEASE(texture);
                texture = nullptr;
            }
        }
    }
    _glyphTextures[key] = texture;
    return texture;
}

void Label::setString(const std::string& text)
{
    if (text == _text) return;
    _text = text;
    relayout(true);
}

int Label::getStringLength() { return int(_letters.size()); }

int Label::getStringNumLines() { return _numLines; }

void Label::setTextColor(const Color4B& color)
{
    if (color == _textColor) return;
    _textColor = color;
    clearGlyphTextures();
    relayout(false);
}

bool Label::setTTFFontFile(const std::string& fontFilePath)
{
    std::string oldFile = _fontFile, oldFamily = _systemFontName;
    _fontFile = fontFilePath;
    _systemFontName.clear();
    if (!openFonts()) {
        _fontFile = oldFile;
        _systemFontName = oldFamily;
        openFonts();
        return false;
    }
    relayout(false);
    return true;
}

void Label::setSystemFontName(const std::string& font)
{
    if (looksLikeFontFile(font) && !FileUtils::getInstance()->fullPathForFilename(font).empty()) {
        setTTFFontFile(font);
        return;
    }
    if (_fontFile.empty() && font == _systemFontName && _font) return;
    _fontFile.clear();
    _systemFontName = font;
    if (openFonts()) relayout(false);
}

void Label::setSystemFontSize(float fontSize)
{
    if (fontSize == _fontSize && _font) return;
    _fontSize = fontSize;
    if (openFonts()) relayout(false);
}

void Label::setDimensions(float width, float height)
{
    if (width == _dimensions.width && height == _dimensions.height) return;
    _dimensions = Size(width, height);
    relayout(false);
}

void Label::setAlignment(TextHAlignment hAlignment, TextVAlignment vAlignment)
{
    if (hAlignment == _hAlignment && vAlignment == _vAlignment) return;
    _hAlignment = hAlignment;
    _vAlignment = vAlignment;
    relayout(false);
}

void Label::setLineBreakWithoutSpace(bool breakWithoutSpace)
{
    if (breakWithoutSpace == _lineBreakWithoutSpace) return;
    _lineBreakWithoutSpace = breakWithoutSpace;
    relayout(false);
}

float Label::getLineHeight() const { return _font ? TTF_FontLineSkip(_font) / contentScale() : 0.0f; }

Vec2 Label::getCaretPoint(int index) const
{
    if (_caretPoints.empty()) return Vec2::ZERO;
    return _caretPoints[size_t(std::clamp(index, 0, int(_caretPoints.size()) - 1))];
}

std::vector<Rect> Label::getSelectionRects(int from, int to) const
{
    std::vector<Rect> rects;
    if (_caretPoints.empty() || from >= to) return rects;
    const int last = int(_caretPoints.size()) - 1;
    from = std::clamp(from, 0, last);
    to = std::clamp(to, from, last);
    const float height = getLineHeight();
    for (int i = from; i <= to; ++i) {
        const Vec2& p = _caretPoints[size_t(i)];
        if (rects.empty() || std::fabs(rects.back().origin.y - p.y) > 0.01f) {
            rects.emplace_back(p.x, p.y, 0.0f, height);
            continue;
        }
        Rect& line = rects.back();
        float left = std::min(line.getMinX(), p.x), right = std::max(line.getMaxX(), p.x);
        line.origin.x = left;
        line.size.width = right - left;
    }
    rects.erase(std::remove_if(rects.begin(), rects.end(), [](const Rect& r) { return r.size.width <= 0.0f; }),
                rects.end());
    return rects;
}

Sprite* Label::getLetter(int letterIndex)
{
    if (letterIndex < 0 || letterIndex >= _letters.size()) return nullptr;
    return _letters.at(letterIndex);
}

void Label::relayout(bool freshLetters)
{
    // A label made with create() gets its default face on first use.
    if (!_font && !openFonts()) return;
    const float scale = contentScale();
    std::u32string chars = decodeUtf8(_text);

    // Measure every character in the face that has it.
    std::vector<Item> items;
    items.reserve(chars.size());
    for (size_t i = 0; i < chars.size(); ++i) {
        char32_t c = chars[i];
        Item item;
        item.c = c;
        item.index = i;
        if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < chars.size() && chars[i + 1] == '\n') ++i;
            item.lineBreak = true;
            items.push_back(item);
            continue;
        }
        char32_t shaped = c == '\t' ? U' ' : c;
        TTF_Font* font = _font;
        if (!TTF_GlyphIsProvided32(_font, Uint32(shaped))) {
            font = nullptr;
            for (FallbackFace& face : _fallbacks) {
                TTF_Font* f = fallbackFont(face);
                if (f && TTF_GlyphIsProvided32(f, Uint32(shaped))) {
                    font = f;
                    break;
                }
            }
            if (!font) {
                FontFace face = faceForCharacter(shaped);
                int pixelSize = std::max(1, int(std::lround(_fontSize * scale)));
                TTF_Font* f = face.path.empty() ? nullptr : openFace(face, pixelSize);
                font = f ? f : _font;
            }
        }
        item.font = font;
        int minx = 0, maxx = 0, miny = 0, maxy = 0, advance = 0;
        TTF_GlyphMetrics32(font, Uint32(shaped), &minx, &maxx, &miny, &maxy, &advance);
        item.advance = advance;
        item.minx = minx;
        item.maxx = maxx;
        item.maxy = maxy;
        if (!items.empty() && !items.back().lineBreak && items.back().font == font) {
            item.kern = TTF_GetFontKerningSizeGlyphs32(font, Uint32(items.back().c), Uint32(shaped));
        }
        items.push_back(item);
    }

    // Break into lines: at explicit breaks, and inside the width after blanks,
    // around CJK characters, or anywhere when asked to; a word wider than the
    // line is broken between letters.
    const int maxWidth = _dimensions.width > 0.0f ? int(std::floor(_dimensions.width * scale)) : 0;
    std::vector<std::vector<const Item*>> lines(1);
    // The line each explicit break ends, by the break's code point.
    std::vector<std::pair<size_t, size_t>> breaks;
    auto breakableBefore = [&](const std::vector<const Item*>& line, size_t k, const Item* next) {
        const Item* before = line[k - 1];
        const Item* after = k < line.size() ? line[k] : next;
        return _lineBreakWithoutSpace || isBlank(before->c) || isCJK(before->c) || isCJK(after->c);
    };
    auto extent = [](const std::vector<const Item*>& line) {
        int pen = 0, width = 0;
        for (size_t k = 0; k < line.size(); ++k) {
            const Item* item = line[k];
            if (k > 0) pen += item->kern;
            if (!isBlank(item->c)) width = pen + std::max(item->advance, item->maxx);
            pen += item->advance;
        }
        return std::make_pair(pen, width);
    };
    int pen = 0;
    for (const Item& item : items) {
        auto& line = lines.back();
        if (item.lineBreak) {
            breaks.emplace_back(item.index, lines.size() - 1);
            lines.emplace_back();
            pen = 0;
            continue;
        }
        int kern = line.empty() ? 0 : item.kern;
        if (maxWidth > 0 && !line.empty() && !isBlank(item.c) &&
            pen + kern + std::max(item.advance, item.maxx) > maxWidth) {
            size_t cut = line.size();
            for (size_t k = line.size(); k > 0; --k) {
                if (breakableBefore(line, k, &item)) {
                    cut = k;
                    break;
                }
            }
            std::vector<const Item*> rest(line.begin() + long(cut), line.end());
            line.resize(cut);
            lines.push_back(std::move(rest));
            pen = extent(lines.back()).first;
            kern = lines.back().empty() ? 0 : item.kern;
        }
        lines.back().push_back(&item);
        pen += kern + item.advance;
    }
    if (items.empty()) lines.clear();
    _numLines = int(lines.size());

    const int lineSkip = TTF_FontLineSkip(_font);
    const int ascent = TTF_FontAscent(_font);
    std::vector<int> lineWidths;
    int textWidth = 0;
    for (auto& line : lines) {
        lineWidths.push_back(extent(line).second);
        textWidth = std::max(textWidth, lineWidths.back());
    }
    int textHeight = lineSkip * int(lines.size());
    // Even pixel sizes keep a centred label on whole pixels at a scale of 2.
    textWidth += textWidth % 2;
    textHeight += textHeight % 2;

    Size size(_dimensions.width > 0.0f ? _dimensions.width : textWidth / scale,
              _dimensions.height > 0.0f ? _dimensions.height : textHeight / scale);
    const float boxWidth = size.width * scale;
    const float boxHeight = size.height * scale;
    int top = 0;
    if (_vAlignment == TextVAlignment::CENTER) top = int(std::lround((boxHeight - textHeight) * 0.5f));
    if (_vAlignment == TextVAlignment::BOTTOM) top = int(std::lround(boxHeight - textHeight));

    if (freshLetters) {
        for (Sprite* letter : _letters) letter->setParent(nullptr);
        _letters.clear();
    }
    // A caret stop for every code point and one after the last, on the pen
    // position; a stop the layout does not reach (the second half of "\r\n")
    // takes the one after it.
    const size_t kUnset = size_t(-1);
    std::vector<std::pair<int, size_t>> stops(chars.size() + 1, std::make_pair(0, kUnset));
    auto alignedLeft = [&](int lineWidth) {
        if (_hAlignment == TextHAlignment::CENTER) return int(std::lround((boxWidth - lineWidth) * 0.5f));
        if (_hAlignment == TextHAlignment::RIGHT) return int(std::lround(boxWidth - lineWidth));
        return 0;
    };
    std::vector<int> lineEnds;
    size_t index = 0;
    for (size_t l = 0; l < lines.size(); ++l) {
        int left = alignedLeft(lineWidths[l]);
        int baseline = top + int(l) * lineSkip + ascent;
        int x = 0;
        for (size_t k = 0; k < lines[l].size(); ++k, ++index) {
            const Item* item = lines[l][k];
            if (k > 0) x += item->kern;
            stops[item->index] = std::make_pair(left + x, l);
            Texture2D* texture = isBlank(item->c) ? nullptr : glyphTexture(item->font, item->c);
            Sprite* letter = index < size_t(_letters.size()) ? _letters.at(long(index)) : nullptr;
            if (!letter) {
                letter = Sprite::create();
                _letters.pushBack(letter);
                letter->setParent(this);
                letter->updateDisplayedColor(_displayedColor);
                letter->updateDisplayedOpacity(_displayedOpacity);
            }
            letter->setTexture(texture);
            float pxLeft, pxTop, pxWidth, pxHeight;
            if (texture) {
                pxWidth = float(texture->getPixelsWide());
                pxHeight = float(texture->getPixelsHigh());
                pxLeft = float(left + x + std::min(0, item->minx));
                pxTop = float(baseline - std::max(TTF_FontAscent(item->font), item->maxy));
                letter->setTextureRect(Rect(0, 0, pxWidth / scale, pxHeight / scale));
            } else {
                pxWidth = float(item->advance);
                pxHeight = float(lineSkip);
                pxLeft = float(left + x);
                pxTop = float(baseline - ascent);
                letter->setTextureRect(Rect(0, 0, pxWidth / scale, pxHeight / scale));
            }
            letter->setPosition(Vec2((pxLeft + pxWidth * 0.5f) / scale, size.height - (pxTop + pxHeight * 0.5f) / scale));
            x += item->advance;
        }
        lineEnds.push_back(left + x);
    }
    for (const auto& lineBreak : breaks) stops[lineBreak.first] = std::make_pair(lineEnds[lineBreak.second], lineBreak.second);
    stops.back() = lines.empty() ? std::make_pair(alignedLeft(0), size_t(0))
                                 : std::make_pair(lineEnds.back(), lines.size() - 1);
    _caretPoints.assign(stops.size(), Vec2::ZERO);
    for (size_t i = stops.size(); i-- > 0;) {
        if (stops[i].second == kUnset) stops[i] = stops[i + 1];
        _caretPoints[i] = Vec2(stops[i].first / scale, size.height - (top + int(stops[i].second + 1) * lineSkip) / scale);
    }
    while (size_t(_letters.size()) > index) {
        _letters.back()->setParent(nullptr);
        _letters.popBack();
    }
    setContentSize(size);
}

void Label::updateColor()
{
    for (Sprite* letter : _letters) {
        letter->updateDisplayedColor(_displayedColor);
        letter->updateDisplayedOpacity(_displayedOpacity);
    }
}

void Label::draw(Renderer* renderer, const Mat4& transform, uint32_t flags)
{
    for (Sprite* letter : _letters) letter->visit(renderer, transform, flags);
}

} // namespace cocos2d
