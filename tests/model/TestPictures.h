#pragma once

#include "CircuitModel.h"

// Every picture 60 x 40: a straight's ends lie 30 units either side of its
// centre, end A facing +x; a corner's end B points down-left.
inline circuit::PictureSizes testPictures()
{
    circuit::PictureSizes sizes;
    sizes.fill(cocos2d::Size(60, 40));
    return sizes;
}
