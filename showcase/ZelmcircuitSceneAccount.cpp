#include "FailureShake.h"
#include "ShowcaseRequests.h"
#include "ZelmcircuitScene.h"

USING_NS_CC;

void ZelmcircuitScene::registerShowcaseListeners()
{
    registerButton(okButton, [this] { submitAccount(); });
}

// No check for an empty name or code: the service is the judge.
void ZelmcircuitScene::submitAccount()
{
    auto* store = UserDefault::getInstance();
    store->setStringForKey("name", nameField->getString());
    store->setStringForKey("code", codeField->getString());
    store->flush();
    requestAccount(codeField->getString());
}

void ZelmcircuitScene::requestAccount(const std::string& code)
{
    busyOverlay->showBusy();
    showcase::sendShowcaseRequest(showcase::kAccountEndpoint, {}, showcase::accountBody(code), this,
                                  httpresponse_selector(ZelmcircuitScene::onAccountResponse));
}

void ZelmcircuitScene::onAccountResponse(network::HttpClient*, network::HttpResponse* response)
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
        accepted = reply.stateSuccess && !nameField->getString().empty();
    }
    signedIn = accepted;
    store->setBoolForKey("state", signedIn);
    store->flush();

    if (signedIn)
        slideDrawer(false);
    else
        shakeAccountFields();
    busyOverlay->hideBusy();
}

void ZelmcircuitScene::shakeAccountFields()
{
    auto shake = [](TextFieldTTF* field) {
        // At rest a field stands at the centre of its background.
        const Size background = field->getParent()->getContentSize();
        return TargetedAction::create(field, failureShake(Vec2(background.width * 0.5f, background.height * 0.5f)));
    };
    runAction(Spawn::create(shake(nameField), shake(codeField), nullptr));
}
