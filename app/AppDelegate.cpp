#include "AppDelegate.h"

#include "AppConstants.h"
#include "WindowPlacement.h"
#include "ZelmcircuitScene.h"

USING_NS_CC;

AppDelegate::AppDelegate() = default;

AppDelegate::~AppDelegate() = default;

void AppDelegate::initGLContextAttrs()
{
    GLContextAttrs attrs = {8, 8, 8, 8, 24, 8};
    GLView::setGLContextAttrs(attrs);
}

bool AppDelegate::applicationDidFinishLaunching()
{
    Director* director = Director::getInstance();
    GLView* glview = director->getOpenGLView();
    if (!glview) {
        std::string error;
        if (GLViewImpl::initVideo(&error) && !GLViewImpl::isHeadless()) {
            // Where the window was at the last exit, checked against the
            // displays present; at the first launch as large as fits.
            std::string kept = UserDefault::getInstance()->getStringForKey(veloquix::kWindowPlacementKey);
            glview = GLViewImpl::createWithPlacement(
                veloquix::kWindowTitle,
                veloquix::choosePlacement(kept, GLViewImpl::getDisplayUsableBounds(), veloquix::kDesignSize));
        } else {
            // Headless runs draw at the design size and keep nothing of a window.
            glview = GLViewImpl::createWithRect(veloquix::kWindowTitle,
                                                Rect(0, 0, veloquix::kDesignSize.width, veloquix::kDesignSize.height),
                                                1.0f);
        }
        // Without a window there is nothing to run; the engine has said why.
        if (!glview) return false;
        director->setOpenGLView(glview);
    }
    director->setDisplayStats(true);
    director->setAnimationInterval(1.0f / 60.0f);
    glview->setDesignResolutionSize(veloquix::kDesignSize.width, veloquix::kDesignSize.height,
                                    ResolutionPolicy::SHOW_ALL);
    director->setContentScaleFactor(2.0f);

    FileUtils* files = FileUtils::getInstance();
    std::string thumbnails = files->getWritablePath() + veloquix::kThumbnailFolder;
    if (!files->isDirectoryExist(thumbnails)) files->createDirectory(thumbnails);

    Scene* scene = Scene::create();
    if (ZelmcircuitScene* editor = ZelmcircuitScene::create()) scene->addChild(editor);
    director->runWithScene(scene);
    return true;
}

void AppDelegate::applicationWillTerminate()
{
    auto* window = dynamic_cast<GLViewImpl*>(Director::getInstance()->getOpenGLView());
    if (!window || GLViewImpl::isHeadless()) return;
    std::string placement = veloquix::encodePlacement(window->getPlacement());
    UserDefault* store = UserDefault::getInstance();
    if (store->getStringForKey(veloquix::kWindowPlacementKey) == placement) return;
    store->setStringForKey(veloquix::kWindowPlacementKey, placement);
    store->flush();
}

void AppDelegate::applicationDidEnterBackground() { Director::getInstance()->stopAnimation(); }

void AppDelegate::applicationWillEnterForeground() { Director::getInstance()->startAnimation(); }
