#pragma once

#include <picojson.h>

#include <exception>
#include <string>

namespace circuitdoc {

// Parses a stored text. picojson throws on numbers it cannot hold (such as
// 1e999); any failure reads as a parse error, never as an exception. On
// failure out is null and parseError, when given, says why.
inline bool parseStored(const std::string& text, picojson::value& out, std::string* parseError)
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

} // namespace circuitdoc
