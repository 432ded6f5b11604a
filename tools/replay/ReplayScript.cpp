#include "ReplayScript.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <sstream>

namespace {

bool parseNumber(const std::string& word, double* out)
{
    if (word.empty()) return false;
    char* end = nullptr;
    double value = std::strtod(word.c_str(), &end);
    if (*end != '\0' || !std::isfinite(value)) return false;
    *out = value;
    return true;
}

bool parseInt(const std::string& word, int* out)
{
    if (word.empty()) return false;
    char* end = nullptr;
    long value = std::strtol(word.c_str(), &end, 10);
    if (*end != '\0' || value < 0 || value > 1000000) return false;
    *out = int(value);
    return true;
}

bool parseCount(const std::string& word, int limit, int* out)
{
    if (word.empty()) return false;
    char* end = nullptr;
    errno = 0;
    long long value = std::strtoll(word.c_str(), &end, 10);
    if (*end != '\0' || errno == ERANGE || value < 1 || value > limit) return false;
    *out = int(value);
    return true;
}

std::vector<std::string> words(const std::string& line)
{
    std::istringstream in(line);
    std::vector<std::string> out;
    std::string word;
    while (in >> word) out.push_back(word);
    return out;
}

// The rest of the line after the command word and one separating blank.
std::string restOfLine(const std::string& line, const std::string& command)
{
    size_t start = line.find(command);
    size_t pos = start + command.size();
    if (pos < line.size() && (line[pos] == ' ' || line[pos] == '\t')) ++pos;
    return line.substr(pos);
}

} // namespace

ReplayParseResult parseReplayScript(std::istream& in)
{
    ReplayParseResult result;
    std::string line;
    int number = 0;
    auto fail = [&](const std::string& message) {
        result.error = "line " + std::to_string(number) + ": " + message;
        result.errorLine = number;
        result.commands.clear();
        return result;
    };
    while (std::getline(in, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::vector<std::string> w = words(line);
        if (w.empty() || w[0][0] == '#') continue;
        const std::string& name = w[0];
        ReplayCommand c;
        c.line = number;
        double a = 0, b = 0, d = 0;
        if (name == "wait") {
            if (w.size() != 2 || !parseNumber(w[1], &a) || a < 0) return fail("usage: wait SECONDS");
            if (a > kMaxReplaySeconds) return fail("SECONDS must be at most 86400 (a day of frames)");
            c.kind = ReplayCommand::Kind::Wait;
            c.seconds = a;
        } else if (name == "settle") {
            a = kDefaultSettleSeconds;
            if (w.size() > 2 || (w.size() == 2 && (!parseNumber(w[1], &a) || a < 0))) {
                return fail("usage: settle [SECONDS]");
            }
            if (a > kMaxReplaySeconds) return fail("SECONDS must be at most 86400 (a day of frames)");
            c.kind = ReplayCommand::Kind::Settle;
            c.seconds = a;
        } else if (name == "down" || name == "move") {
            bool move = name == "move";
            if (w.size() != 4 && !(move && w.size() == 5)) {
                return fail(move ? "usage: move ID X Y [STEPS]" : "usage: down ID X Y");
            }
            if (!parseInt(w[1], &c.id) || !parseNumber(w[2], &a) || !parseNumber(w[3], &b)) {
                return fail("ID must be a whole number and X Y numbers");
            }
            c.kind = move ? ReplayCommand::Kind::Move : ReplayCommand::Kind::Down;
            c.x = float(a);
            c.y = float(b);
            c.hasPoint = true;
            if (w.size() == 5 && !parseCount(w[4], kMaxReplayFrames, &c.steps)) {
                return fail("STEPS must be from 1 to " + std::to_string(kMaxReplayFrames) + " (a day of frames)");
            }
        } else if (name == "up") {
            if (w.size() != 2 || !parseInt(w[1], &c.id)) return fail("usage: up ID");
            c.kind = ReplayCommand::Kind::Up;
        } else if (name == "tap") {
            if (w.size() != 3 || !parseNumber(w[1], &a) || !parseNumber(w[2], &b)) return fail("usage: tap X Y");
            c.kind = ReplayCommand::Kind::Tap;
            c.x = float(a);
            c.y = float(b);
            c.hasPoint = true;
        } else if (name == "wheel") {
            if ((w.size() != 2 && w.size() != 4) || !parseNumber(w[1], &d)) return fail("usage: wheel DY [X Y]");
            c.kind = ReplayCommand::Kind::Wheel;
            c.dy = float(d);
            if (w.size() == 4) {
                if (!parseNumber(w[2], &a) || !parseNumber(w[3], &b)) return fail("usage: wheel DY [X Y]");
                c.x = float(a);
                c.y = float(b);
                c.hasPoint = true;
            }
        } else if (name == "type") {
            c.kind = ReplayCommand::Kind::Type;
            c.text = restOfLine(line, "type");
            if (c.text.empty()) return fail("usage: type TEXT");
        } else if (name == "key") {
            if (w.size() != 2) return fail("usage: key NAME");
            c.kind = ReplayCommand::Kind::Key;
            c.text = w[1];
        } else if (name == "shot" || name == "store" || name == "tree") {
            if (w.size() != 2) return fail("usage: " + name + " FILE");
            c.kind = name == "shot" ? ReplayCommand::Kind::Shot
                                    : name == "store" ? ReplayCommand::Kind::Store : ReplayCommand::Kind::Tree;
            c.text = w[1];
        } else {
            return fail("unknown command \"" + name + "\"");
        }
        result.commands.push_back(c);
    }
    return result;
}
