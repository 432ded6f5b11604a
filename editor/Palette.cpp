#include "Palette.h"

#include <string>

#include "AppConstants.h"

USING_NS_CC;

Palette::~Palette()
{
    if (_model) _model->removeObserver(this);
    for (auto*& item : _items) CC_SAFE_RELEASE_NULL(item);
    for (auto*& label : _labels) CC_SAFE_RELEASE_NULL(label);
}

bool Palette::build(Node* drawerPanel)
{
    float x = 10;
    for (PartType t = 0; t < PartTypes::count; ++t) {
        auto* entry = ZelmPartSprite::create(veloquix::partImageFiles[t]);
        if (!entry) return false;
        entry->setType(t);
        const Size size = entry->getContentSize();
        entry->setPosition(x + size.width * 0.5f, size.height * 0.5f + 5);
        x += size.width + 55;
        entry->setColor(Color3B::GRAY);
        _items[t] = entry;
        entry->retain();
        drawerPanel->addChild(entry);

        auto* count = Label::createWithTTF("0", veloquix::kTitleFont, 27);
        count->setPosition(Vec2(entry->getPositionX() + size.width * 0.5f + 20, 80));
        count->setTextColor(Color4B::GRAY);
        drawerPanel->addChild(count);
        _labels[t] = count;
        count->retain();
    }
    return true;
}

void Palette::watch(circuit::CircuitModel* model)
{
    if (_model) _model->removeObserver(this);
    _model = model;
    if (_model) _model->addObserver(this);
    for (PartType t = 0; t < PartTypes::count; ++t) refresh(t);
}

void Palette::setActive(bool active)
{
    for (ZelmPartSprite* item : _items) item->setColor(active ? Color3B::WHITE : Color3B::GRAY);
}

void Palette::refresh(PartType type)
{
    _labels[type]->setString(std::to_string(_model ? _model->count(type) : 0));
}

void Palette::partAdded(const circuit::Part& part, std::size_t)
{
    if (!_inBatch) refresh(part.type);
}

void Palette::batchEnded()
{
    _inBatch = false;
    for (PartType t = 0; t < PartTypes::count; ++t) refresh(t);
}

void Palette::partRemoved(const circuit::Part& part, std::size_t)
{
    refresh(part.type);
}

void Palette::cleared()
{
    for (PartType t = 0; t < PartTypes::count; ++t) refresh(t);
}
