#include "ShowcaseRequests.h"

#include <picojson.h>

#include <cmath>
#include <cstdio>
#include <exception>

#include "AppConstants.h"

namespace showcase {

namespace {

// The parser's message goes on to quote the text after the point where it
// stopped, which for a broken sign-in reply may be the token.
std::string withoutQuote(const std::string& message)
{
    const size_t near = message.find(" near:");
    return near == std::string::npos ? message : message.substr(0, near);
}

// Reads the common envelope: a JSON object with a string "result", which is
// a refusal unless it is "success". Anything else is reported through the
// outcome and the object is left empty.
ReplyOutcome readEnvelope(bool transferSucceeded, const std::string& body, std::string* parseError,
                          picojson::object* object)
{
    if (!transferSucceeded) return ReplyOutcome::TransferFailed;
    if (body.empty()) return ReplyOutcome::Empty;
    picojson::value value;
    std::string error;
    try {
        error = picojson::parse(value, body);
    } catch (const std::exception&) {
        // picojson throws on a number it cannot hold, such as 1e999.
        error = "number out of range";
    }
    if (!error.empty()) {
        if (parseError) *parseError = "showcase reply: " + withoutQuote(error);
        return ReplyOutcome::Malformed;
    }
    if (!value.is<picojson::object>()) return ReplyOutcome::Malformed;
    *object = value.get<picojson::object>();
    auto result = object->find("result");
    if (result == object->end() || !result->second.is<std::string>()) return ReplyOutcome::Malformed;
    return result->second.get<std::string>() == "success" ? ReplyOutcome::Accepted : ReplyOutcome::Refused;
}

const picojson::value* member(const picojson::object& object, const char* key)
{
    auto found = object.find(key);
    return found == object.end() ? nullptr : &found->second;
}

} // namespace

std::string endpointUrl(const std::string& baseUrl, const std::string& endpoint) { return baseUrl + endpoint; }

std::string accountBody(const std::string& code) { return "code=" + code; }

std::vector<std::string> imageHeaders(const std::string& token)
{
    return {"Content-Type:image/jpg", "x-token:" + token};
}

std::vector<std::string> circuitHeaders(const std::string& token) { return {"x-token:" + token}; }

std::string circuitBody(const std::string& name, const std::string& text, int64_t imageId)
{
    return "circuitid=0&name=" + percentEncode(name) + "&text=" + percentEncode(text) +
           "&imageids=" + std::to_string(imageId);
}

std::string percentEncode(const std::string& text)
{
    std::string out;
    out.reserve(text.size() * 3);
    for (unsigned char c : text) {
        const bool plain = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '-' ||
                           c == '.' || c == '_' || c == '~';
        if (plain) {
            out.push_back(char(c));
        } else {
            char escaped[4];
            std::snprintf(escaped, sizeof escaped, "%%%02X", unsigned(c));
            out.append(escaped, 3);
        }
    }
    return out;
}

AccountReply readAccountReply(bool transferSucceeded, const std::string& body, std::string* parseError)
{
    AccountReply reply;
    picojson::object object;
    reply.outcome = readEnvelope(transferSucceeded, body, parseError, &object);
    if (reply.outcome != ReplyOutcome::Accepted) return reply;
    const picojson::value* type = member(object, "type");
    if (!type || !type->is<double>()) {
        reply.outcome = ReplyOutcome::Malformed;
        return reply;
    }
    // Read as a number and truncated: 0.5 is account type 0.
    if (std::trunc(type->get<double>()) != 0.0) {
        reply.outcome = ReplyOutcome::Refused;
        return reply;
    }
    const picojson::value* token = member(object, "token");
    const picojson::value* state = member(object, "state");
    if (!token || !token->is<std::string>() || !state || !state->is<std::string>()) {
        reply.outcome = ReplyOutcome::Malformed;
        return reply;
    }
    reply.token = token->get<std::string>();
    reply.stateSuccess = state->get<std::string>() == "success";
    return reply;
}

ImageReply readImageReply(bool transferSucceeded, const std::string& body, std::string* parseError)
{
    ImageReply reply;
    picojson::object object;
    reply.outcome = readEnvelope(transferSucceeded, body, parseError, &object);
    if (reply.outcome != ReplyOutcome::Accepted) return reply;
    const picojson::value* id = member(object, "imageid");
    // Truncating a double outside the 64-bit range is undefined, so such an
    // id is as unusable as a missing one.
    constexpr double kLimit = 9223372036854775808.0; // 2^63
    if (!id || !id->is<double>() || !(id->get<double>() >= -kLimit && id->get<double>() < kLimit)) {
        reply.outcome = ReplyOutcome::Malformed;
        return reply;
    }
    reply.imageId = static_cast<int64_t>(id->get<double>());
    return reply;
}

ReplyOutcome readCircuitReply(bool transferSucceeded, const std::string& body, std::string* parseError)
{
    picojson::object object;
    return readEnvelope(transferSucceeded, body, parseError, &object);
}

std::string replyBody(cocos2d::network::HttpResponse* response)
{
    const std::vector<char>* data = response->getResponseData();
    return std::string(data->begin(), data->end());
}

void reportParseError(const std::string& parseError)
{
    if (!parseError.empty()) std::fprintf(stderr, "%s\n", parseError.c_str());
}

void sendShowcaseRequest(const std::string& endpoint, const std::vector<std::string>& headers, const std::string& body,
                         cocos2d::Ref* target, cocos2d::network::SEL_HttpResponse selector)
{
    auto* request = new cocos2d::network::HttpRequest();
    request->setUrl(endpointUrl(veloquix::showcaseBaseUrl(), endpoint));
    request->setRequestType(cocos2d::network::HttpRequest::Type::POST);
    if (!headers.empty()) request->setHeaders(headers);
    request->setResponseCallback(target, selector);
    request->setRequestData(body.data(), body.size());
    cocos2d::network::HttpClient::getInstance()->send(request);
    request->release();
}

} // namespace showcase
