#pragma once

#include <memory>
#include <string>
#include <vector>

#include "BoardNavigation.h"
#include "BoardSnapshot.h"
#include "CircuitHealth.h"
#include "CircuitModel.h"
#include "CircuitStore.h"
#include "Drawer.h"
#include "History.h"
#include "HistoryButtons.h"
#include "KeyCommands.h"
#include "LoadingLayer.h"
#include "OpenEndMarkers.h"
#include "Palette.h"
#include "PartGesture.h"
#include "PartSprites.h"
#include "PartType.h"
#include "SavedListPanel.h"
#include "ScreenMode.h"
#include "ScrollStopGuard.h"
#include "SignIn.h"
#include "StatusLine.h"
#include "Trash.h"
#include "ZelmLoadSprite.h"
#include "ZelmPartSprite.h"
#include "cocos2d.h"
#include "extensions/cocos-ext.h"

// The editor layer: the only child of the application's scene. It builds the
// screen (ZelmcircuitSceneLayout.cpp), owns the collaborators that keep the
// editor's state, and passes what one of them reports on to the others:
//   CircuitModel      the parts and their joints, no node
//   PartSprites       the parts' pictures on the board
//   Palette           the part types and their counts in the drawer
//   PartGesture       dragging from the palette, lifting, moving, turning, trashing
//   Trash             the bin and the frames of a part thrown in
//   BoardNavigation   panning, pinching, double taps, the wheel
//   ScrollStopGuard   a still touch that only stops a coasting view
//   ScreenMode        board or list, the drawer's rest, the wheel's switch
//   Drawer            the panel's positions, drags and slides
//   SavedListPanel    the row of saved circuits
//   CircuitStore      documents, the save list and thumbnails in the store
//   BoardSnapshot     the picture the open circuit's thumbnail is made from
//   SignIn            the showcase account
//   CircuitHealth     open ends, closed pieces and the nearest gap, no node
//   OpenEndMarkers    the rings on the open ends
//   StatusLine        the line that says whether the circuit closes
//   History           the open circuit's undo steps, one per finished gesture
//   HistoryButtons    the undo and redo buttons
//   KeyCommands       the keyboard's commands
// The operations named here are the editor's entry points; each hands its
// work to the collaborator that owns it.
class ZelmcircuitScene : public cocos2d::Layer,
                         public PartGesture::Host,
                         public BoardNavigation::Host,
                         public SavedListPanel::Listener,
                         public SignIn::Listener {
public:
    static ZelmcircuitScene* create();
    ~ZelmcircuitScene() override;
    void visit(cocos2d::Renderer* renderer, const cocos2d::Mat4& parentTransform, uint32_t parentFlags) override;
    bool init() override;

    // Addresses the settings links open in the system browser.
    static const char* const kCompanionStoreUrl;
    static const char* const kMakerSiteUrl;

    // True when the touch lies in the event target's bounding box, its origin
    // taken to world space through the target's parent.
    static bool hitTestNode(cocos2d::Touch* touch, cocos2d::Event* event);
    void showHelp() override;

    // ---- The circuit and the parts on the board ---------------------------
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
    // The circuit changed: it is saved and the board pictured.
    void commitEdit() override;

    // ---- Undo and redo ------------------------------------------------------
    // The last step taken back or put back, then saved and pictured like an
    // edit; neither waits for nor moves anything else. Over the saved list,
    // undo brings back the circuit deleted last.
    void undo();
    void redo();

    // ---- Navigation ---------------------------------------------------------
    void onBoardZoomFinished(cocos2d::extension::ScrollView* view);
    void onBoardTouchFinished(cocos2d::extension::ScrollView* view);

    // ---- Drawer -------------------------------------------------------------
    void slideDrawer(bool open);
    void peekDrawer(bool peek);

    // ---- Saved circuits -----------------------------------------------------
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
    void hideItemButtons();

    // ---- Showcase -----------------------------------------------------------
    void requestAccount(const std::string& code);

    // ---- The collaborators, for whoever must look closer --------------------
    circuit::CircuitModel& model() const { return *_model; }
    PartSprites& partSprites() const { return *_sprites; }
    Palette& palette() const { return *_palette; }
    PartGesture& gesture() const { return *_gesture; }
    Trash& trash() const { return *_trash; }
    BoardNavigation& navigation() const { return *_navigation; }
    ScrollStopGuard& guard() const { return *_guard; }
    ScreenMode& mode() const { return *_mode; }
    Drawer& drawer() const { return *_drawer; }
    SavedListPanel& savedList() const { return *_savedList; }
    CircuitStore& store() const { return *_store; }
    BoardSnapshot& snapshot() const { return *_snapshot; }
    SignIn& signIn() const { return *_signIn; }
    circuit::CircuitHealth& health() const { return *_health; }
    OpenEndMarkers& openEndMarkers() const { return *_markers; }
    StatusLine& statusLine() const { return *_status; }
    circuit::History& history() const { return *_history; }
    HistoryButtons& historyButtons() const { return *_historyButtons; }
    KeyCommands& keyCommands() const { return *_keys; }
    cocos2d::extension::ScrollView* boardView() const { return _boardView; }
    LoadingLayer* busyOverlay() const { return _busyOverlay; }
    cocos2d::Layer* headsUpLayer() const { return _headsUpLayer; }
    cocos2d::Sprite* okButton() const { return _okButton; }
    cocos2d::Sprite* helpButton() const { return _helpButton; }
    cocos2d::Sprite* showcaseLogo() const { return _showcaseLogo; }
    cocos2d::Sprite* makerLogo() const { return _makerLogo; }

protected:
    ZelmcircuitScene() = default;

private:
    // Each false when a picture it builds on is missing (the texture cache names it).
    bool buildBoard(const cocos2d::Size& vis);
    bool buildDrawer(const cocos2d::Size& vis);
    void buildCollaborators();
    void registerListeners();
    void startUp();
    void stepHistory(bool back);

    // PartGesture::Host
    bool listShowing() const override;
    bool boardTapSpent() const override;
    void partTouchReset() override;
    // BoardNavigation::Host
    bool partInHand() const override;
    void letGoOfPress() override;
    void leaveBoard() override;
    void boardSettled() override;
    bool boardShown() const override;
    // SavedListPanel::Listener
    void openCircuit(ZelmLoadSprite* item) override;
    void newCircuit() override;
    void copyCircuit(const std::string& id) override;
    void postCircuit(const std::string& id, const std::string& name) override;
    void deleteCircuit(const std::string& id) override;
    void renameCircuit(const std::string& id, const std::string& name) override;
    bool postAllowed() const override;
    bool tapBlocked() const override;
    // SignIn::Listener
    void signedIn() override;

    // Nodes, owned by the scene graph.
    cocos2d::Layer* _boardLayer = nullptr;
    cocos2d::Layer* _headsUpLayer = nullptr;
    cocos2d::Layer* _guardLayer = nullptr;
    cocos2d::extension::ScrollView* _boardView = nullptr;
    LoadingLayer* _busyOverlay = nullptr;
    cocos2d::Sprite* _drawerPanel = nullptr;
    cocos2d::Sprite* _drawerTab = nullptr;
    cocos2d::Sprite* _settingsIcon = nullptr;
    cocos2d::TextFieldTTF* _nameField = nullptr;
    cocos2d::TextFieldTTF* _codeField = nullptr;
    cocos2d::Sprite* _okButton = nullptr;
    cocos2d::Sprite* _helpButton = nullptr;
    cocos2d::Sprite* _showcaseLogo = nullptr;
    cocos2d::Sprite* _makerLogo = nullptr;
    SavedListPanel* _savedList = nullptr;

    // Collaborators. Those that watch the model come after it, so they go first.
    std::unique_ptr<CircuitStore> _store;
    std::unique_ptr<BoardSnapshot> _snapshot;
    std::unique_ptr<Trash> _trash;
    std::unique_ptr<circuit::CircuitModel> _model;
    std::unique_ptr<Palette> _palette;
    std::unique_ptr<PartSprites> _sprites;
    std::unique_ptr<circuit::CircuitHealth> _health;
    std::unique_ptr<OpenEndMarkers> _markers;
    std::unique_ptr<StatusLine> _status;
    std::unique_ptr<ScreenMode> _mode;
    std::unique_ptr<Drawer> _drawer;
    std::unique_ptr<BoardNavigation> _navigation;
    std::unique_ptr<ScrollStopGuard> _guard;
    std::unique_ptr<PartGesture> _gesture;
    std::unique_ptr<circuit::History> _history;
    std::unique_ptr<HistoryButtons> _historyButtons;
    std::unique_ptr<KeyCommands> _keys;
    SignIn* _signIn = nullptr; // retained
};
