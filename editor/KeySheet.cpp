#include "KeySheet.h"

#include "AppConstants.h"

USING_NS_CC;

namespace {

constexpr float kTitleSize = 34;
constexpr float kRowSize = 19;
constexpr float kRowPitch = 29;
// The chords end and the descriptions start either side of this line.
constexpr float kColumnGap = 24;
constexpr float kKeysColumnEnd = 430;

} // namespace

const std::vector<KeySheet::Entry>& KeySheet::entries()
{
    static const std::vector<Entry> list = {
        {"Ctrl + plus,  Ctrl + minus", "zoom the board in, out"},
        {"Ctrl + 0", "zoom to full size"},
        {"Arrow keys", "move about the board"},
        {"Ctrl + Z", "undo; on the list, bring back the circuit deleted last"},
        {"Ctrl + Shift + Z,  Ctrl + Y", "redo"},
        {"Ctrl + N", "new circuit"},
        {"Left,  Right", "on the list, the next circuit; in the help, the next page"},
        {"Wheel", "zoom the board; scroll the list"},
        {"Escape", "close the help, the post view or the drawer; cancel a rename"},
        {"Tab,  Shift + Tab", "from the name field to the code field and back"},
        {"Return", "in the code field, sign in"},
        {"Ctrl + A", "select all the text of a field"},
        {"F1", "help"},
        {"F11", "full screen"},
        {"Ctrl + ?", "this list"},
        {"Ctrl + Q", "quit"},
    };
    return list;
}

KeySheet* KeySheet::create()
{
    auto* sheet = new KeySheet();
    if (sheet->init()) {
        sheet->autorelease();
        return sheet;
    }
    delete sheet;
    return nullptr;
}

bool KeySheet::init()
{
    const Size screen = Director::getInstance()->getVisibleSize();
    if (!LayerColor::initWithColor(Color4B(12, 18, 26, 235), screen.width, screen.height)) return false;

    auto* title = Label::createWithTTF("Keys", veloquix::kTitleFont, kTitleSize);
    title->setPosition(screen.width * 0.5f, screen.height - 60);
    addChild(title);

    float y = screen.height - 120;
    for (const Entry& entry : entries()) {
        auto* keys = Label::createWithTTF(entry.keys, veloquix::kBodyFont, kRowSize);
        keys->setAnchorPoint(Vec2(1, 0.5f));
        keys->setPosition(kKeysColumnEnd - kColumnGap * 0.5f, y);
        keys->setTextColor(Color4B(255, 214, 102, 255));
        addChild(keys);
        auto* does = Label::createWithTTF(entry.does, veloquix::kBodyFont, kRowSize);
        does->setAnchorPoint(Vec2(0, 0.5f));
        does->setPosition(kKeysColumnEnd + kColumnGap * 0.5f, y);
        addChild(does);
        y -= kRowPitch;
    }

    auto* hint = Label::createWithTTF("Tap or press Escape to close", veloquix::kBodyFont, kRowSize - 3);
    hint->setTextColor(Color4B(170, 180, 190, 255));
    hint->setPosition(screen.width * 0.5f, 36);
    addChild(hint);

    // Over everything below it: every touch is the sheet's, and ends it.
    auto* listener = EventListenerTouchOneByOne::create();
    listener->setSwallowTouches(true);
    listener->onTouchBegan = [](Touch*, Event*) { return true; };
    listener->onTouchEnded = [this](Touch*, Event*) { close(); };
    _eventDispatcher->addEventListenerWithSceneGraphPriority(listener, this);
    return true;
}

void KeySheet::close()
{
    if (isClosing()) return;
    Action* leaving = RemoveSelf::create(true);
    leaving->setTag(kClosingTag);
    runAction(leaving);
}
