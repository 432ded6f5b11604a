#include <algorithm>
#include <cmath>

#include "HelpView.h"
#include "PostView.h"
#include "ZelmcircuitScene.h"

USING_NS_CC;

namespace {

constexpr float kItemWidth = 320;
constexpr float kItemHeight = 240;
constexpr float kItemPitch = 380;
constexpr float kButtonHeight = 170;
constexpr float kButtonSpacing = 100;
const char* const kNameFont = "Hiragino Kaku Gothic ProN";
const Color3B kInactiveButton(50, 50, 50);

// Vertical travel that turns an item touch into a drag, while the horizontal
// travel stays under its own limit (a sideways swipe scrolls the list).
constexpr float kDragStartVertical = 15;
constexpr float kDragStartHorizontal = 10;
// A pull downward moves the item fully for this far, then ever less.
constexpr float kPullDamping = 40;

bool buttonHit(Touch* touch, Node* button)
{
    Rect box = button->getBoundingBox();
    if (Node* parent = button->getParent()) box.origin = parent->convertToWorldSpace(box.origin);
    return box.containsPoint(touch->getLocation());
}

} // namespace

void ZelmcircuitScene::showSavedList(bool show)
{
    if (show) {
        refreshThumbnail();
        clearBoard();
    }
    _palette->setActive(!show);
    boardActive = !show;
    savedListPanel->setVisible(show);
    savedListView->setTouchEnabled(show);
    mouseListener->setEnabled(!show);
    savedListShown = show;
}

void ZelmcircuitScene::addListItem(const std::string& id, const std::string& name)
{
    const std::string thumbnail = thumbnailPath(id);
    const bool hasThumbnail = FileUtils::getInstance()->isFileExist(thumbnail);
    ZelmLoadSprite* item =
        hasThumbnail ? ZelmLoadSprite::create(thumbnail, Rect(0, 0, kItemWidth, kItemHeight)) : nullptr;
    // A picture that is missing or does not decode shows the no-image tile.
    if (!item) item = ZelmLoadSprite::create("res/noimage640.png", Rect(0, 0, kItemWidth, kItemHeight));
    if (!item) return;

    for (ZelmLoadSprite* older : listItems) older->setPositionX(older->getPositionX() + kItemPitch);
    const Size panel = savedListPanel->getContentSize();
    item->setPosition(panel.width * 0.5f, panel.height * 0.5f);
    savedListView->addChild(item);

    const Size size = item->getContentSize();
    auto* label = Label::createWithSystemFont(name, kNameFont, 20);
    label->setTextColor(Color4B::WHITE);
    label->setDimensions(size.width, 50);
    label->setHorizontalAlignment(TextHAlignment::CENTER);
    label->setPosition(size.width * 0.5f, -35);
    item->addChild(label);

    auto* box = ui::EditBox::create(Size(size.width - 20, 40), "res/galvora_name.png");
    box->setFont(kNameFont, 20);
    box->setPosition(Vec2(size.width * 0.5f, -30));
    box->setText(name);
    box->setMaxLength(30);
    box->setPlaceHolder("Circuit name");
    box->setDelegate(this);
    box->setEnabled(false);
    box->setVisible(false);
    item->addChild(box);

    item->id = id;
    item->nameLabel = label;
    item->nameBox = box;
    listItems.insert(0, item);

    const float needed = listItems.back()->getPositionX() + size.width * 0.5f + 50;
    Node* container = savedListView->getContainer();
    if (needed > Director::getInstance()->getVisibleSize().width)
        container->setContentSize(Size(needed, container->getContentSize().height));
    if (id == currentCircuitId) currentItem = item;
    registerItemListener(item);
}

void ZelmcircuitScene::registerItemListener(ZelmLoadSprite* item)
{
    auto* listener = EventListenerTouchOneByOne::create();
    listener->setSwallowTouches(false);
    auto hit = [this, item](Touch* touch) {
        return item->getBoundingBox().containsPoint(touch->getLocation() - savedListView->getContentOffset());
    };
    listener->onTouchBegan = [this, item, hit](Touch* touch, Event*) {
        if (!savedListShown || touchedItem || !hit(touch)) return false;
        touchedItem = item;
        return true;
    };
    listener->onTouchMoved = [this, item](Touch* touch, Event*) {
        const Vec2 delta = touch->getDelta();
        listItemDrag += delta;
        if (!viewScrolled && !itemDragMode && std::fabs(listItemDrag.x) < kDragStartHorizontal &&
            std::fabs(listItemDrag.y) > kDragStartVertical) {
            itemDragMode = true;
            savedListView->setTouchEnabled(false);
            listItemDrag = Vec2::ZERO;
            savedListBin = Sprite::create("res/common_deleat_close.png");
            const float visibleHeight = Director::getInstance()->getVisibleSize().height;
            savedListBin->setPosition(item->getPositionX(),
                                      visibleHeight - savedListBin->getContentSize().height * 0.5f);
            savedListView->addChild(savedListBin);
            showItemButtons(item);
        }
        if (!itemDragMode) return;
        float dy = delta.y;
        if (listItemDrag.y < 0) dy /= std::max(std::fabs(listItemDrag.y) / kPullDamping, 1.0f);
        item->setPositionY(item->getPositionY() + dy);
    };
    listener->onTouchEnded = [this, item, hit](Touch* touch, Event*) {
        if (!viewScrolled && !listTapBlocked && !itemDragMode && hit(touch)) openSavedCircuit(item);
        if (itemDragMode) {
            const float y = item->getPositionY();
            const float d = touch->getDelta().y;
            const float half = savedListView->getContainer()->getContentSize().height * 0.5f;
            if ((y > half + 100 && d > 5) || y > 700) {
                hideItemButtons();
                deleteSavedCircuit(item->id);
                animateItemDeletion(item);
            } else {
                springItemBack(item);
            }
            savedListView->setTouchEnabled(true);
        }
        endItemTouch();
    };
    // A cancelled drag puts the item back; it never opens or deletes.
    listener->onTouchCancelled = [this, item](Touch*, Event*) {
        if (itemDragMode) {
            springItemBack(item);
            savedListView->setTouchEnabled(true);
        }
        endItemTouch();
    };
    _eventDispatcher->addEventListenerWithSceneGraphPriority(listener, item);
}

void ZelmcircuitScene::springItemBack(ZelmLoadSprite* item)
{
    const float half = savedListView->getContainer()->getContentSize().height * 0.5f;
    item->runAction(EaseExponentialOut::create(MoveTo::create(0.6f, Vec2(item->getPositionX(), half))));
    if (savedListBin) {
        savedListView->removeChild(savedListBin, true);
        savedListBin = nullptr;
    }
}

void ZelmcircuitScene::endItemTouch()
{
    touchedItem = nullptr;
    listItemDrag = Vec2::ZERO;
    itemDragMode = false;
}

void ZelmcircuitScene::showItemButtons(ZelmLoadSprite* item)
{
    if (copyButton || editButton || postButton) return;
    selectedItem = item;
    const float x = item->getPositionX();
    auto addButton = [this](const char* file, float atX) {
        auto* button = Sprite::create(file);
        button->setPosition(atX, kButtonHeight);
        savedListView->addChild(button);
        return button;
    };
    editButton = addButton("res/list_edit.png", x - kButtonSpacing);
    copyButton = addButton("res/list_copy.png", x);
    postButton = addButton("res/list_galvora.png", x + kButtonSpacing);
    postButtonActive = signedIn;
    if (!postButtonActive) postButton->setColor(kInactiveButton);

    selectionFrame = Sprite::create("res/frame640.png");
    const Size size = item->getContentSize();
    selectionFrame->setPosition(size.width * 0.5f, size.height * 0.5f);
    item->addChild(selectionFrame);

    auto* listener = EventListenerTouchOneByOne::create();
    listener->setSwallowTouches(true);
    listener->onTouchBegan = [this](Touch* touch, Event* event) {
        Node* button = event->getCurrentTarget();
        if (!buttonHit(touch, button)) return false;
        if (button != postButton || postButtonActive) button->setColor(Color3B::GRAY);
        return true;
    };
    listener->onTouchMoved = [this](Touch* touch, Event* event) {
        Node* button = event->getCurrentTarget();
        if (button == postButton && !postButtonActive) return;
        button->setColor(buttonHit(touch, button) ? Color3B::GRAY : Color3B::WHITE);
    };
    listener->onTouchEnded = [this](Touch* touch, Event* event) {
        Node* button = event->getCurrentTarget();
        if (!buttonHit(touch, button)) return;
        if (button == editButton) {
            selectedItem->nameLabel->setVisible(false);
            selectedItem->nameBox->setVisible(true);
            selectedItem->nameBox->setEnabled(true);
            selectedItem->nameBox->touchDownAction(nullptr, ui::Widget::TouchEventType::ENDED);
            hideItemButtons();
        } else if (button == copyButton) {
            savedListView->setContentOffsetInDuration(Vec2::ZERO, 0.2f);
            addSavedCircuit(selectedItem->id);
            hideItemButtons();
        } else if (button == postButton && !postButtonActive) {
            showHelp();
        } else if (button == postButton) {
            if (auto* view = PostView::create(selectedItem)) addChild(view);
            hideItemButtons();
        }
    };
    _eventDispatcher->addEventListenerWithSceneGraphPriority(listener, copyButton);
    _eventDispatcher->addEventListenerWithSceneGraphPriority(listener->clone(), editButton);
    _eventDispatcher->addEventListenerWithSceneGraphPriority(listener->clone(), postButton);
}

void ZelmcircuitScene::hideItemButtons()
{
    for (Sprite** button : {&copyButton, &editButton, &postButton}) {
        if (*button) savedListView->removeChild(*button, true);
        *button = nullptr;
    }
    if (selectionFrame && selectedItem) {
        selectedItem->removeChild(selectionFrame, true);
        selectionFrame = nullptr;
    }
}

void ZelmcircuitScene::editBoxReturn(ui::EditBox* box)
{
    auto* item = dynamic_cast<ZelmLoadSprite*>(box->getParent());
    if (!item) return;
    const std::string text = box->getText();
    if (!text.empty()) {
        item->nameLabel->setString(text);
        renameSavedCircuit(item->id, text);
    } else {
        // A name is never empty: the old one comes back.
        box->setText(item->nameLabel->getString());
    }
    item->nameLabel->setVisible(true);
    box->setVisible(false);
    box->setEnabled(false);
}

void ZelmcircuitScene::animateItemDeletion(ZelmLoadSprite* item)
{
    // Gone from the list now: a touch during its flight must not reopen it.
    _eventDispatcher->removeEventListenersForTarget(item, true);
    if (selectedItem == item) selectedItem = nullptr;
    if (currentItem == item) currentItem = nullptr;
    Node* container = savedListView->getContainer();
    const float top = container->getContentSize().height + item->getBoundingBox().size.height * 0.5f;
    // The bin goes before the item removes itself: removal stops the item's
    // own actions, so nothing after it in this sequence would run.
    item->runAction(Sequence::create(CallFunc::create([this] {
                                         if (savedListBin) savedListBin->setTexture("res/common_deleat_open.png");
                                     }),
                                     MoveTo::create(0.1f, Vec2(item->getPositionX(), top)),
                                     CallFunc::create([this] {
                                         if (savedListBin) savedListView->removeChild(savedListBin, true);
                                         savedListBin = nullptr;
                                     }),
                                     RemoveSelf::create(true), nullptr));

    auto closeGap = CallFunc::create([this, item] {
        const ssize_t index = listItems.getIndex(item);
        if (index < 0) return;
        for (ssize_t i = index + 1; i < ssize_t(listItems.size()); ++i)
            listItems.at(i)->runAction(MoveBy::create(0.2f, Vec2(-kItemPitch, 0)));
        listItems.erase(index);
    });
    auto scrollBack = CallFunc::create([this] {
        const float vw = savedListView->getViewSize().width;
        const float cw = savedListView->getContainer()->getContentSize().width;
        const Vec2 o = savedListView->getContentOffset();
        if (vw - cw > o.x - kItemPitch)
            savedListView->setContentOffsetInDuration(Vec2(std::min(vw - cw + kItemPitch, 0.0f), o.y), 0.2f);
    });
    auto shrink = CallFunc::create([this] {
        Node* c = savedListView->getContainer();
        const float vw = savedListView->getViewSize().width;
        c->setContentSize(Size(std::max(c->getContentSize().width - kItemPitch, vw), c->getContentSize().height));
    });
    runAction(Sequence::create(closeGap, DelayTime::create(0.2f), scrollBack, DelayTime::create(0.2f), shrink,
                               nullptr));
}

void ZelmcircuitScene::registerSavedListListeners()
{
    auto* panel = EventListenerTouchOneByOne::create();
    panel->setSwallowTouches(true);
    panel->onTouchBegan = [this](Touch*, Event*) {
        if (!savedListShown) return false;
        hideItemButtons();
        return true;
    };
    _eventDispatcher->addEventListenerWithSceneGraphPriority(panel, savedListPanel);

    auto* tile = EventListenerTouchOneByOne::create();
    tile->setSwallowTouches(true);
    tile->onTouchBegan = [this](Touch* touch, Event* event) {
        if (!savedListShown || !hitTestNode(touch, event)) return false;
        event->getCurrentTarget()->setColor(Color3B::GRAY);
        hideItemButtons();
        return true;
    };
    tile->onTouchMoved = [](Touch* touch, Event* event) {
        event->getCurrentTarget()->setColor(hitTestNode(touch, event) ? Color3B::GRAY : Color3B::WHITE);
    };
    tile->onTouchEnded = [this](Touch* touch, Event* event) {
        if (hitTestNode(touch, event)) {
            showSavedList(false);
            peekDrawer(true);
            addSavedCircuit("");
        }
        event->getCurrentTarget()->setColor(Color3B::WHITE);
    };
    _eventDispatcher->addEventListenerWithSceneGraphPriority(tile, saveNewTile);
}
