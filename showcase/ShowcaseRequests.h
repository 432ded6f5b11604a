#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "cocos2d.h"
#include "network/HttpClient.h"

// What the showcase client says and how it reads the answers. Everything here
// but sendShowcaseRequest is plain text in, text or a small result out.
namespace showcase {

inline const char* const kAccountEndpoint = "circuit_get_account.asp";
inline const char* const kImageEndpoint = "set_image.asp";
inline const char* const kCircuitEndpoint = "set_circuit.asp";

// The base URL followed directly by the endpoint name.
std::string endpointUrl(const std::string& baseUrl, const std::string& endpoint);

// "code=" and the code exactly as typed: the service expects it unencoded.
std::string accountBody(const std::string& code);

// Header lines as the service reads them, no blank after the colon.
std::vector<std::string> imageHeaders(const std::string& token);
std::vector<std::string> circuitHeaders(const std::string& token);

// "circuitid=0&name=...&text=...&imageids=N", name and text percent-encoded.
std::string circuitBody(const std::string& name, const std::string& text, int64_t imageId);

// Every byte but 0-9 a-z A-Z - . _ ~ as "%XX" (upper-case hex); a blank is "%20".
std::string percentEncode(const std::string& text);

// How a reply turned out, as far as its caller needs to know.
enum class ReplyOutcome {
    TransferFailed, // not reached, dropped, timed out or an HTTP error status
    Empty,          // reached, but the body is empty
    Malformed,      // not JSON, not an object, or a needed key missing or of another type
    Refused,        // the service said no
    Accepted,
};

// A sign-in reply. Accepted means "result" "success" and "type" 0, the one
// case in which the token is kept; whether the account may be used is
// stateSuccess.
struct AccountReply {
    ReplyOutcome outcome = ReplyOutcome::TransferFailed;
    std::string token;
    bool stateSuccess = false;
};

struct ImageReply {
    ReplyOutcome outcome = ReplyOutcome::TransferFailed;
    int64_t imageId = 0;
};

// parseError, when given, receives a message fit for the error stream when
// the body is not JSON: it names where reading stopped but quotes nothing of
// the body, which may hold a token.
AccountReply readAccountReply(bool transferSucceeded, const std::string& body, std::string* parseError = nullptr);
ImageReply readImageReply(bool transferSucceeded, const std::string& body, std::string* parseError = nullptr);
ReplyOutcome readCircuitReply(bool transferSucceeded, const std::string& body, std::string* parseError = nullptr);

// The body of a reply as text; an HTTP status of 400 or more or a failed
// transfer counts as not succeeded (response->isSucceed()).
std::string replyBody(cocos2d::network::HttpResponse* response);

// Writes a parse error to the error stream, followed by a newline, when there is one.
void reportParseError(const std::string& parseError);

// POSTs body to the endpoint under the configured base URL. The target is
// retained by the request until selector has run on the main thread.
void sendShowcaseRequest(const std::string& endpoint, const std::vector<std::string>& headers, const std::string& body,
                         cocos2d::Ref* target, cocos2d::network::SEL_HttpResponse selector);

} // namespace showcase
