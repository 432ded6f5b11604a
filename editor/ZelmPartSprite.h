#pragma once

#include <array>
#include <string>

#include "cocos2d.h"
#include "CircuitDocument.h"
#include "PartEnd.h"
#include "PartType.h"

// One track part: on the board, as a palette entry or as the drag ghost.
class ZelmPartSprite : public cocos2d::Sprite {
public:
    static ZelmPartSprite* create(const std::string& file);
    ~ZelmPartSprite() override;

    // Fills point and inner of both ends from type and content size; run once
    // when the part joins the board, so palette entries and ghosts keep (0, 0).
    void assignEndGeometry();

    // The quadrilateral that takes touches, in part coordinates.
    std::array<cocos2d::Vec2, 4> touchOutline() const;

    PartType type = PartTypes::start;
    PartEnd ends[2]; // end A (left end of the unrotated picture), end B
    // This part's text in the last saved document, reused while it stays put.
    circuitdoc::PartText savedText;

protected:
    ZelmPartSprite();
};
