// Cost of what every completed edit does when the finger lifts: the circuit
// document serialised, stored and flushed, and the board snapshot rendered.
// The save is printed beside a bare durable commit of the same bytes through
// the same store, measured in the same run.
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
    editor->currentCircuitId = id;

    std::mt19937 random(11);
    std::printf("%8s %10s %10s %12s %12s %8s %14s %10s\n", "parts", "bytes", "save us", "serialise us",
                "bare commit", "vs bare", "snapshot us", "snap share");
    for (int count : {10, 100, 1000}) {
        editor->clearBoard();
        strewParts(editor, count, random);
        editor->saveCircuit(id);
        const std::string text = store->getStringForKey(id.c_str());

        const int calls = 200;
        const double save = microsecondsPerCall(calls, [&](int) { editor->saveCircuit(id); });
        std::vector<circuitdoc::PartRecord> records;
        for (ZelmPartSprite* part : editor->boardParts)
            records.push_back({part->type, part->getRotation(), part->getPositionX(), part->getPositionY()});
        volatile size_t sink = 0;
        const double serialise =
            microsecondsPerCall(calls, [&](int) { sink = sink + circuitdoc::writeCircuit(records).size(); });
        const double bare = microsecondsPerCall(calls, [&](int) {
            store->setStringForKey("bare", text);
            store->flush();
        });
        const double snapshot = microsecondsPerCall(20, [&](int) {
            editor->viewScrolled = false;
            editor->takeBoardSnapshot();
            renderer->render();
        });
        std::printf("%8d %10zu %10.1f %12.1f %12.1f %7.2fx %14.1f %9.0f%%\n", count, text.size(), save, serialise,
                    bare, save / bare, snapshot, 100.0 * snapshot / (save + snapshot));
    }
    Director::destroyInstance();
    return 0;
}
