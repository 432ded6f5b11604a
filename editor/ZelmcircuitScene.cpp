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
    for (auto*& item : paletteItems) CC_SAFE_RELEASE_NULL(item);
    for (auto*& label : partCountLabels) CC_SAFE_RELEASE_NULL(label);
    CC_SAFE_RELEASE_NULL(boardSnapshot);
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
    trashSprite = Sprite::create("res/common_deleat_close.png");
    if (!trashSprite) return false;
    trashSprite->setPosition(vis.width * 0.5f, trashSprite->getContentSize().height * 0.5f);
    trashSprite->setOpacity(0);
    headsUpLayer->addChild(trashSprite);
    if (!buildDrawer(vis) || !buildSavedList()) return false;
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
    paletteGhost = paletteNewPart = selectedPart = nullptr;
    touchedItem = currentItem = selectedItem = nullptr;
    savedListBin = copyButton = editButton = postButton = selectionFrame = nullptr;
    chainEnds[0] = chainEnds[1] = nullptr;
    snapMovingEnd = snapTargetEnd = nullptr;
    selectedTouch = nullptr;
    listTapBlocked = false;
    touchStill = true;
    dragging = false;
    groupDrag = false;
    drawerPeeking = true;
    savedListShown = true;
    boardActive = true;
    viewScrolled = false;
    itemDragMode = false;
    signedIn = false;
    skipDoubleTap = false;
    boardParts.clear();
    groupParts.clear();
    listItems.clear();
    snapSavedRotation = 0;
    tapTravel = dragTotal = snapDrag = tabTravel = settingsTravel = listItemDrag = Vec2::ZERO;
    lastTapLocation = snapAnchor = snapSavedPosition = Vec2::ZERO;
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
