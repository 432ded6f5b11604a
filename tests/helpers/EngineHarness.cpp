#include "EngineHarness.h"

#include <SDL.h>
#include <ftw.h>
#include <unistd.h>

#include <cstdlib>
#include <stdexcept>
#include <utility>

USING_NS_CC;

std::string makeTemporaryHome(const std::string& parent)
{
    std::string pattern = parent + "/veloquix-test-XXXXXX";
    if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    std::string home = pattern + "/home";
    setenv("VELOQUIX_HOME", home.c_str(), 1);
    FileUtils::destroyInstance();
    UserDefault::destroyInstance();
    return home;
}

void removeTree(const std::string& path)
{
    nftw(
        path.c_str(), [](const char* p, const struct stat*, int, struct FTW*) { return ::remove(p); }, 16,
        FTW_DEPTH | FTW_PHYS);
}

void skipLeakScanAtExit()
{
    const char* options = std::getenv("ASAN_OPTIONS");
    setenv("ASAN_OPTIONS", (std::string(options ? options : "") + ":detect_leaks=0").c_str(), 1);
}

EngineHarness::EngineHarness(int windowW, int windowH)
{
    prepareEnvironment();
    _home = makeTemporaryHome();
    Director* d = Director::getInstance();
    GLView* view = GLViewImpl::createWithRect("test", Rect(0, 0, float(windowW), float(windowH)), 1.0f);
    if (!view) throw std::runtime_error("no headless view");
    d->setOpenGLView(view);
    view->setDesignResolutionSize(1024, 768, ResolutionPolicy::SHOW_ALL);
    d->setContentScaleFactor(2.0f);
    d->setDisplayStats(false);
    _scene = Scene::create();
    d->runWithScene(_scene);
    frame();
}

EngineHarness::~EngineHarness()
{
    Director::destroyInstance();
    UserDefault::destroyInstance();
    FileUtils::destroyInstance();
    std::string parent = _home.substr(0, _home.rfind('/'));
    removeTree(parent);
}

Color4B EngineHarness::pixelAt(Image* image, int x, int y)
{
    const unsigned char* p = image->getData() + y * image->getSurface()->pitch + x * 4;
    return Color4B(p[0], p[1], p[2], p[3]);
}

void CommandNode::draw(Renderer* renderer, const Mat4&, uint32_t)
{
    command.init(_globalZOrder);
    command.func = action;
    renderer->addCommand(&command);
}

CommandNode* CommandNode::make(std::function<void()> action)
{
    auto* node = new CommandNode();
    node->action = std::move(action);
    node->autorelease();
    return node;
}
