#include "HistoryDocument.h"

#include <picojson.h>

#include <algorithm>
#include <cmath>
#include <limits>

#include "CircuitDocument.h"
#include "StoredJson.h"

namespace circuitdoc {

namespace {

constexpr int kPartTypes = 8;
constexpr double kMaxPlace = 2147483647.0;
// Serials stay whole numbers that a double holds exactly.
constexpr double kMaxSerial = 9007199254740991.0;

void appendPlacedPart(std::string& out, const circuit::PlacedPart& part)
{
    out += '[';
    appendNumber(out, double(part.place));
    out += ',';
    appendNumber(out, double(part.type));
    for (float value : {part.x, part.y, part.rotation}) {
        out += ',';
        appendNumber(out, double(value));
    }
    for (std::int32_t link : part.links) {
        out += ',';
        appendNumber(out, double(link));
    }
    out += ']';
}

bool wholeNumber(const picojson::value& value, double low, double high, double& out)
{
    if (!value.is<double>()) return false;
    out = value.get<double>();
    return out >= low && out <= high && std::trunc(out) == out;
}

bool floatNumber(const picojson::value& value, float& out)
{
    if (!value.is<double>()) return false;
    const double number = value.get<double>();
    if (!std::isfinite(number) || std::fabs(number) > double(std::numeric_limits<float>::max())) return false;
    out = float(number);
    return true;
}

bool readPlacedPart(const picojson::value& value, circuit::PlacedPart& part)
{
    if (!value.is<picojson::array>()) return false;
    const auto& fields = value.get<picojson::array>();
    double place, type, linkA, linkB;
    if (fields.size() != 7 || !wholeNumber(fields[0], 0, kMaxPlace, place) ||
        !wholeNumber(fields[1], 0, kPartTypes - 1, type) || !floatNumber(fields[2], part.x) ||
        !floatNumber(fields[3], part.y) || !floatNumber(fields[4], part.rotation) ||
        !wholeNumber(fields[5], -1, kMaxPlace, linkA) || !wholeNumber(fields[6], -1, kMaxPlace, linkB))
        return false;
    part.place = std::int32_t(place);
    part.type = PartType(type);
    part.links[0] = std::int32_t(linkA);
    part.links[1] = std::int32_t(linkB);
    part.id = 0;
    return true;
}

// At most one record for a place on each side.
bool distinctPlaces(const circuit::HistoryStep& step, bool before)
{
    std::vector<std::int32_t> places;
    for (const auto& change : step.changes)
        if (before ? change.hasBefore : change.hasAfter)
            places.push_back((before ? change.before : change.after).place);
    std::sort(places.begin(), places.end());
    return std::adjacent_find(places.begin(), places.end()) == places.end();
}

} // namespace

std::string historyKey(const std::string& circuitId) { return circuitId + ".history"; }

std::string historyStepKey(const std::string& circuitId, std::uint64_t serial)
{
    return historyKey(circuitId) + "." + std::to_string(serial);
}

std::string writeHistoryHead(const HistoryHead& head)
{
    std::string out = "{\"done\":";
    appendNumber(out, double(head.done));
    out += ",\"first\":";
    appendNumber(out, double(head.first));
    out += ",\"steps\":";
    appendNumber(out, double(head.steps));
    out += '}';
    return out;
}

std::string writeHistoryStep(const circuit::HistoryStep& step)
{
    std::string out = "[";
    for (const auto& change : step.changes) {
        if (out.size() > 1) out += ',';
        out += '{';
        if (change.hasAfter) {
            out += "\"a\":";
            appendPlacedPart(out, change.after);
        }
        if (change.hasBefore) {
            out += change.hasAfter ? ",\"b\":" : "\"b\":";
            appendPlacedPart(out, change.before);
        }
        out += '}';
    }
    out += ']';
    return out;
}

bool readHistoryHead(const std::string& text, HistoryHead* head, std::size_t maxSteps)
{
    picojson::value value;
    if (!parseStored(text, value, nullptr) || !value.is<picojson::object>()) return false;
    const auto& object = value.get<picojson::object>();
    if (object.size() != 3 || !object.count("done") || !object.count("first") || !object.count("steps")) return false;
    double done, first, steps;
    if (!wholeNumber(object.at("steps"), 0, double(maxSteps), steps) ||
        !wholeNumber(object.at("done"), 0, steps, done) || !wholeNumber(object.at("first"), 0, kMaxSerial, first) ||
        first + steps > kMaxSerial)
        return false;
    head->first = std::uint64_t(first);
    head->steps = std::size_t(steps);
    head->done = std::size_t(done);
    return true;
}

bool readHistoryStep(const std::string& text, circuit::HistoryStep* step)
{
    picojson::value value;
    if (!parseStored(text, value, nullptr) || !value.is<picojson::array>()) return false;
    const auto& changes = value.get<picojson::array>();
    if (changes.empty()) return false;
    circuit::HistoryStep read;
    read.changes.reserve(changes.size());
    for (const picojson::value& element : changes) {
        if (!element.is<picojson::object>()) return false;
        const auto& object = element.get<picojson::object>();
        circuit::PartChange change;
        change.hasAfter = object.count("a") != 0;
        change.hasBefore = object.count("b") != 0;
        if (object.size() != std::size_t(change.hasAfter) + std::size_t(change.hasBefore) || object.empty())
            return false;
        if (change.hasAfter && !readPlacedPart(object.at("a"), change.after)) return false;
        if (change.hasBefore && !readPlacedPart(object.at("b"), change.before)) return false;
        read.changes.push_back(change);
    }
    if (!distinctPlaces(read, true) || !distinctPlaces(read, false)) return false;
    *step = std::move(read);
    return true;
}

StoredHistory readHistory(const std::string& headText, const std::function<std::string(std::uint64_t)>& stepText,
                          std::size_t maxSteps, std::string* error)
{
    StoredHistory history;
    HistoryHead head;
    if (headText.empty()) return history;
    if (!readHistoryHead(headText, &head, maxSteps)) {
        if (error) *error = "unreadable history head";
        return history;
    }
    std::vector<circuit::HistoryStep> steps(head.steps);
    for (std::size_t i = 0; i < head.steps; ++i) {
        if (!readHistoryStep(stepText(head.first + i), &steps[i])) {
            if (error) *error = "unreadable history step " + std::to_string(head.first + i);
            return history;
        }
    }
    history.first = head.first;
    history.done = head.done;
    history.steps = std::move(steps);
    return history;
}

} // namespace circuitdoc
