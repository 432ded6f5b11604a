#include "network/HttpClient.h"

#include <curl/curl.h>
#include <strings.h>

#include <cstdio>
#include <cstring>
#include <exception>
#include <utility>

#include "base/CCDirector.h"
#include "base/CCScheduler.h"

namespace cocos2d {
namespace network {

namespace {

HttpClient* s_instance = nullptr;

// Where a reply's bytes go, with the most that may arrive. Returning less
// than was offered makes libcurl abort the transfer, which is also the only
// way out of its callback: nothing may be thrown through its C frames.
struct Sink {
    std::vector<char> bytes;
    size_t limit = 0;
    bool overLimit = false;
    bool outOfMemory = false;
};

size_t appendBytes(char* data, size_t size, size_t count, void* userData) noexcept
{
    auto* sink = static_cast<Sink*>(userData);
    size_t length = size * count;
    if (length > sink->limit - sink->bytes.size()) {
        sink->overLimit = true;
        return 0;
    }
    try {
        sink->bytes.insert(sink->bytes.end(), data, data + length);
    } catch (...) {
        sink->outOfMemory = true;
        return 0;
    }
    return length;
}

int abortWhenAsked(void* userData, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
{
    return static_cast<std::atomic<bool>*>(userData)->load() ? 1 : 0;
}

bool startsWithIgnoringCase(const std::string& text, const char* prefix)
{
    size_t n = std::strlen(prefix);
    return text.size() >= n && strncasecmp(text.c_str(), prefix, n) == 0;
}

bool hasControlByte(const std::string& text)
{
    for (unsigned char c : text) {
        if (c < 0x20 || c == 0x7f) return true;
    }
    return false;
}

// A line break would let a value add or split header lines, and a NUL would
// cut the line short where libcurl reads it as a C string.
bool breaksHeaderLine(const std::string& line)
{
    return line.find_first_of(std::string("\r\n\0", 3)) != std::string::npos;
}

// What a message may say of a URL: no query, which could carry a secret.
std::string printable(const std::string& url)
{
    std::string shown = url.substr(0, url.find_first_of("?#"));
    for (char& c : shown) {
        if ((unsigned char)c < 0x20 || c == 0x7f) c = '?';
    }
    return shown;
}

// Why a request must not go out at all, or "" when it may.
std::string refusal(const std::string& url, const std::vector<std::string>& headers)
{
    if (!startsWithIgnoringCase(url, "http://") && !startsWithIgnoringCase(url, "https://")) {
        return "only http and https URLs are fetched";
    }
    if (hasControlByte(url)) return "the URL holds a control character";
    for (size_t i = 0; i < headers.size(); ++i) {
        if (breaksHeaderLine(headers[i])) {
            return "header line " + std::to_string(i + 1) + " holds CR, LF or NUL";
        }
    }
    return "";
}

} // namespace

struct HttpClient::Job {
    unsigned long id = 0;
    Scheduler* scheduler = nullptr;
    HttpRequest::Type type = HttpRequest::Type::UNKNOWN;
    std::string url;
    std::vector<std::string> headers;
    std::vector<char> body;
    long connectTimeoutMs = 0;
    long timeoutMs = 0;
};

struct HttpClient::Result {
    bool succeed = false;
    long code = 0;
    std::vector<char> data;
    std::vector<char> header;
    std::string error;
};

HttpClient* HttpClient::getInstance()
{
    if (!s_instance) {
        // Once per process and before any transfer thread exists, as libcurl requires.
        static const bool initialised = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
        (void)initialised;
        s_instance = new HttpClient();
    }
    return s_instance;
}

void HttpClient::destroyInstance()
{
    HttpClient* client = s_instance;
    if (!client) return;
    s_instance = nullptr;
    client->stop();
    delete client;
}

size_t HttpClient::outstandingRequests()
{
    return s_instance ? s_instance->_pending.size() : 0;
}

HttpClient::HttpClient() : _liveness(std::make_shared<Liveness>())
{
    _multi = curl_multi_init();
    _worker = std::thread([this] { workerLoop(); });
}

HttpClient::~HttpClient()
{
    stop();
    if (_multi) curl_multi_cleanup(static_cast<CURLM*>(_multi));
}

void HttpClient::stop()
{
    if (_worker.joinable()) {
        {
            std::lock_guard<std::mutex> lock(_mutex);
            _abort = true;
        }
        _wake.notify_all();
        if (_multi) curl_multi_wakeup(static_cast<CURLM*>(_multi));
        _worker.join();
    }
    _liveness->alive = false;
    _jobs.clear();
    // Released here, on the main thread, like every other reference change.
    std::map<unsigned long, Pending> pending;
    pending.swap(_pending);
    for (auto& entry : pending) {
        entry.second.request->release();
        entry.second.scheduler->release();
    }
}

void HttpClient::send(HttpRequest* request)
{
    if (!request) return;
    Scheduler* scheduler = Director::getInstance()->getScheduler();
    request->retain();
    scheduler->retain();
    unsigned long id = _nextId++;
    _pending[id] = Pending{request, scheduler};

    // The worker only ever sees this copy, never the Ref itself.
    auto job = std::make_unique<Job>();
    job->id = id;
    job->scheduler = scheduler;
    job->type = request->getRequestType();
    job->url = request->getUrl();
    job->headers = request->getHeaders();
    if (request->getRequestDataSize() > 0) {
        const char* data = request->getRequestData();
        job->body.assign(data, data + request->getRequestDataSize());
    }
    job->connectTimeoutMs = long(_timeoutForConnect.load()) * 1000L;
    job->timeoutMs = long(_timeoutForRead.load()) * 1000L;
    {
        std::lock_guard<std::mutex> lock(_mutex);
        _jobs.push_back(std::move(job));
    }
    _wake.notify_one();
}

void HttpClient::workerLoop()
{
    for (;;) {
        std::unique_ptr<Job> job;
        {
            std::unique_lock<std::mutex> lock(_mutex);
            _wake.wait(lock, [this] { return _abort.load() || !_jobs.empty(); });
            if (_abort) return;
            job = std::move(_jobs.front());
            _jobs.pop_front();
        }
        std::shared_ptr<Result> result;
        try {
            result = std::make_shared<Result>(perform(*job));
        } catch (const std::exception& e) {
            // Out of memory, most likely; the request fails, the program goes on.
            result = std::make_shared<Result>();
            result->error = e.what();
        }
        if (_abort) return;
        std::shared_ptr<Liveness> liveness = _liveness;
        unsigned long id = job->id;
        // The pending entry holds a reference to this scheduler until the
        // reply is delivered or the client stops, which joins this thread first.
        job->scheduler->performFunctionInCocosThread([this, liveness, id, result] {
            if (!liveness->alive) return;
            deliver(id, std::move(*result));
        });
    }
}

HttpClient::Result HttpClient::perform(const Job& job)
{
    Result result;
    std::string refused = refusal(job.url, job.headers);
    if (!refused.empty()) {
        // Never the header line itself: it may hold a token or an account code.
        result.error = "request not sent: " + refused;
        std::fprintf(stderr, "HttpClient: %s: %s\n", printable(job.url).c_str(), result.error.c_str());
        return result;
    }
    CURL* easy = curl_easy_init();
    CURLM* multi = static_cast<CURLM*>(_multi);
    if (!easy || !multi) {
        if (easy) curl_easy_cleanup(easy);
        result.error = "cannot start a transfer";
        return result;
    }
    char errorBuffer[CURL_ERROR_SIZE] = {0};
    curl_easy_setopt(easy, CURLOPT_URL, job.url.c_str());
    curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, errorBuffer);
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
#if LIBCURL_VERSION_NUM >= 0x075700
    // A transfer abandoned while its host name is still being looked up
    // would otherwise wait for the lookup to end, however long, and hold up
    // stop() and the process's exit behind it.
    curl_easy_setopt(easy, CURLOPT_QUICK_EXIT, 1L);
#endif
    curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, job.connectTimeoutMs);
    curl_easy_setopt(easy, CURLOPT_TIMEOUT_MS, job.timeoutMs);
    curl_easy_setopt(easy, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(easy, CURLOPT_SSL_VERIFYHOST, 2L);
#if LIBCURL_VERSION_NUM >= 0x075500
    curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
#else
    curl_easy_setopt(easy, CURLOPT_PROTOCOLS, long(CURLPROTO_HTTP | CURLPROTO_HTTPS));
    curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS, long(CURLPROTO_HTTP | CURLPROTO_HTTPS));
#endif
    Sink replyBody;
    replyBody.limit = kMaxReplyBodyBytes;
    Sink replyHeader;
    replyHeader.limit = kMaxReplyHeaderBytes;
    // A declared length over the limit fails before any of the body arrives.
    curl_easy_setopt(easy, CURLOPT_MAXFILESIZE_LARGE, curl_off_t(kMaxReplyBodyBytes));
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, appendBytes);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, &replyBody);
    curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, appendBytes);
    curl_easy_setopt(easy, CURLOPT_HEADERDATA, &replyHeader);
    curl_easy_setopt(easy, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(easy, CURLOPT_XFERINFOFUNCTION, abortWhenAsked);
    curl_easy_setopt(easy, CURLOPT_XFERINFODATA, &_abort);

    curl_slist* headers = nullptr;
    bool hasExpect = false;
    for (const std::string& line : job.headers) {
        headers = curl_slist_append(headers, line.c_str());
        hasExpect = hasExpect || startsWithIgnoringCase(line, "Expect:");
    }
    // Bodies go out at once: waiting for "100 Continue" only adds a round
    // trip, and some servers never send it.
    if (!hasExpect) headers = curl_slist_append(headers, "Expect:");
    curl_easy_setopt(easy, CURLOPT_HTTPHEADER, headers);

    const char* body = job.body.empty() ? "" : job.body.data();
    auto setBody = [&] {
        curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE_LARGE, curl_off_t(job.body.size()));
        curl_easy_setopt(easy, CURLOPT_POSTFIELDS, body);
    };
    bool known = true;
    switch (job.type) {
    case HttpRequest::Type::GET:
        curl_easy_setopt(easy, CURLOPT_HTTPGET, 1L);
        break;
    case HttpRequest::Type::POST:
        curl_easy_setopt(easy, CURLOPT_POST, 1L);
        setBody();
        break;
    case HttpRequest::Type::PUT:
        setBody();
        curl_easy_setopt(easy, CURLOPT_CUSTOMREQUEST, "PUT");
        break;
    case HttpRequest::Type::DELETE:
        if (!job.body.empty()) setBody();
        curl_easy_setopt(easy, CURLOPT_CUSTOMREQUEST, "DELETE");
        break;
    default:
        known = false;
        break;
    }

    CURLcode code = CURLE_OK;
    if (!known) {
        result.error = "unknown request type";
        code = CURLE_UNSUPPORTED_PROTOCOL;
    } else if (curl_multi_add_handle(multi, easy) != CURLM_OK) {
        result.error = "cannot start a transfer";
        code = CURLE_FAILED_INIT;
    } else {
        // Our own loop rather than curl_easy_perform so that destroyInstance
        // can wake it at once instead of waiting for the next progress call.
        bool done = false;
        while (!done) {
            int running = 0;
            if (curl_multi_perform(multi, &running) != CURLM_OK) {
                code = CURLE_FAILED_INIT;
                break;
            }
            int left = 0;
            while (CURLMsg* message = curl_multi_info_read(multi, &left)) {
                if (message->msg == CURLMSG_DONE && message->easy_handle == easy) {
                    code = message->data.result;
                    done = true;
                }
            }
            if (done) break;
            if (_abort) {
                code = CURLE_ABORTED_BY_CALLBACK;
                break;
            }
            curl_multi_poll(multi, nullptr, 0, 1000, nullptr);
        }
        curl_multi_remove_handle(multi, easy);
    }

    curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &result.code);
    std::string overrun;
    if (replyBody.overLimit || code == CURLE_FILESIZE_EXCEEDED) {
        overrun = "reply body over " + std::to_string(kMaxReplyBodyBytes) + " bytes";
    } else if (replyHeader.overLimit) {
        overrun = "reply headers over " + std::to_string(kMaxReplyHeaderBytes) + " bytes";
    } else if (replyBody.outOfMemory || replyHeader.outOfMemory) {
        overrun = "out of memory for the reply";
    }
    if (!overrun.empty()) {
        // The part that arrived is of no use to anyone.
        result.error = overrun;
        std::vector<char>().swap(replyBody.bytes);
        std::fprintf(stderr, "HttpClient: %s: %s\n", printable(job.url).c_str(), overrun.c_str());
    } else if (code != CURLE_OK) {
        if (result.error.empty()) result.error = errorBuffer[0] ? errorBuffer : curl_easy_strerror(code);
    } else if (result.code >= 400) {
        result.error = "HTTP status " + std::to_string(result.code);
    } else {
        result.succeed = true;
    }
    result.data = std::move(replyBody.bytes);
    result.header = std::move(replyHeader.bytes);
    curl_slist_free_all(headers);
    curl_easy_cleanup(easy);
    return result;
}

void HttpClient::deliver(unsigned long id, Result&& result)
{
    auto it = _pending.find(id);
    if (it == _pending.end()) return;
    Pending pending = it->second;
    _pending.erase(it);

    HttpRequest* request = pending.request;
    auto* response = new HttpResponse(request);
    response->setSucceed(result.succeed);
    response->setResponseCode(result.code);
    response->setResponseData(std::move(result.data));
    response->setResponseHeader(std::move(result.header));
    response->setErrorBuffer(result.error.c_str());

    // Nothing of this client is touched after the callback: it may destroy
    // the client or send the next request.
    ccHttpRequestCallback callback = request->getCallback();
    Ref* target = request->getTarget();
    SEL_HttpResponse selector = request->getSelector();
    if (callback) {
        callback(this, response);
    } else if (target && selector) {
        (target->*selector)(this, response);
    }
    response->release();
    request->release();
    pending.scheduler->release();
}

} // namespace network
} // namespace cocos2d
