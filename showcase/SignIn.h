#pragma once

#include <string>

#include "LoadingLayer.h"
#include "cocos2d.h"
#include "network/HttpClient.h"

// Signing in to the showcase with the account name and code typed in the
// drawer: the code goes to the service behind the busy overlay; an accepted
// one signs in, a refusal wobbles both fields. While the service cannot be
// reached the last sign-in stays in force. A Ref, as the request's target.
class SignIn : public cocos2d::Ref, public cocos2d::TextFieldDelegate {
public:
    class Listener {
    public:
        virtual ~Listener() = default;
        virtual void signedIn() = 0;
        // What became of a sign-in the user asked for, in a line.
        virtual void tell(const std::string& text) = 0;
    };

    // Keeps the fields and the overlay until it goes.
    static SignIn* create(Listener* listener, cocos2d::TextFieldTTF* nameField, cocos2d::TextFieldTTF* codeField,
                          LoadingLayer* busyOverlay);
    ~SignIn() override;

    // The fields take the keyboard when touched; the OK button submits.
    void registerListeners(cocos2d::Node* okButton);
    // At launch: the stored name and code back in their fields, and a quiet
    // sign-in when a code was stored.
    void restore();
    // Both fields give up the keyboard.
    void endEntry();
    // Stores what is typed and sends the code; no check for an empty name
    // or code: the service is the judge.
    void submitAccount();
    void requestAccount(const std::string& code);
    void onAccountResponse(cocos2d::network::HttpClient* client, cocos2d::network::HttpResponse* response);
    // Both fields wobble and come to rest where they stood.
    void shakeAccountFields();
    // The listener is gone: replies still out change only the store.
    void forgetListener() { _listener = nullptr; }

    bool isSignedIn() const { return _signedIn; }
    cocos2d::TextFieldTTF* nameField() const { return _nameField; }
    cocos2d::TextFieldTTF* codeField() const { return _codeField; }

    bool onTextFieldAttachWithIME(cocos2d::TextFieldTTF* sender) override;
    bool onTextFieldDetachWithIME(cocos2d::TextFieldTTF* sender) override;
    // Return in the code field submits, as the OK button does.
    bool onTextFieldInsertText(cocos2d::TextFieldTTF* sender, const char* text, size_t length) override;
    // Tab goes from the name to the code, Shift+Tab back.
    bool onTextFieldKeyPressed(cocos2d::TextFieldTTF* sender, cocos2d::EventKeyboard::KeyCode key,
                               bool shift) override;

private:
    SignIn() = default;

    Listener* _listener = nullptr;
    cocos2d::TextFieldTTF* _nameField = nullptr; // retained
    cocos2d::TextFieldTTF* _codeField = nullptr; // retained
    LoadingLayer* _busyOverlay = nullptr;        // retained
    bool _signedIn = false;
    // The request out was asked for with the OK button or Return, not the
    // quiet one at launch: its outcome is told.
    bool _asked = false;
};
