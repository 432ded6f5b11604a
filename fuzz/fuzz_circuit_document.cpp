// Stored circuit documents are read at every launch; whatever the store holds
// must read without a crash, and what is read must write and read back the
// same.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "CircuitDocument.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    const auto parts = circuitdoc::readCircuit(text);
    const auto again = circuitdoc::readCircuit(circuitdoc::writeCircuit(parts));
    if (again.size() != parts.size()) std::abort();
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (again[i].type != parts[i].type || again[i].rotation != parts[i].rotation || again[i].x != parts[i].x ||
            again[i].y != parts[i].y)
            std::abort();
    }
    return 0;
}
