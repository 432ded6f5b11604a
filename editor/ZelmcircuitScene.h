#pragma once

#include <sys/time.h>

#include <functional>
#include <string>
#include <vector>

#include "2d/CCLabel.h"
#include "2d/CCRenderTexture.h"
#include "2d/CCTextFieldTTF.h"
#include "ConnectionGeometry.h"
#include "LoadingLayer.h"
#include "PartEnd.h"
#include "PartType.h"
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

    // True when the touch lies in the event target's bounding box, its origin
    // taken to world space through the target's parent.
    static bool hitTestNode(cocos2d::Touch* touch, cocos2d::Event* event);

    // ---- Screen: nodes built by init -------------------------------------
    LoadingLayer* busyOverlay = nullptr;
    cocos2d::Layer* boardLayer = nullptr;
    cocos2d::Layer* headsUpLayer = nullptr;
    cocos2d::Layer* guardLayer = nullptr;
    cocos2d::extension::ScrollView* boardView = nullptr;
    cocos2d::Sprite* trashSprite = nullptr;
    cocos2d::Sprite* drawerPanel = nullptr;
    cocos2d::Sprite* drawerTab = nullptr;
    cocos2d::Sprite* settingsIcon = nullptr;
    cocos2d::Sprite* okButton = nullptr;
    cocos2d::Sprite* helpButton = nullptr;
    cocos2d::Sprite* showcaseLogo = nullptr;
    cocos2d::Sprite* makerLogo = nullptr;
    cocos2d::TextFieldTTF* nameField = nullptr;
    cocos2d::TextFieldTTF* codeField = nullptr;

    // ---- Placement: palette drag, picking up, moving, turning ------------
    void addPartToBoard(ZelmPartSprite* part);
    static bool hitTestPart(ZelmPartSprite* part, const cocos2d::Vec2& worldPoint);
    void refreshPartCount(PartType type);

    cocos2d::Vector<ZelmPartSprite*> boardParts; // placement order = search and save order
    int32_t partCounts[PartTypes::count] = {};
    ZelmPartSprite* paletteItems[PartTypes::count] = {};   // retained
    cocos2d::Label* partCountLabels[PartTypes::count] = {}; // retained
    ZelmPartSprite* paletteGhost = nullptr;
    ZelmPartSprite* paletteNewPart = nullptr;
    ZelmPartSprite* selectedPart = nullptr;
    cocos2d::Touch* selectedTouch = nullptr;
    bool touchStill = true;
    bool dragging = false;
    bool groupDrag = false;
    cocos2d::Vec2 dragTotal;
    cocos2d::Vector<ZelmPartSprite*> groupParts; // the picked-up chain, in chain order
    PartEnd* chainEnds[2] = {nullptr, nullptr};  // both null for a closed loop

    // ---- Connections: where ends lie, snapping, chains --------------------
    cocos2d::Vec2 endToBoard(const PartEnd& end, bool inner) const;
    int endAngle(const PartEnd& a, const PartEnd& b) const;
    void placePartClamped(ZelmPartSprite* part, const cocos2d::Vec2& position);
    void moveSingleWithSnap(ZelmPartSprite* part, const cocos2d::Vec2& step);
    void moveGroupWithSnap(const cocos2d::Vec2& step);
    void linkTouchingEnd(PartEnd& end);
    void unlinkEnd(PartEnd& end);
    PartEnd* findChainEnd(ZelmPartSprite* start, int direction);
    void collectChain(ZelmPartSprite* start);
    void realignChain(ZelmPartSprite* from, ZelmPartSprite* previous, ZelmPartSprite* owner);
    void alignToNeighbour(ZelmPartSprite* part, ZelmPartSprite* previous);

    PartEnd* snapTargetEnd = nullptr;
    PartEnd* snapMovingEnd = nullptr;
    cocos2d::Vec2 snapAnchor;
    cocos2d::Vec2 snapSavedPosition;
    int32_t snapSavedRotation = 0;
    cocos2d::Vec2 snapDrag;

    // ---- Removal: trash and clearing the board ---------------------------
    void updateTrashHover(ZelmPartSprite* part, const cocos2d::Vec2& worldLocation);
    void dropOnTrash(ZelmPartSprite* part, const cocos2d::Vec2& worldLocation);
    void clearBoard();
    // Tag of a part that has left the board and plays its removal frames.
    static constexpr int kLeavingPartTag = 0x7a55;

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
    bool buildPalette();
    bool buildSavedList();
    void resetState();
    void registerListeners();
    void registerButton(cocos2d::Node* button, const std::function<void()>& action);
    void startUp();

    // Placement
    void registerPlacementListeners();
    void registerPartListener(ZelmPartSprite* part);
    void pickUp(cocos2d::Touch* touch, unsigned serial);
    void pickUpChain(cocos2d::Touch* touch, unsigned serial);
    bool pickUpStillDue(cocos2d::Touch* touch, unsigned serial) const;
    void endPartTouch(cocos2d::Touch* touch);
    void cancelPartTouch();
    void rotateByTap(ZelmPartSprite* part);
    void resetPartTouch();
    void clearSnap();
    // Counts part touches, so a delayed pick-up step left over from an earlier
    // touch never acts on a later one that happens to reuse its Touch object.
    unsigned partTouchSerial = 0;

    // Removal
    void fadeTrash(bool in);

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

    // Connections
    void breakAway(ZelmPartSprite* part);
    // Fills searchTargets with the ends of every board part but movingPart
    // (and, for a chain, but its own parts), in board order, end A first.
    void collectTargets(const ZelmPartSprite* movingPart, bool skipGroup);
    // Kept between drag steps so a step allocates nothing.
    std::vector<connection::EndSpot> searchMoving;
    std::vector<connection::EndSpot> searchTargets;
    std::vector<PartEnd*> searchTargetEnds;
};
