#include "StatusLine.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "AppConstants.h"
#include "BeforeDrawing.h"
#include "TouchHit.h"

USING_NS_CC;

namespace {

// Right of the frame-rate panel (x up to 120) and left of the trash, which
// starts at x 457; low enough that the drawer's palette strip never reaches it.
constexpr float kLeft = 124.0f;
constexpr float kBottom = 10.0f;
constexpr float kHeight = 28.0f;
constexpr float kPadding = 8.0f;
constexpr float kRightLimit = 449.0f;
constexpr float kFontSize = 18.0f;
const Color4B kBacking(23, 32, 43, 190);

constexpr float kScrollTime = 0.25f;
constexpr int kSettleTag = 0x57a7;

const char* const kMiddleDot = "\xC2\xB7";
const char* const kDegree = "\xC2\xB0";

// The line's dark backing, which holds its text.
class StatusBacking final : public BeforeDrawing<StatusBacking, LayerColor> {};

// One decimal, whatever the C locale says a decimal point is.
std::string tenths(float value)
{
    const long t = std::lround(double(value) * 10.0);
    return std::to_string(t / 10) + "." + std::to_string(t % 10);
}

} // namespace

StatusLine::StatusLine(circuit::CircuitModel& model, circuit::CircuitHealth& health, extension::ScrollView* board,
                       Node* parent, std::function<bool()> hidden, std::function<void()> settled)
    : _model(model), _health(health), _board(board), _hidden(std::move(hidden)), _settled(std::move(settled))
{
    _node = StatusBacking::create([this] { refresh(); });
    _node->setColor(Color3B(kBacking));
    _node->setOpacity(kBacking.a);
    _node->setContentSize(Size(kPadding * 2, kHeight));
    _node->setPosition(kLeft, kBottom);
    _node->setVisible(false);
    _label = Label::createWithTTF("", veloquix::kBodyFont, kFontSize);
    _label->setAnchorPoint(Vec2(0, 0.5f));
    _label->setPosition(kPadding, kHeight * 0.5f);
    _label->setTextColor(Color4B::WHITE);
    _node->addChild(_label);
    // Drawn under everything else of the heads-up layer: the open drawer
    // covers it and takes touches before it.
    parent->addChild(_node, -1);
}

StatusLine::~StatusLine()
{
    _node->stopActionByTag(kSettleTag);
    static_cast<StatusBacking*>(_node)->forget();
}

bool StatusLine::shown() const
{
    return !_model.empty() && !_hidden();
}

void StatusLine::registerListener()
{
    auto* listener = EventListenerTouchOneByOne::create();
    // Its own touches only, and those the board must not scroll with.
    listener->setSwallowTouches(true);
    listener->onTouchBegan = [this](Touch* touch, Event*) { return shown() && touchhit::inside(touch, _node); };
    listener->onTouchEnded = [this](Touch* touch, Event*) {
        if (shown() && touchhit::inside(touch, _node)) showNextOpenEnd();
    };
    _node->getEventDispatcher()->addEventListenerWithSceneGraphPriority(listener, _node);
}

std::string StatusLine::describe(int openEnds, int pieces, const circuit::CircuitHealth::Gap& gap)
{
    if (openEnds == 0) return pieces == 1 ? "Closed circuit" : std::to_string(pieces) + " closed circuits";
    std::string text = openEnds == 1 ? "1 open end" : std::to_string(openEnds) + " open ends";
    if (!gap) return text;
    text += std::string(" ") + kMiddleDot + " gap " + tenths(gap.distance);
    if (gap.turn != 0) text += std::string(" ") + kMiddleDot + " turn " + std::to_string(gap.turn) + kDegree;
    return text;
}

void StatusLine::refresh()
{
    const bool show = shown();
    if (_node->isVisible() != show) _node->setVisible(show);
    if (!show || _health.revision() == _shownRevision) return;
    _shownRevision = _health.revision();
    // Asked every time, so the gap search never falls far behind the model.
    const circuit::CircuitHealth::Gap gap = _health.nearestGap();
    const int open = _health.openEnds();
    const std::string text = describe(open, open == 0 ? _health.pieces() : 0, gap);
    if (text == _label->getString()) return;
    _label->setString(text);
    fit();
}

void StatusLine::fit()
{
    // A text too long for the room left of the trash is drawn smaller.
    const float room = kRightLimit - kLeft - kPadding * 2;
    const float width = _label->getContentSize().width;
    const float scale = width > room ? room / width : 1.0f;
    _label->setScale(scale);
    _node->setContentSize(Size(width * scale + kPadding * 2, kHeight));
}

void StatusLine::showNextOpenEnd()
{
    const circuit::EndRef next = _health.nextOpenEnd(_lastShown);
    if (!next) return;
    _lastShown = next;
    const float zoom = _board->getZoomScale();
    const Size view = _board->getViewSize();
    Vec2 offset = Vec2(view.width * 0.5f, view.height * 0.5f) - _model.endToBoard(next) * zoom;
    // The board's own limits, as it keeps them after a drag.
    const Vec2 lo = _board->minContainerOffset();
    const Vec2 hi = _board->maxContainerOffset();
    offset.x = std::min(std::max(offset.x, lo.x), hi.x);
    offset.y = std::max(std::min(offset.y, hi.y), lo.y);
    _board->setContentOffsetInDuration(offset, kScrollTime);
    // Once there, the board is at rest as after a drag of the user's; a
    // finger that took it elsewhere meanwhile settles it itself.
    _node->stopActionByTag(kSettleTag);
    auto* settle = Sequence::create(DelayTime::create(kScrollTime + 0.05f), CallFunc::create([this, offset] {
                                        if (_board->getContentOffset().distance(offset) < 0.5f) _settled();
                                    }),
                                    nullptr);
    settle->setTag(kSettleTag);
    _node->runAction(settle);
}
