// The save list is read and rewritten by every saved-circuit operation; any
// stored text must survive each edit without a crash, and every edit must
// leave a list that reads back with the change made.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "CircuitDocument.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    const auto entries = circuitdoc::readSaveList(text);
    for (const auto& entry : entries)
        if (!circuitdoc::isCircuitId(entry.id)) std::abort();

    const std::string id = "20150607093015";
    const std::string added = circuitdoc::saveListWithNewEntry(text, id, text);
    const auto withNew = circuitdoc::readSaveList(added);
    if (withNew.empty() || withNew.front().id != id || withNew.front().name != text) std::abort();
    const auto renamed = circuitdoc::readSaveList(circuitdoc::saveListRenamed(added, id, "x"));
    if (renamed.empty() || renamed.front().name != "x") std::abort();
    if (circuitdoc::readSaveList(circuitdoc::saveListWithout(added, id)).size() != withNew.size() - 1) std::abort();
    return 0;
}
