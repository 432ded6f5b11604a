#pragma once

#include <sys/time.h>

#include <functional>
#include <string>

#include "2d/CCLabel.h"
#include "2d/CCRenderTexture.h"
#include "2d/CCTextFieldTTF.h"
#include "LoadingLayer.h"
#include "PartEnd.h"
#include "PartType.h"
#include "ZelmLoadSprite.h"
#include "ZelmPartSprite.h"
#include "cocos2d.h"
#include "extensions/cocos-ext.h"
#include "ui/UIEditBox.h"


// The editor layer: the only child of the application's scene. It builds the
// whole screen, owns all editor state and wires every touch listener.
class ZelmcircuitScene : public cocos2d::Layer,
                         public cocos2d::extension::ScrollViewDelegate,
                         public cocos2d::TextFieldDelegate,
                         public cocos2d::ui::EditBoxDelegate {
public:
    static ZelmcircuitScene* create();
    ~ZelmcircuitScene() override;
    void visit(cocos2d::Renderer* renderer, const cocos2d::Mat4& parentTransform, uint32_t parentFlags) override;
    bool init() override;

    void scrollViewDidScroll(cocos2d::extension::ScrollView* view) override;
    void scrollViewDidZoom(cocos2d::extension::ScrollView* view) override;

    bool onTextFieldAttachWithIME(cocos2d::TextFieldTTF* sender) override;
    bool onTextFieldDetachWithIME(cocos2d::TextFieldTTF* sender) override;

    void editBoxEditingDidBegin(cocos2d::ui::EditBox* editBox) override;
    void editBoxEditingDidEnd(cocos2d::ui::EditBox* editBox) override;
    void editBoxTextChanged(cocos2d::ui::EditBox* editBox, const std::string& text) override;
    void editBoxReturn(cocos2d::ui::EditBox* editBox) override;

    void showHelp();

    // Addresses the settings links open in the system browser.
    static const char* const kCompanionStoreUrl;
    static const char* const kMakerSiteUrl;

    cocos2d::EventListenerMouse* mouseListener = nullptr;
    LoadingLayer* busyOverlay = nullptr;
    cocos2d::LayerColor* savedListPanel = nullptr;
    cocos2d::extension::ScrollView* boardView = nullptr;
    cocos2d::extension::ScrollView* savedListView = nullptr;
    cocos2d::Sprite* drawerPanel = nullptr;
    cocos2d::Sprite* trashSprite = nullptr;
    cocos2d::Sprite* savedListBin = nullptr;
    cocos2d::Sprite* copyButton = nullptr;
    cocos2d::Sprite* editButton = nullptr;
    cocos2d::Sprite* postButton = nullptr;
    cocos2d::Sprite* selectionFrame = nullptr;
    ZelmPartSprite* paletteGhost = nullptr;
    ZelmPartSprite* paletteNewPart = nullptr;
    ZelmPartSprite* selectedPart = nullptr;
    ZelmLoadSprite* touchedItem = nullptr;
    ZelmLoadSprite* currentItem = nullptr;
    ZelmLoadSprite* selectedItem = nullptr;
    std::string currentCircuitId;
    std::string newCircuitDate;
    cocos2d::RenderTexture* boardSnapshot = nullptr; // retained
    PartEnd* chainEnds[2] = {nullptr, nullptr};
    cocos2d::Touch* selectedTouch = nullptr;
    bool listTapBlocked = false;
    bool touchStill = true;
    bool dragging = false;
    bool groupDrag = false;
    bool drawerPeeking = true;
    bool savedListShown = true;
    bool boardActive = true;
    bool viewScrolled = false;
    bool itemDragMode = false;
    bool signedIn = false;
    bool skipDoubleTap = false;
    cocos2d::Vector<ZelmPartSprite*> boardParts;
    cocos2d::Vector<ZelmPartSprite*> groupParts;
    cocos2d::Vector<ZelmLoadSprite*> listItems;
    ZelmPartSprite* paletteItems[PartTypes::count] = {};   // retained
    cocos2d::Label* partCountLabels[PartTypes::count] = {}; // retained
    PartEnd* snapMovingEnd = nullptr;
    PartEnd* snapTargetEnd = nullptr;
    int32_t snapSavedRotation = 0;
    int32_t partCounts[PartTypes::count] = {};
    cocos2d::Vec2 tapTravel;
    cocos2d::Vec2 dragTotal;
    cocos2d::Vec2 snapDrag;
    cocos2d::Vec2 tabTravel;
    cocos2d::Vec2 settingsTravel;
    cocos2d::Vec2 listItemDrag;
    struct timeval lastTapTime {};
    struct timeval wheelZoomTime {};
    cocos2d::Vec2 lastTapLocation;
    cocos2d::Vec2 snapAnchor;
    cocos2d::Vec2 snapSavedPosition;
    cocos2d::TextFieldTTF* nameField = nullptr;
    cocos2d::TextFieldTTF* codeField = nullptr;

    // Built by init; kept so that listeners can be registered on them.
    cocos2d::Layer* boardLayer = nullptr;
    cocos2d::Layer* headsUpLayer = nullptr;
    cocos2d::Layer* guardLayer = nullptr;
    cocos2d::Sprite* drawerTab = nullptr;
    cocos2d::Sprite* settingsIcon = nullptr;
    cocos2d::Sprite* okButton = nullptr;
    cocos2d::Sprite* helpButton = nullptr;
    cocos2d::Sprite* showcaseLogo = nullptr;
    cocos2d::Sprite* makerLogo = nullptr;
    cocos2d::Sprite* saveNewTile = nullptr;

    // True when the touch lies in the event target's bounding box, its origin
    // taken to world space through the target's parent.
    static bool hitTestNode(cocos2d::Touch* touch, cocos2d::Event* event);

protected:
    ZelmcircuitScene() = default;

private:
    void buildBoard(const cocos2d::Size& vis);
    void buildDrawer(const cocos2d::Size& vis);
    void buildPalette();
    void buildSavedList();
    void resetState();
    void registerListeners();
    void registerButton(cocos2d::Node* button, const std::function<void()>& action);
    void startUp();
};
