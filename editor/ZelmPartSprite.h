#pragma once

#include <array>
#include <string>

#include "CircuitModel.h"
#include "PartType.h"
#include "cocos2d.h"

// One track part on the screen: a board part showing its record in the
// circuit model, a palette entry or the drag ghost.
class ZelmPartSprite : public cocos2d::Sprite {
public:
    static ZelmPartSprite* create(const std::string& file);
    ~ZelmPartSprite() override;

    // The quadrilateral that takes touches, in part coordinates.
    std::array<cocos2d::Vec2, 4> touchOutline() const;

    PartType type() const { return _type; }
    void setType(PartType type) { _type = type; }
    // The record a board part shows; none for palette entries and the ghost.
    circuit::PartId partId() const { return _partId; }
    void setPartId(circuit::PartId id) { _partId = id; }

protected:
    ZelmPartSprite() = default;

private:
    PartType _type = PartTypes::start;
    circuit::PartId _partId = circuit::kNoPart;
};
