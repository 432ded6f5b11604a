#include "headless/HeadlessDriver.h"

#include <SDL.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <sstream>

#include "2d/CCNode.h"
#include "2d/CCSprite.h"
#include "base/CCClock.h"
#include "base/CCDirector.h"
#include "platform/CCGLView.h"
#include "platform/CCFileUtils.h"
#include "platform/CCImage.h"
#include "renderer/CCTexture2D.h"
#include "storage/CCUserDefault.h"

namespace cocos2d {

namespace {
std::map<int, Vec2> activeTouches;

GLView* view() { return Director::getInstance()->getOpenGLView(); }

std::string number(float value)
{
    if (std::fabs(value) < 0.0005f) value = 0.0f;
    char buffer[48];
    std::snprintf(buffer, sizeof(buffer), "%.3f", value);
    std::string text = buffer;
    while (!text.empty() && text.back() == '0') text.pop_back();
    if (!text.empty() && text.back() == '.') text.pop_back();
    return text;
}

// A sprite made from a texture names the file the texture was read from, as
// one made from the file itself does; a texture made in memory names none.
std::string pictureFile(Node* node)
{
    std::string file = node->getResourceDescription();
    if (!file.empty()) return file;
    auto* sprite = dynamic_cast<Sprite*>(node);
    Texture2D* texture = sprite ? sprite->getTexture() : nullptr;
    if (!texture || texture->getPath().empty()) return file;
    if (!FileUtils::getInstance()->isFileExist(texture->getPath())) return file;
    return texture->getPath();
}

void dumpNode(Node* node, int depth, std::ostringstream& out)
{
    out << std::string(size_t(depth) * 2, ' ') << node->getDescription();
    if (!node->getName().empty()) out << " name=\"" << HeadlessDriver::jsonEscape(node->getName()) << "\"";
    const Vec2& pos = node->getPosition();
    const Size& size = node->getContentSize();
    const Vec2& anchor = node->getAnchorPoint();
    out << " pos=(" << number(pos.x) << "," << number(pos.y) << ")";
    out << " size=(" << number(size.width) << "," << number(size.height) << ")";
    out << " anchor=(" << number(anchor.x) << "," << number(anchor.y) << ")";
    out << " rot=" << number(node->getRotation());
    if (node->getScaleX() == node->getScaleY()) {
        out << " scale=" << number(node->getScaleX());
    } else {
        out << " scale=(" << number(node->getScaleX()) << "," << number(node->getScaleY()) << ")";
    }
    const Color3B& color = node->getColor();
    out << " opacity=" << int(node->getOpacity());
    out << " color=(" << int(color.r) << "," << int(color.g) << "," << int(color.b) << ")";
    out << " visible=" << (node->isVisible() ? 1 : 0);
    out << " z=" << node->getLocalZOrder();
    std::string file = pictureFile(node);
    if (!file.empty()) out << " file=\"" << HeadlessDriver::jsonEscape(file) << "\"";
    if (node->hasTextDescription()) out << " text=\"" << HeadlessDriver::jsonEscape(node->getTextDescription()) << "\"";
    out << "\n";
    node->sortAllChildren();
    for (Node* child : node->getChildren()) dumpNode(child, depth + 1, out);
}
} // namespace

void HeadlessDriver::prepareEnvironment()
{
    const char* driver = std::getenv("SDL_VIDEODRIVER");
    if (!driver || (std::string(driver) != "dummy" && std::string(driver) != "offscreen")) {
        setenv("SDL_VIDEODRIVER", "dummy", 1);
    }
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    EngineClock::useManualClock(true);
    Director::setScreenDrawnOnDemand(true);
    activeTouches.clear();
}

void HeadlessDriver::frame()
{
    EngineClock::advance(kFrame);
    Director::getInstance()->mainLoop();
}

void HeadlessDriver::advance(double seconds)
{
    long frames = std::lround(seconds / kFrame);
    if (frames == 0 && seconds > 0) frames = 1;
    for (long i = 0; i < frames; ++i) frame();
}

void HeadlessDriver::sendTouch(int phase, int id, const Vec2& point)
{
    GLView* glview = view();
    if (!glview) return;
    Vec2 pixel = glview->designToWindow(point);
    intptr_t ids[1] = {id};
    float xs[1] = {pixel.x};
    float ys[1] = {pixel.y};
    switch (phase) {
    case 0:
        glview->handleTouchesBegin(1, ids, xs, ys);
        break;
    case 1:
        glview->handleTouchesMove(1, ids, xs, ys);
        break;
    case 2:
        glview->handleTouchesEnd(1, ids, xs, ys);
        break;
    default:
        glview->handleTouchesCancel(1, ids, xs, ys);
        break;
    }
}

Vec2 HeadlessDriver::lastPoint(int id) const
{
    auto it = activeTouches.find(id);
    return it == activeTouches.end() ? Vec2::ZERO : it->second;
}

void HeadlessDriver::touchDown(int id, const Vec2& point)
{
    activeTouches[id] = point;
    sendTouch(0, id, point);
}

void HeadlessDriver::touchMove(int id, const Vec2& point)
{
    activeTouches[id] = point;
    sendTouch(1, id, point);
}

void HeadlessDriver::touchUp(int id)
{
    Vec2 point = lastPoint(id);
    activeTouches.erase(id);
    sendTouch(2, id, point);
}

void HeadlessDriver::touchCancel(int id)
{
    Vec2 point = lastPoint(id);
    activeTouches.erase(id);
    sendTouch(3, id, point);
}

void HeadlessDriver::wheel(float dy, const Vec2& point)
{
    GLView* glview = view();
    if (!glview) return;
    Vec2 pixel = glview->designToWindow(point);
    glview->handleMouseWheel(pixel.x, pixel.y, 0.0f, dy / 0.1f);
}

void HeadlessDriver::typeText(const std::string& utf8)
{
    if (GLView* glview = view()) glview->handleTextInput(utf8);
}

bool HeadlessDriver::key(const std::string& name)
{
    GLView* glview = view();
    std::string rest = name;
    uint16_t mods = 0;
    for (;;) {
        if (rest.rfind("Ctrl+", 0) == 0) {
            mods |= KMOD_LCTRL;
            rest = rest.substr(5);
        } else if (rest.rfind("Shift+", 0) == 0) {
            mods |= KMOD_LSHIFT;
            rest = rest.substr(6);
        } else {
            break;
        }
    }
    SDL_Keycode code = SDL_GetKeyFromName(rest.c_str());
    if (code == SDLK_UNKNOWN) return false;
    if (glview) {
        glview->handleKeyDown(code, mods);
        glview->handleKeyUp(code, mods);
    }
    return true;
}

Image* HeadlessDriver::capture()
{
    GLView* glview = view();
    if (!glview) return nullptr;
    if (Director::isScreenDrawnOnDemand()) Director::getInstance()->drawScreenNow();
    return glview->captureFrame();
}

std::string HeadlessDriver::dumpTree(Node* root)
{
    std::ostringstream out;
    if (root) dumpNode(root, 0, out);
    return out.str();
}

std::string HeadlessDriver::jsonEscape(const std::string& text)
{
    std::string out;
    for (unsigned char c : text) {
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (c < 0x20) {
                char buffer[8];
                std::snprintf(buffer, sizeof(buffer), "\\u%04x", c);
                out += buffer;
            } else {
                out += char(c);
            }
        }
    }
    return out;
}

std::string HeadlessDriver::dumpStore()
{
    std::string out = "{";
    bool first = true;
    for (const auto& entry : UserDefault::getInstance()->getAllEntries()) {
        if (!first) out += ",";
        first = false;
        out += "\"" + jsonEscape(entry.first) + "\":\"" + jsonEscape(entry.second) + "\"";
    }
    out += "}";
    return out;
}

} // namespace cocos2d
