#pragma once

#include <string>

namespace veloquix {

// "VELOQUIX — NAME" while a circuit is open, NAME being its display name on
// one line; "VELOQUIX" for an empty name, when none is.
std::string windowTitleFor(const std::string& circuitName);

// Puts that title on the window, when there is one.
void showCircuitInWindowTitle(const std::string& circuitName);

} // namespace veloquix
