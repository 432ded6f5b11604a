#include "SignIn.h"

#include <new>

#include "FailureShake.h"
#include "ShowcaseRequests.h"
#include "TouchHit.h"

USING_NS_CC;

SignIn* SignIn::create(Listener* listener, TextFieldTTF* nameField, TextFieldTTF* codeField, LoadingLayer* busyOverlay)
{
    auto* signIn = new (std::nothrow) SignIn();
    if (!signIn) return nullptr;
    signIn->_listener = listener;
    signIn->_nameField = nameField;
    signIn->_codeField = codeField;
    signIn->_busyOverlay = busyOverlay;
    nameField->retain();
    codeField->retain();
    busyOverlay->retain();
    nameField->setDelegate(signIn);
    codeField->setDelegate(signIn);
    signIn->autorelease();
    return signIn;
}

SignIn::~SignIn()
{
    for (TextFieldTTF* field : {_nameField, _codeField}) {
        field->setDelegate(nullptr);
        field->release();
    }
    _busyOverlay->release();
}

bool SignIn::onTextFieldAttachWithIME(TextFieldTTF*)
{
    return false;
}

bool SignIn::onTextFieldDetachWithIME(TextFieldTTF*)
{
    return false;
}

bool SignIn::onTextFieldInsertText(TextFieldTTF* sender, const char* text, size_t length)
{
    // The line break still reaches the field, which gives up the keyboard
    // as it always did on Return.
    if (sender == _codeField && length == 1 && text[0] == '\n') submitAccount();
    return false;
}

bool SignIn::onTextFieldKeyPressed(TextFieldTTF* sender, EventKeyboard::KeyCode key, bool shift)
{
    if (key != EventKeyboard::KeyCode::KEY_TAB) return false;
    TextFieldTTF* next = shift ? (sender == _codeField ? _nameField : nullptr)
                               : (sender == _nameField ? _codeField : nullptr);
    if (next) {
        sender->detachWithIME();
        next->attachWithIME();
    }
    // Tab is never text in these one-line fields.
    return true;
}

void SignIn::registerListeners(Node* okButton)
{
    // The fields lie above the drawer and swallow, so a touch on a field never
    // reaches the drawer's listener, which would end the entry just started.
    auto* field = EventListenerTouchOneByOne::create();
    field->setSwallowTouches(true);
    field->onTouchBegan = [this](Touch* touch, Event* event) {
        if (!touchhit::inTarget(touch, event)) return false;
        Node* target = event->getCurrentTarget();
        if (target == _nameField)
            _nameField->attachWithIME();
        else if (target == _codeField)
            _codeField->attachWithIME();
        return true;
    };
    EventDispatcher* dispatcher = _nameField->getEventDispatcher();
    dispatcher->addEventListenerWithSceneGraphPriority(field, _codeField);
    dispatcher->addEventListenerWithSceneGraphPriority(field->clone(), _nameField);
    touchhit::registerButton(okButton, [this] { submitAccount(); });
}

void SignIn::restore()
{
    auto* store = UserDefault::getInstance();
    const std::string name = store->getStringForKey("name");
    if (!name.empty()) _nameField->setString(name);
    const std::string code = store->getStringForKey("code");
    if (!code.empty()) {
        _codeField->setString(code);
        requestAccount(code);
    }
}

void SignIn::endEntry()
{
    _nameField->detachWithIME();
    _codeField->detachWithIME();
}

void SignIn::submitAccount()
{
    auto* store = UserDefault::getInstance();
    store->setStringForKey("name", _nameField->getString());
    store->setStringForKey("code", _codeField->getString());
    store->flush();
    _asked = true;
    requestAccount(_codeField->getString());
}

void SignIn::requestAccount(const std::string& code)
{
    _busyOverlay->showBusy();
    showcase::sendShowcaseRequest(showcase::kAccountEndpoint, {}, showcase::accountBody(code), this,
                                  httpresponse_selector(SignIn::onAccountResponse));
}

void SignIn::onAccountResponse(network::HttpClient*, network::HttpResponse* response)
{
    auto* store = UserDefault::getInstance();
    std::string parseError;
    const showcase::AccountReply reply =
        showcase::readAccountReply(response->isSucceed(), showcase::replyBody(response), &parseError);
    showcase::reportParseError(parseError);

    bool accepted = false;
    if (reply.outcome == showcase::ReplyOutcome::TransferFailed) {
        // While the service cannot be reached, the last sign-in stays in force.
        accepted = store->getBoolForKey("state", false);
    } else if (reply.outcome == showcase::ReplyOutcome::Accepted) {
        // The token is the service's to give even when the account cannot
        // be used yet or no name was typed.
        store->setStringForKey("token", reply.token);
        store->flush();
        accepted = reply.stateSuccess && !_nameField->getString().empty();
    }
    _signedIn = accepted;
    store->setBoolForKey("state", _signedIn);
    store->flush();

    if (!_signedIn)
        shakeAccountFields();
    else if (_listener)
        _listener->signedIn();
    _busyOverlay->hideBusy();
    if (_asked && _listener) {
        if (reply.outcome == showcase::ReplyOutcome::TransferFailed)
            _listener->tell("The showcase cannot be reached");
        else if (_signedIn)
            _listener->tell("Signed in as " + _nameField->getString());
        else
            _listener->tell("Sign-in refused: check the name and the code");
    }
    _asked = false;
}

void SignIn::shakeAccountFields()
{
    auto shake = [](TextFieldTTF* field) {
        // At rest a field stands at the centre of its background.
        const Size background = field->getParent()->getContentSize();
        return TargetedAction::create(field, failureShake(Vec2(background.width * 0.5f, background.height * 0.5f)));
    };
    _busyOverlay->runAction(Spawn::create(shake(_nameField), shake(_codeField), nullptr));
}
