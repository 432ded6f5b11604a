#pragma once

#include <string>

#include "LoadingLayer.h"
#include "ZelmLoadSprite.h"
#include "cocos2d.h"
#include "network/HttpClient.h"
#include "ui/UIEditBox.h"

// Full-screen form that publishes one saved circuit to the showcase: its
// thumbnail as a JPEG, then its name and description registered with the
// image the service stored. It closes itself after a post went through.
class PostView : public cocos2d::Layer, public cocos2d::ui::EditBoxDelegate {
public:
    static PostView* create(ZelmLoadSprite* source);
    virtual bool initWithSource(ZelmLoadSprite* source);

    // An emptied name box gets the circuit's name back.
    void editBoxReturn(cocos2d::ui::EditBox* box) override;

    void onImageResponse(cocos2d::network::HttpClient* client, cocos2d::network::HttpResponse* response);
    void onCircuitResponse(cocos2d::network::HttpClient* client, cocos2d::network::HttpResponse* response);

    // Taken from the store when a post starts.
    std::string token;
    // The list item the view was opened for; not retained (the view covers the
    // list, so the item stays while the view is shown).
    ZelmLoadSprite* source = nullptr;
    // The circuit id of source, kept so that replies arriving after the view
    // was closed never reach back into the list.
    std::string circuitId;
    // The thumbnail, the hint and both boxes: what a refusal shakes.
    cocos2d::Layer* formLayer = nullptr;
    cocos2d::Sprite* closeButton = nullptr;
    cocos2d::Sprite* postButton = nullptr;
    cocos2d::ui::EditBox* nameBox = nullptr;
    cocos2d::ui::EditBox* descriptionBox = nullptr;
    // Taken from the boxes when a post starts.
    std::string name;
    std::string description;
    LoadingLayer* busyOverlay = nullptr;

    // Where the thumbnail goes while it is sent as a JPEG.
    static std::string jpegPath(const std::string& circuitId);

protected:
    PostView() = default;

private:
    void registerListeners();
    void startPost();
    void showFailure();
};
