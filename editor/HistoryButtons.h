#pragma once

#include <functional>

#include "cocos2d.h"

// The undo and redo buttons at the bottom right of the board's heads-up
// layer, clear of the trash, the frame-rate panel and the drawer's tab:
// dimmed while there is nothing to take back or put back, hidden while the
// saved-circuits list shows.
class HistoryButtons {
public:
    HistoryButtons() = default;
    HistoryButtons(const HistoryButtons&) = delete;
    HistoryButtons& operator=(const HistoryButtons&) = delete;

    // Adds the buttons to layer; whatever is added after them (the drawer)
    // lies over them and takes touches first. False when a picture is missing.
    bool build(cocos2d::Node* layer);
    // A press runs its action unless another finger is down.
    void registerListeners(std::function<void()> undo, std::function<void()> redo);
    void refresh(bool canUndo, bool canRedo);
    void setShown(bool shown);

    cocos2d::Sprite* undoButton() const { return _undo; }
    cocos2d::Sprite* redoButton() const { return _redo; }

private:
    cocos2d::Sprite* _undo = nullptr;
    cocos2d::Sprite* _redo = nullptr;
};
