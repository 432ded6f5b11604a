#pragma once

#include <atomic>
#include <cstddef>
#include <condition_variable>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "network/HttpRequest.h"
#include "network/HttpResponse.h"

namespace cocos2d {

class Scheduler;

namespace network {

// Sends requests one after another on a worker thread (libcurl, certificates
// verified, proxies from the environment) and hands each reply to its
// request's callback on the main thread, during a frame's scheduler tick.
class HttpClient {
public:
    // A reply body longer than this fails its request (isSucceed() false)
    // instead of growing without bound; the showcase's replies are a few
    // hundred bytes. The header block has a bound of its own.
    static constexpr size_t kMaxReplyBodyBytes = 4 * 1024 * 1024;
    static constexpr size_t kMaxReplyHeaderBytes = 256 * 1024;

    static HttpClient* getInstance();
    // Aborts the transfer in flight, stops the worker and drops every reply
    // not yet delivered: no callback runs afterwards. Call on the main thread.
    static void destroyInstance();
    // Requests sent whose callback has not run yet: queued, in flight, or
    // answered and waiting for the next frame. 0 when there is no client.
    // Call on the main thread.
    static size_t outstandingRequests();

    // Call on the main thread; the client retains the request until its
    // callback has run (or the client is destroyed). A request whose URL is
    // not http or https, or one of whose header lines holds CR, LF or NUL,
    // fails without anything being sent.
    void send(HttpRequest* request);

    // Seconds allowed to establish the connection (default 10).
    void setTimeoutForConnect(int value) { _timeoutForConnect = value; }
    int getTimeoutForConnect() const { return _timeoutForConnect; }
    // Seconds allowed for the whole request, connection included (default 30).
    void setTimeoutForRead(int value) { _timeoutForRead = value; }
    int getTimeoutForRead() const { return _timeoutForRead; }

private:
    struct Job;
    struct Result;
    struct Pending {
        HttpRequest* request;
        Scheduler* scheduler;
    };
    // Outlives the client inside queued main-thread functions, so a reply
    // that arrives after destroyInstance knows to do nothing.
    struct Liveness {
        bool alive = true;
    };

    HttpClient();
    ~HttpClient();

    void workerLoop();
    Result perform(const Job& job);
    void deliver(unsigned long id, Result&& result);
    void stop();

    std::atomic<int> _timeoutForConnect{10};
    std::atomic<int> _timeoutForRead{30};

    std::mutex _mutex;
    std::condition_variable _wake;
    std::deque<std::unique_ptr<Job>> _jobs;
    std::atomic<bool> _abort{false};
    void* _multi = nullptr;
    std::thread _worker;

    // Main thread only.
    std::map<unsigned long, Pending> _pending;
    unsigned long _nextId = 1;
    std::shared_ptr<Liveness> _liveness;
};

} // namespace network
} // namespace cocos2d
