#include "ZelmcircuitScene.h"

#include <new>
#include <utility>

#include "HelpView.h"
#include "KeySheet.h"
#include "MessageLine.h"
#include "PostView.h"
#include "TouchHit.h"
#include "WindowTitle.h"

USING_NS_CC;

namespace {
// Just below the peeking palette, clear of the sign-in fields of the open drawer.
constexpr float kMessageLineY = 620;
} // namespace

const char* const ZelmcircuitScene::kCompanionStoreUrl = "https://apps.galvora.example/companion";
const char* const ZelmcircuitScene::kMakerSiteUrl = "https://www.kito.example/";

ZelmcircuitScene* ZelmcircuitScene::create()
{
    auto* layer = new (std::nothrow) ZelmcircuitScene();
    if (layer && layer->init()) {
        layer->autorelease();
        return layer;
    }
    delete layer;
    return nullptr;
}

ZelmcircuitScene::~ZelmcircuitScene()
{
    // A sign-in reply may still be out: it must not reach back into a scene
    // that is gone.
    if (_signIn) {
        _signIn->forgetListener();
        _signIn->release();
    }
    UserDefault::setWriteProblemListener(nullptr);
}

void ZelmcircuitScene::visit(Renderer* renderer, const Mat4& parentTransform, uint32_t parentFlags)
{
    const Size visible = Director::getInstance()->getVisibleSize();
    if (!getContentSize().equals(visible)) setContentSize(visible);
    Node::visit(renderer, parentTransform, parentFlags);
}

bool ZelmcircuitScene::init()
{
    if (!Layer::init()) return false;

    const Size vis = Director::getInstance()->getVisibleSize();
    if (!buildBoard(vis)) return false;
    _headsUpLayer = Layer::create();
    auto* trashSprite = Sprite::create("res/common_deleat_close.png");
    if (!trashSprite) return false;
    trashSprite->setPosition(vis.width * 0.5f, trashSprite->getContentSize().height * 0.5f);
    trashSprite->setOpacity(0);
    _headsUpLayer->addChild(trashSprite);
    _trash = std::make_unique<Trash>(trashSprite);
    _historyButtons = std::make_unique<HistoryButtons>();
    if (!_historyButtons->build(_headsUpLayer)) return false;
    _palette = std::make_unique<Palette>();
    if (!buildDrawer(vis)) return false;
    _savedList = SavedListPanel::create(this);
    if (!_savedList) return false;
    _guardLayer = Layer::create();
    _messages = MessageLine::create();
    _messages->setPosition(vis.width * 0.5f, kMessageLineY);
    _busyOverlay = LoadingLayer::create();

    addChild(_boardLayer);
    addChild(_savedList);
    addChild(_headsUpLayer);
    addChild(_guardLayer);
    addChild(_messages);
    addChild(_busyOverlay);

    buildCollaborators();
    registerListeners();
    startUp();
    return true;
}

void ZelmcircuitScene::buildCollaborators()
{
    _store = std::make_unique<CircuitStore>();
    _snapshot = std::make_unique<BoardSnapshot>();
    // Every part's geometry follows its picture, as the palette shows it.
    circuit::PictureSizes pictures;
    for (PartType t = 0; t < PartTypes::count; ++t) pictures[t] = _palette->item(t)->getContentSize();
    _model = std::make_unique<circuit::CircuitModel>(pictures, _boardView->getContentSize());
    _palette->watch(_model.get());
    _sprites = std::make_unique<PartSprites>(*_model, _boardView->getContainer(),
                                             [this](ZelmPartSprite* sprite) { _gesture->attach(sprite); });
    _mode = std::make_unique<ScreenMode>(this, [this](float scrollY) { _navigation->wheelZoom(scrollY); });
    _drawer = std::make_unique<Drawer>(*_mode, _drawerPanel, _drawerTab, _settingsIcon);
    _navigation = std::make_unique<BoardNavigation>(*this, _boardView, this);
    _boardView->setDelegate(_navigation.get());
    // A still touch stops whichever view coasts; on the board it also takes
    // the picture the coasting kept from being taken.
    _guard = std::make_unique<ScrollStopGuard>(
        [this] { return _navigation->scrolled() || _savedList->scrolled(); },
        [this] {
            _navigation->setScrolled(false);
            _savedList->setScrolled(false);
            if (!_mode->listShown()) takeBoardSnapshot();
        });
    _gesture = std::make_unique<PartGesture>(*this, *_model, *_sprites, *_trash, _boardView, this, this);
    _health = std::make_unique<circuit::CircuitHealth>(*_model);
    _markers = std::make_unique<OpenEndMarkers>(*_model, _boardView->getContainer());
    _status = std::make_unique<StatusLine>(
        *_model, *_health, _boardView, _headsUpLayer, [this] { return _mode->listShown(); },
        [this] { _navigation->onBoardTouchFinished(); });
    _history = std::make_unique<circuit::History>(*_model);
    _keys = std::make_unique<KeyCommands>();
    _signIn = SignIn::create(this, _nameField, _codeField, _busyOverlay);
    _signIn->retain();
}

void ZelmcircuitScene::registerListeners()
{
    _drawer->registerListeners([this] { _signIn->endEntry(); });
    touchhit::registerButton(_helpButton, [this] { showHelp(); });
    touchhit::registerButton(_showcaseLogo, [] { Application::getInstance()->openURL(kCompanionStoreUrl); });
    touchhit::registerButton(_makerLogo, [] { Application::getInstance()->openURL(kMakerSiteUrl); });
    _gesture->registerPalette(*_palette);
    _savedList->registerListeners();
    _navigation->registerListeners(_boardLayer);
    _guard->registerListener(_guardLayer);
    _signIn->registerListeners(_okButton);
    _status->registerListener();
    _historyButtons->registerListeners([this] { undo(); }, [this] { redo(); });
    bindKeys();
    _keys->registerListener(this);
    UserDefault::setWriteProblemListener([this](const std::string& reason) { showWriteProblem(reason); });
}

void ZelmcircuitScene::showWriteProblem(const std::string& reason)
{
    _messages->setStanding(reason.empty() ? "" : "Changes are not being saved: " + reason);
    raiseMessages();
}

void ZelmcircuitScene::tell(const std::string& text)
{
    _messages->tell(text);
    raiseMessages();
}

void ZelmcircuitScene::raiseMessages()
{
    // Over the post view and whatever else came later; under the help and
    // the key sheet, unless nothing is being saved, which must not hide;
    // under the busy overlay while it shows.
    if (_messages->shownText().empty()) return;
    reorderChild(_messages, _messages->getLocalZOrder());
    const bool standing = !UserDefault::getInstance()->writeProblem().empty();
    for (Node* child : std::vector<Node*>(getChildren().begin(), getChildren().end())) {
        const bool pager = dynamic_cast<CocosKito::HelpView*>(child) || dynamic_cast<KeySheet*>(child);
        if ((pager && !standing) || (child == _busyOverlay && _busyOverlay->isBusy()))
            reorderChild(child, child->getLocalZOrder());
    }
}

namespace {

// The topmost child of the scene of type T that is not on its way out.
template <class T>
T* shownOnTop(const Node* scene)
{
    const auto& children = scene->getChildren();
    for (ssize_t i = children.size() - 1; i >= 0; --i) {
        if (auto* found = dynamic_cast<T*>(children.at(i))) {
            if (!found->isClosing()) return found;
        }
    }
    return nullptr;
}

constexpr float kKeyZoomStep = 0.25f;

// An arrow key pans the board by this share of the screen.
constexpr float kKeyPanShare = 0.1f;

} // namespace

void ZelmcircuitScene::bindKeys()
{
    using Key = EventKeyboard::KeyCode;
    // Escape closes what has the keyboard too: a rename, the post view's boxes.
    const KeyCommands::When alsoTyping{true, false};
    _keys->bind({Key::KEY_Z, true, false}, [this] { undo(); });
    _keys->bind({Key::KEY_Z, true, true}, [this] { redo(); });
    _keys->bind({Key::KEY_Y, true, false}, [this] { redo(); });
    // Plus is Shift+= on most layouts, and = alone is the usual shortcut.
    for (Key plus : {Key::KEY_EQUAL, Key::KEY_PLUS, Key::KEY_KP_PLUS}) {
        for (bool shift : {false, true}) _keys->bind({plus, true, shift}, [this] { keyZoom(kKeyZoomStep); });
    }
    for (Key minus : {Key::KEY_MINUS, Key::KEY_KP_MINUS}) _keys->bind({minus, true, false}, [this] { keyZoom(-kKeyZoomStep); });
    _keys->bind({Key::KEY_0, true, false}, [this] { keyZoom(0); });
    _keys->bind({Key::KEY_LEFT_ARROW, false, false}, [this] { arrowKey(-1, 0); });
    _keys->bind({Key::KEY_RIGHT_ARROW, false, false}, [this] { arrowKey(1, 0); });
    _keys->bind({Key::KEY_UP_ARROW, false, false}, [this] { arrowKey(0, 1); });
    _keys->bind({Key::KEY_DOWN_ARROW, false, false}, [this] { arrowKey(0, -1); });
    _keys->bind({Key::KEY_N, true, false}, [this] { keyNewCircuit(); });
    _keys->bind({Key::KEY_F1, false, false}, [this] {
        if (!overlayShown()) showHelp();
    });
    _keys->bind({Key::KEY_Q, true, false}, [this] { quit(); }, KeyCommands::When{true, true});
    _keys->bind({Key::KEY_ESCAPE, false, false}, [this] { closeTopmost(); }, alsoTyping);
    // Ctrl+? is Ctrl+Shift+/ on most layouts; where ? has a key of its own it comes as itself.
    _keys->bind({Key::KEY_SLASH, true, true}, [this] { showKeys(); });
    for (bool shift : {false, true}) _keys->bind({Key::KEY_QUESTION, true, shift}, [this] { showKeys(); });
}

bool ZelmcircuitScene::overlayShown() const
{
    return _busyOverlay->isBusy() || shownOnTop<CocosKito::HelpView>(this) || shownOnTop<PostView>(this) ||
           shownOnTop<KeySheet>(this);
}

void ZelmcircuitScene::showKeys()
{
    if (shownOnTop<KeySheet>(this)) return;
    if (auto* sheet = KeySheet::create()) {
        addChild(sheet);
        raiseMessages();
    }
}

bool ZelmcircuitScene::closeTopmost()
{
    if (auto* sheet = shownOnTop<KeySheet>(this)) {
        sheet->close();
        return true;
    }
    if (auto* help = shownOnTop<CocosKito::HelpView>(this)) {
        help->close();
        return true;
    }
    if (auto* post = shownOnTop<PostView>(this)) return post->close();
    if (_savedList->cancelRename()) return true;
    if (_drawer->isOpen()) {
        _signIn->endEntry();
        slideDrawer(false);
        return true;
    }
    return false;
}

void ZelmcircuitScene::quit()
{
    if (GLView* view = Director::getInstance()->getOpenGLView()) view->requestClose();
}

void ZelmcircuitScene::refreshTitle()
{
    std::string name;
    if (!_mode->listShown()) {
        for (const circuitdoc::SaveEntry& entry : _store->savedCircuits())
            if (entry.id == _store->openId()) name = entry.name;
    }
    veloquix::showCircuitInWindowTitle(name);
}

void ZelmcircuitScene::arrowKey(int dx, int dy)
{
    if (auto* help = shownOnTop<CocosKito::HelpView>(this)) {
        help->turnPage(dx);
        return;
    }
    if (overlayShown()) return;
    if (_mode->listShown()) {
        _savedList->scrollByItems(dx);
    } else if (!_drawer->isOpen()) {
        _navigation->pan(Vec2(float(dx), float(dy)) * kKeyPanShare);
    }
}

void ZelmcircuitScene::keyZoom(float step)
{
    if (overlayShown() || _mode->listShown() || _drawer->isOpen()) return;
    // A step of nothing is Ctrl+0: back to full size.
    _navigation->zoomTo(step == 0 ? 1.0f : _boardView->getZoomScale() + step);
}

void ZelmcircuitScene::keyNewCircuit()
{
    if (overlayShown()) return;
    // As from the list's new-circuit tile: the open circuit is put away first.
    if (!_mode->listShown()) leaveBoard();
    newCircuit();
}

void ZelmcircuitScene::startUp()
{
    auto* store = UserDefault::getInstance();
    if (store->getBoolForKey("open", false)) {
        restoreSavedCircuits();
        _signIn->restore();
        return;
    }
    store->setBoolForKey("open", true);
    store->flush();
    showHelp();
}

void ZelmcircuitScene::showHelp()
{
    auto* help = CocosKito::HelpView::create();
    if (!help) return;
    help->setAnchorPoint(Vec2::ZERO);
    help->setPosition(Vec2::ZERO);
    addChild(help);
    raiseMessages();
}

bool ZelmcircuitScene::hitTestNode(Touch* touch, Event* event)
{
    return touchhit::inTarget(touch, event);
}

// ---- The circuit and the parts on the board ---------------------------------

circuit::PartId ZelmcircuitScene::addPartToBoard(PartType type, const Vec2& position, float rotation)
{
    return _model->add(type, position, rotation);
}

bool ZelmcircuitScene::hitTestPart(ZelmPartSprite* part, const Vec2& worldPoint)
{
    return PartGesture::hitTestPart(part, worldPoint);
}

Vec2 ZelmcircuitScene::endToBoard(const circuit::EndRef& end, bool inner) const
{
    return _model->endToBoard(end, inner);
}

int ZelmcircuitScene::endAngle(const circuit::EndRef& a, const circuit::EndRef& b) const
{
    return _model->endAngle(a, b);
}

void ZelmcircuitScene::placePartClamped(circuit::PartId part, const Vec2& position)
{
    _model->placeClamped(part, position);
}

void ZelmcircuitScene::moveSingleWithSnap(circuit::PartId part, const Vec2& step)
{
    _gesture->moveSingleWithSnap(part, step);
}

void ZelmcircuitScene::moveGroupWithSnap(const Vec2& step)
{
    _gesture->moveGroupWithSnap(step);
}

void ZelmcircuitScene::linkTouchingEnd(const circuit::EndRef& end)
{
    _model->linkTouchingEnd(end);
}

void ZelmcircuitScene::unlinkEnd(const circuit::EndRef& end)
{
    _model->unlinkEnd(end);
}

circuit::EndRef ZelmcircuitScene::findChainEnd(circuit::PartId start, int direction) const
{
    return _model->findChainEnd(start, direction);
}

std::vector<circuit::PartId> ZelmcircuitScene::collectChain(circuit::PartId start) const
{
    return _model->collectChain(start);
}

void ZelmcircuitScene::updateTrashHover(ZelmPartSprite* part, const Vec2& worldLocation)
{
    _gesture->updateTrashHover(part, worldLocation);
}

void ZelmcircuitScene::dropOnTrash(circuit::PartId part, const Vec2& worldLocation)
{
    _gesture->dropOnTrash(part, worldLocation);
}

void ZelmcircuitScene::clearBoard()
{
    // The many small blocks of a large board go back to the system once the
    // screen rests, not in the frame that closes it.
    _model->clear();
    const Size view = _boardView->getViewSize();
    // Putting the board back is not a scroll by the user: it must not make
    // the next tap count as one that only stops a scroll.
    const bool scrolled = _navigation->scrolled();
    _boardView->setZoomScale(1.0f, false);
    _boardView->setContentOffset(Vec2(-view.width * 0.5f, -view.height * 0.5f), false);
    _navigation->setScrolled(scrolled);
}

void ZelmcircuitScene::commitEdit()
{
    saveCircuit(_store->openId());
    takeBoardSnapshot();
    _historyButtons->refresh(_history->canUndo(), _history->canRedo());
}

// ---- Undo and redo -------------------------------------------------------------

void ZelmcircuitScene::undo()
{
    if (!_mode->listShown()) {
        stepHistory(true);
        return;
    }
    CircuitStore::RestoredCircuit restored;
    if (_store->restoreDeletedCircuit(&restored))
        _savedList->insertListItem(restored.id, restored.name, restored.open, restored.place);
}

void ZelmcircuitScene::redo()
{
    if (!_mode->listShown()) stepHistory(false);
}

void ZelmcircuitScene::stepHistory(bool back)
{
    if (_gesture->partInHand()) return;
    // Whatever changed since the last step (a touch the system cancelled)
    // becomes a step first, so the one taken back is the latest.
    _history->closeStep();
    if (back ? _history->undo() : _history->redo())
        commitEdit();
    else
        _historyButtons->refresh(_history->canUndo(), _history->canRedo());
}

bool ZelmcircuitScene::listShowing() const
{
    return _mode->listShown();
}

bool ZelmcircuitScene::boardTapSpent() const
{
    return _navigation->scrolled() || _guard->tapBlocked();
}

void ZelmcircuitScene::partTouchReset()
{
    _navigation->skipNextTap();
}

// ---- Navigation --------------------------------------------------------------

void ZelmcircuitScene::onBoardZoomFinished(extension::ScrollView* view)
{
    if (view == _boardView) _navigation->onBoardZoomFinished();
}

void ZelmcircuitScene::onBoardTouchFinished(extension::ScrollView* view)
{
    if (view == _boardView) _navigation->onBoardTouchFinished();
}

bool ZelmcircuitScene::partInHand() const
{
    return _gesture->partInHand();
}

void ZelmcircuitScene::letGoOfPress()
{
    _gesture->letGo();
}

void ZelmcircuitScene::leaveBoard()
{
    showSavedList(true);
    peekDrawer(false);
}

void ZelmcircuitScene::boardSettled()
{
    takeBoardSnapshot();
}

bool ZelmcircuitScene::boardShown() const
{
    return !_mode->listShown();
}

// ---- Drawer ------------------------------------------------------------------

void ZelmcircuitScene::slideDrawer(bool open)
{
    _drawer->slideDrawer(open);
}

void ZelmcircuitScene::peekDrawer(bool peek)
{
    _drawer->peekDrawer(peek);
}

// ---- Saved circuits ----------------------------------------------------------

void ZelmcircuitScene::saveCircuit(const std::string& key)
{
    // The history is the open circuit's; a step ends with the save.
    const bool open = key == _store->openId();
    if (open) _history->closeStep();
    _store->saveCircuit(key, *_model, open ? _history.get() : nullptr);
}

void ZelmcircuitScene::loadCircuit(const std::string& key)
{
    std::vector<circuit::PartPlacement> placements;
    for (const circuitdoc::PartRecord& record : _store->loadCircuit(key))
        placements.push_back({record.type, Vec2(record.x, record.y), record.rotation});
    _model->addTouching(placements);
    // Loading is no step: the history starts as the store kept it.
    circuitdoc::StoredHistory kept = _store->loadHistory(key);
    _history->load(std::move(kept.steps), kept.done, kept.first);
    _historyButtons->refresh(_history->canUndo(), _history->canRedo());
}

void ZelmcircuitScene::restoreSavedCircuits()
{
    if (_store->reopenLast()) {
        loadCircuit(_store->openId());
        showSavedList(false);
        // Edited after its thumbnail was written by a copy that never quit:
        // the board as it opens is pictured, to be written before the list
        // shows it.
        if (_store->thumbnailBehind() == _store->openId()) takeBoardSnapshot();
    } else {
        showSavedList(true);
    }
    const auto entries = _store->savedCircuits();
    // Every new item takes the first place, so oldest first ends newest first.
    for (auto it = entries.rbegin(); it != entries.rend(); ++it) addListItem(it->id, it->name);
}

void ZelmcircuitScene::addSavedCircuit(const std::string& sourceId)
{
    const std::string id = _store->addCircuit(sourceId);
    refreshTitle();
    if (!sourceId.empty()) {
        addListItem(id, _store->newCircuitDate());
        return;
    }
    _snapshot->render(_boardView);
    RenderTexture* thumbnail = _snapshot->renderThumbnail();
    thumbnail->saveToFile(CircuitStore::thumbnailName(id), Image::Format::PNG, true,
                          [this](RenderTexture*, const std::string&) {
                              addListItem(_store->openId(), _store->newCircuitDate());
                          });
}

void ZelmcircuitScene::openSavedCircuit(ZelmLoadSprite* item)
{
    _store->openCircuit(item->id());
    loadCircuit(item->id());
    showSavedList(false);
    peekDrawer(true);
    _savedList->setCurrentItem(item);
}

void ZelmcircuitScene::deleteSavedCircuit(const std::string& id)
{
    if (_store->deleteCircuit(id)) _savedList->setCurrentItem(nullptr);
}

void ZelmcircuitScene::renameSavedCircuit(const std::string& id, const std::string& name)
{
    _store->renameCircuit(id, name);
    refreshTitle();
}

void ZelmcircuitScene::takeBoardSnapshot()
{
    _snapshot->take(_boardView, _navigation->scrolled());
}

void ZelmcircuitScene::showSavedList(bool show)
{
    if (show) {
        writeOpenThumbnail();
        clearBoard();
    }
    _palette->setActive(!show);
    _savedList->setShown(show);
    _mode->setListShown(show);
    _historyButtons->setShown(!show);
    _historyButtons->refresh(_history->canUndo(), _history->canRedo());
    refreshTitle();
}

void ZelmcircuitScene::writeOpenThumbnail()
{
    if (!_savedList->currentItem()) return;
    const std::string id = _store->openId();
    const bool written = _snapshot->refreshThumbnail(_boardView, id, [this](const std::string& path) {
        if (ZelmLoadSprite* item = _savedList->currentItem()) _savedList->setItemPicture(item, path);
    });
    if (written) _store->thumbnailWritten(id);
}

void ZelmcircuitScene::putAway()
{
    // The thumbnail is written now, as the list would write it on opening.
    if (!_mode->listShown()) writeOpenThumbnail();
}

void ZelmcircuitScene::addListItem(const std::string& id, const std::string& name)
{
    _savedList->addListItem(id, name, id == _store->openId());
}

void ZelmcircuitScene::hideItemButtons()
{
    _savedList->hideItemButtons();
}

void ZelmcircuitScene::openCircuit(ZelmLoadSprite* item)
{
    openSavedCircuit(item);
}

void ZelmcircuitScene::newCircuit()
{
    showSavedList(false);
    peekDrawer(true);
    addSavedCircuit("");
}

void ZelmcircuitScene::copyCircuit(const std::string& id)
{
    addSavedCircuit(id);
}

void ZelmcircuitScene::postCircuit(const std::string& id, const std::string& name)
{
    if (auto* view = PostView::create(id, name)) {
        view->setTeller([this](const std::string& text) { tell(text); });
        addChild(view);
        raiseMessages();
    }
}

void ZelmcircuitScene::deleteCircuit(const std::string& id)
{
    deleteSavedCircuit(id);
}

void ZelmcircuitScene::renameCircuit(const std::string& id, const std::string& name)
{
    renameSavedCircuit(id, name);
}

bool ZelmcircuitScene::postAllowed() const
{
    return _signIn->isSignedIn();
}

bool ZelmcircuitScene::tapBlocked() const
{
    return _guard->tapBlocked();
}

// ---- Showcase ----------------------------------------------------------------

void ZelmcircuitScene::requestAccount(const std::string& code)
{
    _signIn->requestAccount(code);
}

void ZelmcircuitScene::signedIn()
{
    slideDrawer(false);
}
