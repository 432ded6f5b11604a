#include "CircuitDocument.h"

#include <picojson.h>

#include <cmath>
#include <exception>
#include <limits>

namespace circuitdoc {

namespace {

constexpr int kPartTypes = 8;

// picojson throws on numbers it cannot hold (such as 1e999); any failure
// reads as a parse error, never as an exception.
bool parse(const std::string& text, picojson::value& out, std::string* parseError)
{
    std::string error;
    try {
        error = picojson::parse(out, text);
    } catch (const std::exception& e) {
        error = std::string("unreadable number in stored text: ") + e.what();
    }
    if (error.empty()) return true;
    if (parseError) *parseError = error;
    out = picojson::value();
    return false;
}

picojson::array readArray(const std::string& text, std::string* parseError)
{
    if (text.empty()) return {};
    picojson::value value;
    if (!parse(text, value, parseError) || !value.is<picojson::array>()) return {};
    return value.get<picojson::array>();
}

bool finiteNumber(const picojson::object& object, const char* key, double& out)
{
    auto it = object.find(key);
    if (it == object.end() || !it->second.is<double>()) return false;
    out = it->second.get<double>();
    return std::isfinite(out);
}

bool isEntryFor(const picojson::value& entry, const std::string& id)
{
    if (!entry.is<picojson::object>()) return false;
    const auto& object = entry.get<picojson::object>();
    auto it = object.find("id");
    return it != object.end() && it->second.is<std::string>() && it->second.get<std::string>() == id;
}

std::string formatLocal(std::time_t when, const char* pattern)
{
    std::tm local {};
    localtime_r(&when, &local);
    char buffer[80];
    const size_t n = std::strftime(buffer, sizeof buffer, pattern, &local);
    return std::string(buffer, n);
}

} // namespace

std::string writeCircuit(const std::vector<PartRecord>& parts)
{
    picojson::array array;
    array.reserve(parts.size());
    for (const PartRecord& part : parts) {
        picojson::object object;
        object["type"] = picojson::value(double(part.type));
        object["rot"] = picojson::value(double(part.rotation));
        object["x"] = picojson::value(double(part.x));
        object["y"] = picojson::value(double(part.y));
        array.emplace_back(std::move(object));
    }
    return picojson::value(std::move(array)).serialize();
}

std::vector<PartRecord> readCircuit(const std::string& text, std::string* parseError)
{
    std::vector<PartRecord> parts;
    for (const picojson::value& element : readArray(text, parseError)) {
        if (!element.is<picojson::object>()) continue;
        const auto& object = element.get<picojson::object>();
        double type, rot, x, y;
        if (!finiteNumber(object, "type", type) || !finiteNumber(object, "rot", rot) ||
            !finiteNumber(object, "x", x) || !finiteNumber(object, "y", y))
            continue;
        const double typeIndex = std::trunc(type);
        if (typeIndex < 0 || typeIndex >= kPartTypes) continue;
        // The narrowed values must stay finite and the rotation must fit.
        const double maxFloat = std::numeric_limits<float>::max();
        if (std::fabs(x) > maxFloat || std::fabs(y) > maxFloat || std::fabs(rot) >= 2147483648.0) continue;
        PartRecord part;
        part.type = int(typeIndex);
        part.rotation = float(int(std::trunc(rot)));
        part.x = float(x);
        part.y = float(y);
        parts.push_back(part);
    }
    return parts;
}

std::vector<SaveEntry> readSaveList(const std::string& text, std::string* parseError)
{
    std::vector<SaveEntry> entries;
    for (const picojson::value& element : readArray(text, parseError)) {
        if (!element.is<picojson::object>()) continue;
        const auto& object = element.get<picojson::object>();
        auto id = object.find("id");
        auto name = object.find("name");
        if (id == object.end() || name == object.end() || !id->second.is<std::string>() ||
            !name->second.is<std::string>() || !isCircuitId(id->second.get<std::string>()))
            continue;
        entries.push_back({id->second.get<std::string>(), name->second.get<std::string>()});
    }
    return entries;
}

std::string saveListWithNewEntry(const std::string& text, const std::string& id, const std::string& name,
                                 std::string* parseError)
{
    picojson::array list = readArray(text, parseError);
    picojson::object entry;
    entry["id"] = picojson::value(id);
    entry["name"] = picojson::value(name);
    list.insert(list.begin(), picojson::value(std::move(entry)));
    return picojson::value(std::move(list)).serialize();
}

std::string saveListWithout(const std::string& text, const std::string& id, std::string* parseError)
{
    picojson::array list = readArray(text, parseError);
    for (auto it = list.begin(); it != list.end(); ++it) {
        if (isEntryFor(*it, id)) {
            list.erase(it);
            break;
        }
    }
    return picojson::value(std::move(list)).serialize();
}

std::string saveListRenamed(const std::string& text, const std::string& id, const std::string& name,
                            std::string* parseError)
{
    picojson::array list = readArray(text, parseError);
    for (picojson::value& entry : list) {
        if (isEntryFor(entry, id)) {
            entry.get<picojson::object>()["name"] = picojson::value(name);
            break;
        }
    }
    return picojson::value(std::move(list)).serialize();
}

bool isCircuitId(const std::string& text)
{
    if (text.size() != 14) return false;
    for (char c : text)
        if (c < '0' || c > '9') return false;
    return true;
}

std::string circuitId(std::time_t when)
{
    return formatLocal(when, "%Y%m%d%H%M%S");
}

std::string displayDate(std::time_t when)
{
    return formatLocal(when, "%Y-%m-%d  %H : %M : %S");
}

std::time_t firstFreeSecond(std::time_t when, const std::function<bool(const std::string& id)>& taken)
{
    while (taken(circuitId(when))) ++when;
    return when;
}

} // namespace circuitdoc
