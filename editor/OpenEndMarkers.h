#pragma once

#include <array>
#include <cstddef>
#include <unordered_map>
#include <unordered_set>

#include "CircuitModel.h"
#include "cocos2d.h"

// A ring on every end of the board's parts that is not linked, on a layer of
// the board's container above every part, so the rings pan and zoom with the
// circuit and no part ever covers one. The layer brings its rings in line
// with the model just before it is drawn: every change of a frame shows in
// that frame, and many changes to one part (a load links each new part at
// once) cost one update.
class OpenEndMarkers : public circuit::CircuitObserver {
public:
    // Above the parts, which all stand at 0.
    static constexpr int kLayerZOrder = 1;

    OpenEndMarkers(circuit::CircuitModel& model, cocos2d::Node* container);
    ~OpenEndMarkers() override;
    OpenEndMarkers(const OpenEndMarkers&) = delete;
    OpenEndMarkers& operator=(const OpenEndMarkers&) = delete;

    cocos2d::Node* layer() const { return _layer; }
    // The ring on the end as last drawn, null when it has none.
    cocos2d::Sprite* marker(const circuit::EndRef& end) const;
    std::size_t count() const { return std::size_t(_layer->getChildrenCount()); }
    // Brings the rings in line with the model; the layer does it as it is drawn.
    void sync();

    void partAdded(const circuit::Part& part, std::size_t index) override;
    void partMoved(const circuit::Part& part) override;
    void partRemoved(const circuit::Part& part, std::size_t index) override;
    void linkChanged(const circuit::Part& part, int end) override;
    void cleared() override;

private:
    circuit::CircuitModel& _model;
    cocos2d::Node* _layer;                  // owned by the container
    cocos2d::Texture2D* _picture = nullptr; // retained
    // Not retained: the layer owns them, and only this removes them.
    std::unordered_map<circuit::PartId, std::array<cocos2d::Sprite*, 2>> _markers;
    // Parts changed since the last update.
    std::unordered_set<circuit::PartId> _changed;
};
