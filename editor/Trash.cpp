#include "Trash.h"

USING_NS_CC;

namespace {

const char* const kTrashClosed = "res/common_deleat_close.png";
const char* const kTrashOpen = "res/common_deleat_open.png";
const char* const kRemovalFrames[] = {"res/common_deleat1.png", "res/common_deleat2.png", "res/common_deleat3.png",
                                      "res/common_deleat4.png"};
constexpr float kRemovalFrameTime = 0.1f;
constexpr float kTrashFadeTime = 0.2f;
const Color3B kOverTrash(0, 30, 70);
// Only one fade of the trash runs at a time; a new one replaces the old.
constexpr int kTrashFadeTag = 0x7a54;

} // namespace

bool Trash::covers(const Vec2& worldLocation) const
{
    return _sprite->getBoundingBox().containsPoint(worldLocation);
}

void Trash::fade(bool in)
{
    _sprite->stopActionByTag(kTrashFadeTag);
    Action* fade = in ? static_cast<Action*>(FadeIn::create(kTrashFadeTime))
                      : static_cast<Action*>(FadeOut::create(kTrashFadeTime));
    fade->setTag(kTrashFadeTag);
    _sprite->runAction(fade);
}

void Trash::hover(ZelmPartSprite* part, const Vec2& worldLocation)
{
    const bool over = covers(worldLocation);
    // Set by file name, a picture is looked up on disk: only when it changes.
    if (over != _showsOpen) {
        _sprite->setTexture(over ? kTrashOpen : kTrashClosed);
        _showsOpen = over;
    }
    part->setColor(over ? kOverTrash : Color3B::WHITE);
}

void Trash::playRemoval(ZelmPartSprite* part)
{
    part->setColor(Color3B::WHITE);
    part->getEventDispatcher()->removeEventListenersForTarget(part);
    part->setTag(kLeavingPartTag);

    Vector<FiniteTimeAction*> steps;
    for (const char* frame : kRemovalFrames) {
        steps.pushBack(CallFunc::create([part, frame] { part->setTexture(frame); }));
        steps.pushBack(DelayTime::create(kRemovalFrameTime));
    }
    steps.pushBack(RemoveSelf::create(true));
    part->runAction(Sequence::create(steps));
}
