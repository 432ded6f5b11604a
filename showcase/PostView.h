#pragma once

#include <functional>

#include <string>

#include "LoadingLayer.h"
#include "ShowcaseRequests.h"
#include "cocos2d.h"
#include "network/HttpClient.h"
#include "ui/UIEditBox.h"

// Full-screen form that publishes one saved circuit to the showcase: its
// thumbnail as a JPEG, then its name and description registered with the
// image the service stored. It closes itself after a post went through.
class PostView : public cocos2d::Layer, public cocos2d::ui::EditBoxDelegate {
public:
    // For the saved circuit circuitId, listed under name.
    static PostView* create(const std::string& circuitId, const std::string& name);
    virtual bool initWithCircuit(const std::string& circuitId, const std::string& name);

    // An emptied name box gets the circuit's name back.
    void editBoxReturn(cocos2d::ui::EditBox* box) override;

    void onImageResponse(cocos2d::network::HttpClient* client, cocos2d::network::HttpResponse* response);
    void onCircuitResponse(cocos2d::network::HttpClient* client, cocos2d::network::HttpResponse* response);

    // What the close button does, when it can be reached: not while a post
    // is on its way. False when the view stays.
    bool close();
    bool isClosing() const { return _closing; }
    // Who tells the user how the post went, in a line.
    void setTeller(std::function<void(const std::string&)> teller) { _teller = std::move(teller); }

    const std::string& circuitId() const { return _circuitId; }
    // The thumbnail, the hint and both boxes: what a refusal shakes.
    cocos2d::Layer* formLayer() const { return _formLayer; }
    cocos2d::Sprite* closeButton() const { return _closeButton; }
    cocos2d::Sprite* postButton() const { return _postButton; }
    cocos2d::ui::EditBox* nameBox() const { return _nameBox; }
    cocos2d::ui::EditBox* descriptionBox() const { return _descriptionBox; }
    LoadingLayer* busyOverlay() const { return _busyOverlay; }

    // Where the thumbnail goes while it is sent as a JPEG.
    static std::string jpegPath(const std::string& circuitId);

protected:
    PostView() = default;

private:
    void registerListeners();
    void startPost();
    void showFailure(showcase::ReplyOutcome outcome);

    // The circuit's id and its name in the list, kept so that replies
    // arriving after the view was closed never reach back into the list.
    std::string _circuitId;
    std::string _circuitName;
    // Taken from the store and the boxes when a post starts.
    std::string _token;
    std::string _name;
    std::string _description;
    cocos2d::Layer* _formLayer = nullptr;
    cocos2d::Sprite* _closeButton = nullptr;
    bool _closing = false;
    std::function<void(const std::string&)> _teller;
    cocos2d::Sprite* _postButton = nullptr;
    cocos2d::ui::EditBox* _nameBox = nullptr;
    cocos2d::ui::EditBox* _descriptionBox = nullptr;
    LoadingLayer* _busyOverlay = nullptr;
};
