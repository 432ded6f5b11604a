#pragma once

#include <functional>
#include <string>

#include "cocos2d.h"
#include "extensions/cocos-ext.h"

// The last picture of the board at rest, from which the open circuit's
// thumbnail is made when the saved-circuits list opens.
class BoardSnapshot {
public:
    BoardSnapshot() = default;
    ~BoardSnapshot();
    BoardSnapshot(const BoardSnapshot&) = delete;
    BoardSnapshot& operator=(const BoardSnapshot&) = delete;

    // Pictures the board when it covers the whole screen and is not moving.
    void take(cocos2d::extension::ScrollView* board, bool scrolled);
    // Pictures the board as it is.
    void render(cocos2d::Node* container);
    // The picture at thumbnail size.
    cocos2d::RenderTexture* renderThumbnail();
    // Writes the circuit's thumbnail from the picture, if there is one, and
    // then calls written with the file's full path (when it was written).
    void refreshThumbnail(const std::string& circuitId, std::function<void(const std::string& path)> written);

    cocos2d::RenderTexture* picture() const { return _picture; }

private:
    cocos2d::RenderTexture* _picture = nullptr; // retained
    // Counts the pictures drawn into _picture, which is drawn over again.
    unsigned _serial = 0;
};
