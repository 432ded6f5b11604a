// The undo history is read from the store at every circuit opened; any
// stored text must read as a history or as none, never crash, and what is
// read must write back to text that reads the same.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "HistoryDocument.h"

namespace {

bool samePart(const circuit::PlacedPart& a, const circuit::PlacedPart& b)
{
    return a.place == b.place && a.type == b.type && std::memcmp(&a.x, &b.x, sizeof a.x) == 0 &&
           std::memcmp(&a.y, &b.y, sizeof a.y) == 0 && std::memcmp(&a.rotation, &b.rotation, sizeof a.rotation) == 0 &&
           a.links[0] == b.links[0] && a.links[1] == b.links[1];
}

void checkStep(const circuit::HistoryStep& step)
{
    const std::string text = circuitdoc::writeHistoryStep(step);
    circuit::HistoryStep again;
    if (!circuitdoc::readHistoryStep(text, &again) || again.changes.size() != step.changes.size()) std::abort();
    for (std::size_t i = 0; i < step.changes.size(); ++i) {
        const auto& a = step.changes[i];
        const auto& b = again.changes[i];
        if (a.hasBefore != b.hasBefore || a.hasAfter != b.hasAfter || (!a.hasBefore && !a.hasAfter)) std::abort();
        if ((a.hasBefore && !samePart(a.before, b.before)) || (a.hasAfter && !samePart(a.after, b.after))) std::abort();
    }
    if (circuitdoc::writeHistoryStep(again) != text) std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    circuit::HistoryStep step;
    if (circuitdoc::readHistoryStep(text, &step)) checkStep(step);

    // The first line as a head, the others as its steps.
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(text.substr(start, end - start));
    lines.push_back(text.substr(start));
    circuitdoc::HistoryHead head;
    if (circuitdoc::readHistoryHead(lines[0], &head, 1000)) {
        circuitdoc::HistoryHead again;
        if (!circuitdoc::readHistoryHead(circuitdoc::writeHistoryHead(head), &again, 1000) ||
            again.first != head.first || again.steps != head.steps || again.done != head.done)
            std::abort();
    }
    const auto history = circuitdoc::readHistory(
        lines[0],
        [&](std::uint64_t serial) {
            const std::uint64_t line = serial - head.first + 1;
            return line < lines.size() ? lines[std::size_t(line)] : std::string();
        },
        1000);
    if (history.steps.size() > 1000 || history.done > history.steps.size()) std::abort();
    for (const auto& kept : history.steps) checkStep(kept);
    return 0;
}
