#pragma once

#include "ZelmPartSprite.h"
#include "cocos2d.h"

// The bin at the bottom of the board: it shows while a part is in the hand,
// opens under a part held over it and plays the frames of a part thrown in.
class Trash {
public:
    explicit Trash(cocos2d::Sprite* sprite) : _sprite(sprite) {}

    cocos2d::Sprite* sprite() const { return _sprite; }
    bool covers(const cocos2d::Vec2& worldLocation) const;
    void fade(bool in);
    // The bin opens and the part darkens while the finger is over the bin.
    void hover(ZelmPartSprite* part, const cocos2d::Vec2& worldLocation);
    // The part has left the board: it can no longer be touched, pictures of
    // the board leave it out, and it plays its frames and goes.
    void playRemoval(ZelmPartSprite* part);

    // Tag of a part that has left the board and plays its removal frames.
    static constexpr int kLeavingPartTag = 0x7a55;

private:
    cocos2d::Sprite* _sprite;
    bool _showsOpen = false;
};
