#include "PartSprites.h"

#include <utility>
#include <vector>

#include "AppConstants.h"

USING_NS_CC;

PartSprites::PartSprites(circuit::CircuitModel& model, Node* container, std::function<void(ZelmPartSprite*)> made)
    : _model(model), _container(container), _made(std::move(made))
{
    _model.addObserver(this);
}

PartSprites::~PartSprites()
{
    _model.removeObserver(this);
}

ZelmPartSprite* PartSprites::sprite(circuit::PartId id) const
{
    auto found = _sprites.find(id);
    return found == _sprites.end() ? nullptr : found->second;
}

ZelmPartSprite* PartSprites::detach(circuit::PartId id)
{
    auto found = _sprites.find(id);
    if (found == _sprites.end()) return nullptr;
    ZelmPartSprite* sprite = found->second;
    _sprites.erase(found);
    return sprite;
}

void PartSprites::partAdded(const circuit::Part& part, std::size_t index)
{
    auto* sprite = ZelmPartSprite::create(veloquix::partImageFiles[part.type]);
    // The pictures were all loaded for the palette; a part without one is
    // still in the circuit, only not seen.
    if (!sprite) return;
    sprite->setType(part.type);
    sprite->setPartId(part.id);
    sprite->setPosition(part.position);
    sprite->setRotation(part.rotation);
    _container->addChild(sprite);
    _sprites[part.id] = sprite;
    // A part put back at its old place is drawn under the parts placed
    // after it, as it was: they go on top again, in their order.
    const auto& parts = _model.parts();
    for (std::size_t i = index + 1; i < parts.size(); ++i)
        if (ZelmPartSprite* later = this->sprite(parts[i].id)) _container->reorderChild(later, later->getLocalZOrder());
    if (_made) _made(sprite);
}

void PartSprites::partMoved(const circuit::Part& part)
{
    if (ZelmPartSprite* sprite = this->sprite(part.id)) {
        sprite->setPosition(part.position);
        sprite->setRotation(part.rotation);
    }
}

void PartSprites::partRemoved(const circuit::Part& part, std::size_t)
{
    if (ZelmPartSprite* sprite = detach(part.id)) _container->removeChild(sprite, true);
}

void PartSprites::cleared()
{
    // Newest first: each leaves from the end of the container's children.
    std::vector<Node*> parts;
    parts.reserve(_sprites.size());
    for (Node* child : _container->getChildren())
        if (auto* sprite = dynamic_cast<ZelmPartSprite*>(child); sprite && this->sprite(sprite->partId()) == sprite)
            parts.push_back(sprite);
    for (auto it = parts.rbegin(); it != parts.rend(); ++it) _container->removeChild(*it, true);
    _sprites.clear();
}
