#include "BenchEditor.h"

#include <cstdio>
#include <cstdlib>

#include "AppConstants.h"
#include "headless/HeadlessDriver.h"

USING_NS_CC;

ZelmcircuitScene* startHeadlessEditor(const char* benchName, bool returning)
{
    static char home[] = "/tmp/veloquix-bench-XXXXXX";
    if (!mkdtemp(home)) return nullptr;
    return startHeadlessEditorIn(home, benchName, returning);
}

ZelmcircuitScene* startHeadlessEditorIn(const std::string& home, const char* benchName, bool returning)
{
    setenv("VELOQUIX_HOME", home.c_str(), 1);
    HeadlessDriver::prepareEnvironment();
    Director* director = Director::getInstance();
    GLView* view = GLViewImpl::createWithRect(benchName, Rect(0, 0, 1024, 768), 1.0f);
    if (!view) {
        std::fprintf(stderr, "%s: no headless view\n", benchName);
        return nullptr;
    }
    director->setOpenGLView(view);
    view->setDesignResolutionSize(1024, 768, ResolutionPolicy::SHOW_ALL);
    director->setContentScaleFactor(2.0f);
    if (returning) {
        UserDefault::getInstance()->setBoolForKey("open", true);
        UserDefault::getInstance()->flush();
    }
    Scene* scene = Scene::create();
    ZelmcircuitScene* editor = ZelmcircuitScene::create();
    if (!editor) {
        std::fprintf(stderr, "%s: the editor did not start (run it from the build or source folder)\n", benchName);
        return nullptr;
    }
    scene->addChild(editor);
    director->runWithScene(scene);
    director->mainLoop();
    return editor;
}

void strewParts(ZelmcircuitScene* editor, int count, std::mt19937& random)
{
    std::uniform_real_distribution<float> x(40, 2008), y(40, 1496);
    std::uniform_int_distribution<int> turn(0, 7), type(0, PartTypes::count - 1);
    for (int i = 0; i < count; ++i) {
        Vec2 at(x(random), y(random));
        while (at.y > 620 && at.y < 880) at.y = y(random);
        const PartType t = type(random);
        editor->addPartToBoard(t, at, 45.0f * turn(random));
    }
}
