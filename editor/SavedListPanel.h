#pragma once

#include <string>

#include "DragPace.h"
#include "ZelmLoadSprite.h"
#include "cocos2d.h"
#include "extensions/cocos-ext.h"
#include "ui/UIEditBox.h"

// The saved circuits as a row of thumbnails over the board, with the tile
// that makes a new one. An item dragged up shows its buttons (rename, copy,
// post) and, flicked or pulled high enough, goes into the bin.
class SavedListPanel : public cocos2d::LayerColor,
                       public cocos2d::extension::ScrollViewDelegate,
                       public cocos2d::ui::EditBoxDelegate {
public:
    // What the panel asks of the rest of the application.
    class Listener {
    public:
        virtual ~Listener() = default;
        virtual void openCircuit(ZelmLoadSprite* item) = 0;
        virtual void newCircuit() = 0;
        virtual void copyCircuit(const std::string& id) = 0;
        virtual void postCircuit(const std::string& id, const std::string& name) = 0;
        virtual void deleteCircuit(const std::string& id) = 0;
        virtual void renameCircuit(const std::string& id, const std::string& name) = 0;
        // Posting needs an account; without one the help explains it.
        virtual bool postAllowed() const = 0;
        virtual void showHelp() = 0;
        // The touch now ending only stopped a coasting view.
        virtual bool tapBlocked() const = 0;
    };

    static SavedListPanel* create(Listener* listener);
    // False when a picture it shows is missing.
    bool initWithListener(Listener* listener);

    void registerListeners();
    // Shown, the list takes touches; hidden, it takes none.
    void setShown(bool shown);
    bool shown() const { return isVisible(); }

    // A new item takes the first place and pushes the others along.
    void addListItem(const std::string& id, const std::string& name, bool open);
    // An item back at its old place (at most the number of items): those
    // from that place on move along.
    void insertListItem(const std::string& id, const std::string& name, bool open, std::size_t place);
    void showItemButtons(ZelmLoadSprite* item);
    void hideItemButtons();
    // The item flies into the bin and the row closes the gap.
    void animateItemDeletion(ZelmLoadSprite* item);
    // The open circuit's item, when it is listed.
    ZelmLoadSprite* currentItem() const { return _currentItem; }
    void setCurrentItem(ZelmLoadSprite* item) { _currentItem = item; }

    // The list scrolled since its last touch ended.
    bool scrolled() const { return _scrolled; }
    void setScrolled(bool scrolled) { _scrolled = scrolled; }

    const cocos2d::Vector<ZelmLoadSprite*>& items() const { return _items; }
    cocos2d::extension::ScrollView* view() const { return _view; }
    cocos2d::Sprite* saveNewTile() const { return _saveNewTile; }
    cocos2d::Sprite* bin() const { return _bin; }
    cocos2d::Sprite* copyButton() const { return _copyButton; }
    cocos2d::Sprite* editButton() const { return _editButton; }
    cocos2d::Sprite* postButton() const { return _postButton; }
    bool postButtonActive() const { return _postButtonActive; }
    ZelmLoadSprite* selectedItem() const { return _selectedItem; }
    bool itemDragMode() const { return _itemDragMode; }

    void scrollViewDidScroll(cocos2d::extension::ScrollView* view) override;
    void scrollViewDidZoom(cocos2d::extension::ScrollView* view) override;
    void scrollViewTouchFinished(cocos2d::extension::ScrollView* view) override;
    // A name is never empty: an emptied box gets the old name back.
    void editBoxReturn(cocos2d::ui::EditBox* box) override;

protected:
    SavedListPanel() = default;

private:
    void registerItemListener(ZelmLoadSprite* item);
    void releaseItem(ZelmLoadSprite* item, cocos2d::Touch* touch);
    void springItemBack(ZelmLoadSprite* item);
    void endItemTouch();
    // The row as wide as its items, and at least as wide as the view.
    void fitRowWidth();

    Listener* _listener = nullptr;
    cocos2d::extension::ScrollView* _view = nullptr;
    cocos2d::Sprite* _saveNewTile = nullptr;
    cocos2d::Vector<ZelmLoadSprite*> _items;
    ZelmLoadSprite* _currentItem = nullptr;
    bool _scrolled = false;

    // The item under a finger, and whether that finger drags it up or down.
    ZelmLoadSprite* _touchedItem = nullptr;
    bool _itemDragMode = false;
    cocos2d::Vec2 _itemDrag;
    DragPace _itemPace;
    cocos2d::Sprite* _bin = nullptr;

    // The buttons of the item dragged last.
    ZelmLoadSprite* _selectedItem = nullptr;
    cocos2d::Sprite* _copyButton = nullptr;
    cocos2d::Sprite* _editButton = nullptr;
    cocos2d::Sprite* _postButton = nullptr;
    cocos2d::Sprite* _selectionFrame = nullptr;
    bool _postButtonActive = false;
};
