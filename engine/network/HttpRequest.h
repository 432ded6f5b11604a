#pragma once

#include <sys/types.h>

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "base/CCRef.h"

namespace cocos2d {
namespace network {

class HttpClient;
class HttpResponse;

using ccHttpRequestCallback = std::function<void(HttpClient* client, HttpResponse* response)>;
typedef void (Ref::*SEL_HttpResponse)(HttpClient* client, HttpResponse* response);

#define httpresponse_selector(_SELECTOR) (cocos2d::network::SEL_HttpResponse)(&_SELECTOR)

// What to send and whom to tell. HttpClient::send keeps its own reference
// until the callback has run, so callers release theirs right after sending.
class HttpRequest : public Ref {
public:
    enum class Type { GET, POST, PUT, DELETE, UNKNOWN };

    HttpRequest() = default;
    ~HttpRequest() override
    {
        if (_target) _target->release();
    }

    void setRequestType(Type type) { _requestType = type; }
    Type getRequestType() const { return _requestType; }

    void setUrl(const std::string& url) { _url = url; }
    const char* getUrl() const { return _url.c_str(); }

    // The body bytes, copied.
    void setRequestData(const char* buffer, size_t len)
    {
        _requestData.assign(buffer, buffer && len ? buffer + len : buffer);
    }
    char* getRequestData() { return _requestData.empty() ? nullptr : _requestData.data(); }
    ssize_t getRequestDataSize() const { return static_cast<ssize_t>(_requestData.size()); }

    void setTag(const std::string& tag) { _tag = tag; }
    const char* getTag() const { return _tag.c_str(); }

    void setUserData(void* userData) { _userData = userData; }
    void* getUserData() const { return _userData; }

    // Complete header lines such as "Authorization: Bearer ...".
    void setHeaders(const std::vector<std::string>& headers) { _headers = headers; }
    std::vector<std::string> getHeaders() const { return _headers; }

    void setResponseCallback(const ccHttpRequestCallback& callback) { _callback = callback; }
    // The target is retained by the request, so it lives until the reply
    // has been handed to it.
    void setResponseCallback(Ref* target, SEL_HttpResponse selector)
    {
        if (target) target->retain();
        if (_target) _target->release();
        _target = target;
        _selector = selector;
    }
    const ccHttpRequestCallback& getCallback() const { return _callback; }
    Ref* getTarget() const { return _target; }
    SEL_HttpResponse getSelector() const { return _selector; }

private:
    Type _requestType = Type::UNKNOWN;
    std::string _url;
    std::vector<char> _requestData;
    std::string _tag;
    void* _userData = nullptr;
    std::vector<std::string> _headers;
    ccHttpRequestCallback _callback;
    Ref* _target = nullptr;
    SEL_HttpResponse _selector = nullptr;
};

} // namespace network
} // namespace cocos2d
