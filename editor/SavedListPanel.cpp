#include "SavedListPanel.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "CircuitStore.h"
#include "TouchHit.h"

USING_NS_CC;

namespace {

constexpr float kItemWidth = 320;
constexpr float kItemHeight = 240;
constexpr float kItemPitch = 380;
// A wheel event's scroll is 0.1 a notch; a notch slides the row a third of
// an item.
constexpr float kWheelNotch = 0.1f;
constexpr float kWheelNotchTravel = kItemPitch / 3;
constexpr float kWheelScrollTime = 0.08f;
constexpr float kKeyScrollTime = 0.2f;
constexpr int kRowSlideTag = 0x5c01;
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
// An item released this far above the row's middle while still moving up
// by more than kFlick in its last frame goes into the bin; one released
// above kBinReach goes whatever its pace.
constexpr float kFlickReach = 100;
constexpr float kFlick = 5;
constexpr float kBinReach = 700;

} // namespace

SavedListPanel* SavedListPanel::create(Listener* listener)
{
    auto* panel = new (std::nothrow) SavedListPanel();
    if (panel && panel->initWithListener(listener)) {
        panel->autorelease();
        return panel;
    }
    delete panel;
    return nullptr;
}

bool SavedListPanel::initWithListener(Listener* listener)
{
    if (!initWithColor(Color4B::BLACK)) return false;
    _listener = listener;
    _view = extension::ScrollView::create(getContentSize(), nullptr);
    _view->setDelegate(this);
    _view->setDirection(extension::ScrollView::Direction::HORIZONTAL);
    addChild(_view);

    _saveNewTile = Sprite::create("res/save_new.png");
    if (!_saveNewTile) return false;
    _saveNewTile->setPosition(_saveNewTile->getContentSize().width * 0.5f + 50, _view->getContentSize().height * 0.5f);
    _view->addChild(_saveNewTile);
    return true;
}

void SavedListPanel::setShown(bool shown)
{
    setVisible(shown);
    _view->setTouchEnabled(shown);
    if (shown) return;
    // Hidden, the thumbnails keep only their files' bytes: twenty decoded
    // pictures are tens of megabytes nobody is looking at. The allocator
    // hands them back to the system once the screen rests.
    for (ZelmLoadSprite* item : _items)
        if (Texture2D* picture = item->getTexture(); picture && picture->isDecodedOnlyWhenNeeded())
            picture->releasePixels();
}

void SavedListPanel::setItemPicture(ZelmLoadSprite* item, const std::string& path)
{
    item->setTexture(path);
    if (Texture2D* picture = item->getTexture()) picture->setDecodedOnlyWhenNeeded(true);
}

void SavedListPanel::scrollViewDidScroll(extension::ScrollView*)
{
    _scrolled = true;
}

void SavedListPanel::scrollViewDidZoom(extension::ScrollView*) {}

void SavedListPanel::scrollViewTouchFinished(extension::ScrollView*)
{
    _scrolled = false;
}

void SavedListPanel::addListItem(const std::string& id, const std::string& name, bool open)
{
    insertListItem(id, name, open, 0);
}

void SavedListPanel::insertListItem(const std::string& id, const std::string& name, bool open, std::size_t place)
{
    const std::string thumbnail = CircuitStore::thumbnailPath(id);
    const bool hasThumbnail = FileUtils::getInstance()->isFileExist(thumbnail);
    ZelmLoadSprite* item =
        hasThumbnail ? ZelmLoadSprite::create(thumbnail, Rect(0, 0, kItemWidth, kItemHeight)) : nullptr;
    // Decoded when the list first shows it, not ahead at launch.
    if (item) item->getTexture()->setDecodedOnlyWhenNeeded(true);
    // A picture that is missing or does not decode shows the no-image tile.
    if (!item) item = ZelmLoadSprite::create("res/noimage640.png", Rect(0, 0, kItemWidth, kItemHeight));
    if (!item) return;

    const Size panel = getContentSize();
    place = std::min(place, std::size_t(_items.size()));
    // The item takes the place of the one there, or follows the last.
    float x = panel.width * 0.5f;
    if (place < std::size_t(_items.size()))
        x = _items.at(ssize_t(place))->getPositionX();
    else if (place > 0)
        x = _items.back()->getPositionX() + kItemPitch;
    for (std::size_t i = place; i < std::size_t(_items.size()); ++i)
        _items.at(ssize_t(i))->setPositionX(_items.at(ssize_t(i))->getPositionX() + kItemPitch);
    item->setPosition(x, panel.height * 0.5f);
    _view->addChild(item);

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

    item->setCircuit(id, label, box);
    _items.insert(ssize_t(place), item);

    fitRowWidth();
    if (open) _currentItem = item;
    registerItemListener(item);
}

void SavedListPanel::registerItemListener(ZelmLoadSprite* item)
{
    auto* listener = EventListenerTouchOneByOne::create();
    listener->setSwallowTouches(false);
    auto hit = [this, item](Touch* touch) {
        return item->getBoundingBox().containsPoint(touch->getLocation() - _view->getContentOffset());
    };
    listener->onTouchBegan = [this, item, hit](Touch* touch, Event*) {
        if (!shown() || _touchedItem || !hit(touch)) return false;
        _touchedItem = item;
        _itemPace = DragPace();
        return true;
    };
    listener->onTouchMoved = [this, item](Touch* touch, Event*) {
        const Vec2 delta = touch->getDelta();
        _itemDrag += delta;
        _itemPace.add(delta);
        if (!_scrolled && !_itemDragMode && std::fabs(_itemDrag.x) < kDragStartHorizontal &&
            std::fabs(_itemDrag.y) > kDragStartVertical) {
            _itemDragMode = true;
            _view->setTouchEnabled(false);
            _itemDrag = Vec2::ZERO;
            _bin = Sprite::create("res/common_deleat_close.png");
            const float visibleHeight = Director::getInstance()->getVisibleSize().height;
            _bin->setPosition(item->getPositionX(), visibleHeight - _bin->getContentSize().height * 0.5f);
            _view->addChild(_bin);
            showItemButtons(item);
        }
        if (!_itemDragMode) return;
        float dy = delta.y;
        if (_itemDrag.y < 0) dy /= std::max(std::fabs(_itemDrag.y) / kPullDamping, 1.0f);
        item->setPositionY(item->getPositionY() + dy);
    };
    listener->onTouchEnded = [this, item, hit](Touch* touch, Event*) {
        if (!_scrolled && !_listener->tapBlocked() && !_itemDragMode && hit(touch)) _listener->openCircuit(item);
        if (_itemDragMode) {
            releaseItem(item, touch);
            _view->setTouchEnabled(true);
        }
        endItemTouch();
    };
    // A cancelled drag puts the item back; it never opens or deletes.
    listener->onTouchCancelled = [this, item](Touch*, Event*) {
        if (_itemDragMode) {
            springItemBack(item);
            _view->setTouchEnabled(true);
        }
        endItemTouch();
    };
    _eventDispatcher->addEventListenerWithSceneGraphPriority(listener, item);
}

void SavedListPanel::releaseItem(ZelmLoadSprite* item, Touch* touch)
{
    const float y = item->getPositionY();
    const float d = _itemPace.releaseY(touch);
    const float half = _view->getContainer()->getContentSize().height * 0.5f;
    if ((y > half + kFlickReach && d > kFlick) || y > kBinReach) {
        hideItemButtons();
        _listener->deleteCircuit(item->id());
        animateItemDeletion(item);
    } else {
        springItemBack(item);
    }
}

void SavedListPanel::springItemBack(ZelmLoadSprite* item)
{
    const float half = _view->getContainer()->getContentSize().height * 0.5f;
    // Only up or down: an item the row moves along meanwhile (one added or
    // brought back before it) keeps its new place.
    item->runAction(
        Sequence::create(EaseExponentialOut::create(MoveBy::create(0.6f, Vec2(0, half - item->getPositionY()))),
                         CallFunc::create([item, half] { item->setPositionY(half); }), nullptr));
    if (_bin) {
        _view->removeChild(_bin, true);
        _bin = nullptr;
    }
}

void SavedListPanel::endItemTouch()
{
    _touchedItem = nullptr;
    _itemDrag = Vec2::ZERO;
    _itemDragMode = false;
}

void SavedListPanel::showItemButtons(ZelmLoadSprite* item)
{
    if (_copyButton || _editButton || _postButton) return;
    _selectedItem = item;
    const float x = item->getPositionX();
    auto addButton = [this](const char* file, float atX) {
        auto* button = Sprite::create(file);
        button->setPosition(atX, kButtonHeight);
        _view->addChild(button);
        return button;
    };
    _editButton = addButton("res/list_edit.png", x - kButtonSpacing);
    _copyButton = addButton("res/list_copy.png", x);
    _postButton = addButton("res/list_galvora.png", x + kButtonSpacing);
    _postButtonActive = _listener->postAllowed();
    if (!_postButtonActive) _postButton->setColor(kInactiveButton);

    _selectionFrame = Sprite::create("res/frame640.png");
    const Size size = item->getContentSize();
    _selectionFrame->setPosition(size.width * 0.5f, size.height * 0.5f);
    item->addChild(_selectionFrame);

    auto* listener = EventListenerTouchOneByOne::create();
    listener->setSwallowTouches(true);
    listener->onTouchBegan = [this](Touch* touch, Event* event) {
        Node* button = event->getCurrentTarget();
        if (!touchhit::inside(touch, button)) return false;
        if (button != _postButton || _postButtonActive) button->setColor(Color3B::GRAY);
        return true;
    };
    listener->onTouchMoved = [this](Touch* touch, Event* event) {
        Node* button = event->getCurrentTarget();
        if (button == _postButton && !_postButtonActive) return;
        button->setColor(touchhit::inside(touch, button) ? Color3B::GRAY : Color3B::WHITE);
    };
    listener->onTouchEnded = [this](Touch* touch, Event* event) {
        Node* button = event->getCurrentTarget();
        if (!touchhit::inside(touch, button)) return;
        if (button == _editButton) {
            _selectedItem->nameLabel()->setVisible(false);
            _selectedItem->nameBox()->setVisible(true);
            _selectedItem->nameBox()->setEnabled(true);
            _selectedItem->nameBox()->touchDownAction(nullptr, ui::Widget::TouchEventType::ENDED);
            hideItemButtons();
        } else if (button == _copyButton) {
            _view->setContentOffsetInDuration(Vec2::ZERO, 0.2f);
            _listener->copyCircuit(_selectedItem->id());
            hideItemButtons();
        } else if (button == _postButton && !_postButtonActive) {
            _listener->showHelp();
        } else if (button == _postButton) {
            _listener->postCircuit(_selectedItem->id(), _selectedItem->nameLabel()->getString());
            hideItemButtons();
        }
    };
    _eventDispatcher->addEventListenerWithSceneGraphPriority(listener, _copyButton);
    _eventDispatcher->addEventListenerWithSceneGraphPriority(listener->clone(), _editButton);
    _eventDispatcher->addEventListenerWithSceneGraphPriority(listener->clone(), _postButton);
}

void SavedListPanel::hideItemButtons()
{
    for (Sprite** button : {&_copyButton, &_editButton, &_postButton}) {
        if (*button) _view->removeChild(*button, true);
        *button = nullptr;
    }
    if (_selectionFrame && _selectedItem) {
        _selectedItem->removeChild(_selectionFrame, true);
        _selectionFrame = nullptr;
    }
}

void SavedListPanel::editBoxReturn(ui::EditBox* box)
{
    auto* item = dynamic_cast<ZelmLoadSprite*>(box->getParent());
    if (!item) return;
    const std::string text = box->getText();
    if (!text.empty() && text != item->nameLabel()->getString()) {
        item->nameLabel()->setString(text);
        _listener->renameCircuit(item->id(), text);
    } else {
        box->setText(item->nameLabel()->getString());
    }
    item->nameLabel()->setVisible(true);
    box->setVisible(false);
    box->setEnabled(false);
}

void SavedListPanel::animateItemDeletion(ZelmLoadSprite* item)
{
    // Gone from the list now: a touch during its flight must not reopen it.
    _eventDispatcher->removeEventListenersForTarget(item, true);
    if (_selectedItem == item) _selectedItem = nullptr;
    if (_currentItem == item) _currentItem = nullptr;
    Node* container = _view->getContainer();
    const float top = container->getContentSize().height + item->getBoundingBox().size.height * 0.5f;
    // The bin goes before the item removes itself: removal stops the item's
    // own actions, so nothing after it in this sequence would run.
    item->runAction(Sequence::create(CallFunc::create([this] {
                                         if (_bin) _bin->setTexture("res/common_deleat_open.png");
                                     }),
                                     MoveTo::create(0.1f, Vec2(item->getPositionX(), top)),
                                     CallFunc::create([this] {
                                         if (_bin) _view->removeChild(_bin, true);
                                         _bin = nullptr;
                                     }),
                                     RemoveSelf::create(true), nullptr));

    auto closeGap = CallFunc::create([this, item] {
        const ssize_t index = _items.getIndex(item);
        if (index < 0) return;
        for (ssize_t i = index + 1; i < ssize_t(_items.size()); ++i)
            _items.at(i)->runAction(MoveBy::create(0.2f, Vec2(-kItemPitch, 0)));
        _items.erase(index);
    });
    auto scrollBack = CallFunc::create([this] {
        const float vw = _view->getViewSize().width;
        const float cw = _view->getContainer()->getContentSize().width;
        const Vec2 o = _view->getContentOffset();
        if (vw - cw > o.x - kItemPitch)
            _view->setContentOffsetInDuration(Vec2(std::min(vw - cw + kItemPitch, 0.0f), o.y), 0.2f);
    });
    auto shrink = CallFunc::create([this] { fitRowWidth(); });
    runAction(Sequence::create(closeGap, DelayTime::create(0.2f), scrollBack, DelayTime::create(0.2f), shrink,
                               nullptr));
}

bool SavedListPanel::cancelRename()
{
    for (ZelmLoadSprite* item : _items) {
        ui::EditBox* box = item->nameBox();
        if (!box->isVisible()) continue;
        box->setText(item->nameLabel()->getString());
        if (box->isEditing()) {
            box->detachWithIME();
        } else {
            item->nameLabel()->setVisible(true);
            box->setVisible(false);
            box->setEnabled(false);
        }
        return true;
    }
    return false;
}

void SavedListPanel::scrollByItems(int items)
{
    scrollRow(float(items) * kItemPitch, kKeyScrollTime);
}

void SavedListPanel::scrollRow(float dx, float seconds)
{
    if (_itemDragMode) return;
    const Vec2 lo = _view->minContainerOffset();
    const Vec2 hi = _view->maxContainerOffset();
    // From where a slide already on its way is going, so quick presses add up.
    const float from = _rowTarget && _view->getContainer()->getNumberOfRunningActions() > 0 ? *_rowTarget
                                                                                          : _view->getContentOffset().x;
    const float x = std::max(lo.x, std::min(hi.x, from - dx));
    _rowTarget = x;
    _view->setContentOffsetInDuration(Vec2(x, _view->getContentOffset().y), seconds);
    // A slide no finger made is no drag: the next tap on an item opens it.
    stopActionByTag(kRowSlideTag);
    auto* settled = Sequence::create(DelayTime::create(seconds + 0.05f), CallFunc::create([this] {
                                         if (!_touchedItem && !_view->isDragging()) _scrolled = false;
                                     }),
                                     nullptr);
    settled->setTag(kRowSlideTag);
    runAction(settled);
}

void SavedListPanel::fitRowWidth()
{
    Node* container = _view->getContainer();
    float needed = _view->getViewSize().width;
    if (!_items.empty())
        needed = std::max(needed, _items.back()->getPositionX() + _items.back()->getContentSize().width * 0.5f + 50);
    container->setContentSize(Size(needed, container->getContentSize().height));
}

void SavedListPanel::registerListeners()
{
    auto* panel = EventListenerTouchOneByOne::create();
    panel->setSwallowTouches(true);
    panel->onTouchBegan = [this](Touch*, Event*) {
        if (!shown()) return false;
        hideItemButtons();
        return true;
    };
    _eventDispatcher->addEventListenerWithSceneGraphPriority(panel, this);

    // Either wheel slides the row: down or right goes on to older circuits.
    auto* wheel = EventListenerMouse::create();
    wheel->onMouseScroll = [this](EventMouse* event) {
        if (!shown() || _touchedItem) return;
        const float notches = (event->getScrollX() - event->getScrollY()) / kWheelNotch;
        if (notches != 0) scrollRow(notches * kWheelNotchTravel, kWheelScrollTime);
    };
    _eventDispatcher->addEventListenerWithSceneGraphPriority(wheel, this);

    auto* tile = EventListenerTouchOneByOne::create();
    tile->setSwallowTouches(true);
    tile->onTouchBegan = [this](Touch* touch, Event* event) {
        if (!shown() || !touchhit::inTarget(touch, event)) return false;
        event->getCurrentTarget()->setColor(Color3B::GRAY);
        hideItemButtons();
        return true;
    };
    tile->onTouchMoved = [](Touch* touch, Event* event) {
        event->getCurrentTarget()->setColor(touchhit::inTarget(touch, event) ? Color3B::GRAY : Color3B::WHITE);
    };
    tile->onTouchEnded = [this](Touch* touch, Event* event) {
        if (touchhit::inTarget(touch, event)) _listener->newCircuit();
        event->getCurrentTarget()->setColor(Color3B::WHITE);
    };
    _eventDispatcher->addEventListenerWithSceneGraphPriority(tile, _saveNewTile);
}
