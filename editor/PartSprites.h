#pragma once

#include <functional>
#include <unordered_map>

#include "CircuitModel.h"
#include "ZelmPartSprite.h"

// The board's pictures of the circuit: one sprite per part in the board's
// container, made, moved and removed as the model changes.
class PartSprites : public circuit::CircuitObserver {
public:
    // made runs for each new sprite once it is on the board.
    PartSprites(circuit::CircuitModel& model, cocos2d::Node* container, std::function<void(ZelmPartSprite*)> made);
    ~PartSprites() override;
    PartSprites(const PartSprites&) = delete;
    PartSprites& operator=(const PartSprites&) = delete;

    // The sprite showing the part, null when none does.
    ZelmPartSprite* sprite(circuit::PartId id) const;
    // Stops showing the part with its sprite, which stays where it is for
    // whoever took it (the trash plays its frames on it).
    ZelmPartSprite* detach(circuit::PartId id);

    void partAdded(const circuit::Part& part, std::size_t index) override;
    void partMoved(const circuit::Part& part) override;
    void partRemoved(const circuit::Part& part, std::size_t index) override;
    void cleared() override;

private:
    circuit::CircuitModel& _model;
    cocos2d::Node* _container;
    std::function<void(ZelmPartSprite*)> _made;
    // Not retained: the container owns them, and only this removes them.
    std::unordered_map<circuit::PartId, ZelmPartSprite*> _sprites;
};
