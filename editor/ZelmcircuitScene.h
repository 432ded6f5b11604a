#pragma once

#include <sys/time.h>

#include <functional>
#include <memory>
#include <unordered_map>
#include <string>
#include <vector>

#include "2d/CCLabel.h"
#include "2d/CCRenderTexture.h"
#include "2d/CCTextFieldTTF.h"
#include "CircuitDocument.h"
#include "CircuitModel.h"
#include "LoadingLayer.h"
#include "Palette.h"
#include "PartGesture.h"
#include "PartSprites.h"
#include "PartType.h"
#include "Trash.h"
#include "ZelmLoadSprite.h"
#include "ZelmPartSprite.h"
#include "cocos2d.h"
#include "extensions/cocos-ext.h"
#include "network/HttpClient.h"
#include "ui/UIEditBox.h"

// The editor layer: the only child of the application's scene. It builds the
// whole screen and owns all editor state. Each behaviour lives in a source
// file of its own and registers its own listeners:
//   ZelmcircuitScene.cpp             creation, start-up, delegate callbacks
//   ZelmcircuitSceneLayout.cpp       the node tree of the screen
//   ZelmcircuitSceneInput.cpp        buttons, account fields, drawer panel
//   ZelmcircuitScenePlacement.cpp    palette drag, picking up, moving, turning
//   ZelmcircuitSceneConnections.cpp  where ends lie, snapping, chains
//   ZelmcircuitSceneRemoval.cpp      trash and clearing the board
//   ZelmcircuitSceneNavigation.cpp   pan, pinch, double tap, wheel, tap guard
//   ZelmcircuitSceneDrawer.cpp       sliding and dragging the drawer
//   storage/ZelmcircuitSceneStorage.cpp    circuit documents, saved circuits, thumbnails
//   storage/ZelmcircuitSceneSavedList.cpp  the saved-circuits panel
//   showcase/ZelmcircuitSceneAccount.cpp   signing in to the showcase
class ZelmcircuitScene : public cocos2d::Layer,
                         public cocos2d::extension::ScrollViewDelegate,
                         public cocos2d::TextFieldDelegate,
                         public cocos2d::ui::EditBoxDelegate,
                         public PartGesture::Host {
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

    // True when the touch lies in the event target's bounding box, its origin
    // taken to world space through the target's parent.
    static bool hitTestNode(cocos2d::Touch* touch, cocos2d::Event* event);

    // ---- Screen: nodes built by init -------------------------------------
    LoadingLayer* busyOverlay = nullptr;
    cocos2d::Layer* boardLayer = nullptr;
    cocos2d::Layer* headsUpLayer = nullptr;
    cocos2d::Layer* guardLayer = nullptr;
    cocos2d::extension::ScrollView* boardView = nullptr;
    cocos2d::Sprite* drawerPanel = nullptr;
    cocos2d::Sprite* drawerTab = nullptr;
    cocos2d::Sprite* settingsIcon = nullptr;
    cocos2d::Sprite* okButton = nullptr;
    cocos2d::Sprite* helpButton = nullptr;
    cocos2d::Sprite* showcaseLogo = nullptr;
    cocos2d::Sprite* makerLogo = nullptr;
    cocos2d::TextFieldTTF* nameField = nullptr;
    cocos2d::TextFieldTTF* codeField = nullptr;

    // ---- The circuit and the parts on the board ---------------------------
    circuit::CircuitModel& model() const { return *_model; }
    PartGesture& gesture() const { return *_gesture; }
    PartSprites& partSprites() const { return *_sprites; }
    Palette& palette() const { return *_palette; }
    Trash& trash() const { return *_trash; }

    // A part joins the board, unlinked; it is the model's from then on.
    circuit::PartId addPartToBoard(PartType type, const cocos2d::Vec2& position, float rotation = 0);
    static bool hitTestPart(ZelmPartSprite* part, const cocos2d::Vec2& worldPoint);
    cocos2d::Vec2 endToBoard(const circuit::EndRef& end, bool inner) const;
    int endAngle(const circuit::EndRef& a, const circuit::EndRef& b) const;
    void placePartClamped(circuit::PartId part, const cocos2d::Vec2& position);
    void moveSingleWithSnap(circuit::PartId part, const cocos2d::Vec2& step);
    void moveGroupWithSnap(const cocos2d::Vec2& step);
    void linkTouchingEnd(const circuit::EndRef& end);
    void unlinkEnd(const circuit::EndRef& end);
    circuit::EndRef findChainEnd(circuit::PartId start, int direction) const;
    std::vector<circuit::PartId> collectChain(circuit::PartId start) const;
    void updateTrashHover(ZelmPartSprite* part, const cocos2d::Vec2& worldLocation);
    void dropOnTrash(circuit::PartId part, const cocos2d::Vec2& worldLocation);
    void clearBoard();

    // ---- Navigation: pan, zoom, taps -------------------------------------
    // The board's two extra notifications: a pinch ended, a touch sequence ended.
    void scrollViewZoomFinished(cocos2d::extension::ScrollView* view) override;
    void scrollViewTouchFinished(cocos2d::extension::ScrollView* view) override;
    void onBoardZoomFinished(cocos2d::extension::ScrollView* view);
    void onBoardTouchFinished(cocos2d::extension::ScrollView* view);

    cocos2d::EventListenerMouse* mouseListener = nullptr;
    bool viewScrolled = false;
    bool skipDoubleTap = false;
    bool listTapBlocked = false;
    bool boardActive = true;
    cocos2d::Vec2 tapTravel;
    struct timeval lastTapTime {};
    cocos2d::Vec2 lastTapLocation;
    struct timeval wheelZoomTime {};
    // Fingers on the board now, and whether two were down together since
    // it last had none.
    int boardFingers = 0;
    bool boardMultiTouch = false;
    // Counts wheel steps, so that only the last of a burst settles the zoom.
    unsigned wheelSteps = 0;

    // ---- Drawer -----------------------------------------------------------
    // Closing goes to peeking, or out of sight while the saved list shows.
    // The wheel zooms unless the drawer is open.
    void slideDrawer(bool open);
    // Peeking or hidden; leaves the wheel as it is.
    void peekDrawer(bool peek);
    float drawerOpenY() const;
    float drawerPeekingY() const;
    float drawerHiddenY() const;

    bool drawerPeeking = true;
    cocos2d::Vec2 tabTravel;
    cocos2d::Vec2 settingsTravel;

    // ---- Storage: saved circuits, thumbnails, the saved-circuits panel ----
    void saveCircuit(const std::string& key);
    void loadCircuit(const std::string& key);
    void restoreSavedCircuits();
    void addSavedCircuit(const std::string& sourceId);
    void openSavedCircuit(ZelmLoadSprite* item);
    void deleteSavedCircuit(const std::string& id);
    void renameSavedCircuit(const std::string& id, const std::string& name);
    void takeBoardSnapshot();
    void showSavedList(bool show);
    void addListItem(const std::string& id, const std::string& name);
    void showItemButtons(ZelmLoadSprite* item);
    void hideItemButtons();
    void animateItemDeletion(ZelmLoadSprite* item);
    // Full path of a circuit's thumbnail under the writable folder.
    static std::string thumbnailPath(const std::string& id);

    cocos2d::LayerColor* savedListPanel = nullptr;
    cocos2d::extension::ScrollView* savedListView = nullptr;
    cocos2d::Sprite* saveNewTile = nullptr;
    cocos2d::Sprite* savedListBin = nullptr;
    cocos2d::Sprite* copyButton = nullptr;
    cocos2d::Sprite* editButton = nullptr;
    cocos2d::Sprite* postButton = nullptr;
    cocos2d::Sprite* selectionFrame = nullptr;
    ZelmLoadSprite* touchedItem = nullptr;
    ZelmLoadSprite* currentItem = nullptr;
    ZelmLoadSprite* selectedItem = nullptr;
    cocos2d::Vector<ZelmLoadSprite*> listItems;
    std::string currentCircuitId;
    std::string newCircuitDate;
    cocos2d::RenderTexture* boardSnapshot = nullptr; // retained
    // Counts the pictures drawn into boardSnapshot, which is drawn over again.
    unsigned boardSnapshotSerial = 0;
    bool savedListShown = true;
    bool itemDragMode = false;
    cocos2d::Vec2 listItemDrag;
    bool postButtonActive = false;

    // ---- Showcase: account ------------------------------------------------
    // Sends the code to the showcase behind the busy overlay.
    void requestAccount(const std::string& code);
    void onAccountResponse(cocos2d::network::HttpClient* client, cocos2d::network::HttpResponse* response);
    // Both account fields wobble and come to rest where they stood.
    void shakeAccountFields();

    bool signedIn = false;

protected:
    ZelmcircuitScene() = default;

private:
    // Each false when a picture it builds on is missing (the texture cache names it).
    bool buildBoard(const cocos2d::Size& vis);
    bool buildDrawer(const cocos2d::Size& vis);
    bool buildSavedList();
    void resetState();
    void registerListeners();
    void registerButton(cocos2d::Node* button, const std::function<void()>& action);
    void startUp();

    // Storage
    void renderBoardSnapshot();
    cocos2d::RenderTexture* renderThumbnail();
    void refreshThumbnail();
    void registerSavedListListeners();
    void registerItemListener(ZelmLoadSprite* item);
    void springItemBack(ZelmLoadSprite* item);
    void endItemTouch();

    // Navigation
    void registerNavigationListeners();
    void boardTouchEnded(cocos2d::Touch* touch, bool ended);
    void doubleTap(cocos2d::Touch* touch);
    void wheelZoom(float scrollY);
    void settleWheelZoom(unsigned step);
    void scrollStopGuardEnded();

    // Showcase
    void registerShowcaseListeners();
    void submitAccount();

    // Drawer
    void registerDrawerListeners();
    void moveDrawer(float y, float seconds);
    void dragDrawer(cocos2d::Touch* touch, float upperLimit);
    void releaseTab(cocos2d::Touch* touch);
    void releaseSettingsIcon(cocos2d::Touch* touch);
    // The finger's movement in the latest frame of a drawer drag: on release
    // it tells a flick from a slow pull.
    struct DragPace {
        cocos2d::Vec2 lastMove;
        unsigned lastFrame = 0;
        void add(const cocos2d::Vec2& delta);
        // The last movement's y, or 0 when the finger rested before lifting.
        float releaseY(cocos2d::Touch* touch);
    };
    DragPace tabPace;
    DragPace settingsPace;

    // PartGesture::Host
    bool listShowing() const override { return savedListShown; }
    bool boardTapSpent() const override { return viewScrolled || listTapBlocked; }
    void partTouchReset() override { skipDoubleTap = true; }
    void commitEdit() override;

    std::unique_ptr<circuit::CircuitModel> _model;
    std::unique_ptr<Palette> _palette;
    std::unique_ptr<Trash> _trash;
    std::unique_ptr<PartSprites> _sprites;
    std::unique_ptr<PartGesture> _gesture;
    // Each part's text in the last saved document, reused while it stays put.
    std::unordered_map<circuit::PartId, circuitdoc::PartText> _savedTexts;
};
