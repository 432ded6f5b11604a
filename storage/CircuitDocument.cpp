#include "CircuitDocument.h"

#include <picojson.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

#include "StoredJson.h"

namespace circuitdoc {

namespace {

constexpr int kPartTypes = 8;

picojson::array readArray(const std::string& text, std::string* parseError)
{
    if (text.empty()) return {};
    picojson::value value;
    if (!parseStored(text, value, parseError) || !value.is<picojson::array>()) return {};
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

namespace {

// "%.17g" for |value| in [1e-3, 1e17) that is not integral, computed exactly
// with integers: value = m * 2^-s, and the 17 significant digits are
// m * 10^k / 2^s rounded half to even, as printf rounds. Returns false where
// the value lies outside that range.
bool appendSeventeenDigits(std::string& out, double value)
{
    const double magnitude = std::fabs(value);
    if (!(magnitude >= 1e-3 && magnitude < 1e17)) return false;
    int exponent;
    const double fraction = std::frexp(magnitude, &exponent); // magnitude = fraction * 2^exponent
    const std::uint64_t m = std::uint64_t(std::ldexp(fraction, 53));
    const int s = 53 - exponent;
    if (s <= 0 || s > 100) return false;

    static const std::uint64_t kPowers[20] = {1ULL, 10ULL, 100ULL, 1000ULL, 10000ULL, 100000ULL, 1000000ULL,
        10000000ULL, 100000000ULL, 1000000000ULL, 10000000000ULL, 100000000000ULL, 1000000000000ULL,
        10000000000000ULL, 100000000000000ULL, 1000000000000000ULL, 10000000000000000ULL,
        100000000000000000ULL, 1000000000000000000ULL, 10000000000000000000ULL};
    auto digitsAt = [&](int decimalExponent) -> std::uint64_t {
        const int k = 16 - decimalExponent;
        const unsigned __int128 scaled = (unsigned __int128)m * kPowers[k];
        std::uint64_t q = std::uint64_t(scaled >> s);
        const unsigned __int128 rest = scaled - ((unsigned __int128)q << s);
        const unsigned __int128 half = (unsigned __int128)1 << (s - 1);
        if (rest > half || (rest == half && (q & 1))) ++q;
        return q;
    };
    // The decimal exponent from the binary one; the steps below mend the
    // estimate where it falls one short.
    int x = int(std::floor((exponent - 1) * 0.30102999566398120));
    x = std::max(-3, std::min(16, x));
    std::uint64_t q = digitsAt(x);
    if (q >= kPowers[17] && x < 16) q = digitsAt(++x);
    else if (q < kPowers[16] && x > -3) q = digitsAt(--x);
    if (q < kPowers[16] || q >= kPowers[17]) return false;

    static const char kPairs[] = "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
                                 "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
                                 "8081828384858687888990919293949596979899";
    char digits[18];
    for (int i = 16; i > 0; i -= 2, q /= 100) {
        const unsigned pair = unsigned(q % 100) * 2;
        digits[i - 1] = kPairs[pair];
        digits[i] = kPairs[pair + 1];
    }
    digits[0] = char('0' + q);
    int last = 16; // trailing zeros of the fraction are not written
    const int pointAfter = x >= 0 ? x + 1 : 0;
    while (last >= pointAfter && digits[last] == '0') --last;
    if (value < 0) out += '-';
    if (x >= 0) {
        out.append(digits, pointAfter);
        if (last >= pointAfter) {
            out += '.';
            out.append(digits + pointAfter, last - pointAfter + 1);
        }
    } else {
        out += "0.";
        out.append(-x - 1, '0');
        out.append(digits, last + 1);
    }
    return true;
}

} // namespace

void appendNumber(std::string& out, double value)
{
    // picojson's rule: integral values below 2^53 as "%.f", all else "%.17g".
    double whole;
    if (std::fabs(value) < double(1ULL << 53) && std::modf(value, &whole) == 0) {
        if (value == 0 && std::signbit(value)) out += '-';
        char buffer[24];
        out.append(buffer, std::to_chars(buffer, buffer + sizeof buffer, static_cast<long long>(value)).ptr);
        return;
    }
    if (appendSeventeenDigits(out, value)) return;
    // to_chars with a precision prints exactly what printf would.
    char buffer[40];
    out.append(buffer, std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 17).ptr);
}

namespace {

void appendPart(std::string& out, const PartRecord& part)
{
    out += "{\"rot\":";
    appendNumber(out, double(part.rotation));
    out += ",\"type\":";
    appendNumber(out, double(part.type));
    out += ",\"x\":";
    appendNumber(out, double(part.x));
    out += ",\"y\":";
    appendNumber(out, double(part.y));
    out += '}';
}

// Bit for bit: 0 and -0 are written differently, and a NaN is never reused.
bool sameRecord(const PartRecord& a, const PartRecord& b)
{
    return a.type == b.type && std::memcmp(&a.rotation, &b.rotation, sizeof a.rotation) == 0 &&
           std::memcmp(&a.x, &b.x, sizeof a.x) == 0 && std::memcmp(&a.y, &b.y, sizeof a.y) == 0 &&
           a.rotation == a.rotation && a.x == a.x && a.y == a.y;
}

} // namespace

std::string writeCircuit(const std::vector<PartRecord>& parts) { return writeCircuit(parts, {}); }

std::string writeCircuit(const std::vector<PartRecord>& parts, const std::vector<PartText*>& memos)
{
    // Written by hand rather than through picojson values: a board of a
    // thousand parts is saved at every touch, and building a map per part
    // cost more than the durable commit that follows. The bytes are those
    // picojson writes: members sorted, compact, its number forms.
    std::string out;
    out.reserve(parts.size() * 72 + 2);
    out += '[';
    for (size_t i = 0; i < parts.size(); ++i) {
        if (i > 0) out += ',';
        PartText* memo = i < memos.size() ? memos[i] : nullptr;
        if (!memo) {
            appendPart(out, parts[i]);
            continue;
        }
        if (memo->text.empty() || !sameRecord(memo->record, parts[i])) {
            memo->record = parts[i];
            memo->text.clear();
            appendPart(memo->text, parts[i]);
        }
        out += memo->text;
    }
    out += ']';
    return out;
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
    return saveListWithEntryAt(text, 0, id, name, parseError);
}

std::string saveListWithEntryAt(const std::string& text, std::size_t place, const std::string& id,
                                const std::string& name, std::string* parseError)
{
    picojson::array list = readArray(text, parseError);
    picojson::object entry;
    entry["id"] = picojson::value(id);
    entry["name"] = picojson::value(name);
    list.insert(list.begin() + std::ptrdiff_t(std::min(place, list.size())), picojson::value(std::move(entry)));
    return picojson::value(std::move(list)).serialize();
}

std::ptrdiff_t saveListPlace(const std::string& text, const std::string& id)
{
    const picojson::array list = readArray(text, nullptr);
    for (std::size_t i = 0; i < list.size(); ++i)
        if (isEntryFor(list[i], id)) return std::ptrdiff_t(i);
    return -1;
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
