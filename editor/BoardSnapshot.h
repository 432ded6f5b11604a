#pragma once

#include <functional>
#include <string>

#include "cocos2d.h"
#include "extensions/cocos-ext.h"

// The picture of the board at rest, from which the open circuit's thumbnail
// is made when the saved-circuits list opens. Every finished touch marks
// where the board lay; the picture itself is drawn only when it is wanted,
// into one texture made at the first need.
class BoardSnapshot {
public:
    BoardSnapshot() = default;
    ~BoardSnapshot();
    BoardSnapshot(const BoardSnapshot&) = delete;
    BoardSnapshot& operator=(const BoardSnapshot&) = delete;

    // Marks the board as it lies, when it covers the whole screen and is not
    // moving; the picture is drawn from it when wanted.
    void take(cocos2d::extension::ScrollView* board, bool scrolled);
    // The board as it lies, drawn at once.
    void render(cocos2d::extension::ScrollView* board);
    // A picture was taken since the last thumbnail was written from one.
    bool pending() const { return _pending; }
    // The picture last taken, drawn now with the board where it lay then;
    // null when none was taken.
    cocos2d::RenderTexture* draw(cocos2d::extension::ScrollView* board);
    // The picture at thumbnail size.
    cocos2d::RenderTexture* renderThumbnail();
    // Writes the circuit's thumbnail from the picture taken since the last
    // one, if any, and at the next frame calls written with the file's full
    // path (when it was written). False when there was no picture to write.
    bool refreshThumbnail(cocos2d::extension::ScrollView* board, const std::string& circuitId,
                          std::function<void(const std::string& path)> written);

    // Nodes of the board that are not part of the circuit and never pictured.
    static constexpr int kUnpicturedTag = 0x7a56;

private:
    void renderContainer(cocos2d::Node* container);

    cocos2d::RenderTexture* _picture = nullptr; // retained, made at the first need
    // Where the board's container lay when the picture was taken.
    cocos2d::Vec2 _position;
    float _scaleX = 1;
    float _scaleY = 1;
    bool _pending = false;
    // Counts the pictures taken, so one taken while a thumbnail is being
    // written is kept for the next.
    unsigned _serial = 0;
};
