#include "OpenEndMarkers.h"

#include "BeforeDrawing.h"
#include "BoardSnapshot.h"

USING_NS_CC;

namespace {

const char* const kMarkerPicture = "res/open_end.png";

// The rings' layer in the board's container.
class OpenEndLayer final : public BeforeDrawing<OpenEndLayer, Node> {};

} // namespace

OpenEndMarkers::OpenEndMarkers(circuit::CircuitModel& model, Node* container) : _model(model)
{
    _layer = OpenEndLayer::create([this] { sync(); });
    // Pictures of the board (thumbnails, posts) show the circuit alone.
    _layer->setTag(BoardSnapshot::kUnpicturedTag);
    container->addChild(_layer, kLayerZOrder);
    _picture = Director::getInstance()->getTextureCache()->addImage(kMarkerPicture);
    // Without its picture the circuit still works; its open ends show no ring.
    if (_picture) _picture->retain();
    for (const circuit::Part& part : _model.parts()) _changed.insert(part.id);
    _model.addObserver(this);
}

OpenEndMarkers::~OpenEndMarkers()
{
    _model.removeObserver(this);
    static_cast<OpenEndLayer*>(_layer)->forget();
    CC_SAFE_RELEASE_NULL(_picture);
}

Sprite* OpenEndMarkers::marker(const circuit::EndRef& end) const
{
    auto found = _markers.find(end.part);
    return found == _markers.end() ? nullptr : found->second[std::size_t(end.end)];
}

void OpenEndMarkers::sync()
{
    for (circuit::PartId id : _changed) {
        auto found = _markers.find(id);
        if (!_model.contains(id)) {
            if (found == _markers.end()) continue;
            for (Sprite* ring : found->second)
                if (ring) _layer->removeChild(ring, true);
            _markers.erase(found);
            continue;
        }
        const circuit::Part& part = _model.part(id);
        std::array<Sprite*, 2> rings{};
        if (found != _markers.end()) rings = found->second;
        for (int e = 0; e < 2; ++e) {
            Sprite*& ring = rings[std::size_t(e)];
            if (part.ends[e].link) {
                if (ring) _layer->removeChild(ring, true);
                ring = nullptr;
                continue;
            }
            if (!ring && _picture) {
                ring = Sprite::createWithTexture(_picture);
                _layer->addChild(ring);
            }
            if (ring) ring->setPosition(_model.endToBoard({id, e}));
        }
        if (rings[0] || rings[1])
            _markers[id] = rings;
        else if (found != _markers.end())
            _markers.erase(found);
    }
    _changed.clear();
}

void OpenEndMarkers::partAdded(const circuit::Part& part, std::size_t)
{
    _changed.insert(part.id);
}

void OpenEndMarkers::partMoved(const circuit::Part& part)
{
    // A part joined at both ends carries no ring: a lifted chain's inner
    // parts cost nothing here.
    if (part.ends[0].link && part.ends[1].link && !_markers.count(part.id)) return;
    _changed.insert(part.id);
}

void OpenEndMarkers::partRemoved(const circuit::Part& part, std::size_t)
{
    _changed.insert(part.id);
}

void OpenEndMarkers::linkChanged(const circuit::Part& part, int)
{
    _changed.insert(part.id);
}

void OpenEndMarkers::cleared()
{
    _layer->removeAllChildrenWithCleanup(true);
    _markers.clear();
    _changed.clear();
}
