#include <string>

#include "AppConstants.h"
#include "ZelmcircuitScene.h"

USING_NS_CC;

namespace {

const Color3B kAccountHighlight(190, 2, 22);
using veloquix::kBodyFont;
using veloquix::kTitleFont;

Sprite* addSprite(Node* parent, const std::string& file, const Vec2& position)
{
    auto* sprite = Sprite::create(file);
    if (!sprite) return nullptr;
    sprite->setPosition(position);
    parent->addChild(sprite);
    return sprite;
}

Label* addLabel(Node* parent, const std::string& text, const std::string& font, float size, const Vec2& position,
                const Color4B& colour)
{
    auto* label = Label::createWithTTF(text, font, size);
    label->setPosition(position);
    label->setTextColor(colour);
    parent->addChild(label);
    return label;
}

void colourLetters(Label* label, int first, int last)
{
    for (int i = first; i <= last; ++i) {
        if (auto* letter = label->getLetter(i)) letter->setColor(kAccountHighlight);
    }
}

} // namespace

bool ZelmcircuitScene::buildBoard(const Size& vis)
{
    boardLayer = Layer::create();
    boardView = extension::ScrollView::create(Size(vis.width, vis.height), nullptr);
    boardView->setDelegate(this);
    boardView->setContentSize(Size(vis.width * 2, vis.height * 2));
    boardView->setContentOffset(Vec2(-0.5f * vis.width, -0.5f * vis.height), false);
    boardView->setZoomScale(1.0f);
    boardView->setMinScale(0.0f);
    boardView->setMaxScale(2.0f);
    boardView->setDirection(extension::ScrollView::Direction::BOTH);
    boardLayer->addChild(boardView);

    auto* texture = Director::getInstance()->getTextureCache()->addImage("res/base.png");
    if (!texture) return false;
    auto* background = Sprite::createWithTexture(texture, Rect(0, 0, vis.width * 2, vis.height * 2), false);
    background->setAnchorPoint(Vec2::ZERO);
    // One small picture repeated over the whole board.
    texture->setTexParameters(Texture2D::TexParams{GL_LINEAR, GL_LINEAR, GL_REPEAT, GL_REPEAT});
    background->setPosition(Vec2::ZERO);
    boardView->addChild(background);

    auto* scale = Sprite::create("res/base_scale.png");
    if (!scale) return false;
    scale->setAnchorPoint(Vec2::ZERO);
    scale->setPosition(Vec2::ZERO);
    boardView->addChild(scale);
    return true;
}

bool ZelmcircuitScene::buildDrawer(const Size& vis)
{
    drawerPanel = Sprite::create("res/tab_base.png");
    if (!drawerPanel) return false;
    const Size panel = drawerPanel->getContentSize();
    drawerPanel->setPosition(panel.width * 0.5f, vis.height - panel.height * 0.5f);
    headsUpLayer->addChild(drawerPanel);
    const float W = panel.width;

    drawerTab = Sprite::create("res/tab.png");
    if (!drawerTab) return false;
    const Size tab = drawerTab->getContentSize();
    drawerTab->setPosition(W - tab.width * 0.5f, 3 - tab.height * 0.5f);
    drawerPanel->addChild(drawerTab);

    addLabel(drawerPanel, "VELOQUIX", kTitleFont, 27, Vec2(W * 0.5f, 810), Color4B::WHITE);
    addLabel(drawerPanel, "Version 1.1.0", kTitleFont, 16, Vec2(W * 0.5f, 790), Color4B::GRAY);

    settingsIcon = Sprite::create("res/other_setting.png");
    if (!settingsIcon) return false;
    const Size icon = settingsIcon->getContentSize();
    settingsIcon->setPosition(W - icon.width * 0.5f, icon.height * 0.5f + 100);
    drawerPanel->addChild(settingsIcon);

    for (float y : {100.0f, 740.0f, 550.0f, 420.0f}) {
        if (!addSprite(drawerPanel, "res/common_line.png", Vec2(W * 0.5f, y))) return false;
    }

    auto* explanation =
        addLabel(drawerPanel, "Enter the Galvora-Name and Account-Code issued by \"Galvora\".", kBodyFont, 15,
                 Vec2(W * 0.5f, 705), Color4B::WHITE);
    colourLetters(explanation, 10, 21);
    colourLetters(explanation, 27, 38);

    auto addField = [this](const Vec2& position, const std::string& placeholder) {
        auto* background = addSprite(drawerPanel, "res/other_code.png", position);
        if (!background) return static_cast<TextFieldTTF*>(nullptr);
        const Size size = background->getContentSize();
        auto* field = TextFieldTTF::textFieldWithPlaceHolder(placeholder, size, TextHAlignment::CENTER, "Arial", 15);
        field->setPosition(size.width * 0.5f, size.height * 0.5f);
        field->setDelegate(this);
        background->addChild(field);
        return field;
    };
    nameField = addField(Vec2(369, 665), "Galvora-Name(UserID)");
    codeField = addField(Vec2(655, 665), "Account-Code(Password)");
    if (!nameField || !codeField) return false;

    okButton = addSprite(drawerPanel, "res/other_ok.png", Vec2(vis.width * 0.5f, 605));
    addLabel(drawerPanel, "HELP", kTitleFont, 27, Vec2(W * 0.5f, 515), Color4B::WHITE);
    helpButton = addSprite(drawerPanel, "res/other_help.png", Vec2(W * 0.5f, 470));
    addLabel(drawerPanel, "CREDIT", kTitleFont, 27, Vec2(W * 0.5f, 385), Color4B::WHITE);
    showcaseLogo = addSprite(drawerPanel, "res/other_galvora.png", Vec2(W * 0.5f - 150, 280));
    makerLogo = addSprite(drawerPanel, "res/other_kito.png", Vec2(W * 0.5f + 150, 280));
    if (!okButton || !helpButton || !showcaseLogo || !makerLogo) return false;

    return _palette->build(drawerPanel);
}

bool ZelmcircuitScene::buildSavedList()
{
    savedListPanel = LayerColor::create(Color4B::BLACK);
    savedListView = extension::ScrollView::create(savedListPanel->getContentSize(), nullptr);
    savedListView->setDelegate(this);
    savedListView->setDirection(extension::ScrollView::Direction::HORIZONTAL);
    savedListPanel->addChild(savedListView);

    saveNewTile = Sprite::create("res/save_new.png");
    if (!saveNewTile) return false;
    saveNewTile->setPosition(saveNewTile->getContentSize().width * 0.5f + 50,
                             savedListView->getContentSize().height * 0.5f);
    savedListView->addChild(saveNewTile);
    return true;
}
