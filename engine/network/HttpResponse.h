#pragma once

#include <string>
#include <vector>

#include "base/CCRef.h"
#include "network/HttpRequest.h"

namespace cocos2d {
namespace network {

// The outcome of one request, handed to its callback on the main thread.
class HttpResponse : public Ref {
public:
    // Retains the request.
    explicit HttpResponse(HttpRequest* request) : _request(request)
    {
        if (_request) _request->retain();
    }
    ~HttpResponse() override
    {
        if (_request) _request->release();
    }

    HttpRequest* getHttpRequest() const { return _request; }
    // The transfer completed and the status was below 400.
    bool isSucceed() const { return _succeed; }
    std::vector<char>* getResponseData() { return &_responseData; }
    // The raw header block of the reply, status line included.
    std::vector<char>* getResponseHeader() { return &_responseHeader; }
    // 0 when no status line arrived.
    long getResponseCode() const { return _responseCode; }
    const char* getErrorBuffer() const { return _errorBuffer.c_str(); }
    std::string getResponseDataString() const { return std::string(_responseData.begin(), _responseData.end()); }

    void setSucceed(bool value) { _succeed = value; }
    void setResponseData(std::vector<char>* data) { _responseData = *data; }
    void setResponseData(std::vector<char>&& data) { _responseData = std::move(data); }
    void setResponseHeader(std::vector<char>* data) { _responseHeader = *data; }
    void setResponseHeader(std::vector<char>&& data) { _responseHeader = std::move(data); }
    void setResponseCode(long value) { _responseCode = value; }
    void setErrorBuffer(const char* value) { _errorBuffer = value ? value : ""; }

private:
    HttpRequest* _request = nullptr;
    bool _succeed = false;
    std::vector<char> _responseData;
    std::vector<char> _responseHeader;
    long _responseCode = 0;
    std::string _errorBuffer;
};

} // namespace network
} // namespace cocos2d
