// Cost of what every completed edit does when the finger lifts: the circuit
// document serialised (one part moved since the last save), stored and
// flushed, and the board's picture taken (asked for twice, as a finished
// part touch does); and, apart, the picture drawn when the list opens.
// The save and the whole finished touch are printed beside a bare durable
// commit of the same bytes through the same store, measured in the same run.
// Then the undo history: the save with the step it records beside the save
// alone (interleaved, in the same run), undoing one move at 1,000 and 10,000
// parts, and the bytes a history of 1,000 single-part moves keeps.
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "BenchEditor.h"
#include "CircuitDocument.h"
#include "HistoryDocument.h"

USING_NS_CC;

namespace {

// A board of count parts saved, with an empty history.
void freshBoard(ZelmcircuitScene* editor, const std::string& id, int count, std::mt19937& random)
{
    editor->clearBoard();
    strewParts(editor, count, random);
    editor->history().clear();
    editor->saveCircuit(id);
}

// One part moved by a small step, as a drag that lands next to where it began.
void moveOne(circuit::CircuitModel& model, int call)
{
    const circuit::Part& part = model.parts()[size_t(call * 7919) % model.size()];
    model.setPosition(part.id, part.position + Vec2(call % 2 ? -0.75f : 0.75f, 0.25f));
}

void benchHistory(ZelmcircuitScene* editor, const std::string& id, std::mt19937& random)
{
    circuit::CircuitModel& model = editor->model();
    circuit::History& history = editor->history();
    UserDefault* store = UserDefault::getInstance();
    // Undo acts on the board only while the saved list is away.
    editor->showSavedList(false);

    // A full history: 1,000 single-part moves on a 1,000-part board, each
    // saved as an edit is.
    freshBoard(editor, id, 1000, random);
    for (int call = 0; call < 1000; ++call) {
        moveOne(model, call);
        editor->saveCircuit(id);
    }
    size_t bytes = 0;
    for (const auto& entry : store->getAllEntries())
        if (entry.first.rfind(circuitdoc::historyKey(id), 0) == 0) bytes += entry.first.size() + entry.second.size();
    std::printf("\nhistory of %zu single-part moves on a 1000-part board: %zu bytes stored (%.1f per step)\n",
                history.steps().size(), bytes, double(bytes) / double(history.steps().size()));

    // The save alone and the save with the step it records, in alternating
    // rounds so both see the same disk; the history stays full, so each
    // step written also drops the oldest.
    double plain = 0, recorded = 0;
    const int rounds = 10, calls = 20;
    for (int round = 0; round < rounds; ++round) {
        plain += microsecondsPerCall(calls, [&](int call) {
            moveOne(model, call);
            editor->store().saveCircuit(id, model);
        });
        // What the plain saves moved is no step of the history.
        history.load({history.steps().begin(), history.steps().end()}, history.done(), history.firstSerial());
        recorded += microsecondsPerCall(calls, [&](int call) {
            moveOne(model, call);
            editor->saveCircuit(id);
        });
    }
    plain /= rounds;
    recorded /= rounds;
    const double record = microsecondsPerCall(200, [&](int call) {
        moveOne(model, call);
        history.closeStep();
    });
    const std::string stepText = circuitdoc::writeHistoryStep(history.steps().back());
    volatile size_t sink = 0;
    const double write = microsecondsPerCall(
        2000, [&](int) { sink = sink + circuitdoc::writeHistoryStep(history.steps().back()).size(); });
    std::printf("1000 parts: save %.1f us, save with its step %.1f us (%+.1f%%); recording a step %.2f us, "
                "its text (%zu bytes) %.2f us\n",
                plain, recorded, 100.0 * (recorded - plain) / plain, record, stepText.size(), write);

    std::printf("\n%8s %12s %14s %12s %14s\n", "parts", "undo us", "undo+save us", "snapshot us", "whole key us");
    for (int count : {1000, 10000}) {
        freshBoard(editor, id, count, random);
        moveOne(model, 1);
        editor->saveCircuit(id);
        // The move taken back and put back again on the model and its sprites...
        const int pairs = 50;
        double undo = 0;
        for (int i = 0; i < pairs; ++i) {
            undo += microsecondsPerCall(1, [&](int) { history.undo(); });
            history.redo();
        }
        // ... with the durable save of the document and the history's head ...
        double saved = 0, snapshot = 0, whole = 0;
        const int keys = 10;
        for (int i = 0; i < keys; ++i) {
            saved += microsecondsPerCall(1, [&](int) {
                history.undo();
                editor->saveCircuit(id);
            });
            history.redo();
            editor->saveCircuit(id);
            editor->navigation().setScrolled(false);
            snapshot += microsecondsPerCall(1, [&](int) { editor->takeBoardSnapshot(); });
            // ... and all of it as the key does it, the snapshot included.
            whole += microsecondsPerCall(1, [&](int) { editor->undo(); });
            editor->redo();
            Director::getInstance()->getRenderer()->render();
            PoolManager::getInstance()->getCurrentPool()->clear();
        }
        std::printf("%8d %12.1f %14.1f %12.1f %14.1f\n", count, undo / pairs, saved / keys, snapshot / keys,
                    whole / keys);
    }
}

} // namespace

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
        // The parts strewn are the circuit as it was opened: no step.
        editor->history().clear();
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
    benchHistory(editor, id, random);
    Director::destroyInstance();
    return 0;
}
