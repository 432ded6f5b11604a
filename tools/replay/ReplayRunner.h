#pragma once

#include <functional>
#include <string>
#include <vector>

#include "ReplayScript.h"

// Plays checked commands against the running application; false with a
// message when a command cannot be carried out (a file that cannot be written,
// an unknown key name) or when stopRequested, asked before every command and
// every frame, says to stop.
bool runReplay(const std::vector<ReplayCommand>& commands, std::string* error,
               const std::function<bool()>& stopRequested = nullptr);
