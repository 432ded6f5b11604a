#include "AppDelegate.h"

int main()
{
    AppDelegate app;
    return cocos2d::Application::getInstance()->run();
}
