#include "ZelmcircuitScene.h"

#include <new>

#include "HelpView.h"

USING_NS_CC;

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
    CC_SAFE_RELEASE_NULL(boardSnapshot);
    // The sprites and the palette watch the model: they go first.
    _gesture.reset();
    _sprites.reset();
    _palette.reset();
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
    headsUpLayer = Layer::create();
    auto* trashSprite = Sprite::create("res/common_deleat_close.png");
    if (!trashSprite) return false;
    trashSprite->setPosition(vis.width * 0.5f, trashSprite->getContentSize().height * 0.5f);
    trashSprite->setOpacity(0);
    headsUpLayer->addChild(trashSprite);
    _trash = std::make_unique<Trash>(trashSprite);
    _palette = std::make_unique<Palette>();
    if (!buildDrawer(vis) || !buildSavedList()) return false;

    // Every part's geometry follows its picture, as the palette shows it.
    circuit::PictureSizes pictures;
    for (PartType t = 0; t < PartTypes::count; ++t) pictures[t] = _palette->item(t)->getContentSize();
    _model = std::make_unique<circuit::CircuitModel>(pictures, boardView->getContentSize());
    _palette->watch(_model.get());
    _sprites = std::make_unique<PartSprites>(*_model, boardView->getContainer(),
                                             [this](ZelmPartSprite* sprite) { _gesture->attach(sprite); });
    _gesture = std::make_unique<PartGesture>(*this, *_model, *_sprites, *_trash, boardView, this, this);
    guardLayer = Layer::create();
    busyOverlay = LoadingLayer::create();

    addChild(boardLayer);
    addChild(savedListPanel);
    addChild(headsUpLayer);
    addChild(guardLayer);
    addChild(busyOverlay);

    resetState();
    registerListeners();
    startUp();
    return true;
}

void ZelmcircuitScene::resetState()
{
    touchedItem = currentItem = selectedItem = nullptr;
    savedListBin = copyButton = editButton = postButton = selectionFrame = nullptr;
    listTapBlocked = false;
    drawerPeeking = true;
    savedListShown = true;
    boardActive = true;
    viewScrolled = false;
    itemDragMode = false;
    signedIn = false;
    skipDoubleTap = false;
    listItems.clear();
    tapTravel = tabTravel = settingsTravel = listItemDrag = Vec2::ZERO;
    lastTapLocation = Vec2::ZERO;
    wheelZoomTime = {};
    cocos2d::gettimeofday(&lastTapTime, nullptr);
}

void ZelmcircuitScene::startUp()
{
    auto* store = UserDefault::getInstance();
    if (store->getBoolForKey("open", false)) {
        restoreSavedCircuits();
        const std::string name = store->getStringForKey("name");
        if (!name.empty()) nameField->setString(name);
        const std::string code = store->getStringForKey("code");
        if (!code.empty()) {
            codeField->setString(code);
            requestAccount(code);
        }
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
}

bool ZelmcircuitScene::onTextFieldAttachWithIME(TextFieldTTF*)
{
    return false;
}

bool ZelmcircuitScene::onTextFieldDetachWithIME(TextFieldTTF*)
{
    return false;
}

void ZelmcircuitScene::editBoxEditingDidBegin(ui::EditBox*) {}
void ZelmcircuitScene::editBoxEditingDidEnd(ui::EditBox*) {}
void ZelmcircuitScene::editBoxTextChanged(ui::EditBox*, const std::string&) {}

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
    _model->clear();
    const Size view = boardView->getViewSize();
    // Putting the board back is not a scroll by the user: it must not make
    // the next tap count as one that only stops a scroll.
    const bool scrolled = viewScrolled;
    boardView->setZoomScale(1.0f, false);
    boardView->setContentOffset(Vec2(-view.width * 0.5f, -view.height * 0.5f), false);
    viewScrolled = scrolled;
}

void ZelmcircuitScene::commitEdit()
{
    saveCircuit(currentCircuitId);
    takeBoardSnapshot();
}
