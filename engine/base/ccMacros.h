#pragma once

#include <cstdio>
#include <functional>
#include <new>

#define CC_DEGREES_TO_RADIANS(__ANGLE__) ((__ANGLE__) * 0.01745329252f)
#define CC_RADIANS_TO_DEGREES(__ANGLE__) ((__ANGLE__) * 57.29577951f)

#define CC_SAFE_DELETE(p) \
    do {                  \
        delete (p);       \
        (p) = nullptr;    \
    } while (0)
#define CC_SAFE_RELEASE(p)          \
    do {                            \
        if (p) (p)->release();      \
    } while (0)
#define CC_SAFE_RELEASE_NULL(p)     \
    do {                            \
        if (p) {                    \
            (p)->release();         \
            (p) = nullptr;          \
        }                           \
    } while (0)
#define CC_SAFE_RETAIN(p)           \
    do {                            \
        if (p) (p)->retain();       \
    } while (0)
#define CC_BREAK_IF(cond) \
    if (cond) break

#define CCLOG(...)                          \
    do {                                    \
        std::fprintf(stderr, __VA_ARGS__);  \
        std::fputc('\n', stderr);           \
    } while (0)
#define CCLOGERROR CCLOG

#define CREATE_FUNC(__TYPE__)                 \
    static __TYPE__* create()                 \
    {                                         \
        __TYPE__* pRet = new (std::nothrow) __TYPE__(); \
        if (pRet && pRet->init()) {           \
            pRet->autorelease();              \
            return pRet;                      \
        }                                     \
        delete pRet;                          \
        return nullptr;                       \
    }

#define CC_CALLBACK_0(__selector__, __target__, ...) std::bind(&__selector__, __target__, ##__VA_ARGS__)
#define CC_CALLBACK_1(__selector__, __target__, ...) \
    std::bind(&__selector__, __target__, std::placeholders::_1, ##__VA_ARGS__)
#define CC_CALLBACK_2(__selector__, __target__, ...) \
    std::bind(&__selector__, __target__, std::placeholders::_1, std::placeholders::_2, ##__VA_ARGS__)
#define CC_CALLBACK_3(__selector__, __target__, ...)                                               \
    std::bind(&__selector__, __target__, std::placeholders::_1, std::placeholders::_2, std::placeholders::_3, \
              ##__VA_ARGS__)

#define USING_NS_CC using namespace cocos2d
#define NS_CC_BEGIN namespace cocos2d {
#define NS_CC_END }
