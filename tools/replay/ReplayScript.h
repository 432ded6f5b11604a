#pragma once

#include <istream>
#include <string>
#include <vector>

// One command of a replay script, already checked.
struct ReplayCommand {
    enum class Kind { Wait, Down, Move, Up, Tap, Wheel, Type, Key, Shot, Store, Tree };

    Kind kind;
    int line = 0;
    double seconds = 0.0;
    int id = 0;
    float x = 0.0f;
    float y = 0.0f;
    bool hasPoint = false;
    int steps = 1;
    float dy = 0.0f;
    std::string text;
};

struct ReplayParseResult {
    std::vector<ReplayCommand> commands;
    // Empty on success, else "line N: message".
    std::string error;
    int errorLine = 0;
};

ReplayParseResult parseReplayScript(std::istream& in);
