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
    _boardLayer = Layer::create();
    _boardView = extension::ScrollView::create(Size(vis.width, vis.height), nullptr);
    _boardView->setContentSize(Size(vis.width * 2, vis.height * 2));
    _boardView->setContentOffset(Vec2(-0.5f * vis.width, -0.5f * vis.height), false);
    _boardView->setZoomScale(1.0f);
    _boardView->setMinScale(0.0f);
    _boardView->setMaxScale(2.0f);
    _boardView->setDirection(extension::ScrollView::Direction::BOTH);
    _boardLayer->addChild(_boardView);

    auto* texture = Director::getInstance()->getTextureCache()->addImage("res/base.png");
    if (!texture) return false;
    auto* background = Sprite::createWithTexture(texture, Rect(0, 0, vis.width * 2, vis.height * 2), false);
    background->setAnchorPoint(Vec2::ZERO);
    // One small picture repeated over the whole board.
    texture->setTexParameters(Texture2D::TexParams{GL_LINEAR, GL_LINEAR, GL_REPEAT, GL_REPEAT});
    background->setPosition(Vec2::ZERO);
    _boardView->addChild(background);

    auto* scale = Sprite::create("res/base_scale.png");
    if (!scale) return false;
    scale->setAnchorPoint(Vec2::ZERO);
    scale->setPosition(Vec2::ZERO);
    _boardView->addChild(scale);
    return true;
}

bool ZelmcircuitScene::buildDrawer(const Size& vis)
{
    _drawerPanel = Sprite::create("res/tab_base.png");
    if (!_drawerPanel) return false;
    const Size panel = _drawerPanel->getContentSize();
    _drawerPanel->setPosition(panel.width * 0.5f, vis.height - panel.height * 0.5f);
    _headsUpLayer->addChild(_drawerPanel);
    const float W = panel.width;

    _drawerTab = Sprite::create("res/tab.png");
    if (!_drawerTab) return false;
    const Size tab = _drawerTab->getContentSize();
    _drawerTab->setPosition(W - tab.width * 0.5f, 3 - tab.height * 0.5f);
    _drawerPanel->addChild(_drawerTab);

    addLabel(_drawerPanel, "VELOQUIX", kTitleFont, 27, Vec2(W * 0.5f, 810), Color4B::WHITE);
    addLabel(_drawerPanel, "Version 1.1.0", kTitleFont, 16, Vec2(W * 0.5f, 790), Color4B::GRAY);

    _settingsIcon = Sprite::create("res/other_setting.png");
    if (!_settingsIcon) return false;
    const Size icon = _settingsIcon->getContentSize();
    _settingsIcon->setPosition(W - icon.width * 0.5f, icon.height * 0.5f + 100);
    _drawerPanel->addChild(_settingsIcon);

    for (float y : {100.0f, 740.0f, 550.0f, 420.0f}) {
        if (!addSprite(_drawerPanel, "res/common_line.png", Vec2(W * 0.5f, y))) return false;
    }

    auto* explanation =
        addLabel(_drawerPanel, "Enter the Galvora-Name and Account-Code issued by \"Galvora\".", kBodyFont, 15,
                 Vec2(W * 0.5f, 705), Color4B::WHITE);
    colourLetters(explanation, 10, 21);
    colourLetters(explanation, 27, 38);

    auto addField = [this](const Vec2& position, const std::string& placeholder) {
        auto* background = addSprite(_drawerPanel, "res/other_code.png", position);
        if (!background) return static_cast<TextFieldTTF*>(nullptr);
        const Size size = background->getContentSize();
        auto* field = TextFieldTTF::textFieldWithPlaceHolder(placeholder, size, TextHAlignment::CENTER, "Arial", 15);
        field->setPosition(size.width * 0.5f, size.height * 0.5f);
        background->addChild(field);
        return field;
    };
    _nameField = addField(Vec2(369, 665), "Galvora-Name(UserID)");
    _codeField = addField(Vec2(655, 665), "Account-Code(Password)");
    if (!_nameField || !_codeField) return false;

    _okButton = addSprite(_drawerPanel, "res/other_ok.png", Vec2(vis.width * 0.5f, 605));
    addLabel(_drawerPanel, "HELP", kTitleFont, 27, Vec2(W * 0.5f, 515), Color4B::WHITE);
    _helpButton = addSprite(_drawerPanel, "res/other_help.png", Vec2(W * 0.5f, 470));
    addLabel(_drawerPanel, "CREDIT", kTitleFont, 27, Vec2(W * 0.5f, 385), Color4B::WHITE);
    _showcaseLogo = addSprite(_drawerPanel, "res/other_galvora.png", Vec2(W * 0.5f - 150, 280));
    _makerLogo = addSprite(_drawerPanel, "res/other_kito.png", Vec2(W * 0.5f + 150, 280));
    if (!_okButton || !_helpButton || !_showcaseLogo || !_makerLogo) return false;

    return _palette->build(_drawerPanel);
}
