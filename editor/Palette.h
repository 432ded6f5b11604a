#pragma once

#include "CircuitModel.h"
#include "ZelmPartSprite.h"
#include "cocos2d.h"

// The strip of the eight part types at the bottom of the drawer, each with
// the count of its parts on the board.
class Palette : public circuit::CircuitObserver {
public:
    Palette() = default;
    ~Palette() override;
    Palette(const Palette&) = delete;
    Palette& operator=(const Palette&) = delete;

    // False when a part picture is missing.
    bool build(cocos2d::Node* drawerPanel);
    // Counts follow this model from now on.
    void watch(circuit::CircuitModel* model);

    ZelmPartSprite* item(PartType type) const { return _items[type]; }
    cocos2d::Label* countLabel(PartType type) const { return _labels[type]; }
    // Grey while there is no board to drop parts on.
    void setActive(bool active);

    void partAdded(const circuit::Part& part, std::size_t index) override;
    void partRemoved(const circuit::Part& part, std::size_t index) override;
    void cleared() override;
    void batchStarted() override { _inBatch = true; }
    void batchEnded() override;

private:
    void refresh(PartType type);

    circuit::CircuitModel* _model = nullptr;
    // While many parts come at once, the counts are laid out once at the end.
    bool _inBatch = false;
    ZelmPartSprite* _items[PartTypes::count] = {};  // retained
    cocos2d::Label* _labels[PartTypes::count] = {}; // retained
};
