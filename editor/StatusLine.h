#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "CircuitHealth.h"
#include "CircuitModel.h"
#include "cocos2d.h"
#include "extensions/cocos-ext.h"

// One line at the bottom of the screen that says whether the circuit on the
// board closes: the open ends, or the closed circuits, and the nearest gap
// with the turn it needs. A tap on it brings the next open end to the centre
// of the screen. It shows only while a circuit with parts is on the board,
// and takes only the touches that begin on it.
class StatusLine {
public:
    // hidden tells when the screen shows something else than the board;
    // settled runs when the board has come to rest after a scroll of the line's.
    StatusLine(circuit::CircuitModel& model, circuit::CircuitHealth& health, cocos2d::extension::ScrollView* board,
               cocos2d::Node* parent, std::function<bool()> hidden, std::function<void()> settled);
    ~StatusLine();
    StatusLine(const StatusLine&) = delete;
    StatusLine& operator=(const StatusLine&) = delete;

    void registerListener();

    // The line's text for the state of a circuit with at least one part.
    static std::string describe(int openEnds, int pieces, const circuit::CircuitHealth::Gap& gap);

    // The backing, whose rectangle takes the taps, and the text on it; both
    // as last drawn.
    cocos2d::LayerColor* node() const { return _node; }
    cocos2d::Label* label() const { return _label; }
    // Brings the line in line with the board; it does so as it is drawn.
    void refresh();
    // Scrolls the board, zoom unchanged, until the open end after the one
    // shown last sits at the centre of the screen (as near as the board's
    // edges allow).
    void showNextOpenEnd();
    const circuit::EndRef& lastShown() const { return _lastShown; }

private:
    bool shown() const;
    void fit();

    circuit::CircuitModel& _model;
    circuit::CircuitHealth& _health;
    cocos2d::extension::ScrollView* _board;
    std::function<bool()> _hidden;
    std::function<void()> _settled;
    cocos2d::LayerColor* _node = nullptr; // owned by the parent
    cocos2d::Label* _label = nullptr;
    std::uint64_t _shownRevision = ~std::uint64_t(0);
    circuit::EndRef _lastShown;
};
