#include "PostView.h"

#include <new>

#include "AppConstants.h"
#include "FailureShake.h"
#include "ShowcaseRequests.h"
#include "CircuitStore.h"
#include "TouchHit.h"

USING_NS_CC;

namespace {

using veloquix::kTitleFont;
const char* const kTextFont = "Hiragino Kaku Gothic ProN";
const Rect kThumbnailRect(0, 0, 320, 240);

// A name is one line in the box, whatever line breaks it was saved with.
std::string singleLine(std::string text)
{
    for (size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at + 1)) {
        text.replace(at, 2, " ");
    }
    for (char& c : text) {
        if (c == '\n') c = ' ';
    }
    return text;
}

Sprite* addSprite(Node* parent, const std::string& file, const Vec2& position)
{
    auto* sprite = Sprite::create(file);
    sprite->setPosition(position);
    parent->addChild(sprite);
    return sprite;
}

} // namespace

PostView* PostView::create(const std::string& circuitId, const std::string& name)
{
    auto* view = new (std::nothrow) PostView();
    if (view && view->initWithCircuit(circuitId, name)) {
        view->autorelease();
        return view;
    }
    delete view;
    return nullptr;
}

std::string PostView::jpegPath(const std::string& circuitId)
{
    return FileUtils::getInstance()->getWritablePath() + veloquix::kThumbnailFolder + "/" + circuitId + ".jpg";
}

bool PostView::initWithCircuit(const std::string& circuitId, const std::string& name)
{
    if (!Layer::init()) return false;
    _circuitId = circuitId;
    _circuitName = name;
    const Size vis = Director::getInstance()->getVisibleSize();
    const float W = vis.width;
    const float H = vis.height;

    addChild(LayerColor::create(Color4B(34, 34, 34, 255)));
    auto* header = Sprite::create("res/galvora_header.png");
    header->setPosition(W * 0.5f, H - header->getContentSize().height * 0.5f);
    addChild(header);
    auto* title = Label::createWithTTF("Post to Galvora", kTitleFont, 27);
    title->setTextColor(Color4B::WHITE);
    title->setPosition(W * 0.5f, H - 55);
    addChild(title);
    addSprite(this, "res/common_line.png", Vec2(W * 0.5f, 640));
    addSprite(this, "res/common_line.png", Vec2(W * 0.5f, 110));

    _formLayer = Layer::create();
    addChild(_formLayer);

    auto* hint = Label::createWithSystemFont("*Required", kTextFont, 16);
    hint->setTextColor(Color4B(190, 2, 22, 255));
    hint->setAnchorPoint(Vec2(1, 0));
    hint->setPosition(W * 0.5f + 200, 350);
    _formLayer->addChild(hint);

    _nameBox = ui::EditBox::create(Size(400, 44.5f), "res/galvora_name.png");
    _nameBox->setPosition(Vec2(W * 0.5f, 325));
    _nameBox->setFont(kTextFont, 20);
    _nameBox->setText(singleLine(name));
    _nameBox->setMaxLength(30);
    _nameBox->setPlaceholderFontSize(18);
    _nameBox->setPlaceHolder("Circuit name");
    _nameBox->setReturnType(ui::EditBox::KeyboardReturnType::DONE);
    _nameBox->setInputMode(ui::EditBox::InputMode::SINGLE_LINE);
    _nameBox->setDelegate(this);
    _formLayer->addChild(_nameBox);

    _descriptionBox = ui::EditBox::create(Size(400, 150.5f), "res/galvora_description.png");
    _descriptionBox->setPosition(Vec2(W * 0.5f, 210));
    _descriptionBox->setFont(kTextFont, 20);
    _descriptionBox->setMaxLength(1000);
    _descriptionBox->setPlaceholderFontSize(18);
    _descriptionBox->setPlaceHolder("Description");
    _descriptionBox->setInputMode(ui::EditBox::InputMode::ANY);
    _formLayer->addChild(_descriptionBox);

    const std::string thumbnailFile = CircuitStore::thumbnailPath(_circuitId);
    Sprite* thumbnail = nullptr;
    if (FileUtils::getInstance()->isFileExist(thumbnailFile)) thumbnail = Sprite::create(thumbnailFile, kThumbnailRect);
    // A thumbnail that does not decode shows as missing.
    if (!thumbnail) thumbnail = Sprite::create("res/noimage640.png", kThumbnailRect);
    thumbnail->setPosition(W * 0.5f, 500);
    const Size shown = thumbnail->getContentSize();
    addSprite(thumbnail, "res/frame640.png", Vec2(shown.width * 0.5f, shown.height * 0.5f));
    _formLayer->addChild(thumbnail);

    _postButton = addSprite(this, "res/galvora_post.png", Vec2(W * 0.5f, 55));
    _busyOverlay = LoadingLayer::create();
    addChild(_busyOverlay);
    _closeButton = addSprite(this, "res/common_close.png", Vec2(W - 49.5f, H - 49.5f));

    registerListeners();
    return true;
}

void PostView::registerListeners()
{
    // Nothing under the view hears a touch while it is shown.
    auto* blocker = EventListenerTouchOneByOne::create();
    blocker->setSwallowTouches(true);
    blocker->onTouchBegan = [](Touch*, Event*) { return true; };
    _eventDispatcher->addEventListenerWithSceneGraphPriority(blocker, this);

    auto* button = EventListenerTouchOneByOne::create();
    button->setSwallowTouches(true);
    button->onTouchBegan = [](Touch* touch, Event* event) {
        if (!touchhit::inTarget(touch, event)) return false;
        event->getCurrentTarget()->setColor(Color3B::GRAY);
        return true;
    };
    button->onTouchMoved = [](Touch* touch, Event* event) {
        const bool inside = touchhit::inTarget(touch, event);
        event->getCurrentTarget()->setColor(inside ? Color3B::GRAY : Color3B::WHITE);
    };
    button->onTouchEnded = [this](Touch* touch, Event* event) {
        Node* target = event->getCurrentTarget();
        target->setColor(Color3B::WHITE);
        if (!touchhit::inTarget(touch, event)) return;
        if (target == _closeButton)
            close();
        else if (target == _postButton)
            startPost();
    };
    _eventDispatcher->addEventListenerWithSceneGraphPriority(button, _postButton);
    _eventDispatcher->addEventListenerWithSceneGraphPriority(button->clone(), _closeButton);
}

bool PostView::close()
{
    if (_busyOverlay->isBusy() || _closing) return false;
    _closing = true;
    runAction(RemoveSelf::create());
    return true;
}

void PostView::editBoxReturn(ui::EditBox* box)
{
    if (box != _nameBox || box->getText()[0] != '\0') return;
    box->setText(_circuitName);
}

void PostView::startPost()
{
    _busyOverlay->showBusy();
    // Sent as typed: an empty name or description is the service's to refuse.
    _name = _nameBox->getText();
    _description = _descriptionBox->getText();

    FileUtils* files = FileUtils::getInstance();
    const std::string png = CircuitStore::thumbnailPath(_circuitId);
    const std::string jpg = jpegPath(_circuitId);
    // Without a readable thumbnail nothing is converted and nothing is read
    // back, so a JPEG left over from an earlier run is never sent instead.
    std::string bytes;
    auto* image = new (std::nothrow) Image();
    if (image && image->initWithImageFile(png) && image->saveToFile(jpg, true)) {
        const Data data = files->getDataFromFile(jpg);
        if (!data.isNull()) bytes.assign(reinterpret_cast<const char*>(data.getBytes()), size_t(data.getSize()));
    }
    _token = UserDefault::getInstance()->getStringForKey("token");
    showcase::sendShowcaseRequest(showcase::kImageEndpoint, showcase::imageHeaders(_token), bytes, this,
                                  httpresponse_selector(PostView::onImageResponse));
    CC_SAFE_RELEASE(image);
    files->removeFile(jpg);
}

void PostView::onImageResponse(network::HttpClient*, network::HttpResponse* response)
{
    std::string parseError;
    const showcase::ImageReply reply =
        showcase::readImageReply(response->isSucceed(), showcase::replyBody(response), &parseError);
    showcase::reportParseError(parseError);
    if (reply.outcome != showcase::ReplyOutcome::Accepted) {
        showFailure(reply.outcome);
        return;
    }
    showcase::sendShowcaseRequest(showcase::kCircuitEndpoint, showcase::circuitHeaders(_token),
                                  showcase::circuitBody(_name, _description, reply.imageId), this,
                                  httpresponse_selector(PostView::onCircuitResponse));
}

void PostView::onCircuitResponse(network::HttpClient*, network::HttpResponse* response)
{
    std::string parseError;
    const showcase::ReplyOutcome outcome =
        showcase::readCircuitReply(response->isSucceed(), showcase::replyBody(response), &parseError);
    showcase::reportParseError(parseError);
    if (outcome != showcase::ReplyOutcome::Accepted) {
        showFailure(outcome);
        return;
    }
    if (_teller) _teller("Posted to the showcase");
    const float H = Director::getInstance()->getVisibleSize().height;
    runAction(
        Sequence::create(EaseExponentialOut::create(MoveTo::create(0.6f, Vec2(0, H))), RemoveSelf::create(), nullptr));
}

// The form wobbles and the texts stay, so the post can simply be tried again.
void PostView::showFailure(showcase::ReplyOutcome outcome)
{
    if (_teller) {
        const char* reason = outcome == showcase::ReplyOutcome::TransferFailed ? "the showcase cannot be reached"
                             : outcome == showcase::ReplyOutcome::Refused      ? "the showcase refused it"
                                                                               : "the showcase's answer was not understood";
        _teller(std::string("Posting failed: ") + reason);
    }
    runAction(Sequence::create(TargetedAction::create(_formLayer, failureShake(Vec2::ZERO)),
                               CallFunc::create([this] { _busyOverlay->hideBusy(); }), nullptr));
}
