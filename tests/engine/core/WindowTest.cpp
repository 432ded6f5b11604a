#include <SDL.h>
#include <gtest/gtest.h>

#include "EngineHarness.h"

USING_NS_CC;

namespace {

void pressKey(SDL_Keycode key, bool repeat)
{
    SDL_Event e{};
    e.type = SDL_KEYDOWN;
    e.key.keysym.sym = key;
    e.key.repeat = repeat ? 1 : 0;
    e.key.windowID = SDL_GetWindowID(Director::getInstance()->getOpenGLView()->getWindow());
    SDL_PushEvent(&e);
}

} // namespace

TEST(Window, F11SwitchesFullScreenAndTheNormalSizeIsKept)
{
    EngineHarness h(800, 600);
    auto* view = dynamic_cast<GLViewImpl*>(h.director()->getOpenGLView());
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->getPlacement().bounds.size, Size(800, 600));

    SDL_SetWindowSize(view->getWindow(), 900, 675);
    view->pollEvents();
    EXPECT_EQ(view->getPlacement().bounds.size, Size(900, 675));
    EXPECT_EQ(view->getFrameSize(), Size(900, 675));

    pressKey(SDLK_F11, false);
    view->pollEvents();
    ASSERT_TRUE(view->isFullscreen());
    WindowPlacement full = view->getPlacement();
    EXPECT_TRUE(full.fullscreen);
    EXPECT_EQ(full.bounds.size, Size(900, 675));
    // Held down, the key repeats without switching back and forth.
    pressKey(SDLK_F11, true);
    view->pollEvents();
    EXPECT_TRUE(view->isFullscreen());
    pressKey(SDLK_F11, false);
    view->pollEvents();
    EXPECT_FALSE(view->isFullscreen());
    EXPECT_EQ(view->getPlacement().bounds.size, Size(900, 675));
}
