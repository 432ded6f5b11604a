// Cost of what every completed edit does when the finger lifts: the circuit
// document serialised (one part moved since the last save), stored and
// flushed, and the board's picture taken (asked for twice, as a finished
// part touch does); and, apart, the picture drawn when the list opens.
// The save and the whole finished touch are printed beside a bare durable
// commit of the same bytes through the same store, measured in the same run.
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "BenchEditor.h"
#include "CircuitDocument.h"

USING_NS_CC;

int main()
{
    ZelmcircuitScene* editor = startHeadlessEditor("edit_bench");
    if (!editor) return 1;
    UserDefault* store = UserDefault::getInstance();
    Renderer* renderer = Director::getInstance()->getRenderer();
    const std::string id = "20150601000000";
    editor->store().openCircuit(id);

    std::mt19937 random(11);
    std::printf("%8s %10s %10s %12s %12s %8s %10s %8s %10s\n", "parts", "bytes", "save us", "serialise us",
                "bare commit", "vs bare", "touch us", "vs bare", "drawn us");
    circuit::CircuitModel& model = editor->model();
    for (int count : {10, 100, 1000, 10000}) {
        editor->clearBoard();
        strewParts(editor, count, random);
        editor->saveCircuit(id);
        const std::string text = store->getStringForKey(id.c_str());

        const int calls = 200;
        // Each completed edit moved something: here one part per save, so
        // every save writes that part's text afresh and copies the others.
        const double save = microsecondsPerCall(calls, [&](int call) {
            const circuit::Part& part = model.parts()[size_t(call) % model.size()];
            model.setPosition(part.id, part.position + Vec2(call % 2 ? -0.75f : 0.75f, 0));
            editor->saveCircuit(id);
        });
        std::vector<circuitdoc::PartRecord> records;
        for (const circuit::Part& part : model.parts())
            records.push_back({part.type, part.rotation, part.position.x, part.position.y});
        volatile size_t sink = 0;
        const double serialise =
            microsecondsPerCall(calls, [&](int) { sink = sink + circuitdoc::writeCircuit(records).size(); });
        // The store writes only pages whose bytes changed, and a commit that
        // changed none reaches no disk; so each bare commit changes one digit,
        // as a save changes the few bytes of the part that moved.
        std::string bareText = text;
        const size_t digit = bareText.find_first_of("123456789", bareText.size() / 2);
        const double bare = microsecondsPerCall(calls, [&](int call) {
            bareText[digit] = call % 2 ? '1' : '2';
            store->setStringForKey("bare", bareText);
            store->flush();
        });
        // A finished part touch saves and takes the picture twice (the
        // part's touch and the board's); here one part moved before each.
        const double touch = microsecondsPerCall(calls, [&](int call) {
            const circuit::Part& part = model.parts()[size_t(call) % model.size()];
            model.setPosition(part.id, part.position + Vec2(call % 2 ? -0.75f : 0.75f, 0));
            editor->navigation().setScrolled(false);
            editor->commitEdit();
            editor->takeBoardSnapshot();
        });
        // What the list's opening draws from the picture last taken.
        const double drawn = microsecondsPerCall(10, [&](int) {
            editor->snapshot().draw(editor->boardView());
            renderer->render();
            PoolManager::getInstance()->getCurrentPool()->clear();
        });
        std::printf("%8d %10zu %10.1f %12.1f %12.1f %7.2fx %10.1f %7.2fx %10.1f\n", count, text.size(), save,
                    serialise, bare, save / bare, touch, touch / bare, drawn);
    }
    Director::destroyInstance();
    return 0;
}
