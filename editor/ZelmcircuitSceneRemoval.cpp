#include "ZelmcircuitScene.h"

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

void ZelmcircuitScene::fadeTrash(bool in)
{
    trashSprite->stopActionByTag(kTrashFadeTag);
    Action* fade = in ? static_cast<Action*>(FadeIn::create(kTrashFadeTime))
                      : static_cast<Action*>(FadeOut::create(kTrashFadeTime));
    fade->setTag(kTrashFadeTag);
    trashSprite->runAction(fade);
}

void ZelmcircuitScene::updateTrashHover(ZelmPartSprite* part, const Vec2& worldLocation)
{
    const bool over = trashSprite->getBoundingBox().containsPoint(worldLocation);
    trashSprite->setTexture(over ? kTrashOpen : kTrashClosed);
    part->setColor(over ? kOverTrash : Color3B::WHITE);
}

void ZelmcircuitScene::dropOnTrash(ZelmPartSprite* part, const Vec2& worldLocation)
{
    if (!trashSprite->getBoundingBox().containsPoint(worldLocation)) return;
    // The container keeps the part alive while its frames play.
    --partCounts[part->type];
    refreshPartCount(part->type);
    boardParts.eraseObject(part);
    for (PartEnd& end : part->ends)
        if (end.link) unlinkEnd(end);
    // Links that were never paired (a part that reached the same neighbour
    // with both ends) must not outlive the part either.
    for (ZelmPartSprite* other : boardParts)
        for (PartEnd& end : other->ends)
            if (end.link == part) end.link = nullptr;
    part->setColor(Color3B::WHITE);
    // It leaves the board now: a touch during its frames must not select it,
    // and pictures of the board no longer show it.
    _eventDispatcher->removeEventListenersForTarget(part);
    part->setTag(kLeavingPartTag);

    Vector<FiniteTimeAction*> steps;
    for (const char* frame : kRemovalFrames) {
        steps.pushBack(CallFunc::create([part, frame] { part->setTexture(frame); }));
        steps.pushBack(DelayTime::create(kRemovalFrameTime));
    }
    steps.pushBack(RemoveSelf::create(true));
    part->runAction(Sequence::create(steps));
}

void ZelmcircuitScene::clearBoard()
{
    for (ZelmPartSprite* part : boardParts) boardView->removeChild(part, true);
    boardParts.clear();
    for (PartType t = 0; t < PartTypes::count; ++t) {
        partCounts[t] = 0;
        refreshPartCount(t);
    }
    const Size view = boardView->getViewSize();
    // Putting the board back is not a scroll by the user: it must not make
    // the next tap count as one that only stops a scroll.
    const bool scrolled = viewScrolled;
    boardView->setZoomScale(1.0f, false);
    boardView->setContentOffset(Vec2(-view.width * 0.5f, -view.height * 0.5f), false);
    viewScrolled = scrolled;
}
