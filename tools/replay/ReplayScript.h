#pragma once

#include <istream>
#include <string>
#include <vector>

// A day of frames at 60 per second: the longest a single wait or move may
// run, so a slip of the keyboard cannot keep the tool busy for months.
constexpr double kMaxReplaySeconds = 24.0 * 60 * 60;
constexpr int kMaxReplayFrames = 24 * 60 * 60 * 60;
// How long settle waits for the showcase and the disk when not told.
constexpr double kDefaultSettleSeconds = 10.0;

// One command of a replay script, already checked.
struct ReplayCommand {
    enum class Kind { Wait, Settle, Down, Move, Up, Tap, Wheel, Type, Key, Shot, Store, Tree };

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
